#include "hotlist/extraction.h"

#include "text/regex_object.h"
#include "text/text.h"

namespace qm {

TextArray extractHotEntries(RegexObject& regex, const LocalText& pageText)
{
    regex.create(LocalText(hotRowPattern), pageText, false, true);
    const int count = regex.matchCount();
    TextArray entries;
    if (count < hotRowCount)
        return entries;
    for (int i = 1; i <= count; ++i) {
        const LocalText keyword = regex.subMatchText(i, 1);
        const LocalText cell = regex.subMatchText(i, 2);
        entries.append(concatText(keyword, "|", tagFromCell(cell)));
    }
    return entries;
}

LocalText tagFromCell(const LocalText& cell)
{
    const LocalText inner = textBetween(cell, "class=\"td-03\">", "i>");
    const LocalText tag = textBetween(inner, "\">", "</");
    if (tag.empty())
        return "\xC4\xAC\xC8\xCF"; // 默认
    return tag;
}

} // namespace qm
