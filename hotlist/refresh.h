#pragma once

#include "text/local_text.h"

#include <string_view>

namespace qm {

class HotListView;

// Days since 30 December 1899 00:00:00, the time of day as the fraction; local time.
using DateTime = double;

// Date-time of the last complete refresh; the zero date-time until the first one.
extern DateTime lastRefreshTime;

// The current local date-time to whole seconds. The age label reads the same clock.
DateTime currentDateTime();
// The date-time of a moment given in seconds since the Unix epoch, in local time.
DateTime dateTimeFromUnix(long long unixSeconds);

// The fixed Accept and User-Agent lines of the download (260 bytes, no CR LF at the end).
extern const std::string_view hotListHeaders;
// "http://" + host + "/top/summary?cate=realtimehot"
LocalText hotListUrl(std::string_view host);

// One refresh: download url, extract the rows and, with at least hotRowCount of them, show them
// and stamp lastRefreshTime. Any failure leaves the window and lastRefreshTime as they were.
void refreshHotList(HotListView& view, const LocalText& url);

} // namespace qm
