#include "web/web_request.h"

#include "tests/support/loopback_server.h"
#include "text/text.h"
#include "web/header_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace qm {
namespace {

using test::LoopbackServer;
using test::PeerServer;
using test::ProxyServer;

const char* const testLocations = R"(
        location = /redirect { return 302 http://127.0.0.1:{HTTP_PORT}/page.bin; }
        location = /to-https { return 302 https://127.0.0.1:{HTTPS_PORT}/page.bin; }
        location = /to-http { return 301 http://127.0.0.1:{HTTP_PORT}/page.bin; }
        location = /loop { return 302 http://127.0.0.1:{HTTP_PORT}/loop; }
        location = /set-cookie {
            add_header Set-Cookie "sid=abc; Path=/";
            add_header Set-Cookie "old=deleted; Path=/";
            return 200 "cookie set\n";
        }
        location = /redirect-cookie {
            add_header Set-Cookie "hop=1; Path=/";
            return 302 http://127.0.0.1:{HTTP_PORT}/page.bin;
        }
        location = /big-headers {
            add_header X-Pad $arg_pad;
            add_header Set-Cookie "big=1";
            return 200 "big\n";
        }
        location = /no-content { return 204; }
        location = /missing-page { return 404 "gone\n"; }
        location = /text.txt { gzip on; gzip_min_length 1; gzip_types text/plain; }
)";

const LocalText blankHeaders = blankText(5000);

std::string asString(const ByteSet& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

ByteSet asBytes(std::string_view text)
{
    return ByteSet(text.begin(), text.end());
}

// A request as the echo peer saw it.
struct Echoed
{
    std::string requestLine;
    std::vector<std::string> headers;
    std::string body;

    explicit Echoed(const ByteSet& bytes)
    {
        const std::string all = asString(bytes);
        const size_t end = all.find("\r\n\r\n");
        const std::string head = all.substr(0, end);
        body = end == std::string::npos ? std::string() : all.substr(end + 4);
        size_t at = 0;
        for (size_t next = 0; next != std::string::npos; at = next + 2) {
            next = head.find("\r\n", at);
            const std::string line = head.substr(at, next == std::string::npos ? next : next - at);
            if (at == 0)
                requestLine = line;
            else
                headers.push_back(line);
        }
    }

    // The header lines whose name matches in any letter case.
    std::vector<std::string> named(std::string_view name) const
    {
        std::vector<std::string> lines;
        for (const std::string& line : headers) {
            const std::string lower = toLowerCase(LocalText(line.substr(0, line.find(':')))).str();
            if (lower == toLowerCase(name).str())
                lines.push_back(line);
        }
        return lines;
    }
};

using Lines = std::vector<std::string>;

class WebRequestTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_server = std::make_unique<LoopbackServer>(test::LoopbackOptions{0, true, testLocations});
        s_echo = std::make_unique<PeerServer>(PeerServer::Mode::Echo);
        s_proxy = std::make_unique<ProxyServer>();
        if (!s_server->start() || !s_echo->start() || !s_proxy->start())
            return;
        for (int i = 0; i < 3000; ++i)
            s_page.push_back(static_cast<unsigned char>((i * 7) % 256));
        s_server->writeFile("page.bin", asString(s_page));
        std::string text;
        for (int i = 0; i < 400; ++i)
            text += "line of plain text that compresses well\n";
        s_server->writeFile("text.txt", text);
    }
    static void TearDownTestSuite()
    {
        s_proxy.reset();
        s_echo.reset();
        s_server.reset();
    }
    void SetUp() override
    {
        ASSERT_TRUE(s_server->running()) << s_server->errorLog();
        ASSERT_TRUE(s_echo->running());
        ASSERT_TRUE(s_proxy->running()) << s_proxy->log();
    }

    static LocalText httpUrl(std::string_view path) { return LocalText(s_server->url(path)); }
    static LocalText httpsUrl(std::string_view path) { return LocalText(s_server->httpsUrl(path)); }
    static LocalText echoUrl(std::string_view path) { return LocalText(s_echo->url(path)); }

    static std::unique_ptr<LoopbackServer> s_server;
    static std::unique_ptr<PeerServer> s_echo;
    static std::unique_ptr<ProxyServer> s_proxy;
    static ByteSet s_page;
};

std::unique_ptr<LoopbackServer> WebRequestTest::s_server;
std::unique_ptr<PeerServer> WebRequestTest::s_echo;
std::unique_ptr<ProxyServer> WebRequestTest::s_proxy;
ByteSet WebRequestTest::s_page;

TEST(ProxyList, PicksTheEntryForTheScheme)
{
    const struct
    {
        const char* list;
        const char* scheme;
        const char* proxy;
    } cases[] = {
        {"", "http", ""},
        {"p:1", "http", "p:1"},
        {"p:1", "https", "p:1"},
        {"http=p:1", "http", "p:1"},
        {"http=p:1", "https", ""},
        {"https=s:2;http=p:1", "http", "p:1"},
        {"https=s:2 http=p:1", "https", "s:2"},
        {"bare:3; http=p:1", "http", "p:1"},
        {"bare:3; http=p:1", "https", "bare:3"},
        {"http=", "http", ""},
        {"ftp=f:4", "http", ""},
        {"http=http://p:1", "http", "http://p:1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.list) + " / " + c.scheme);
        EXPECT_EQ(proxyForScheme(c.list, c.scheme), c.proxy);
    }
}

TEST_F(WebRequestTest, SendsEachVerbWithItsBodyRules)
{
    const struct
    {
        int method;
        const char* postText;
        std::string postBytes;
        const char* requestLine;
        std::string body;
        const char* contentLength; // nullptr: no Content-Length line
        bool formType;
    } cases[] = {
        {0, "a=1", "", "GET /v HTTP/1.1", "", nullptr, false},
        {1, "a=1&b=2", "", "POST /v HTTP/1.1", "a=1&b=2", "7", true},
        {1, "ignored", std::string("xy\0z", 4), "POST /v HTTP/1.1", std::string("xy\0z", 4), "4", true},
        {1, "", "", "POST /v HTTP/1.1", "", "0", true},
        {3, "put body", "", "PUT /v HTTP/1.1", "put body", "8", false},
        {4, "", "", "OPTIONS /v HTTP/1.1", "", "0", false},
        {3, "", std::string(1100000, 'b'), "PUT /v HTTP/1.1", std::string(1100000, 'b'), "1100000", false},
        {5, "", "", "DELETE /v HTTP/1.1", "", "0", false},
        {6, "t", "", "TRACE /v HTTP/1.1", "t", "1", false},
        {7, "c", "", "CONNECT /v HTTP/1.1", "c", "1", false},
        {9, "x=1", "", "GET /v HTTP/1.1", "", nullptr, false},
        {-1, "x=1", "", "GET /v HTTP/1.1", "", nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method);
        ByteSet postBytes = asBytes(c.postBytes);
        const Echoed seen(
            webRequest(echoUrl("/v"), c.method, c.postText, nullptr, nullptr, {}, nullptr, false, &postBytes));
        EXPECT_EQ(seen.requestLine, c.requestLine);
        EXPECT_TRUE(seen.body == c.body) << seen.body.size() << " bytes";
        EXPECT_EQ(seen.named("Content-Length"),
                  c.contentLength ? Lines{std::string("Content-Length: ") + c.contentLength} : Lines{});
        EXPECT_EQ(seen.named("Content-Type"),
                  c.formType ? Lines{"Content-Type: application/x-www-form-urlencoded"} : Lines{});
        EXPECT_EQ(seen.named("Expect"), Lines{});
        EXPECT_EQ(seen.named("Accept-Encoding"), Lines{});
        // The caller's bytes take the text's bytes only for a method that sends a body.
        const bool bodyMethod = c.method >= 1 && c.method <= 7;
        EXPECT_TRUE(asString(postBytes) == (bodyMethod && c.postBytes.empty() ? c.postText : c.postBytes));
    }
}

TEST_F(WebRequestTest, DefaultHeaderBlockReachesTheServer)
{
    const LocalText url = echoUrl("/plain?q=1");
    const Echoed seen(webRequest(url));
    EXPECT_EQ(seen.requestLine, "GET /plain?q=1 HTTP/1.1");
    EXPECT_EQ(seen.named("User-Agent"), Lines{"User-Agent: " + std::string(defaultAgent)});
    EXPECT_EQ(seen.named("Accept"), Lines{"Accept: */*"});
    EXPECT_EQ(seen.named("Referer"), Lines{"Referer: " + url.str()});
    EXPECT_EQ(seen.named("Accept-Language"), Lines{"Accept-Language: zh-cn"});
    EXPECT_EQ(seen.named("Host"), Lines{"Host: 127.0.0.1:" + std::to_string(s_echo->port())});
    EXPECT_EQ(seen.named("Cookie"), Lines{});
    EXPECT_EQ(seen.headers.size(), 5u);
}

TEST_F(WebRequestTest, CallerHeaderBlockIsShapedBeforeSending)
{
    const LocalText url = echoUrl("/h");
    const LocalText extra = "user-agent: Quill/1\r\naccept: text/plain\r\nx-custom-thing: v\r\nno colon\r\n";
    {
        SCOPED_TRACE("normalised and completed, POST with cookies");
        LocalText cookies = "a=1; b=2";
        const Echoed seen(webRequest(url, 1, "k=v", &cookies, nullptr, extra));
        EXPECT_EQ(seen.named("User-Agent"), Lines{"User-Agent: Quill/1"});
        EXPECT_EQ(seen.named("Accept"), Lines{"Accept: text/plain"});
        EXPECT_EQ(seen.named("X-Custom-Thing"), Lines{"X-Custom-Thing: v"});
        EXPECT_EQ(seen.named("Referer"), Lines{"Referer: " + url.str()});
        EXPECT_EQ(seen.named("Accept-Language"), Lines{"Accept-Language: zh-cn"});
        EXPECT_EQ(seen.named("Content-Type"), Lines{"Content-Type: application/x-www-form-urlencoded"});
        EXPECT_EQ(seen.named("Cookie"), Lines{"Cookie: a=1; b=2"});
        EXPECT_EQ(seen.named("no colon"), Lines{});
    }
    {
        SCOPED_TRACE("names kept, nothing completed");
        const Echoed seen(
            webRequest(url, 1, "k=v", nullptr, nullptr, extra, nullptr, false, nullptr, {}, true, false, false));
        EXPECT_EQ(seen.named("User-Agent"), Lines{"user-agent: Quill/1"});
        EXPECT_EQ(seen.named("Accept"), Lines{"accept: text/plain"});
        EXPECT_EQ(seen.named("Referer"), Lines{});
        EXPECT_EQ(seen.named("Accept-Language"), Lines{});
        // Without completion a POST gets no Content-Type, not even the client's own.
        EXPECT_EQ(seen.named("Content-Type"), Lines{});
        EXPECT_EQ(seen.body, "k=v");
    }
    {
        SCOPED_TRACE("blank agent line: the default agent");
        const Echoed seen(webRequest(url, 0, {}, nullptr, nullptr, "User-Agent:  \r\nX-A: 1"));
        EXPECT_EQ(seen.named("User-Agent"), Lines{"User-Agent: " + std::string(defaultAgent)});
        EXPECT_EQ(seen.named("X-A"), Lines{"X-A: 1"});
    }
    {
        SCOPED_TRACE("a caller Content-Type on PUT is sent");
        const Echoed seen(webRequest(url, 3, "{}", nullptr, nullptr, "content-type: application/json"));
        EXPECT_EQ(seen.named("Content-Type"), Lines{"Content-Type: application/json"});
    }
}

TEST_F(WebRequestTest, ReturnsBodyAndHeadersOfTheFinalResponse)
{
    const struct
    {
        const char* name;
        LocalText url;
        bool noRedirect;
        const char* status;
        bool pageBody;
    } cases[] = {
        {"plain", httpUrl("/page.bin"), false, "HTTP/1.1 200 OK", true},
        {"self-signed https", httpsUrl("/page.bin"), false, "HTTP/1.1 200 OK", true},
        {"http to http", httpUrl("/redirect"), false, "HTTP/1.1 200 OK", true},
        {"http to https", httpUrl("/to-https"), false, "HTTP/1.1 200 OK", true},
        {"https to http", httpsUrl("/to-http"), false, "HTTP/1.1 200 OK", true},
        {"not followed", httpUrl("/redirect"), true, "HTTP/1.1 302 Moved Temporarily", false},
        {"error page", httpUrl("/missing-page"), false, "HTTP/1.1 404 Not Found", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LocalText headers = "unchanged";
        const ByteSet body = webRequest(c.url, 0, {}, nullptr, nullptr, {}, &headers, c.noRedirect);
        const std::string text = headers.str();
        EXPECT_TRUE(text.starts_with(std::string(c.status) + "\r\n")) << text;
        EXPECT_TRUE(text.ends_with("\r\n"));
        EXPECT_EQ(text.find("\r\n\r\n"), std::string::npos);
        EXPECT_EQ(text.find("HTTP/", 1), std::string::npos) << "headers of more than one response";
        EXPECT_EQ(text.find("Location:") != std::string::npos, c.noRedirect);
        if (c.pageBody)
            EXPECT_EQ(body, s_page);
        else
            EXPECT_NE(body, s_page);
    }
    const ByteSet notFollowed = webRequest(httpUrl("/redirect"), 0, {}, nullptr, nullptr, {}, nullptr, true);
    EXPECT_NE(asString(notFollowed).find("302 Found"), std::string::npos);
    EXPECT_EQ(asString(webRequest(httpUrl("/missing-page"))), "gone\n");
}

TEST_F(WebRequestTest, RedirectLoopEndsAfterTenHops)
{
    const std::string logBefore = s_server->accessLog();
    const auto before = std::count(logBefore.begin(), logBefore.end(), '\n');
    LocalText headers;
    const auto started = std::chrono::steady_clock::now();
    webRequest(httpUrl("/loop"), 0, {}, nullptr, nullptr, {}, &headers);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    const std::string log = s_server->accessLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n') - before, 11);
    EXPECT_TRUE(headers.str().starts_with("HTTP/1.1 302")) << headers.str();
}

TEST_F(WebRequestTest, BodiesComeAsSentWithoutDecoding)
{
    {
        SCOPED_TRACE("chunked");
        LocalText headers;
        const Echoed seen(webRequest(echoUrl("/chunked/x"), 0, {}, nullptr, nullptr, {}, &headers));
        EXPECT_NE(headers.str().find("Transfer-Encoding: chunked\r\n"), std::string::npos);
        EXPECT_EQ(seen.requestLine, "GET /chunked/x HTTP/1.1");
    }
    {
        SCOPED_TRACE("gzip asked for by the caller stays compressed");
        LocalText headers;
        const ByteSet body =
            webRequest(httpUrl("/text.txt"), 0, {}, nullptr, nullptr, "Accept-Encoding: gzip", &headers);
        EXPECT_NE(headers.str().find("Content-Encoding: gzip\r\n"), std::string::npos) << headers.str();
        ASSERT_GE(body.size(), 2u);
        EXPECT_EQ(body[0], 0x1F);
        EXPECT_EQ(body[1], 0x8B);
        EXPECT_LT(body.size(), 1000u);
    }
    {
        SCOPED_TRACE("no Accept-Encoding, no compression");
        EXPECT_EQ(webRequest(httpUrl("/text.txt")).size(), 400u * 40u);
    }
}

TEST_F(WebRequestTest, ResponsesWithoutBodyGiveEmptyBody)
{
    LocalText headers;
    EXPECT_TRUE(webRequest(httpUrl("/no-content"), 0, {}, nullptr, nullptr, {}, &headers).empty());
    EXPECT_TRUE(headers.str().starts_with("HTTP/1.1 204")) << headers.str();

    EXPECT_TRUE(webRequest(httpUrl("/page.bin"), 2, {}, nullptr, nullptr, {}, &headers).empty());
    EXPECT_TRUE(headers.str().starts_with("HTTP/1.1 200")) << headers.str();
    EXPECT_NE(headers.str().find("Content-Length: 3000\r\n"), std::string::npos);
    EXPECT_NE(s_server->accessLog().find("HEAD /page.bin 200"), std::string::npos);
}

TEST_F(WebRequestTest, HeaderTextOf5000BytesOrMoreIsNotFetched)
{
    auto request = [](size_t pad, LocalText& headers, LocalText& received) {
        LocalText cookies;
        return webRequest(httpUrl("/big-headers?pad=" + std::string(pad, 'x')), 0, {}, &cookies, &received, {},
                          &headers);
    };
    LocalText headers;
    LocalText received;
    request(1, headers, received);
    ASSERT_TRUE(headers.str().starts_with("HTTP/1.1 200 OK")) << headers.str();
    const size_t base = headers.size() - 1;
    ASSERT_LT(base, 1000u);

    const struct
    {
        size_t length;
        bool fits;
    } cases[] = {{4998, true}, {4999, true}, {5000, false}, {5001, false}, {7000, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const ByteSet body = request(c.length - base, headers, received);
        EXPECT_EQ(asString(body), "big\n");
        if (c.fits) {
            EXPECT_EQ(headers.size(), c.length);
            EXPECT_EQ(received, LocalText("big=1"));
        } else {
            EXPECT_EQ(headers, blankHeaders);
            EXPECT_EQ(received, LocalText());
        }
    }
}

TEST_F(WebRequestTest, SharedCookieStoreVersusCallerCookies)
{
    // "localhost" keeps this store's cookies away from the other tests, which use 127.0.0.1.
    const LocalText setCookie = LocalText("http://localhost:" + std::to_string(s_server->port()) + "/set-cookie");
    const LocalText echo = LocalText("http://localhost:" + std::to_string(s_echo->port()) + "/c");
    {
        SCOPED_TRACE("caller cookies: the store is neither read nor written");
        LocalText cookies = "mine=1; sid=old; gone=deleted";
        LocalText received;
        webRequest(setCookie, 0, {}, &cookies, &received);
        EXPECT_EQ(cookies, LocalText("sid=abc; mine=1"));
        EXPECT_EQ(received, LocalText("sid=abc; mine=1"));
        EXPECT_EQ(Echoed(webRequest(echo)).named("Cookie"), Lines{});
    }
    {
        SCOPED_TRACE("merging off: the caller's text stays");
        LocalText cookies = "mine=1";
        LocalText received;
        webRequest(setCookie, 0, {}, &cookies, &received, {}, nullptr, false, nullptr, {}, false);
        EXPECT_EQ(cookies, LocalText("mine=1"));
        EXPECT_EQ(received, LocalText("sid=abc; old=deleted"));
    }
    {
        SCOPED_TRACE("no caller cookies: the store carries them to the next request");
        LocalText received;
        webRequest(setCookie, 0, {}, nullptr, &received);
        EXPECT_EQ(received, LocalText("sid=abc; old=deleted"));
        const Echoed next(webRequest(echo));
        ASSERT_EQ(next.named("Cookie").size(), 1u);
        EXPECT_NE(next.named("Cookie")[0].find("sid=abc"), std::string::npos);
        // A supplied empty text still switches the store off.
        LocalText none;
        EXPECT_EQ(Echoed(webRequest(echo, 0, {}, &none)).named("Cookie"), Lines{});
    }
}

TEST_F(WebRequestTest, CookiesSetOnARedirectAreNotCollected)
{
    LocalText cookies;
    LocalText received = "unchanged";
    EXPECT_EQ(webRequest(httpUrl("/redirect-cookie"), 0, {}, &cookies, &received), s_page);
    EXPECT_EQ(received, LocalText());
    webRequest(httpUrl("/redirect-cookie"), 0, {}, &cookies, &received, {}, nullptr, true);
    EXPECT_EQ(received, LocalText("hop=1"));
    EXPECT_EQ(cookies, LocalText("hop=1"));
}

TEST_F(WebRequestTest, ProxyNamedForHttpServesOnlyHttp)
{
    const LocalText address = LocalText(s_proxy->address());
    auto proxiedLines = [] {
        const std::string log = s_proxy->log();
        size_t count = 0;
        for (size_t at = log.find("Request (file descriptor"); at != std::string::npos;
             at = log.find("Request (file descriptor", at + 1))
            ++count;
        return count;
    };
    {
        SCOPED_TRACE("http through the proxy");
        const Echoed seen(webRequest(echoUrl("/p"), 0, {}, nullptr, nullptr, {}, nullptr, false, nullptr, address));
        EXPECT_EQ(seen.requestLine, "GET /p HTTP/1.1");
        ASSERT_EQ(seen.named("Via").size(), 1u);
        EXPECT_NE(seen.named("Via")[0].find("tinyproxy"), std::string::npos);
        EXPECT_EQ(proxiedLines(), 1u);
    }
    {
        SCOPED_TRACE("https with \"http=\": direct");
        const LocalText httpOnly = concatText("http=", address);
        EXPECT_EQ(webRequest(httpsUrl("/page.bin"), 0, {}, nullptr, nullptr, {}, nullptr, false, nullptr, httpOnly),
                  s_page);
        EXPECT_EQ(proxiedLines(), 1u);
    }
    {
        SCOPED_TRACE("https with a bare address: tunnelled through the proxy");
        LocalText headers;
        EXPECT_EQ(webRequest(httpsUrl("/page.bin"), 0, {}, nullptr, nullptr, {}, &headers, false, nullptr, address),
                  s_page);
        EXPECT_EQ(proxiedLines(), 2u);
        EXPECT_NE(s_proxy->log().find("CONNECT"), std::string::npos);
        // The proxy's answer to CONNECT is not part of the response headers.
        EXPECT_TRUE(headers.str().starts_with("HTTP/1.1 200 OK\r\n")) << headers.str();
        EXPECT_EQ(headers.str().find("HTTP/", 1), std::string::npos);
    }
}

TEST_F(WebRequestTest, RefusedConnectionIsASendFailure)
{
    const int closedPort = test::freeLoopbackPort();
    ASSERT_NE(closedPort, 0);
    LocalText cookies = "a=1; x=deleted";
    LocalText received = "unchanged";
    LocalText headers = "unchanged";
    ByteSet postBytes;
    const ByteSet body = webRequest(LocalText("http://127.0.0.1:" + std::to_string(closedPort) + "/"), 1, "p=1",
                                    &cookies, &received, {}, &headers, false, &postBytes);
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(headers, blankHeaders);
    // Merging still runs, with nothing received.
    EXPECT_EQ(received, LocalText("a=1"));
    EXPECT_EQ(cookies, LocalText("a=1"));
    EXPECT_EQ(asString(postBytes), "p=1");
}

TEST_F(WebRequestTest, UnusableUrlChangesNoArgument)
{
    const char* urls[] = {
        "", "http:///x", "http://bad host/x", "http://127.0.0.1:70000/", "http://127.0.0.1:-5/", "http://[::1]:80/"};
    for (const char* url : urls) {
        SCOPED_TRACE(url);
        LocalText cookies = "a=1; x=deleted";
        LocalText received = "r";
        LocalText headers = "h";
        ByteSet postBytes;
        EXPECT_TRUE(webRequest(url, 1, "p=1", &cookies, &received, {}, &headers, false, &postBytes).empty());
        EXPECT_EQ(cookies, LocalText("a=1; x=deleted"));
        EXPECT_EQ(received, LocalText("r"));
        EXPECT_EQ(headers, LocalText("h"));
        EXPECT_TRUE(postBytes.empty());
    }
}

TEST_F(WebRequestTest, BodyIsCutAt64MiB)
{
    std::string big(WebLimits::maxBodyBytes + (std::size_t{1} << 20), '\0');
    for (size_t i = 0; i < big.size(); i += 4096)
        big[i] = static_cast<char>(i / 4096);
    ASSERT_TRUE(s_server->writeFile("big.bin", big));
    const ByteSet body = webRequest(httpUrl("/big.bin"));
    ASSERT_EQ(body.size(), WebLimits::maxBodyBytes);
    EXPECT_TRUE(asString(body) == std::string_view(big).substr(0, body.size()));

    big.resize(WebLimits::maxBodyBytes);
    ASSERT_TRUE(s_server->writeFile("big.bin", big));
    EXPECT_EQ(webRequest(httpUrl("/big.bin")).size(), WebLimits::maxBodyBytes);
}

TEST_F(WebRequestTest, StalledPeerIsGivenUp)
{
    PeerServer stall(PeerServer::Mode::Stall);
    ASSERT_TRUE(stall.start());
    LocalText headers;
    const auto started = std::chrono::steady_clock::now();
    const ByteSet body = webRequest(LocalText(stall.url("/")), 0, {}, nullptr, nullptr, {}, &headers);
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(headers, blankHeaders);
    EXPECT_GE(elapsed, WebLimits::stallTime - std::chrono::seconds(1));
    EXPECT_LT(elapsed, WebLimits::requestTimeout);
}

} // namespace
} // namespace qm
