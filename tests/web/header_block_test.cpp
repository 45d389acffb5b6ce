#include "web/header_block.h"

#include "text/text.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

// The refresh cycle's fixed block: an Accept line and a User-Agent line without a space after the colon.
const LocalText hotListAccept = "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,"
                                "image/apng,*/*;q=0.8,application/signed-exchange;v=b3";
const LocalText hotListAgent = "Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
                               "Chrome/78.0.3904.108 Safari/537.36 QIHU 360SE";

struct TextCase
{
    const char* input;
    const char* expected;
};

TEST(HeaderBlock, NormalisesNamesAndDropsLinesWithoutColon)
{
    const TextCase cases[] = {
        {"a: 1\r\n\r\nnot a header\r\nb-c: 2\r\n", "A: 1\r\nB-C: 2"},
        {"", ""},
        {"no colon here\r\n\r\n", ""},
        {"user-agent: x", "User-Agent: x"},
        {"x-requested-with: 1", "X-Requested-With: 1"},
        {"CONTENT-type: a", "CONTENT-Type: a"},
        // Values are carried over byte for byte, colons in them included.
        {"cookie: lang=zh", "Cookie: lang=zh"},
        {"referer: http://a-b/c-d:x", "Referer: http://a-b/c-d:x"},
        {"x--y: 1", "X--Y: 1"},
        {": empty name", ": empty name"},
        // Only ASCII letters change; a double-byte first character stays.
        {"\xD0\xC2-a: 1", "\xD0\xC2-A: 1"},
        {"1a-\xB7\xD0x: v\r\nb:w", "1a-\xB7\xD0x: v\r\nB:w"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(normaliseHeaderNames(c.input), LocalText(c.expected));
    }
}

TEST(HeaderBlock, TakesTheAgentFromTheBlock)
{
    const LocalText fallback(defaultAgent);
    const struct
    {
        LocalText block;
        LocalText agent;
    } cases[] = {
        {"", fallback},
        {"Accept: */*", fallback},
        {"User-Agent:   Foo/1.0  ", "Foo/1.0"},
        {concatText(hotListAccept, "\r\nUser-Agent:", hotListAgent), hotListAgent},
        {"Accept: x\r\nUser-Agent: A/1\r\nX: y", "A/1"},
        // A tab is no space to trim.
        {"User-Agent:\tA/1", "\tA/1"},
        // Blank value: the default, never the text of the following lines.
        {"User-Agent:   \r\nAccept: */*\r\nX: y", fallback},
        {"User-Agent:", fallback},
        // Name in another letter case (normalisation off): that line's value only.
        {"user-agent: Low/2\r\nAccept: */*", "Low/2"},
        {"Accept: */*\r\nUSER-AGENT:Up/3  \r\nReferer: r", "Up/3"},
        {"user-agent:  \r\nAccept: */*", fallback},
        // The name occurs only inside another header's value.
        {"X-Note: user-agent: z\r\nAccept: */*", fallback},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block.view());
        EXPECT_EQ(agentFromHeaders(c.block), c.agent);
    }
}

TEST(HeaderBlock, CompletesMissingDefaultLines)
{
    const LocalText url = "http://srv/top?x=1";
    const struct
    {
        const char* block;
        int method;
        const char* expected;
    } cases[] = {
        {"", 0, "Accept: */*\r\nReferer: http://srv/top?x=1\r\nAccept-Language: zh-cn"},
        {"", 1,
         "Accept: */*\r\nReferer: http://srv/top?x=1\r\nAccept-Language: zh-cn\r\n"
         "Content-Type: application/x-www-form-urlencoded"},
        {"", 3, "Accept: */*\r\nReferer: http://srv/top?x=1\r\nAccept-Language: zh-cn"},
        {"X: 1", 0, "X: 1\r\nAccept: */*\r\nReferer: http://srv/top?x=1\r\nAccept-Language: zh-cn"},
        {"accept-language: en\r\nACCEPT: a", 0, "accept-language: en\r\nACCEPT: a\r\nReferer: http://srv/top?x=1"},
        // Presence is a plain search over the whole block, values included.
        {"X: see Referer: here", 0, "X: see Referer: here\r\nAccept: */*\r\nAccept-Language: zh-cn"},
        {"Content-Type: text/plain", 1,
         "Content-Type: text/plain\r\nAccept: */*\r\nReferer: http://srv/top?x=1\r\nAccept-Language: zh-cn"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block);
        SCOPED_TRACE(c.method);
        EXPECT_EQ(completeRequestHeaders(c.block, url, c.method), LocalText(c.expected));
    }
}

TEST(HeaderBlock, RefreshBlockSurvivesNormalisationAndGetsRefererAndLanguage)
{
    const LocalText url = "http://s.weibo.example/top/summary?cate=realtimehot";
    const LocalText block = concatText(hotListAccept, "\r\nUser-Agent:", hotListAgent);
    const LocalText normalised = normaliseHeaderNames(block);
    EXPECT_EQ(normalised, block);
    EXPECT_EQ(agentFromHeaders(normalised), hotListAgent);
    EXPECT_EQ(completeRequestHeaders(normalised, url, 0),
              concatText(block, "\r\nReferer: ", url, "\r\nAccept-Language: zh-cn"));
}

TEST(HeaderBlock, AppendsCookieLine)
{
    const struct
    {
        const char* block;
        const char* cookies;
        const char* expected;
    } cases[] = {
        {"A: 1", "a=1; b=2", "A: 1\r\nCookie: a=1; b=2"},
        {"A: 1", "Cookie: a=1", "A: 1\r\nCookie: a=1"},
        {"A: 1", "cookie: a=1", "A: 1\r\nCookie: cookie: a=1"},
        {"A: 1", "", "A: 1"},
        {"", "a=1", "\r\nCookie: a=1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cookies);
        EXPECT_EQ(appendCookieHeader(c.block, c.cookies), LocalText(c.expected));
    }
}

} // namespace
} // namespace qm
