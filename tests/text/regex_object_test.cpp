#include "text/regex_object.h"

#include "hotlist/extraction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qm {
namespace {

std::vector<std::string> allMatches(const RegexObject& regex)
{
    std::vector<std::string> out;
    for (int i = 1; i <= regex.matchCount(); ++i)
        out.push_back(regex.matchText(i).str());
    return out;
}

TEST(RegexObject, NeutralResultsBeforeAnyRun)
{
    RegexObject regex;
    EXPECT_EQ(regex.matchCount(), 0);
    EXPECT_EQ(regex.subMatchCount(), 0);
    EXPECT_EQ(regex.matchText(1), LocalText());
    EXPECT_EQ(regex.subMatchText(1, 1), LocalText());
    EXPECT_EQ(regex.getPattern(), LocalText());
    EXPECT_EQ(regex.replaceAll("x"), LocalText());
}

TEST(RegexObject, RejectedPatternGivesFalseButKeepsPattern)
{
    RegexObject regex;
    ASSERT_TRUE(regex.create("(a)", "a"));
    EXPECT_FALSE(regex.create("a(b", "ab"));
    EXPECT_EQ(regex.matchCount(), 0);
    EXPECT_EQ(regex.matchText(1), LocalText());
    EXPECT_EQ(regex.getPattern(), LocalText("a(b"));
    EXPECT_EQ(regex.replaceAll("x"), LocalText());
}

TEST(RegexObject, PatternWithoutMatchGivesEmptyCollection)
{
    RegexObject regex;
    EXPECT_TRUE(regex.create("(z)", "abc"));
    EXPECT_EQ(regex.matchCount(), 0);
    EXPECT_EQ(regex.subMatchCount(), 0);
    EXPECT_EQ(regex.replaceAll("x"), LocalText("abc"));
}

struct LanguageCase
{
    const char* name;
    const char* pattern;
    const char* subject;
    bool caseSensitive;
    bool multiline;
    bool global;
    std::vector<std::string> matches;
};

// The ECMAScript reading of patterns, as opposed to PCRE2's own.
const LanguageCase languageCases[] = {
    {"dot skips LF", "a.b", "a\nb a\rb", false, true, true, {}},
    {"dot takes 0x85 and GBK bytes",
     "a.b",
     "a\x85"
     "b a\xC4"
     "b",
     false,
     true,
     true,
     {"a\x85"
      "b",
      "a\xC4"
      "b"}},
    {"escaped angle is literal", "\\<a\\>", "<a>", false, true, true, {"<a>"}},
    {"unknown letter escapes are the letter", "\\y\\Q\\e\\h\\K\\A", "yQehKA", true, true, true, {"yQehKA"}},
    {"\\v is the vertical tab only",
     "a\\vb",
     "a\nb a\x0B"
     "b",
     false,
     true,
     true,
     {"a\x0B"
      "b"}},
    {"\\x and \\u take fixed hex digits", "\\x41\\u0042", "AB", true, true, true, {"AB"}},
    {"\\u{} is not an escape", "\\u{2}", "uu", true, true, true, {"uu"}},
    {"\\s covers single-byte white space", "\\s+", "x \t\r\n\x0B\f\xA0y", false, true, true, {" \t\r\n\x0B\f"}},
    {"ignore case folds ASCII", "abc", "xABCx", false, true, true, {"ABC"}},
    {"ignore case leaves high bytes", "\xC4", "\xE4", false, true, true, {}},
    {"case sensitive", "abc", "ABC abc", true, true, true, {"abc"}},
    {"multiline caret", "^b", "a\nb", false, true, true, {"b"}},
    {"single-line caret", "^b", "a\nb", false, false, true, {}},
    {"single-line dollar is end of input only", "a$", "a\n", false, false, true, {}},
    {"multiline dollar", "a$", "a\n", false, true, true, {"a"}},
    {"empty class matches nothing", "x[]", "x]", false, true, true, {}},
    {"negated empty class matches anything", "a[^]b", "a\nb", false, true, true, {"a\nb"}},
    {"unset back-reference matches empty", "(a)?b\\1", "b", false, true, true, {"b"}},
    {"global takes every match", "a", "aaa", false, true, true, {"a", "a", "a"}},
    {"non-global takes the first", "a", "aaa", false, true, false, {"a"}},
    {"empty matches step one byte", "x*", "abc", false, true, true, {"", "", "", ""}},
    {"empty match after a match", "a*", "baaa", false, true, true, {"", "aaa", ""}},
    {"empty matches step over GBK characters",
     "x*",
     "\xC4\xAC"
     "a",
     false,
     true,
     true,
     {"", "", ""}},
    {"lazy star", "<.*?>", "<a><b>", false, true, true, {"<a>", "<b>"}},
    {"quantifier takes a whole GBK character",
     "\xD0\xC2+",
     "\xD0\xC2\xD0\xC2",
     false,
     true,
     true,
     {"\xD0\xC2\xD0\xC2"}},
    {"GBK trail byte 0x5C is no escape",
     "\x81\x5C"
     "d",
     "\x81\x5C"
     "d",
     false,
     true,
     true,
     {"\x81\x5C"
      "d"}},
    {"GBK trail byte 0x5D does not close a class", "[\x81\x5D]+", "\x81]", false, true, true, {"\x81]"}},
    {"GBK trail letter keeps its case", "\x81\x41", "\x81\x61", false, true, true, {}},
};

TEST(RegexObject, ReadsPatternsAsEcmaScript)
{
    for (const LanguageCase& c : languageCases) {
        SCOPED_TRACE(c.name);
        RegexObject regex;
        ASSERT_TRUE(regex.create(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global));
        EXPECT_EQ(allMatches(regex), c.matches);
    }
}

TEST(RegexObject, GroupsAndPositions)
{
    RegexObject regex;
    ASSERT_TRUE(regex.create("(\\d+)(x)?", "ab12 34x"));
    ASSERT_EQ(regex.matchCount(), 2);
    EXPECT_EQ(regex.subMatchCount(), 2);

    int position = 0;
    EXPECT_EQ(regex.subMatchText(1, 1, &position), LocalText("12"));
    EXPECT_EQ(position, 3);
    position = 0;
    EXPECT_EQ(regex.subMatchText(1, 2, &position), LocalText()); // optional group that took no part
    EXPECT_EQ(position, -1);
    EXPECT_EQ(regex.subMatchText(2, 2, &position), LocalText("x"));
    EXPECT_EQ(position, 8);

    const struct
    {
        int n, k;
    } outside[] = {{0, 1}, {3, 1}, {1, 0}, {1, 3}, {-1, -1}};
    for (const auto& o : outside) {
        SCOPED_TRACE(testing::Message() << o.n << "," << o.k);
        position = 0;
        EXPECT_EQ(regex.subMatchText(o.n, o.k, &position), LocalText());
        EXPECT_EQ(position, -1);
    }
    EXPECT_EQ(regex.matchText(0), LocalText());
    EXPECT_EQ(regex.matchText(3), LocalText());
}

TEST(RegexObject, QuotePlaceholder)
{
    const LocalText pattern = "a\x23\xD2\xFD\xBA\xC5"
                              "b"; // a#引号b
    RegexObject regex;
    ASSERT_TRUE(regex.create(pattern, "a\"b", false, true, true, true));
    EXPECT_EQ(regex.matchCount(), 1);
    EXPECT_EQ(regex.getPattern(), LocalText("a\"b"));

    ASSERT_TRUE(regex.create(pattern, "a\"b", false, true, true, false));
    EXPECT_EQ(regex.matchCount(), 0);
    EXPECT_EQ(regex.getPattern(), pattern);
}

TEST(RegexObject, CopySharesResultsAndOutlivesANewRun)
{
    RegexObject regex;
    ASSERT_TRUE(regex.create("(b+)", "abba"));
    RegexObject copy = regex.copy();
    ASSERT_TRUE(regex.create("z", "zz"));

    EXPECT_EQ(copy.matchCount(), 1);
    EXPECT_EQ(copy.subMatchText(1, 1), LocalText("bb"));
    EXPECT_EQ(copy.getPattern(), LocalText("(b+)"));
    EXPECT_EQ(copy.replaceAll("-"), LocalText("a-a"));
    EXPECT_EQ(regex.matchCount(), 2);

    RegexObject moved = std::move(copy);
    EXPECT_EQ(moved.matchText(1), LocalText("bb"));
}

TEST(RegexObject, ReplaceAll)
{
    const struct
    {
        const char* pattern;
        bool global;
        const char* replacement;
        const char* result;
    } cases[] = {
        {"(\\w)(\\d)", true, "[$2$1]", "[1a]-[2b]-c"},
        {"(\\w)(\\d)", false, "[$2$1]", "[1a]-b2-c"},
        {"(\\w)(\\d)", true, "<$&>", "<a1>-<b2>-c"},
        {"b2", true, "($`|$')", "a1-(a1-|-c)-c"},
        {"(\\w)(\\d)", true, "$$1", "$1-$1-c"},
        {"(\\w)(\\d)", true, "$3$0$", "$3$0$-$3$0$-c"}, // groups that do not exist stay literal
        {"(\\w)(\\d)", true, "$10$02", "a01-b02-c"},    // $10 is $1 then "0"; $02 is group 2
        {"(x)?(\\w)(\\d)", true, "[$1]", "[]-[]-c"},    // a group that took no part is empty
        {"z", true, "x", "a1-b2-c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pattern << " / " << c.replacement);
        RegexObject regex;
        ASSERT_TRUE(regex.create(c.pattern, "a1-b2-c", false, true, c.global));
        EXPECT_EQ(regex.replaceAll(c.replacement), LocalText(c.result));
    }
}

TEST(RegexObject, HostileSubjectsEndInBoundedTime)
{
    std::string line;
    while (line.size() < 1024 * 1024)
        line += "<a href=";
    RegexObject regex;
    EXPECT_TRUE(regex.create(LocalText(hotRowPattern), LocalText(line)));
    EXPECT_EQ(regex.matchCount(), 0);

    line.clear();
    while (line.size() < 1024 * 1024)
        line += "<a href=x>y</a> ";
    regex.create(LocalText(hotRowPattern), LocalText(line));
    EXPECT_EQ(regex.matchCount(), 0);
}

TEST(RegexObject, RunThatHitsALimitKeepsEarlierMatchesAndStops)
{
    // Nested repeats over a long run of "a" not followed by "b" exceed the match limit; the last
    // "b" would match without it.
    const std::string subject = "b" + std::string(40, 'a') + " b";
    RegexObject regex;
    EXPECT_TRUE(regex.create("(a+)*b", LocalText(subject)));
    EXPECT_EQ(allMatches(regex), std::vector<std::string>({"b"}));
}

} // namespace
} // namespace qm
