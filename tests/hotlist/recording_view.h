#pragma once

#include "hotlist/extraction.h"
#include "hotlist/row_display.h"

#include <array>
#include <string>
#include <vector>

namespace qm::test {

inline const char* badgeName(TagBadge badge)
{
    switch (badge) {
    case TagBadge::New:
        return "New";
    case TagBadge::Boil:
        return "Boil";
    case TagBadge::Hot:
        return "Hot";
    case TagBadge::Recommend:
        return "Recommend";
    case TagBadge::Default:
        return "Default";
    }
    return "?";
}

// Records every call in order and keeps the state the window would show.
class RecordingView final : public HotListView
{
public:
    struct Row
    {
        std::string text = " ";
        TagBadge badge = TagBadge::Default;
        bool visible = false;
    };

    void clearListView() override { calls.push_back("clear"); }
    void setKeywordText(int row, const LocalText& text) override
    {
        calls.push_back(std::to_string(row) + " text " + text.str());
        rows.at(static_cast<std::size_t>(row)).text = text.str();
    }
    void setBadgePicture(int row, TagBadge badge) override
    {
        calls.push_back(std::to_string(row) + " picture " + badgeName(badge));
        rows.at(static_cast<std::size_t>(row)).badge = badge;
    }
    void setBadgeVisible(int row, bool visible) override
    {
        calls.push_back(std::to_string(row) + (visible ? " show" : " hide"));
        rows.at(static_cast<std::size_t>(row)).visible = visible;
    }

    std::vector<std::string> calls;
    std::array<Row, hotRowCount + 1> rows{}; // index 0 unused: rows count from 1
};

} // namespace qm::test
