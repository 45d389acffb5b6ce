#pragma once

#include "text/local_text.h"

namespace qm {

// One synchronous HTTP request over libcurl; returns the response body exactly as received.
// Pointer arguments are the optional in-out and out arguments: null means omitted. cookies being
// non-null (even pointing to an empty text) switches the shared cookie store off for this request.
// method: 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT; others count as 0.
ByteSet webRequest(const LocalText& url, int method = 0, const LocalText& postText = {}, LocalText* cookies = nullptr,
                   LocalText* receivedCookies = nullptr, const LocalText& extraHeaders = {},
                   LocalText* responseHeaders = nullptr, bool noRedirect = false, ByteSet* postBytes = nullptr,
                   const LocalText& proxy = {}, bool autoMergeCookies = true, bool completeHeaders = true,
                   bool normaliseHeaders = true);

} // namespace qm
