#include "hotlist/extraction.h"
#include "hotlist/refresh.h"
#include "text/codepage.h"
#include "text/regex_object.h"
#include "text/text.h"
#include "web/web_request.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// hotlist-probe [--raw] FILE|-|URL: runs the refresh's text steps over a saved or downloaded response body and prints
// the rows the widget would take, so a user can see why it shows nothing.
namespace {

constexpr const char* usage = "usage: hotlist-probe [--raw] FILE|-|URL";

// The refresh's steps from the downloaded body to the entries.
qm::TextArray entriesFromBody(const qm::ByteSet& body)
{
    qm::RegexObject regex;
    const qm::LocalText page = qm::utf8ToLocal(qm::bytesToText(body));
    return qm::extractHotEntries(regex, page);
}

std::optional<qm::ByteSet> readAll(std::FILE* in)
{
    qm::ByteSet bytes;
    unsigned char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    if (std::ferror(in))
        return std::nullopt;
    return bytes;
}

struct FileCloser
{
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool isUrl(const std::string& source)
{
    const qm::LocalText lower = qm::toLowerCase(qm::LocalText(source));
    return lower.view().starts_with("http://") || lower.view().starts_with("https://");
}

// The body named by source: a URL is downloaded exactly as the refresh does it.
std::optional<qm::ByteSet> readBody(const std::string& source, std::string& error)
{
    if (isUrl(source)) {
        return qm::webRequest(qm::LocalText(source), 0, {}, nullptr, nullptr, qm::LocalText(qm::hotListHeaders));
    }
    if (source == "-") {
        auto bytes = readAll(stdin);
        if (!bytes)
            error = "cannot read standard input";
        return bytes;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(source.c_str(), "rb"));
    if (!file) {
        error = "cannot open " + source + ": " + std::strerror(errno);
        return std::nullopt;
    }
    auto bytes = readAll(file.get());
    if (!bytes)
        error = "cannot read " + source;
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    bool raw = false;
    std::optional<std::string> source;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--raw") {
            raw = true;
        } else if (!source && (arg == "-" || !arg.starts_with("-"))) {
            source = std::string(arg);
        } else {
            std::fprintf(stderr, "%s\n", usage);
            return 2;
        }
    }
    if (!source) {
        std::fprintf(stderr, "%s\n", usage);
        return 2;
    }

    std::string error;
    const std::optional<qm::ByteSet> body = readBody(*source, error);
    if (!body) {
        std::fprintf(stderr, "hotlist-probe: %s\n", error.c_str());
        return 2;
    }
    const qm::TextArray entries = entriesFromBody(*body);
    for (const qm::LocalText& entry : entries) {
        const std::string line =
            raw ? entry.str() : qm::wideToLocal(qm::localToWide(entry, qm::codePageLocal), qm::codePageUtf8).str();
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    }
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "hotlist-probe: cannot write the rows\n");
        return 2;
    }
    return entries.count() > 0 ? 0 : 1;
}
