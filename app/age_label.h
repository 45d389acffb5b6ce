#pragma once

#include "hotlist/refresh.h"
#include "text/local_text.h"

namespace qm {

// "1天1时1分1秒"-style span between two date-times, parts that are 0 left out.
LocalText formatElapsed(DateTime now, DateTime then);
// The text of the update-age label: formatElapsed + "前更新", or "尚未更新" while lastRefresh
// still holds the zero date-time.
LocalText ageLabelText(DateTime now, DateTime lastRefresh);

} // namespace qm
