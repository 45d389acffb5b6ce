#include "hotlist/extraction.h"

#include "tests/support/loopback_server.h"
#include "text/codepage.h"
#include "text/regex_object.h"
#include "tools/sample_page.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace qm {
namespace {

const LocalText defaultTag = "\xC4\xAC\xC8\xCF"; // 默认

TextArray extract(const LocalText& page)
{
    RegexObject regex;
    return extractHotEntries(regex, page);
}

// A converted page of count rows with ASCII keywords "kw1" … and the tag 热.
LocalText asciiRows(int count)
{
    std::vector<SampleRow> rows;
    for (int i = 1; i <= count; ++i) {
        SampleRow row;
        row.keyword = "kw" + std::to_string(i);
        row.heat = 1000 - i;
        row.tagClass = "hot";
        row.tagText = "热";
        rows.push_back(row);
    }
    return utf8ToLocal(LocalText(makeSummaryPage(rows)));
}

TEST(HotRowPattern, IsTheFixedText)
{
    EXPECT_EQ(hotRowPattern.size(), 59u);
    EXPECT_EQ(hotRowCount, 11);
}

TEST(HotRowPattern, FourLineFragmentGivesOneMatch)
{
    const LocalText page = "<tr>\n<a href=\"/before\">not this</a> <b>\n"
                           "<a href=\"/x\" target=\"_blank\">\xB9\xD8\xBC\xFC\xB4\xCA</a>\n" // 关键词
                           "<span>123</span>\n"
                           "</td>\n"
                           "<td class=\"td-03\"><i class=\"icon\">\xC8\xC8</i></td>\n"; // 热
    RegexObject regex;
    ASSERT_TRUE(regex.create(LocalText(hotRowPattern), page, false, true));
    ASSERT_EQ(regex.matchCount(), 1);
    EXPECT_EQ(regex.subMatchText(1, 1), LocalText("\xB9\xD8\xBC\xFC\xB4\xCA"));
    EXPECT_EQ(regex.subMatchText(1, 2), LocalText("class=\"td-03\"><i class=\"icon\">\xC8\xC8</i>"));
    EXPECT_EQ(tagFromCell(regex.subMatchText(1, 2)), LocalText("\xC8\xC8"));
}

TEST(ExtractHotEntries, NeedsElevenRows)
{
    const struct
    {
        int rows;
        int entries;
    } cases[] = {{0, 0}, {1, 0}, {10, 0}, {11, 11}, {50, 50}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows);
        const TextArray entries = extract(asciiRows(c.rows));
        ASSERT_EQ(entries.count(), c.entries);
        for (int i = 1; i <= entries.count(); ++i)
            EXPECT_EQ(entries.member(i), LocalText("kw" + std::to_string(i) + "|\xC8\xC8")); // 热
    }
    EXPECT_EQ(extract(LocalText()).count(), 0);
}

TEST(ExtractHotEntries, AnchorWithoutTextGivesEmptyKeyword)
{
    std::string page = asciiRows(11).str();
    const std::string anchor = ">kw1</a>";
    page.replace(page.find(anchor), anchor.size(), "></a>");
    const TextArray entries = extract(LocalText(page));
    ASSERT_EQ(entries.count(), 11);
    EXPECT_EQ(entries.member(1), LocalText("|\xC8\xC8"));
}

TEST(ExtractHotEntries, WhatTheSampleRowsGive)
{
    const std::vector<SampleRow> rows = defaultSampleRows(51);
    const TextArray entries = extract(utf8ToLocal(LocalText(makeSummaryPage(rows))));
    ASSERT_EQ(entries.count(), 51); // navigation, script and footer links never match

    // Every shape matches; the tag cut needs lower-case markup.
    const struct
    {
        int row;
        const char* entry; // UTF-8
    } shapes[] = {
        {1, "全国大部迎来降温|荐"},          // pinned row: icon instead of rank, no heat line
        {3, "Apple Vision Pro 国内发售|沸"}, // spaces
        {4, "#年度旅行地#|热"},
        {5, "R&D 投入创新高|爆"},     // a tag without a badge is carried along
        {6, "甲|乙 谁更强|默认"},     // "|" in the keyword; an empty tag cell
        {7, "机场航班大面积延误|热"}, // no heat line
        {8, "老字号品牌换新装|默认"}, // upper-case markup matches, its tag cell does not cut
        {9, "博物馆文创上新|默认"},   // category before the heat
        {14, "手机新品发布会|荐"},    // advert: javascript: link with extra attributes
    };
    for (const auto& s : shapes) {
        SCOPED_TRACE(s.row);
        EXPECT_EQ(entries.member(s.row), utf8ToLocal(s.entry));
    }
    for (int i = 1; i <= entries.count(); ++i) {
        SCOPED_TRACE(i);
        const std::string& keyword = rows[static_cast<std::size_t>(i - 1)].keyword;
        EXPECT_EQ(entries.member(i).view().substr(0, utf8ToLocal(LocalText(keyword)).size()),
                  utf8ToLocal(LocalText(keyword)).view());
    }
}

TEST(ExtractHotEntries, CrLfLinesMatchNothing)
{
    // "." stops at the CR, so the line after the anchor can never be reached.
    const std::string page = makeSummaryPage(defaultSampleRows(51), "\r\n");
    EXPECT_EQ(extract(utf8ToLocal(LocalText(page))).count(), 0);
}

TEST(TagFromCell, CutsWithExactCase)
{
    const struct
    {
        const char* cell;
        LocalText tag;
    } cases[] = {
        {"class=\"td-03\"><i class=\"x\">\xC8\xC8</i>", "\xC8\xC8"},             // 热
        {"class=\"td-03\"><i class=\"x\" title=\"y\">\xD0\xC2</i>", "\xD0\xC2"}, // 新
        {"class=\"td-03\">", defaultTag},
        {"class=\"td-03\"><i>\xC8\xC8</i>", defaultTag}, // the first "i>" ends the opening tag
        {"CLASS=\"TD-03\"><i class=\"x\">\xC8\xC8</i>", defaultTag},
        {"class=\"td-03\"><i class=\"x\">long tag text</i>", "long tag text"},
        {"", defaultTag},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cell);
        EXPECT_EQ(tagFromCell(c.cell), c.tag);
    }
}

// The probe runs the same steps from a file; exit status and standard output are its interface.
struct ProbeResult
{
    int status = -1;
    std::string out;
    std::string err;
};

ProbeResult runProbe(const test::TempFolder& folder, const std::string& args)
{
    const auto errFile = folder.path() / "stderr.txt";
    const std::string command = std::string(QM_PROBE_PATH) + " " + args + " 2>" + errFile.string();
    ProbeResult result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.out.append(buffer, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    std::getline(err, result.err, '\0');
    return result;
}

std::string writePage(const test::TempFolder& folder, const std::string& name, const std::string& bytes)
{
    const auto path = folder.path() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

TEST(HotlistProbe, PrintsRowsAndTellsByExitStatus)
{
    test::TempFolder folder;
    const std::string full = writePage(folder, "full.html", makeSummaryPage(defaultSampleRows(12)));
    const std::string short_ = writePage(folder, "short.html", makeSummaryPage(defaultSampleRows(10)));

    ProbeResult r = runProbe(folder, full);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n', r.out.find('\n') + 1) + 1),
              "全国大部迎来降温|荐\n高铁票今日开售|默认\n");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 12);
    EXPECT_NE(r.out.find("\n甲|乙 谁更强|默认\n"), std::string::npos);

    r = runProbe(folder, "--raw " + full);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), utf8ToLocal("全国大部迎来降温|荐").str() + "\n");

    r = runProbe(folder, "- < " + full);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 12);

    r = runProbe(folder, short_);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");

    r = runProbe(folder, writePage(folder, "empty.html", ""));
    EXPECT_EQ(r.status, 1);
}

TEST(HotlistProbe, DownloadsAUrlAsTheRefreshDoes)
{
    test::TempFolder folder;
    test::LoopbackServer server;
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(server.writeFile("top/summary", makeSummaryPage(defaultSampleRows(12))));

    ProbeResult r = runProbe(folder, "'" + server.url("/top/summary?cate=realtimehot") + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 12);
    EXPECT_NE(server.accessLog().find("GET /top/summary?cate=realtimehot 200"), std::string::npos);

    r = runProbe(folder, server.url("/missing"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
}

TEST(HotlistProbe, UsageAndReadErrors)
{
    test::TempFolder folder;
    const std::string page = writePage(folder, "page.html", makeSummaryPage(defaultSampleRows(12)));
    const std::string argLists[] = {"", "--bogus " + page, page + " " + page, (folder.path() / "missing.html").string(),
                                    folder.path().string()};
    for (const std::string& args : argLists) {
        SCOPED_TRACE(args);
        const ProbeResult r = runProbe(folder, args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

} // namespace
} // namespace qm
