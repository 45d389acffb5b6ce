#include "app/platform.h"

#include "text/codepage.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace qm {

void openUrl(const LocalText& url)
{
    // localToWide gives UTF-16LE units with one terminating zero unit.
    const ByteSet wide = localToWide(url, codePageLocal);
    QString text;
    text.reserve(static_cast<qsizetype>(wide.size() / 2));
    for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
        const auto unit = static_cast<char16_t>(wide[i] | (wide[i + 1] << 8));
        if (unit == 0) {
            break;
        }
        text.append(QChar(unit));
    }
    // No shell in between, so spaces and "#" reach the browser as they are. A failure is ignored.
    QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{text});
}

} // namespace qm
