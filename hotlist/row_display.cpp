#include "hotlist/row_display.h"

#include "hotlist/extraction.h"
#include "text/text.h"

#include <array>

namespace qm {

namespace {

struct BadgeRule
{
    const char* tag;
    TagBadge badge;
    bool visible;
};

const std::array<BadgeRule, 5> badgeRules = {{
    {"\xD0\xC2", TagBadge::New, true},              // 新
    {"\xB7\xD0", TagBadge::Boil, true},             // 沸
    {"\xC8\xC8", TagBadge::Hot, true},              // 热
    {"\xBC\xF6", TagBadge::Recommend, true},        // 荐
    {"\xC4\xAC\xC8\xCF", TagBadge::Default, false}, // 默认
}};

} // namespace

void showHotRows(HotListView& view, const TextArray& entries)
{
    for (int row = 1; row <= hotRowCount; ++row) {
        const TextArray pieces = splitText(entries.member(row), "|", 2);
        view.setKeywordText(row, pieces.member(1));
        const LocalText& tag = pieces.member(2);
        // An unknown tag leaves the badge as the last known one set it.
        for (const BadgeRule& rule : badgeRules) {
            if (compareText(tag, rule.tag) == 0) {
                view.setBadgePicture(row, rule.badge);
                view.setBadgeVisible(row, rule.visible);
            }
        }
    }
}

} // namespace qm
