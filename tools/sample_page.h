#pragma once

#include <string>
#include <string_view>
#include <vector>

// Hot-search summary pages (UTF-8 HTML) shaped like the service's, for tests, benchmarks and the demo server.
namespace qm {

enum class SampleRowKind {
    Pinned, // the first row, an icon instead of a rank number and no heat line
    Ranked,
    Advert, // a javascript: link with extra attributes
};

struct SampleRow
{
    SampleRowKind kind = SampleRowKind::Ranked;
    std::string keyword; // UTF-8, written into the page as it is
    long long heat = 0;
    std::string category; // put before the heat number when not empty ("剧集 123456")
    bool heatLine = true; // ranked rows only: the <span> line with the heat
    std::string tagClass; // icon-txt-<tagClass>; empty for an empty tag cell
    std::string tagText;  // UTF-8, e.g. "热"
    bool upperCaseMarkup = false;
};

// count rows like a live ranking: a pinned row, then ranked rows with one advert among them, tags
// of every kind, and the awkward keywords (spaces, "#", "&", "|"), a row without a heat line and a
// row in upper-case markup at fixed places (rows 3 to 9).
std::vector<SampleRow> defaultSampleRows(int count);

// The whole page: head with styles and scripts, navigation, the ranking table, footer; about
// 120 KB for 51 rows. lineEnd separates all lines.
std::string makeSummaryPage(const std::vector<SampleRow>& rows, std::string_view lineEnd = "\n");

} // namespace qm
