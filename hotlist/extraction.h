#pragma once

#include "text/local_text.h"

#include <string_view>

namespace qm {

class RegexObject;

// Least number of rows for which a page counts, and the number of rows shown.
constexpr int hotRowCount = 11;

// The row pattern: group 1 is the keyword, group 2 the tag cell.
constexpr std::string_view hotRowPattern = R"(\<a href=.*>(.[^\<]*)?\</a>\s.*?\s.*</td>\s.*<td (.*)\</td>)";

// One HotEntry ("keyword|tag") per match in page order, or none when fewer than hotRowCount match.
TextArray extractHotEntries(RegexObject& regex, const LocalText& pageText);
// The tag cut out of a tag cell, "默认" when it yields nothing.
LocalText tagFromCell(const LocalText& cell);

} // namespace qm
