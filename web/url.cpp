#include "web/url.h"

#include "text/text.h"

namespace qm {
namespace {

// Position just after the scheme marker urlHost takes the host from; 1 when the URL has none.
int hostSearchStart(const LocalText& url)
{
    const LocalText lower = toLowerCase(url);
    if (leftText(lower, 8) == LocalText("https://"))
        return 9;
    const int http = findText(lower, "http://");
    return http == -1 ? 1 : http + 7;
}

} // namespace

LocalText urlHost(const LocalText& url, bool keepPort)
{
    LocalText s = toLowerCase(url);
    if (rightText(s, 1) != LocalText("/"))
        s = concatText(s, "/");
    if (leftText(s, 8) == LocalText("https://")) {
        s = textBetween(s, "https://", "/");
    } else {
        if (findText(s, "http://") == -1)
            s = concatText("http://", s);
        s = textBetween(s, "http://", "/");
    }
    const int colon = findText(s, ":");
    if (!keepPort && colon != -1)
        s = leftText(s, colon - 1);
    return s;
}

int urlPort(const LocalText& url)
{
    const LocalText hp = urlHost(url, true);
    const int colon = findTextReverse(hp, ":");
    if (colon != -1)
        return toInt(midText(hp, colon + 1, textLength(hp)));
    return leftText(toLowerCase(url), 5) == LocalText("https") ? 443 : 80;
}

LocalText urlPath(const LocalText& url)
{
    const LocalText h = urlHost(url);
    // Searching from the start of the URL would find a host such as "h" or "tp" inside the scheme
    // and take the scheme's slashes for the path.
    const int a = findText(url, h, hostSearchStart(url), true);
    const int b = findText(url, "/", a, true);
    if (b == -1)
        return "/";
    return midText(url, b, textLength(url));
}

} // namespace qm
