#pragma once

#include "text/local_text.h"

namespace qm {

// The five badge pictures a row can show; the window maps each to its PNG.
enum class TagBadge { New, Boil, Hot, Recommend, Default };

// What the refresh needs of the window: the row controls and the hidden list view.
// Rows count from 1 to hotRowCount.
class HotListView
{
public:
    virtual ~HotListView() = default;
    virtual void clearListView() = 0;
    virtual void setKeywordText(int row, const LocalText& text) = 0;
    virtual void setBadgePicture(int row, TagBadge badge) = 0;
    virtual void setBadgeVisible(int row, bool visible) = 0;
};

// Writes entries 1 … hotRowCount into the rows. entries holds at least hotRowCount members.
void showHotRows(HotListView& view, const TextArray& entries);

} // namespace qm
