#include "hotlist/extraction.h"
#include "text/codepage.h"
#include "text/regex_object.h"
#include "text/text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// hotlist-probe [--raw] FILE|-: runs the refresh's text steps over a saved response body and prints
// the rows the widget would take, so a user can see why it shows nothing.
namespace {

constexpr const char* usage = "usage: hotlist-probe [--raw] FILE|-";

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

// The body named by source; the place where a URL source would be downloaded as the refresh does.
std::optional<qm::ByteSet> readBody(const std::string& source, std::string& error)
{
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

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16LE units up to the first zero unit; a lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(const qm::ByteSet& wide)
{
    std::string out;
    const std::size_t units = wide.size() / 2;
    auto unit = [&wide](std::size_t i) { return static_cast<char16_t>(wide[2 * i] | (wide[2 * i + 1] << 8)); };
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t u = unit(i);
        if (u == 0)
            break;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
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
        const std::string line = raw ? entry.str() : utf16ToUtf8(qm::localToWide(entry, qm::codePageLocal));
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    }
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "hotlist-probe: cannot write the rows\n");
        return 2;
    }
    return entries.count() > 0 ? 0 : 1;
}
