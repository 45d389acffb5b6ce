#pragma once

#include "text/local_text.h"

#include <string_view>

namespace qm {

// "http://" + host + "/weibo/"
LocalText searchUrlPrefix(std::string_view host);
// "https://" + host + "/top/summary?cate=realtimehot"
LocalText fullListUrl(std::string_view host);
// Period in milliseconds of the auto-refresh timer for the edit box's text: toInt(text) × 1000 cut
// toward zero, capped at the largest period the timer supports; 0 (stopped) when that is 0 or less.
int autoRefreshPeriod(const LocalText& editText);

} // namespace qm
