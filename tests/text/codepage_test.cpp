#include "text/codepage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace qm {
namespace {

ByteSet units(std::initializer_list<unsigned> values)
{
    ByteSet out;
    for (unsigned v : values) {
        out.push_back(static_cast<unsigned char>(v & 0xFF));
        out.push_back(static_cast<unsigned char>(v >> 8));
    }
    return out;
}

struct Utf8Case
{
    const char* name;
    const char* utf8;
    const char* local;
    ByteSet wide;
};

// Each maximal invalid subsequence is one U+FFFD, which code page 936 writes as "?".
const Utf8Case utf8Cases[] = {
    {"empty", "", "", units({0})},
    {"ascii", "<td>Top 50</td>\r\n", "<td>Top 50</td>\r\n",
     units({'<', 't', 'd', '>', 'T', 'o', 'p', ' ', '5', '0', '<', '/', 't', 'd', '>', '\r', '\n', 0})},
    {"chinese", "\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4", units({0x4E2D, 0x6587, 0})}, // 中文
    {"euro", "\xE2\x82\xAC", "\x80", units({0x20AC, 0})},
    {"emoji",
     "a\xF0\x9F\x98\x80"
     "b",
     "a?b", units({'a', 0xD83D, 0xDE00, 'b', 0})}, // U+1F600
    {"thai", "\xE0\xB8\x81", "?", units({0x0E01, 0})},
    {"noncharacter", "\xEF\xBF\xBE", "?", units({0xFFFE, 0})},
    {"truncated four-byte",
     "\xF0\x9F\x98"
     "A",
     "?A", units({0xFFFD, 'A', 0})},
    {"truncated at end", "x\xE4\xB8", "x?", units({'x', 0xFFFD, 0})},
    {"overlong", "\xC0\x80", "??", units({0xFFFD, 0xFFFD, 0})},
    {"overlong three-byte", "\xE0\x80\xAF", "???", units({0xFFFD, 0xFFFD, 0xFFFD, 0})},
    {"surrogate", "\xED\xA0\x80", "???", units({0xFFFD, 0xFFFD, 0xFFFD, 0})},
    {"above U+10FFFF", "\xF4\x90\x80\x80", "????", units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, 0})},
    {"lone continuation",
     "a\x80"
     "b",
     "a?b", units({'a', 0xFFFD, 'b', 0})},
    {"invalid lead", "\xFF\xF8\xC1", "???", units({0xFFFD, 0xFFFD, 0xFFFD, 0})},
    {"mixed", "\xE4\xB8\xAD\xFF\xE6\x96\x87", "\xD6\xD0?\xCE\xC4", units({0x4E2D, 0xFFFD, 0x6587, 0})},
};

TEST(CodePage, Utf8ToLocalAndToWide)
{
    for (const Utf8Case& c : utf8Cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8ToLocal(c.utf8), LocalText(c.local));
        EXPECT_EQ(localToWide(c.utf8), c.wide);
        EXPECT_EQ(wideToLocal(localToWide(c.utf8), codePageLocal), LocalText(c.local));
    }
}

TEST(CodePage, LocalToWideReadsCodePage936)
{
    struct Case
    {
        const char* name;
        const char* local;
        ByteSet wide;
    };
    const Case cases[] = {
        {"chinese and ascii",
         "\xD6\xD0"
         "A",
         units({0x4E2D, 'A', 0})},
        {"euro byte", "\x80", units({0x20AC, 0})},
        {"invalid byte",
         "a\xFF"
         "b",
         units({'a', 0xFFFD, 'b', 0})},
        {"lead byte at end", "a\xD6", units({'a', 0xFFFD, 0})},
        {"empty", "", units({0})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(localToWide(c.local, codePageLocal), c.wide);
        EXPECT_EQ(localToWide(c.local, codePageAnsi), c.wide);
    }
}

TEST(CodePage, WideToLocalReplacesWhatItCannotWrite)
{
    struct Case
    {
        const char* name;
        ByteSet wide;
        const char* local;
    };
    ByteSet oddTail = units({'o', 'k'});
    oddTail.push_back('!');
    const Case cases[] = {
        {"stops at the first zero unit", units({'A', 0, 'B', 0}), "A"},
        {"no terminating unit", units({0x4E2D, 'x'}), "\xD6\xD0x"},
        {"odd trailing byte", oddTail, "ok"},
        {"lone high surrogate", units({0xD800, 'A', 0}), "?A"},
        {"lone low surrogate", units({'A', 0xDC00, 0}), "A?"},
        {"high surrogate at end", units({'A', 0xDBFF, 0}), "A?"},
        {"pair outside 936 is one ?", units({0xD83D, 0xDE00, 'z', 0}), "?z"},
        {"empty set", {}, ""},
        {"only the terminator", units({0}), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(wideToLocal(c.wide), LocalText(c.local));
        EXPECT_EQ(wideToLocal(c.wide, codePageLocal), LocalText(c.local));
    }
    EXPECT_EQ(wideToLocal(units({0x4E2D, 0xD83D, 0xDE00, 0}), codePageUtf8), LocalText("\xE4\xB8\xAD\xF0\x9F\x98\x80"));
}

TEST(CodePage, RoundTripOfMappableText)
{
    // 新 沸 热 荐 实时热搜 "Top" ～ é
    const LocalText utf8 = "\xE6\x96\xB0\xE6\xB2\xB8\xE7\x83\xAD\xE8\x8D\x90 \xE5\xAE\x9E\xE6\x97\xB6\xE7\x83\xAD"
                           "\xE6\x90\x9C \"Top\" \xEF\xBD\x9E \xC3\xA9";
    const LocalText local = utf8ToLocal(utf8);
    EXPECT_EQ(local.view().substr(0, 8), std::string_view("\xD0\xC2\xB7\xD0\xC8\xC8\xBC\xF6"));
    EXPECT_EQ(wideToLocal(localToWide(local, codePageLocal), codePageUtf8), utf8);
}

// The direct path must agree with the two-step definition on any input, valid or not.
TEST(CodePage, Utf8ToLocalEqualsTwoSteps)
{
    const std::string pieces[] = {
        "<div class=\"td-02\">",
        "\xE4\xB8\xAD",
        "\xE2\x82\xAC",
        "\xF0\x9F\x98\x80",
        "\xC3\xA9",
        "\xE0\xB8\x81",
        "\xF0\x9F\x98",
        "\xE4\xB8",
        "\x80",
        "\xFF",
        "\xC0",
        "\xED\xA0\x80",
        "\xF4\x90",
        "\xEF\xBF\xBD",
        "\r\n",
    };
    std::mt19937 random(936);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> anyByte(1, 255);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int length = round % 40;
        for (int k = 0; k < length; ++k) {
            if (k % 7 == 3) {
                text += static_cast<char>(anyByte(random));
            } else {
                text += pieces[pick(random)];
            }
        }
        SCOPED_TRACE(testing::Message() << "round " << round);
        ASSERT_EQ(utf8ToLocal(LocalText(text)), wideToLocal(localToWide(LocalText(text)), codePageLocal));
    }
}

TEST(CodePage, LargePageIsConvertedWhole)
{
    // 热 (E7 83 AD) is C8 C8 in code page 936.
    std::string utf8;
    std::string expected;
    for (int row = 0; row < 4000; ++row) {
        utf8 += "<td class=\"td-02\"><a href=\"/weibo?q=%23\">\xE7\x83\xAD" + std::to_string(row) + "</a></td>\n";
        expected += "<td class=\"td-02\"><a href=\"/weibo?q=%23\">\xC8\xC8" + std::to_string(row) + "</a></td>\n";
    }
    utf8 += "\xE4\xB8";
    expected += "?";
    EXPECT_EQ(utf8ToLocal(LocalText(utf8)), LocalText(expected));
    EXPECT_EQ(wideToLocal(localToWide(LocalText(utf8)), codePageLocal), LocalText(expected));
}

} // namespace
} // namespace qm
