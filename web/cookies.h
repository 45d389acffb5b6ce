#pragma once

#include "text/local_text.h"

// Cookie texts: "name=value" pieces separated by "; ".
namespace qm {

LocalText collectSetCookies(const LocalText& responseHeaders);
// Received pieces first, then the caller's pieces whose names are new; stores the result in cookies.
LocalText mergeCookies(LocalText& cookies, const LocalText& received);
LocalText cookieName(const LocalText& piece);
LocalText textBefore(const LocalText& text, const LocalText& marker);
LocalText dropDuplicateParts(const LocalText& text, const LocalText& separator);

} // namespace qm
