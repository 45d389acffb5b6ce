#pragma once

#include "text/local_text.h"

// The extra request header lines (separated by CR LF) and the agent string sent with them.
namespace qm {

constexpr std::string_view defaultAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

LocalText normaliseHeaderNames(const LocalText& block);
LocalText agentFromHeaders(const LocalText& block);
LocalText completeRequestHeaders(const LocalText& block, const LocalText& url, int method);
LocalText appendCookieHeader(const LocalText& block, const LocalText& cookies);

} // namespace qm
