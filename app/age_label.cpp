#include "app/age_label.h"

#include "text/text.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace qm {
namespace {

constexpr double secondsPerDay = 86400.0;
// Absorbs the rounding error of subtracting two whole-second date-times.
constexpr double roundingAllowance = 1.0 / 172800.0;

// The span cut toward zero to 32 bits. Spans beyond the 32-bit range (about 68 years) saturate
// instead of converting out of range, which would be undefined.
std::int32_t spanSeconds(DateTime now, DateTime then)
{
    const double span = std::trunc((now - then) * secondsPerDay + roundingAllowance);
    if (std::isnan(span)) {
        return 0;
    }
    if (span >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (span <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(span);
}

} // namespace

LocalText formatElapsed(DateTime now, DateTime then)
{
    const std::int32_t span = spanSeconds(now, then);
    // 64 bits, so that the size of INT32_MIN fits.
    std::int64_t rest = span < 0 ? -static_cast<std::int64_t>(span) : span;

    const auto days = static_cast<int>(rest / 86400);
    rest %= 86400;
    const auto hours = static_cast<int>(rest / 3600);
    rest %= 3600;
    const auto minutes = static_cast<int>(rest / 60);
    const auto seconds = static_cast<int>(rest % 60);

    struct Part
    {
        int value;
        const char* unit;
    };
    const Part parts[] = {
        {days, "\xCC\xEC"},    // 天
        {hours, "\xCA\xB1"},   // 时
        {minutes, "\xB7\xD6"}, // 分
        {seconds, "\xC3\xEB"}, // 秒
    };
    LocalText text;
    for (const Part& part : parts) {
        if (part.value != 0) {
            text = concatText(text, intToText(part.value), part.unit);
        }
    }
    return text;
}

LocalText ageLabelText(DateTime now, DateTime lastRefresh)
{
    // Before the first complete refresh there is no age to tell.
    if (lastRefresh == 0.0) {
        return "\xC9\xD0\xCE\xB4\xB8\xFC\xD0\xC2"; // 尚未更新
    }
    return concatText(formatElapsed(now, lastRefresh), "\xC7\xB0\xB8\xFC\xD0\xC2"); // 前更新
}

} // namespace qm
