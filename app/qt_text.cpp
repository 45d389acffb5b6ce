#include "app/qt_text.h"

#include "text/codepage.h"

#include <cstring>

namespace qm {

QString toQString(const LocalText& text)
{
    const ByteSet wide = localToWide(text, codePageLocal);
    // UTF-16LE units with one terminating zero unit; copy rather than alias for alignment.
    QString result(static_cast<qsizetype>(wide.size() / 2), Qt::Uninitialized);
    std::memcpy(result.data(), wide.data(), static_cast<std::size_t>(result.size()) * 2);
    const qsizetype end = result.indexOf(QChar(u'\0'));
    if (end >= 0)
        result.truncate(end);
    return result;
}

LocalText fromQString(const QString& text)
{
    ByteSet wide(static_cast<std::size_t>(text.size() + 1) * 2, 0);
    std::memcpy(wide.data(), text.utf16(), static_cast<std::size_t>(text.size()) * 2);
    return wideToLocal(wide, codePageLocal);
}

} // namespace qm
