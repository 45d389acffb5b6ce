#pragma once

#include "text/local_text.h"

#include <QString>

namespace qm {

// The one crossing between the program's code page 936 bytes and Qt's Unicode strings.
QString toQString(const LocalText& text);
// Characters code page 936 lacks become "?".
LocalText fromQString(const QString& text);

} // namespace qm
