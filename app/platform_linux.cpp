#include "app/platform.h"

#include "app/qt_text.h"

#include <QProcess>
#include <QStringList>

namespace qm {

void openUrl(const LocalText& url)
{
    // No shell in between, so spaces and "#" reach the browser as they are. A failure is ignored.
    QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{toQString(url)});
}

} // namespace qm
