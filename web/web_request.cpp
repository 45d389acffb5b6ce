#include "web/web_request.h"

#include "text/text.h"
#include "web/cookies.h"
#include "web/header_block.h"
#include "web/url.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <mutex>
#include <optional>

namespace qm {
namespace {

constexpr std::array<const char*, 8> verbs = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};

struct EasyDeleter
{
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;

struct ListDeleter
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

// The one cookie store of the process, used by every request whose caller keeps no cookies itself.
// Built on first use, after the library's global set-up, which must precede any handle.
class CookieStore final
{
public:
    static CURLSH* share()
    {
        static CookieStore store;
        return store.m_share;
    }

private:
    CookieStore()
    {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        m_share = curl_share_init();
        if (!m_share)
            return;
        curl_share_setopt(m_share, CURLSHOPT_LOCKFUNC, &CookieStore::lock);
        curl_share_setopt(m_share, CURLSHOPT_UNLOCKFUNC, &CookieStore::unlock);
        curl_share_setopt(m_share, CURLSHOPT_USERDATA, this);
        curl_share_setopt(m_share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    }
    ~CookieStore()
    {
        if (m_share)
            curl_share_cleanup(m_share);
        curl_global_cleanup();
    }
    CookieStore(const CookieStore&) = delete;
    CookieStore& operator=(const CookieStore&) = delete;

    // Requests may come from more than one thread; one mutex per kind of shared data.
    static void lock(CURL*, curl_lock_data data, curl_lock_access, void* self)
    {
        static_cast<CookieStore*>(self)->m_locks.at(static_cast<std::size_t>(data)).lock();
    }
    static void unlock(CURL*, curl_lock_data data, void* self)
    {
        static_cast<CookieStore*>(self)->m_locks.at(static_cast<std::size_t>(data)).unlock();
    }

    std::array<std::mutex, CURL_LOCK_DATA_LAST> m_locks;
    CURLSH* m_share = nullptr;
};

// What the transfer delivers, gathered by the callbacks.
struct Response
{
    CURL* handle = nullptr;
    ByteSet body;
    bool reserved = false;
    std::string headers;
};

size_t onBody(char* data, size_t size, size_t count, void* user)
{
    auto* response = static_cast<Response*>(user);
    const size_t length = size * count;
    if (!response->reserved) {
        response->reserved = true;
        curl_off_t expected = -1;
        if (curl_easy_getinfo(response->handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected) == CURLE_OK &&
            expected > 0)
            response->body.reserve(std::min(static_cast<size_t>(expected), WebLimits::maxBodyBytes));
    }
    const size_t taken = std::min(length, WebLimits::maxBodyBytes - response->body.size());
    response->body.insert(response->body.end(), data, data + taken);
    // A short count ends the transfer once the cap is reached.
    return taken;
}

// Keeps the header lines of the last response only: a status line starts the text again
// (redirects, "100 Continue", a proxy's answer to CONNECT). Lines end in CR LF; the blank line is dropped.
size_t onHeader(char* data, size_t size, size_t count, void* user)
{
    auto* response = static_cast<Response*>(user);
    const size_t length = size * count;
    std::string_view line(data, length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.starts_with("HTTP/"))
        response->headers.clear();
    if (!line.empty()) {
        response->headers += line;
        response->headers += "\r\n";
    }
    return length;
}

bool isHostByte(unsigned char byte)
{
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
           byte == '-' || byte == '.' || byte == '_';
}

// The URL handed to libcurl for host, port and path, or nothing when they cannot name a server.
// Port 0 means the scheme's default port; ports outside 1 to 65535 name none.
std::optional<std::string> requestUrl(bool secure, const LocalText& host, int port, const LocalText& path)
{
    if (host.empty() || !std::all_of(host.view().begin(), host.view().end(),
                                     [](char c) { return isHostByte(static_cast<unsigned char>(c)); }))
        return std::nullopt;
    if (port == 0)
        port = secure ? 443 : 80;
    if (port < 1 || port > 65535)
        return std::nullopt;
    std::string result = secure ? "https://" : "http://";
    result += host.view();
    result += ':';
    result += std::to_string(port);
    // The URL parser refuses spaces, control bytes and raw bytes above 0x7F in a path.
    static constexpr char hex[] = "0123456789ABCDEF";
    for (char c : path.view()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            result += '%';
            result += hex[byte >> 4];
            result += hex[byte & 0x0F];
        } else {
            result += c;
        }
    }
    return result;
}

bool lineNamed(std::string_view line, std::string_view name)
{
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon != name.size())
        return false;
    return std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

// The block's lines as libcurl's extra headers. A line replaces libcurl's own header of its name;
// lines without a colon or with a blank value add nothing. libcurl's own Content-Type (for a body)
// and Expect are removed unless the block names them.
HeaderList headerList(const LocalText& block)
{
    curl_slist* list = nullptr;
    bool hasContentType = false;
    bool hasExpect = false;
    auto append = [&list](const char* line) {
        if (curl_slist* longer = curl_slist_append(list, line))
            list = longer;
    };
    for (const LocalText& line : splitText(block, "\r\n")) {
        const int colon = findText(line, ":");
        if (colon == -1 || trimSpaces(midText(line, colon + 1, textLength(line))).empty())
            continue;
        hasContentType = hasContentType || lineNamed(line.view(), "Content-Type");
        hasExpect = hasExpect || lineNamed(line.view(), "Expect");
        append(line.c_str());
    }
    if (!hasContentType)
        append("Content-Type:");
    if (!hasExpect)
        append("Expect:");
    return HeaderList(list);
}

// Options that make the request what it is; a failure here means the request cannot be opened.
bool openRequest(CURL* handle, const std::string& target, int method, Response& response)
{
    bool ok = curl_easy_setopt(handle, CURLOPT_URL, target.c_str()) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &onBody) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_WRITEDATA, &response) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &onHeader) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_HEADERDATA, &response) == CURLE_OK;
    if (method == 2)
        ok = ok && curl_easy_setopt(handle, CURLOPT_NOBODY, 1L) == CURLE_OK;
    else if (method == 1)
        ok = ok && curl_easy_setopt(handle, CURLOPT_POST, 1L) == CURLE_OK;
    else if (method != 0)
        ok = ok && curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, verbs[static_cast<size_t>(method)]) == CURLE_OK;
    return ok;
}

// Settings whose results, like the client's, are not looked at.
void configureTransfer(CURL* handle, const LocalText& agent, bool ownCookies, bool noRedirect, const std::string& proxy)
{
    curl_easy_setopt(handle, CURLOPT_USERAGENT, agent.c_str());
    // Named proxy or none at all: proxies from the environment never apply.
    curl_easy_setopt(handle, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(handle, CURLOPT_NOPROXY, "");
    if (!ownCookies) {
        curl_easy_setopt(handle, CURLOPT_SHARE, CookieStore::share());
        curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");
    }
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, noRedirect ? 0L : 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, WebLimits::maxRedirects);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(handle, CURLOPT_PROXY_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(handle, CURLOPT_PROXY_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(handle, CURLOPT_PATH_AS_IS, 1L);
    // The body exactly as sent; chunked transfer coding is still undone.
    curl_easy_setopt(handle, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, static_cast<long>(WebLimits::connectTimeout.count()));
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, WebLimits::stallBytesPerSecond);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, static_cast<long>(WebLimits::stallTime.count()));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, static_cast<long>(WebLimits::requestTimeout.count()));
}

} // namespace

std::string proxyForScheme(std::string_view proxyList, std::string_view scheme)
{
    std::string bare;
    size_t at = 0;
    while (at < proxyList.size()) {
        const size_t end = proxyList.find_first_of("; \t\r\n", at);
        const std::string_view entry = proxyList.substr(at, end == std::string_view::npos ? end : end - at);
        at = end == std::string_view::npos ? proxyList.size() : end + 1;
        if (entry.empty())
            continue;
        const size_t equals = entry.find('=');
        if (equals == std::string_view::npos) {
            if (bare.empty())
                bare = entry;
        } else if (entry.substr(0, equals) == scheme && equals + 1 < entry.size()) {
            return std::string(entry.substr(equals + 1));
        }
    }
    return bare;
}

ByteSet webRequest(const LocalText& url, int method, const LocalText& postText, LocalText* cookies,
                   LocalText* receivedCookies, const LocalText& extraHeaders, LocalText* responseHeaders,
                   bool noRedirect, ByteSet* postBytes, const LocalText& proxy, bool autoMergeCookies,
                   bool completeHeaders, bool normaliseHeaders)
{
    LocalText block = normaliseHeaders ? normaliseHeaderNames(extraHeaders) : extraHeaders;
    if (method < 0 || method > 7)
        method = 0;
    const bool secure = leftText(toLowerCase(url), 8) == LocalText("https://");
    const LocalText agent = agentFromHeaders(block);

    CookieStore::share(); // the library's global set-up precedes the first handle
    EasyHandle handle(curl_easy_init());
    if (!handle)
        return {};
    const std::optional<std::string> target = requestUrl(secure, urlHost(url), urlPort(url), urlPath(url));
    if (!target)
        return {};
    Response response;
    response.handle = handle.get();
    if (!openRequest(handle.get(), *target, method, response))
        return {};

    // From here on nothing fails: a request that cannot be sent just leaves everything empty.
    const std::string proxyList = proxy.empty() ? std::string() : secure ? proxy.str() : "http=" + proxy.str();
    configureTransfer(handle.get(), agent, cookies != nullptr, noRedirect,
                      proxyForScheme(proxyList, secure ? "https" : "http"));
    if (completeHeaders)
        block = completeRequestHeaders(block, url, method);
    if (cookies && !cookies->empty())
        block = appendCookieHeader(block, *cookies);
    HeaderList headers = headerList(block);
    curl_easy_setopt(handle.get(), CURLOPT_HTTPHEADER, headers.get());

    ByteSet localBody;
    ByteSet& body = postBytes ? *postBytes : localBody;
    if (method != 0) {
        if (body.empty())
            body = textToBytes(postText);
        if (method != 2) {
            static constexpr char none[] = "";
            curl_easy_setopt(handle.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
            curl_easy_setopt(handle.get(), CURLOPT_POSTFIELDS,
                             body.empty() ? none : reinterpret_cast<const char*>(body.data()));
        }
    }

    curl_easy_perform(handle.get());
    handle.reset();
    headers.reset();

    const bool fits =
        !response.headers.empty() && response.headers.size() < static_cast<size_t>(WebLimits::headerBufferSize);
    const LocalText headerText = fits ? LocalText(response.headers) : blankText(WebLimits::headerBufferSize);
    if (responseHeaders)
        *responseHeaders = headerText;
    LocalText received = collectSetCookies(headerText);
    if (autoMergeCookies && cookies)
        received = mergeCookies(*cookies, received);
    if (receivedCookies)
        *receivedCookies = received;
    return std::move(response.body);
}

} // namespace qm
