#include "hotlist/row_display.h"

#include "hotlist/extraction.h"
#include "tests/hotlist/recording_view.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

using test::RecordingView;

TextArray entriesWithFirst(const LocalText& first, int count = hotRowCount)
{
    TextArray entries;
    entries.append(first);
    for (int i = 2; i <= count; ++i)
        entries.append(LocalText("row" + std::to_string(i) + "|\xC4\xAC\xC8\xCF")); // 默认
    return entries;
}

TEST(ShowHotRows, TagDecidesBadge)
{
    const struct
    {
        const char* entry;
        const char* text;
        bool changed;
        TagBadge badge;
        bool visible;
    } cases[] = {
        {"kw|\xD0\xC2", "kw", true, TagBadge::New, true},              // 新
        {"kw|\xB7\xD0", "kw", true, TagBadge::Boil, true},             // 沸
        {"kw|\xC8\xC8", "kw", true, TagBadge::Hot, true},              // 热
        {"kw|\xBC\xF6", "kw", true, TagBadge::Recommend, true},        // 荐
        {"kw|\xC4\xAC\xC8\xCF", "kw", true, TagBadge::Default, false}, // 默认
        {"|\xD0\xC2", "", true, TagBadge::New, true},                  // empty keyword
        {"kw|\xC8\xC8 ", "kw", false, {}, {}},                         // 热 and a space
        {"kw|\xC8\xC9", "kw", false, {}, {}},                          // one byte off
        {"kw|\xB1\xAC", "kw", false, {}, {}},                          // 爆: no badge of its own
        {"a|b|\xD0\xC2", "a", false, {}, {}},                          // "|" in the keyword: tag is "b"
        {" kw |\xC8\xC8", " kw ", true, TagBadge::Hot, true},          // the label is not trimmed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        RecordingView view;
        // Row 1 shows what an earlier complete run left: the hot badge.
        view.rows[1] = {"old", TagBadge::Hot, true};
        showHotRows(view, entriesWithFirst(c.entry));
        EXPECT_EQ(view.rows[1].text, c.text);
        EXPECT_EQ(view.rows[1].badge, c.changed ? c.badge : TagBadge::Hot);
        EXPECT_EQ(view.rows[1].visible, c.changed ? c.visible : true);
    }
}

TEST(ShowHotRows, WritesElevenRowsInOrderLabelBeforeBadge)
{
    RecordingView view;
    showHotRows(view, entriesWithFirst("first|\xC8\xC8", 20));
    ASSERT_EQ(view.calls.size(), 33u); // label, picture and visibility for each of 11 rows
    EXPECT_EQ(view.calls[0], "1 text first");
    EXPECT_EQ(view.calls[1], "1 picture Hot");
    EXPECT_EQ(view.calls[2], "1 show");
    for (int row = 2; row <= hotRowCount; ++row) {
        SCOPED_TRACE(row);
        const auto at = static_cast<std::size_t>(3 * (row - 1));
        EXPECT_EQ(view.calls[at], std::to_string(row) + " text row" + std::to_string(row));
        EXPECT_EQ(view.calls[at + 1], std::to_string(row) + " picture Default");
        EXPECT_EQ(view.calls[at + 2], std::to_string(row) + " hide");
    }
}

} // namespace
} // namespace qm
