#include "app/age_label.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

const std::string updatedAgo = "\xC7\xB0\xB8\xFC\xD0\xC2"; // 前更新

// A date-time as the clock makes it: whole days plus whole seconds of the day.
DateTime dateTime(long long day, long long secondOfDay)
{
    return static_cast<double>(day) + static_cast<double>(secondOfDay) / 86400.0;
}

DateTime plusSeconds(long long day, long long secondOfDay, long long span)
{
    const long long total = day * 86400 + secondOfDay + span;
    return dateTime(total / 86400, total % 86400);
}

struct ElapsedCase
{
    long long span;
    const char* text;
};

const ElapsedCase elapsedCases[] = {
    {0, ""},
    {3, "3\xC3\xEB"},   // 3秒
    {59, "59\xC3\xEB"}, // 59秒
    {60, "1\xB7\xD6"},  // 1分
    {61, "1\xB7\xD6"
         "1\xC3\xEB"},   // 1分1秒
    {3600, "1\xCA\xB1"}, // 1时
    {3605, "1\xCA\xB1"
           "5\xC3\xEB"},  // 1时5秒
    {86400, "1\xCC\xEC"}, // 1天
    {90061, "1\xCC\xEC"
            "1\xCA\xB1"
            "1\xB7\xD6"
            "1\xC3\xEB"}, // 1天1时1分1秒
    {-75, "1\xB7\xD6"
          "14\xC3\xEB"}, // 1分14秒: backwards, one second short
};

// Several stamps, among them the last second of a day, so the spans cross midnight.
const long long stampSeconds[] = {0, 1, 43200 + 1234, 86399};

TEST(FormatElapsed, WorkedValues)
{
    for (const ElapsedCase& c : elapsedCases) {
        for (long long stamp : stampSeconds) {
            SCOPED_TRACE("span " + std::to_string(c.span) + " from second " + std::to_string(stamp));
            const DateTime then = dateTime(45678, stamp);
            const DateTime now = plusSeconds(45678, stamp, c.span);
            EXPECT_EQ(formatElapsed(now, then).str(), c.text);
            EXPECT_EQ(ageLabelText(now, then).str(), c.text + updatedAgo);
        }
    }
}

TEST(FormatElapsed, SpansBeyond32BitsSaturate)
{
    // About 3.9e9 s forward and backward: cut to the 32-bit range rather than wrapped or overflowed.
    EXPECT_EQ(formatElapsed(45678.0, 0.0).str(), "24855\xCC\xEC"
                                                 "3\xCA\xB1"
                                                 "14\xB7\xD6"
                                                 "7\xC3\xEB");
    EXPECT_EQ(formatElapsed(0.0, 45678.0).str(), "24855\xCC\xEC"
                                                 "3\xCA\xB1"
                                                 "14\xB7\xD6"
                                                 "8\xC3\xEB");
}

TEST(AgeLabelText, BeforeFirstRefreshClaimsNoAge)
{
    EXPECT_EQ(ageLabelText(dateTime(45678, 1000), 0.0).str(), "\xC9\xD0\xCE\xB4\xB8\xFC\xD0\xC2"); // 尚未更新
}

} // namespace
} // namespace qm
