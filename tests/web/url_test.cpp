#include "web/url.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

struct UrlCase
{
    const char* url;
    const char* host;
    const char* hostWithPort;
    int port;
    const char* path;
};

TEST(Url, SplitsHostPortAndPath)
{
    const UrlCase cases[] = {
        {"http://srv", "srv", "srv", 80, "/"},
        {"https://SRV:8443/a/B?x=1", "srv", "srv:8443", 8443, "/a/B?x=1"},
        {"srv/news", "srv", "srv", 80, "/news"},
        {"HTTP://SRV/", "srv", "srv", 80, "/"},
        {"https://srv", "srv", "srv", 443, "/"},
        {"HTTPS://Srv/x", "srv", "srv", 443, "/x"},
        {"http://srv:/x", "srv", "srv:", 0, "/x"},
        {"http://srv?q=1", "srv?q=1", "srv?q=1", 80, "/"},
        // Any other scheme is read as part of a scheme-less URL.
        {"ftp://srv/", "ftp", "ftp:", 0, "//srv/"},
        // The host ends at the first colon, the port starts after the last one.
        {"http://h:1:2/", "h", "h:1:2", 2, "/"},
        {"", "", "", 80, "/"},
        {"http://127.0.0.1:8080/top/summary?cate=realtimehot", "127.0.0.1", "127.0.0.1:8080", 8080,
         "/top/summary?cate=realtimehot"},
        // "https" without "://" still picks port 443, while the host is read as http.
        {"httpsrv/x", "httpsrv", "httpsrv", 443, "/x"},
        // A first "http://" later in the text starts the host.
        {"see http://Srv/P", "srv", "srv", 80, "/P"},
        // Hosts that also occur inside the scheme: the path search starts after the scheme.
        {"http://h/x", "h", "h", 80, "/x"},
        {"http://tp:81/a/b", "tp", "tp:81", 81, "/a/b"},
        {"https://s/p", "s", "s", 443, "/p"},
        {"http://srv:abc/", "srv", "srv:abc", 0, "/"},
    };
    for (const UrlCase& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(urlHost(c.url), LocalText(c.host));
        EXPECT_EQ(urlHost(c.url, true), LocalText(c.hostWithPort));
        EXPECT_EQ(urlPort(c.url), c.port);
        EXPECT_EQ(urlPath(c.url), LocalText(c.path));
    }
}

TEST(Url, PathKeepsLetterCaseAndDoubleByteText)
{
    // "\xD0\xC2" is 新: a path may carry local text, which is passed on byte for byte.
    EXPECT_EQ(urlPath("http://Srv/Weibo/\xD0\xC2?A=B"), LocalText("/Weibo/\xD0\xC2?A=B"));
    EXPECT_EQ(urlHost("http://SRV\xD0\xC2/x"), LocalText("srv\xD0\xC2"));
}

} // namespace
} // namespace qm
