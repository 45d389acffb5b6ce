#pragma once

#include "text/local_text.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace qm {

// Bounds that keep a request from blocking its thread for ever or filling memory.
struct WebLimits
{
    static constexpr std::chrono::seconds connectTimeout{10};
    // A transfer slower than stallBytesPerSecond for stallTime is ended.
    static constexpr long stallBytesPerSecond = 1;
    static constexpr std::chrono::seconds stallTime{15};
    static constexpr std::chrono::seconds requestTimeout{30};
    // Body bytes beyond this are not read; the first maxBodyBytes are returned.
    static constexpr std::size_t maxBodyBytes = std::size_t{64} << 20;
    static constexpr long maxRedirects = 10;
    // A raw response header text this long or longer is not fetched (it would not fit with its terminator).
    static constexpr int headerBufferSize = 5000;
};

// One synchronous HTTP request over libcurl; returns the response body exactly as received.
// Pointer arguments are the optional in-out and out arguments: null means omitted. cookies being
// non-null (even pointing to an empty text) switches the shared cookie store off for this request.
// method: 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT; others count as 0.
ByteSet webRequest(const LocalText& url, int method = 0, const LocalText& postText = {}, LocalText* cookies = nullptr,
                   LocalText* receivedCookies = nullptr, const LocalText& extraHeaders = {},
                   LocalText* responseHeaders = nullptr, bool noRedirect = false, ByteSet* postBytes = nullptr,
                   const LocalText& proxy = {}, bool autoMergeCookies = true, bool completeHeaders = true,
                   bool normaliseHeaders = true);

// The proxy a proxy list names for scheme ("http" or "https"); empty means a direct connection.
// The list holds entries separated by ";" or white space, each "scheme=address" (that scheme only)
// or a bare address (every scheme); an entry for the scheme itself wins over a bare one.
std::string proxyForScheme(std::string_view proxyList, std::string_view scheme);

} // namespace qm
