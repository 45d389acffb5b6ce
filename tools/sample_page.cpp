#include "tools/sample_page.h"

#include <array>
#include <cctype>
#include <cstdio>

namespace qm {

namespace {

constexpr std::array<const char*, 24> plainKeywords = {
    "新春档电影票房破纪录", "全国大部迎来降温",   "高铁票今日开售",     "城市夜景灯光秀",     "冬季运动会开幕",
    "网友晒出年夜饭",       "科学家发现新物种",   "机场航班大面积延误", "老字号品牌换新装",   "博物馆文创上新",
    "演唱会门票秒空",       "气象台发布寒潮预警", "地铁新线开通运营",   "年轻人流行的新爱好", "手机新品发布会",
    "中考改革方案公布",     "小区物业费调整",     "熊猫宝宝满月",       "景区门票免费开放",   "马拉松赛事报名",
    "外卖骑手的一天",       "古镇雪景刷屏",       "国产动画电影定档",   "宠物医院收费标准",
};

struct TagKind
{
    const char* cls;
    const char* text;
};
constexpr std::array<TagKind, 7> tagCycle = {{
    {"hot", "热"},
    {"new", "新"},
    {"", ""},
    {"boil", "沸"},
    {"hot", "热"},
    {"boom", "爆"},
    {"", ""},
}};

std::string percentEncoded(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", byte);
            out += hex;
        }
    }
    return out;
}

std::string upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

class PageWriter
{
public:
    explicit PageWriter(std::string_view lineEnd) : m_lineEnd(lineEnd) {}

    void line(std::string_view text)
    {
        m_page += text;
        m_page += m_lineEnd;
    }
    std::string take() { return std::move(m_page); }

private:
    std::string m_page;
    std::string_view m_lineEnd;
};

void writeHead(PageWriter& out)
{
    out.line("<!DOCTYPE html>");
    out.line("<html>");
    out.line("<head>");
    out.line("<meta charset=\"utf-8\">");
    out.line("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
    out.line("<title>微博搜索-热搜榜</title>");
    out.line("<link href=\"//img.example.cn/t6/skin/public/favicon.ico\" type=\"image/x-icon\" rel=\"shortcut icon\">");
    out.line("<style type=\"text/css\">");
    for (int i = 0; i < 340; ++i) {
        char rule[160];
        std::snprintf(rule, sizeof rule,
                      ".m-wrap .card-%d .list_a li:nth-child(%d) a{color:#%06x;padding:%dpx %dpx;line-height:%dpx}", i,
                      i % 17 + 1, (i * 2654435761u) & 0xffffff, i % 9, i % 13, 18 + i % 7);
        out.line(rule);
    }
    out.line("</style>");
    out.line("<script type=\"text/javascript\">");
    out.line("var $CONFIG = {};");
    out.line("$CONFIG['islogin'] = '0';");
    out.line("$CONFIG['version'] = '20191204';");
    for (int i = 0; i < 260; ++i) {
        char code[320];
        std::snprintf(code, sizeof code,
                      "function card%d(list, n) { var html = ''; for (var i = 0; i < n && i < list.length; i++) "
                      "{ html += '<li><a href=\"' + list[i].url + '\">' + list[i].name + '</a></li>'; } "
                      "return n > %d ? html : ''; }",
                      i, i % 50);
        out.line(code);
    }
    out.line("</script>");
    out.line("</head>");
}

void writeNavigation(PageWriter& out)
{
    out.line("<body>");
    out.line("<div class=\"m-main\">");
    out.line("<div class=\"m-nav\">");
    out.line("    <ul>");
    static constexpr std::array<const char*, 8> tabs = {"热搜榜", "要闻榜", "文娱榜", "体育榜",
                                                        "游戏榜", "同城榜", "好友搜", "话题榜"};
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        std::string item = "        <li><a href=\"/top/summary?cate=tab";
        item += std::to_string(i);
        item += i == 0 ? "\" class=\"cur\">" : "\">";
        item += tabs[i];
        item += "</a></li>";
        out.line(item);
    }
    out.line("    </ul>");
    out.line("</div>");
    for (int i = 0; i < 90; ++i) {
        out.line("<div class=\"card-wrap\" action-type=\"feed_list_item\">");
        out.line("    <a href=\"/weibo?q=related" + std::to_string(i) +
                 "&amp;Refer=side\" class=\"s-btn-c\" target=\"_blank\">相关搜索 " + std::to_string(i) + "</a>");
        out.line("</div>");
    }
}

void writeRow(PageWriter& out, const SampleRow& row, int rank)
{
    const auto tag = [&row](std::string text) { return row.upperCaseMarkup ? upper(std::move(text)) : text; };
    const std::string td = tag("td");
    out.line(tag("<tr class=\"\">"));
    if (row.kind == SampleRowKind::Pinned)
        out.line("    <" + td + tag(" class=\"td-01\">") + tag("<i class=\"icon-top\"></i>") + "</" + td + ">");
    else
        out.line("    <" + td + tag(" class=\"td-01 ranktop\">") + std::to_string(rank) + "</" + td + ">");
    out.line("    <" + td + tag(" class=\"td-02\">"));
    std::string anchor = "        <" + tag("a href=");
    if (row.kind == SampleRowKind::Advert) {
        anchor += "\"javascript:void(0);\" action-type=\"ad_click\" word=\"" + row.keyword +
                  "\" suda-data=\"key=tblog_search_list&value=list_realtimehot_ad\" target=\"_blank\">";
    } else {
        anchor += "\"/weibo?q=%23" + percentEncoded(row.keyword) + "%23&Refer=top\" target=\"_blank\">";
    }
    anchor += row.keyword + "</" + tag("a") + ">";
    out.line(anchor);
    if (row.kind == SampleRowKind::Ranked && row.heatLine) {
        std::string heat = row.category.empty() ? "" : row.category + " ";
        out.line("        <" + tag("span") + ">" + heat + std::to_string(row.heat) + "</" + tag("span") + ">");
    }
    out.line("    </" + td + ">");
    if (row.tagClass.empty())
        out.line("    <" + td + " " + tag("class=\"td-03\">") + "</" + td + ">");
    else
        out.line("    <" + td + " " + tag("class=\"td-03\">") + "<" + tag("i class=\"icon-txt icon-txt-") +
                 row.tagClass + "\">" + row.tagText + "</" + tag("i") + "></" + td + ">");
    out.line(tag("</tr>"));
}

void writeTable(PageWriter& out, const std::vector<SampleRow>& rows)
{
    out.line("<div class=\"data\" id=\"pl_top_realtimehot\">");
    out.line("<table>");
    out.line("<thead>");
    out.line("<tr class=\"thead_tr\">");
    out.line("    <th class=\"th-01\">序号</th>");
    out.line("    <th class=\"th-02\">关键词</th>");
    out.line("    <th class=\"th-03\"></th>");
    out.line("</tr>");
    out.line("</thead>");
    out.line("<tbody>");
    int rank = 0;
    for (const SampleRow& row : rows) {
        if (row.kind == SampleRowKind::Ranked)
            ++rank;
        writeRow(out, row, rank);
    }
    out.line("</tbody>");
    out.line("</table>");
    out.line("</div>");
}

void writeFooter(PageWriter& out)
{
    out.line("<div class=\"m-footer\">");
    for (int i = 0; i < 40; ++i)
        out.line("    <a href=\"//help.example.cn/page/" + std::to_string(i) + "\" target=\"_blank\">帮助中心 " +
                 std::to_string(i) + "</a><span class=\"line\">|</span>");
    out.line("    <p>Copyright &copy; 2009-2019</p>");
    out.line("</div>");
    out.line("</div>");
    out.line("<script type=\"text/javascript\">STK.pageletM.view({\"pid\":\"pl_top_realtimehot\"});</script>");
    out.line("</body>");
    out.line("</html>");
}

} // namespace

std::vector<SampleRow> defaultSampleRows(int count)
{
    std::vector<SampleRow> rows;
    for (int i = 1; i <= count; ++i) {
        SampleRow row;
        row.keyword = plainKeywords[static_cast<std::size_t>(i) % plainKeywords.size()];
        row.heat = 5'000'000 / i + 12'345;
        const TagKind& tag = tagCycle[static_cast<std::size_t>(i) % tagCycle.size()];
        row.tagClass = tag.cls;
        row.tagText = tag.text;
        if (i == 1) {
            row.kind = SampleRowKind::Pinned;
            row.tagClass = "recommend";
            row.tagText = "荐";
        }
        switch (i) {
        case 3:
            row.keyword = "Apple Vision Pro 国内发售";
            break;
        case 4:
            row.keyword = "#年度旅行地#";
            break;
        case 5:
            row.keyword = "R&D 投入创新高";
            break;
        case 6:
            row.keyword = "甲|乙 谁更强";
            break;
        case 7:
            row.heatLine = false;
            break;
        case 8:
            row.upperCaseMarkup = true;
            break;
        case 9:
            row.category = "剧集";
            break;
        case 14:
            row.kind = SampleRowKind::Advert;
            row.tagClass = "recommend";
            row.tagText = "荐";
            break;
        default:
            break;
        }
        if (i > 1 && i % 10 == 0)
            row.category = "综艺";
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string makeSummaryPage(const std::vector<SampleRow>& rows, std::string_view lineEnd)
{
    PageWriter out(lineEnd);
    writeHead(out);
    writeNavigation(out);
    writeTable(out, rows);
    writeFooter(out);
    return out.take();
}

} // namespace qm
