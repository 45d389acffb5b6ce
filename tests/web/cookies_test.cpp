#include "web/cookies.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(Cookies, CollectsSetCookieLinesByExactName)
{
    const struct
    {
        const char* headers;
        const char* expected;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/; HttpOnly\r\nContent-Type: text/html\r\nSet-Cookie: b=2",
         "a=1; b=2"},
        {"HTTP/1.1 200 OK\r\nset-cookie: a=1\r\nSet-Cookie:a=1\r\nSET-COOKIE: c=3\r\n", ""},
        {"HTTP/1.1 200 OK\r\nSet-Cookie: a=1;\r\n", "a=1"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n", ""},
        {"", ""},
        // Without ";" the name is removed in any letter case, wherever it stands.
        {"Set-Cookie: a=SET-COOKIE:x  \r\n", "a=x"},
        {"HTTP/1.1 200 OK\r\nSet-Cookie:  s=\xD0\xC2 ; Max-Age=1\r\nSet-Cookie: t=2\r\n", "s=\xD0\xC2; t=2"},
        {"Set-Cookie-2: a=1\r\nSet-Cookie: b=2", "b=2"},
        // 5000 spaces (no header text) hold no cookies.
        {"      ", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.headers);
        EXPECT_EQ(collectSetCookies(c.headers), LocalText(c.expected));
    }
}

TEST(Cookies, MergesReceivedBeforeOwnAndStoresTheResult)
{
    const struct
    {
        const char* own;
        const char* received;
        const char* merged;
    } cases[] = {
        {"a=1; b=2", "b=3; c=deleted", "b=3; a=1"},
        {"a=1;", "", "a=1"},
        {"", "", ""},
        {"x=1; x=2", "", "x=1"},
        {"", "n=1; n=1; n=2", "n=1; n=2"},
        {"b=2", "B=3", "B=3; b=2"},
        {"s=deleted; t=1", "", "t=1"},
        {" a=1; ", " b=2; ", "b=2; a=1"},
        // Names are trimmed before they compare; a piece without "=" is its own name.
        {" a =1; flag", "a=2; flag", "a=2; flag"},
        {"a=1; b=deleted", "b=deleted", "a=1"},
        // An exact repeat is dropped only after merging: both "x" pieces were received.
        {"y=1", "x=1; x=2; x=1", "x=1; x=2; y=1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.own) + " | " + c.received);
        LocalText own = c.own;
        EXPECT_EQ(mergeCookies(own, c.received), LocalText(c.merged));
        EXPECT_EQ(own, LocalText(c.merged));
    }
}

TEST(Cookies, PieceHelpers)
{
    EXPECT_EQ(cookieName(" sid = 7"), LocalText("sid"));
    EXPECT_EQ(cookieName(" flag "), LocalText("flag"));
    EXPECT_EQ(cookieName("=v"), LocalText(""));
    EXPECT_EQ(textBefore("Set-Cookie: a=1", ": "), LocalText("Set-Cookie"));
    EXPECT_EQ(textBefore("Set-Cookie:a=1", ": "), LocalText(""));
    EXPECT_EQ(textBefore("abc", "A"), LocalText(""));
    EXPECT_EQ(dropDuplicateParts("a; b; a; ; b; ", "; "), LocalText("a; b; "));
    EXPECT_EQ(dropDuplicateParts("a,b,a", ","), LocalText("a,b"));
    EXPECT_EQ(dropDuplicateParts("", "; "), LocalText(""));
}

} // namespace
} // namespace qm
