#pragma once

#include "text/local_text.h"

// Host, port and path of a URL by plain text search; only "http://" and "https://" are known.
namespace qm {

LocalText urlHost(const LocalText& url, bool keepPort = false);
int urlPort(const LocalText& url);
LocalText urlPath(const LocalText& url);

} // namespace qm
