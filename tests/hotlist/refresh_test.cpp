#include "hotlist/refresh.h"

#include "hotlist/extraction.h"
#include "tests/hotlist/recording_view.h"
#include "tests/support/loopback_server.h"
#include "text/codepage.h"
#include "tools/sample_page.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

namespace qm {
namespace {

using test::RecordingView;

TEST(RefreshConstants, HeadersAndUrl)
{
    EXPECT_EQ(hotListHeaders.size(), 260u);
    EXPECT_EQ(hotListHeaders,
              "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,image/apng,*/*;q=0.8,"
              "application/signed-exchange;v=b3\r\nUser-Agent:Mozilla/5.0 (Windows NT 10.0; WOW64) "
              "AppleWebKit/537.36 (KHTML, like Gecko) Chrome/78.0.3904.108 Safari/537.36 QIHU 360SE");
    EXPECT_EQ(hotListUrl("s.example.com"), LocalText("http://s.example.com/top/summary?cate=realtimehot"));
}

// Sets TZ for one test and puts the old value back.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_old)
            setenv("TZ", m_old->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> m_old;
};

TEST(DateTime, CountsLocalDaysSince1899)
{
    const struct
    {
        const char* zone;
        long long unixSeconds;
        double days;
    } cases[] = {
        {"UTC0", 0, 25569.0},
        {"UTC0", 946684800, 36526.0},                       // 2000-01-01
        {"UTC0", 951782400 + 43200, 36585.5},               // 2000-02-29 12:00, a leap day
        {"UTC0", -86400, 25568.0},                          // before 1970
        {"UTC0", -2209161600LL, 0.0},                       // the zero date-time itself
        {"CST-8", 0, 25569.0 + 8.0 / 24.0},                 // local time, not UTC
        {"CST-8", 1700000000, 45245.0 + 22400.0 / 86400.0}, // 2023-11-15 06:13:20 local, a day after UTC
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.zone << " " << c.unixSeconds);
        ScopedTimeZone zone(c.zone);
        EXPECT_NEAR(dateTimeFromUnix(c.unixSeconds), c.days, 1e-9);
    }
}

TEST(DateTime, CurrentIsWholeSeconds)
{
    const long long before = std::time(nullptr);
    const DateTime now = currentDateTime();
    const long long after = std::time(nullptr);
    EXPECT_GE(now, dateTimeFromUnix(before));
    EXPECT_LE(now, dateTimeFromUnix(after));
    const double seconds = now * 86400.0;
    EXPECT_NEAR(seconds, std::round(seconds), 1e-3);
}

class RefreshHotList : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_server = std::make_unique<test::LoopbackServer>();
        ASSERT_TRUE(s_server->start()) << s_server->errorLog();
    }
    static void TearDownTestSuite() { s_server.reset(); }

    // Serves body as the hot list of a host of its own and runs one refresh against it.
    void refreshWith(const std::string& name, const std::string& body)
    {
        ASSERT_TRUE(s_server->writeFile(name + "/top/summary", body));
        const std::string host = "127.0.0.1:" + std::to_string(s_server->port()) + "/" + name;
        refreshHotList(view, hotListUrl(host));
    }

    void SetUp() override
    {
        lastRefreshTime = earlierStamp;
        for (int row = 1; row <= hotRowCount; ++row)
            view.rows[static_cast<std::size_t>(row)] = {"old", TagBadge::Hot, true};
    }

    void expectUnchanged()
    {
        EXPECT_EQ(view.calls, std::vector<std::string>{"clear"});
        EXPECT_EQ(lastRefreshTime, earlierStamp);
        for (int row = 1; row <= hotRowCount; ++row)
            EXPECT_EQ(view.rows[static_cast<std::size_t>(row)].text, "old");
    }

    static constexpr DateTime earlierStamp = 43831.5; // 2020-01-01 12:00
    static std::unique_ptr<test::LoopbackServer> s_server;
    RecordingView view;
};

std::unique_ptr<test::LoopbackServer> RefreshHotList::s_server;

TEST_F(RefreshHotList, ElevenRowsRewriteTheRowsAndStamp)
{
    const DateTime before = currentDateTime();
    refreshWith("eleven", makeSummaryPage(defaultSampleRows(11)));
    // Clear, 11 labels, and picture and visibility for all rows but 5 (爆) and 6 (the tag is "乙 谁更强").
    ASSERT_EQ(view.calls.size(), 1u + 11 + 2 * 9);
    EXPECT_EQ(view.calls.front(), "clear");
    EXPECT_EQ(view.rows[1].text, utf8ToLocal("全国大部迎来降温").str());
    EXPECT_EQ(view.rows[1].badge, TagBadge::Recommend);
    EXPECT_EQ(view.rows[2].badge, TagBadge::Default);
    EXPECT_FALSE(view.rows[2].visible);
    EXPECT_EQ(view.rows[6].text, utf8ToLocal("甲").str());
    EXPECT_EQ(view.rows[11].text, utf8ToLocal("气象台发布寒潮预警").str());
    EXPECT_GE(lastRefreshTime, before);
    EXPECT_LE(lastRefreshTime, currentDateTime());
    EXPECT_NE(s_server->accessLog().find("GET /eleven/top/summary?cate=realtimehot 200"), std::string::npos)
        << s_server->accessLog();
}

TEST_F(RefreshHotList, TenRowsChangeNothing)
{
    refreshWith("ten", makeSummaryPage(defaultSampleRows(10)));
    expectUnchanged();
}

TEST_F(RefreshHotList, ErrorPageChangesNothing)
{
    const std::string host = "127.0.0.1:" + std::to_string(s_server->port()) + "/missing";
    refreshHotList(view, hotListUrl(host));
    expectUnchanged();
}

TEST_F(RefreshHotList, RefusedConnectionChangesNothing)
{
    const int port = test::freeLoopbackPort();
    ASSERT_NE(port, 0);
    refreshHotList(view, hotListUrl("127.0.0.1:" + std::to_string(port)));
    expectUnchanged();
}

TEST_F(RefreshHotList, BodyIsCutAtAZeroByte)
{
    std::string page = makeSummaryPage(defaultSampleRows(51));
    // Ten rows before the zero byte, in the keyword of row 11; the rows after it would be plenty.
    page.insert(page.find(">气象台发布寒潮预警</a>"), 1, '\0');
    refreshWith("zero", page);
    expectUnchanged();
}

} // namespace
} // namespace qm
