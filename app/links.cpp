#include "app/links.h"

#include "text/text.h"

#include <cmath>
#include <limits>

namespace qm {

LocalText searchUrlPrefix(std::string_view host)
{
    return concatText("http://", host, "/weibo/");
}

LocalText fullListUrl(std::string_view host)
{
    return concatText("https://", host, "/top/summary?cate=realtimehot");
}

int autoRefreshPeriod(const LocalText& editText)
{
    const double period = std::trunc(static_cast<double>(toInt(editText)) * 1000.0);
    if (period <= 0.0) {
        return 0;
    }
    // Edit box values above 2147483 s would not fit a 32-bit count of milliseconds; run at the
    // longest period instead of wrapping to a short or negative one.
    if (period >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(period);
}

} // namespace qm
