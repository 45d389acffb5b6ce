#include "text/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <vector>

namespace qm {
namespace {

// "\x81\x40" is one two-byte character whose second byte is "@"; "\xB0\xA1" is 啊.
struct FindCase
{
    const char* text;
    const char* needle;
    int start;
    bool ignoreCase;
    int expected;
};

TEST(FindText, PositionsStartsAndCharacterSteps)
{
    const FindCase cases[] = {
        {"abcabc", "bc", 0, false, 2},
        {"abcabc", "bc", 1, false, 2},
        {"abcabc", "bc", -5, false, 2},
        {"abcabc", "bc", INT_MIN, false, 2},
        {"abcabc", "bc", 3, false, 5},
        {"abcabc", "c", 6, false, 6}, // start at the length searches the last byte only
        {"abcabc", "b", 6, false, -1},
        {"abcabc", "", 6, false, 1},  // empty needle: 1 whenever a byte is searched
        {"abcabc", "", 7, false, -1}, // beyond the length nothing is searched
        {"abcabc", "c", 99, false, -1},
        {"", "", 0, false, -1},
        {"", "a", 0, false, -1},
        {"abc", "abcd", 0, false, -1},
        {"\x81\x40", "@", 0, false, -1}, // ASCII needle equal to a second byte
        {"\x81\x40@", "@", 0, false, 3},
        {"x\x81\x40", "@", 0, false, -1},
        {"\x81\x40", "@", 2, false, 2}, // an explicit start counts as a character start
        {"\xB0\xA1\xB0\xA1", "\xA1\xB0", 0, false, -1},
        {"\xB0\xA1\xB0\xA1", "\xB0\xA1", 2, false, -1}, // starting on a second byte shifts the steps
        {"a\x81", "\x81", 0, false, 2},                 // a lone lead byte at the end is still compared
        {"xHeLLo", "hello", 0, true, 2},
        {"xHeLLo", "hello", 0, false, -1},
        {"\x81\x41", "\x81\x61", 0, true, 1}, // folding reaches second bytes too
        {"\xC1", "\xE1", 0, true, -1},        // but never bytes outside A-Z
        {"[", "{", 0, true, -1},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" / \"" << c.needle << "\" from " << c.start);
        EXPECT_EQ(findText(c.text, c.needle, c.start, c.ignoreCase), c.expected);
    }
}

struct ReverseCase
{
    const char* text;
    const char* needle;
    std::optional<int> start;
    bool ignoreCase;
    int expected;
};

TEST(FindTextReverse, WindowEndsBeforeStart)
{
    const ReverseCase cases[] = {
        {"abcabc", "bc", std::nullopt, false, 5},
        {"abcabc", "c", std::nullopt, false, 6}, // omitted start finds the last byte
        {"abcabc", "c", 6, false, 3},            // start = length excludes it
        {"abcabc", "bc", 6, false, 2},
        {"abcabc", "bc", 7, false, 5},
        {"abcabc", "bc", 99, false, 5},
        {"abcabc", "bc", 3, false, -1},
        {"abcabc", "a", 1, false, -1},
        {"abcabc", "a", 0, false, -1},
        {"abcabc", "a", -3, false, -1},
        {"abcabc", "a", INT_MIN, false, -1},
        {"abcabc", "", 2, false, 1},
        {"abcabc", "", 1, false, -1},
        {"", "", std::nullopt, false, -1},
        {"aaa", "aa", std::nullopt, false, 2}, // occurrences may overlap
        {"\x81\x40\x81\x40", "@", std::nullopt, false, -1},
        {"ABCabc", "abc", std::nullopt, true, 4},
        {"ABCxyz", "abc", std::nullopt, true, 1},
        {"ABCxyz", "abc", std::nullopt, false, -1},
    };
    for (const ReverseCase& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" / \"" << c.needle << "\" before "
                                        << (c.start ? *c.start : -999));
        EXPECT_EQ(findTextReverse(c.text, c.needle, c.start, c.ignoreCase), c.expected);
    }
}

TEST(ReplaceText, NonOverlappingWithCaseFlag)
{
    struct Case
    {
        const char* text;
        const char* find;
        const char* replacement;
        bool caseSensitive;
        const char* expected;
    };
    const Case cases[] = {
        {"aaa", "aa", "b", true, "ba"},
        {"a-b-c", "-", "", true, "abc"},
        {"a-b-c", "", "x", true, "a-b-c"},
        {"", "a", "x", true, ""},
        {"Cat cat CAT", "cat", "dog", false, "dog dog dog"}, // false folds case
        {"Cat cat CAT", "cat", "dog", true, "Cat dog CAT"},
        {"\x81\x40@", "@", "#", true, "\x81\x40#"},
        {"\xB0\xA1\xB0\xA1", "\xA1\xB0", "x", true, "\xB0\xA1\xB0\xA1"},
        {"ab\x81", "\x81", "!", true, "ab!"},
        {"abc", "c", "cc", true, "abcc"}, // the replacement is not searched again
        {"tail ab", "abc", "x", true, "tail ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" / \"" << c.find << '"');
        EXPECT_EQ(replaceText(c.text, c.find, c.replacement, c.caseSensitive), LocalText(c.expected));
    }
    EXPECT_EQ(replaceText("a1a2a", "a"), LocalText("12"));
}

TEST(SplitText, EmptyPiecesAndMaxCount)
{
    struct Case
    {
        const char* text;
        const char* delimiter;
        std::optional<int> maxCount;
        std::vector<const char*> expected;
    };
    const Case cases[] = {
        {"a,b,c", ",", std::nullopt, {"a", "b", "c"}},
        {"a,,b", ",", std::nullopt, {"a", "", "b"}},
        {",a", ",", std::nullopt, {"", "a"}},
        {"a,b,", ",", std::nullopt, {"a", "b"}},
        {",", ",", std::nullopt, {""}},
        {",,", ",", std::nullopt, {"", ""}},
        {"abc", ",", std::nullopt, {"abc"}},
        {"abc", "", std::nullopt, {"abc"}},
        {"", ",", std::nullopt, {}},
        {"a,b,c", ",", 2, {"a", "b"}},
        {"a,b,c", ",", 1, {"a"}},
        {"a,b,c", ",", 3, {"a", "b", "c"}},
        {"a,b,c", ",", 0, {}},
        {"a,b,c", ",", -1, {}},
        {"a; b; c", "; ", std::nullopt, {"a", "b", "c"}},
        {"aaa", "aa", std::nullopt, {"", "a"}},
        {"\x81@x@y", "@", std::nullopt, {"\x81@x", "y"}},
        {"A,a", "a", std::nullopt, {"A,"}}, // delimiters compare exactly
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" by \"" << c.delimiter << '"');
        const TextArray pieces = splitText(c.text, c.delimiter, c.maxCount);
        ASSERT_EQ(pieces.count(), static_cast<int>(c.expected.size()));
        for (int n = 1; n <= pieces.count(); ++n) {
            EXPECT_EQ(pieces.member(n), LocalText(c.expected[static_cast<std::size_t>(n - 1)])) << "member " << n;
        }
    }
}

TEST(TextArray, MemberOutsideRangeIsEmpty)
{
    TextArray list;
    list.append("one");
    list.append("");
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.member(1), LocalText("one"));
    EXPECT_TRUE(list.member(2).empty());
    EXPECT_TRUE(list.member(0).empty());
    EXPECT_TRUE(list.member(3).empty());
    EXPECT_TRUE(list.member(INT_MIN).empty());
}

TEST(TrimSpaces, AsciiAndDoubleByteSpacesOnly)
{
    struct Case
    {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"  a b  ", "a b"},
        {"\xA1\xA1 a\xA1\xA1 b \xA1\xA1", "a\xA1\xA1 b"},
        {"\ta\r\n", "\ta\r\n"},
        {" \t a \n ", "\t a \n"},
        {"   ", ""},
        {"\xA1\xA1", ""},
        {"", ""},
        {"x\xA1", "x\xA1"},                 // a lone 0xA1 is no space
        {"\xB0\xA1\xA1 ", "\xB0\xA1\xA1 "}, // A1 takes the space as its second byte
        {"\xB0\xA1\xA1\xA1 ", "\xB0\xA1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << '"');
        EXPECT_EQ(trimSpaces(c.text), LocalText(c.expected));
    }
}

TEST(CaseChange, AsciiLettersOutsideDoubleByteCharacters)
{
    EXPECT_EQ(toUpperCase("abc XYZ 09\x81\x61z"), LocalText("ABC XYZ 09\x81\x61Z"));
    EXPECT_EQ(toLowerCase("ABC xyz\x81\x41Z"), LocalText("abc xyz\x81\x41z"));
    EXPECT_EQ(toUpperCase("q\x81"), LocalText("Q\x81"));
    EXPECT_TRUE(toUpperCase("").empty());
}

TEST(ToInt, FullWidthSignsAndWrapAround)
{
    struct Case
    {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"60", 60},
        {"\xA3\xB6\xA3\xB0", 60}, // ６０
        {"\xA3\xAD\xA3\xB1\xA3\xB2", -12},
        {"\xA1\xA1\xA3\xAB"
         "7",
         7}, // double-byte space and ＋
        {"  -42abc", -42},
        {"\t\n+5", 5},
        {"abc12", 0},
        {"", 0},
        {"-", 0},
        {"- 5", 0},
        {"12 34", 12},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MIN},
        {"-2147483648", INT_MIN},
        {"4294967297", 1},
        {"99999999999999999999", 1661992959}, // (10^20 - 1) mod 2^32
        {"\xA3\xB1\xA1\xAB", 1},              // ～ ends the number
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << '"');
        EXPECT_EQ(toInt(c.text), c.expected);
    }
}

TEST(NumberAndCharTexts, RoundTripAndBounds)
{
    EXPECT_EQ(intToText(0), LocalText("0"));
    EXPECT_EQ(intToText(-17), LocalText("-17"));
    EXPECT_EQ(intToText(INT_MIN), LocalText("-2147483648"));
    EXPECT_EQ(charFromCode(65), LocalText("A"));
    EXPECT_EQ(charFromCode(0xB0), LocalText("\xB0"));
    EXPECT_TRUE(charFromCode(0).empty());
    EXPECT_EQ(charCode("A"), 65);
    EXPECT_EQ(charCode("\xB0\xA1"), 0xB0 - 256);
    EXPECT_EQ(charCode(""), 0);
    EXPECT_EQ(blankText(3), LocalText("   "));
    EXPECT_TRUE(blankText(0).empty());
    EXPECT_TRUE(blankText(-2).empty());
}

TEST(Slicing, CountsClampToText)
{
    struct Case
    {
        LocalText result;
        const char* expected;
    };
    const Case cases[] = {
        {leftText("hello", 2), "he"},      {leftText("hello", 99), "hello"},
        {leftText("hello", 0), ""},        {leftText("hello", -1), ""},
        {rightText("hello", 2), "lo"},     {rightText("hello", 99), "hello"},
        {rightText("hello", -3), ""},      {midText("hello", 2, 3), "ell"},
        {midText("hello", 4, 99), "lo"},   {midText("hello", 5, 1), "o"},
        {midText("hello", 6, 1), ""},      {midText("hello", 0, 2), ""},
        {midText("hello", 2, 0), ""},      {midText("hello", INT_MIN, INT_MAX), ""},
        {leftText("\xB0\xA1", 1), "\xB0"}, // plain bytes, may halve a character
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].result, LocalText(cases[i].expected));
    }
}

TEST(ConcatAndCompare, EmptyPartsAndUnsignedOrder)
{
    const std::string withZero("x\0y", 3);
    const char* absent = nullptr;
    EXPECT_EQ(concatText("ab", LocalText(), "", LocalText("cd"), std::string("e")), LocalText("abcde"));
    EXPECT_EQ(concatText(absent, "a", withZero, "z"), LocalText("axz")); // each part ends at its zero
    EXPECT_TRUE(concatText("", LocalText()).empty());

    struct Case
    {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"abc", "abc", 0}, {"abc", "abd", -1}, {"abd", "abc", 1}, {"ab", "abc", -1},
        {"", "", 0},       {"", "a", -1},      {"\x80", "a", 1},  {"a", "\xFF", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.a << "\" vs \"" << c.b << '"');
        EXPECT_EQ(compareText(c.a, c.b), c.expected);
    }
    EXPECT_EQ(compareText(LocalText(), LocalText(static_cast<const char*>(nullptr))), 0);
}

TEST(TextBetween, MarkersAndQuotePlaceholder)
{
    const LocalText quoteWord = "\x23\xD2\xFD\xBA\xC5"; // #引号
    const LocalText html = R"(<a href="/x">one</a><td class="td-03"><i>hot</i></td>)";
    struct Case
    {
        LocalText text;
        LocalText startMarker;
        LocalText endMarker;
        int start;
        bool ignoreCase;
        const char* expected;
    };
    const Case cases[] = {
        {html, concatText("href=", quoteWord), quoteWord, 0, false, "/x"},
        {html, concatText("class=", quoteWord, "td-03", quoteWord, ">"), "</td>", 0, false, "<i>hot</i>"},
        {html, "<a", "</a>", 0, false, R"( href="/x">one)"},
        {html, "<i>", "<b>", 0, false, ""},  // end marker missing
        {html, "<b>", "</i>", 0, false, ""}, // start marker missing
        {"b]a[", "[", "]", 0, false, ""},    // end only before start
        {"a[]b", "[", "]", 0, false, ""},    // adjacent markers
        {"[1][2]", "[", "]", 2, false, "2"}, // the start is passed on
        {"<B>x</b>", "<b>", "</B>", 0, true, "x"},
        {"<B>x</b>", "<b>", "</B>", 0, false, ""},
        {"", "[", "]", 0, false, ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const Case& c = cases[i];
        EXPECT_EQ(textBetween(c.text, c.startMarker, c.endMarker, c.start, c.ignoreCase), LocalText(c.expected));
    }
}

TEST(ByteSets, ConversionsAndClamping)
{
    const ByteSet abc = {'a', 'b', 'c'};
    const ByteSet zeroInside = {'a', 0, 'b'};
    EXPECT_EQ(textToBytes("abc"), abc);
    EXPECT_TRUE(textToBytes("").empty());
    EXPECT_EQ(bytesToText(zeroInside), LocalText("a"));
    EXPECT_EQ(bytesToText(abc), LocalText("abc"));
    EXPECT_TRUE(bytesToText({}).empty());
    EXPECT_EQ(bytesLength(zeroInside), 3);

    struct Case
    {
        ByteSet result;
        ByteSet expected;
    };
    const Case cases[] = {
        {bytesLeft(abc, 2), {'a', 'b'}},
        {bytesLeft(abc, 9), abc},
        {bytesLeft(abc, -1), {}},
        {bytesMid(abc, 2, 1), {'b'}},
        {bytesMid(abc, 2, 99), {'b', 'c'}},
        {bytesMid(abc, 0, 2), {'a', 'b'}}, // offset below 0 is taken as 0
        {bytesMid(abc, INT_MIN, 2), {'a', 'b'}},
        {bytesMid(abc, 4, 2), {}},
        {bytesMid(abc, INT_MAX, INT_MAX), {}},
        {bytesMid(abc, 1, -2), {}},
        {bytesMid(zeroInside, 2, 2), {0, 'b'}},
        {blankBytes(3), {0, 0, 0}},
        {blankBytes(-1), {}},
        {concatBytes(abc, ByteSet{}, zeroInside), {'a', 'b', 'c', 'a', 0, 'b'}},
        {concatBytes(ByteSet{}, ByteSet{}), {}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].result, cases[i].expected);
    }
    EXPECT_TRUE(bytesEqual(abc, textToBytes("abc")));
    EXPECT_TRUE(bytesEqual({}, {}));
    EXPECT_FALSE(bytesEqual(abc, bytesLeft(abc, 2)));
    EXPECT_FALSE(bytesEqual(zeroInside, {'a', 0, 'c'}));
}

TEST(LocalTextValue, NeverHoldsZeroAndAbsentIsEmpty)
{
    EXPECT_EQ(LocalText(std::string_view("ab\0cd", 5)), LocalText("ab"));
    EXPECT_EQ(LocalText(static_cast<const char*>(nullptr)), LocalText());
    EXPECT_EQ(textLength(LocalText(static_cast<const char*>(nullptr))), 0);
}

} // namespace
} // namespace qm
