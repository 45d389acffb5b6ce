#pragma once

#include "text/local_text.h"

namespace qm {

// Hands url (code page 936, converted to UTF-8, otherwise unchanged) to the desktop's URL opener,
// detached and without a shell. A failure shows nothing.
void openUrl(const LocalText& url);

} // namespace qm
