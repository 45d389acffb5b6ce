#include "text/text.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace qm {

namespace {

constexpr unsigned char leadMin = 0x80;
constexpr unsigned char wideSpace = 0xA1; // 0xA1 0xA1 is the double-byte space

unsigned char at(std::string_view s, std::size_t i)
{
    return static_cast<unsigned char>(s[i]);
}

unsigned char foldCase(unsigned char b)
{
    return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + ('a' - 'A')) : b;
}

bool matchesAt(std::string_view s, std::size_t p, std::string_view needle, bool ignoreCase)
{
    if (s.size() - p < needle.size()) {
        return false;
    }
    if (!ignoreCase) {
        return s.compare(p, needle.size(), needle) == 0;
    }
    for (std::size_t k = 0; k < needle.size(); ++k) {
        if (foldCase(at(s, p + k)) != foldCase(at(needle, k))) {
            return false;
        }
    }
    return true;
}

bool isSpaceAt(std::string_view s, std::size_t p)
{
    return at(s, p) == ' ' || (at(s, p) == wideSpace && p + 1 < s.size() && at(s, p + 1) == wideSpace);
}

LocalText mapAsciiCase(const LocalText& text, unsigned char from, unsigned char to)
{
    std::string out(text.view());
    for (std::size_t p = 0; p < out.size(); p += charLengthAt(out, p)) {
        const unsigned char b = at(out, p);
        if (b >= from && b <= from + 25) {
            out[p] = static_cast<char>(b - from + to);
        }
    }
    return LocalText(out);
}

// Clamps a byte count given as int to [0, limit].
std::size_t clampCount(int n, std::size_t limit)
{
    return n <= 0 ? 0 : std::min(static_cast<std::size_t>(n), limit);
}

} // namespace

std::size_t charLengthAt(std::string_view text, std::size_t offset)
{
    return (at(text, offset) >= leadMin && offset + 1 < text.size()) ? 2 : 1;
}

int textLength(const LocalText& text)
{
    return static_cast<int>(text.size());
}

LocalText concatTextList(std::initializer_list<std::string_view> parts)
{
    std::string out;
    for (std::string_view part : parts) {
        // Each part is a text of its own and ends at its first zero byte.
        out.append(part.substr(0, part.find('\0')));
    }
    return LocalText(out);
}

int compareText(const LocalText& a, const LocalText& b)
{
    // char_traits<char> orders bytes as unsigned char.
    const int c = a.view().compare(b.view());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

LocalText leftText(const LocalText& text, int n)
{
    return LocalText(text.view().substr(0, clampCount(n, text.size())));
}

LocalText rightText(const LocalText& text, int n)
{
    const std::size_t count = clampCount(n, text.size());
    return LocalText(text.view().substr(text.size() - count));
}

LocalText midText(const LocalText& text, int start, int n)
{
    if (start < 1 || static_cast<std::size_t>(start) > text.size() || n <= 0) {
        return {};
    }
    return LocalText(text.view().substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(n)));
}

int findText(const LocalText& text, const LocalText& needle, int start, bool ignoreCase)
{
    const std::string_view s = text.view();
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (from >= s.size()) {
        return -1;
    }
    if (needle.empty()) {
        return 1;
    }
    // The byte at the start offset counts as a character start, whatever precedes it.
    for (std::size_t p = from; p < s.size() && s.size() - p >= needle.size(); p += charLengthAt(s, p)) {
        if (matchesAt(s, p, needle.view(), ignoreCase)) {
            return static_cast<int>(p + 1);
        }
    }
    return -1;
}

int findTextReverse(const LocalText& text, const LocalText& needle, std::optional<int> start, bool ignoreCase)
{
    const std::string_view s = text.view();
    std::size_t window = s.size();
    if (start) {
        if (*start <= 1) {
            return -1;
        }
        window = std::min(static_cast<std::size_t>(*start - 1), s.size());
    }
    if (window == 0) {
        return -1;
    }
    if (needle.empty()) {
        return 1;
    }
    int found = -1;
    for (std::size_t p = 0; p + needle.size() <= window; p += charLengthAt(s, p)) {
        if (matchesAt(s, p, needle.view(), ignoreCase)) {
            found = static_cast<int>(p + 1);
        }
    }
    return found;
}

LocalText replaceText(const LocalText& text, const LocalText& find, const LocalText& replacement, bool caseSensitive)
{
    if (text.empty() || find.empty()) {
        return text;
    }
    const std::string_view s = text.view();
    std::string out;
    out.reserve(s.size());
    std::size_t p = 0;
    while (p < s.size()) {
        if (matchesAt(s, p, find.view(), !caseSensitive)) {
            out.append(replacement.view());
            p += find.size();
        } else {
            const std::size_t n = charLengthAt(s, p);
            out.append(s.substr(p, n));
            p += n;
        }
    }
    return LocalText(out);
}

TextArray splitText(const LocalText& text, const LocalText& delimiter, std::optional<int> maxCount)
{
    TextArray pieces;
    if (text.empty() || (maxCount && *maxCount <= 0)) {
        return pieces;
    }
    if (delimiter.empty()) {
        pieces.append(text);
        return pieces;
    }
    const std::string_view s = text.view();
    const auto limitReached = [&] { return maxCount && pieces.count() >= *maxCount; };
    std::size_t pieceStart = 0;
    std::size_t p = 0;
    while (p < s.size() && !limitReached()) {
        if (matchesAt(s, p, delimiter.view(), false)) {
            pieces.append(LocalText(s.substr(pieceStart, p - pieceStart)));
            p += delimiter.size();
            pieceStart = p;
        } else {
            p += charLengthAt(s, p);
        }
    }
    if (pieceStart < s.size() && !limitReached()) {
        pieces.append(LocalText(s.substr(pieceStart)));
    }
    return pieces;
}

LocalText trimSpaces(const LocalText& text)
{
    const std::string_view s = text.view();
    std::size_t begin = 0;
    while (begin < s.size() && isSpaceAt(s, begin)) {
        begin += at(s, begin) == ' ' ? 1 : 2;
    }
    // The trailing run is found by stepping, so an 0xA1 that is a second byte never counts.
    std::size_t end = s.size();
    bool inRun = false;
    for (std::size_t p = begin; p < s.size(); p += charLengthAt(s, p)) {
        if (!isSpaceAt(s, p)) {
            inRun = false;
        } else if (!inRun) {
            inRun = true;
            end = p;
        }
    }
    if (!inRun) {
        end = s.size();
    }
    return LocalText(s.substr(begin, end - begin));
}

LocalText toUpperCase(const LocalText& text)
{
    return mapAsciiCase(text, 'a', 'A');
}

LocalText toLowerCase(const LocalText& text)
{
    return mapAsciiCase(text, 'A', 'a');
}

int toInt(const LocalText& text)
{
    const std::string_view s = text.view();
    std::string narrow;
    narrow.reserve(s.size());
    for (std::size_t p = 0; p < s.size();) {
        const std::size_t n = charLengthAt(s, p);
        const unsigned char lead = at(s, p);
        const unsigned char trail = n == 2 ? at(s, p + 1) : 0;
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            narrow += static_cast<char>(trail - 0x80);
        } else if (lead == 0xA1 && trail == 0xA1) {
            narrow += ' ';
        } else if (lead == 0xA1 && trail == 0xAB) {
            narrow += '~';
        } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
            narrow += '*';
        } else {
            narrow.append(s.substr(p, n));
        }
        p += n;
    }

    std::size_t p = 0;
    while (p < narrow.size() && (narrow[p] == ' ' || (narrow[p] >= '\t' && narrow[p] <= '\r'))) {
        ++p;
    }
    bool negative = false;
    if (p < narrow.size() && (narrow[p] == '+' || narrow[p] == '-')) {
        negative = narrow[p] == '-';
        ++p;
    }
    // Unsigned arithmetic wraps by definition; the final conversion is modular in C++20.
    std::uint32_t value = 0;
    for (; p < narrow.size() && narrow[p] >= '0' && narrow[p] <= '9'; ++p) {
        value = value * 10u + static_cast<std::uint32_t>(narrow[p] - '0');
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<std::int32_t>(value);
}

LocalText intToText(int value)
{
    return LocalText(std::to_string(value));
}

LocalText charFromCode(int code)
{
    const char byte = static_cast<char>(static_cast<unsigned char>(code & 0xFF));
    return LocalText(std::string_view(&byte, 1));
}

int charCode(const LocalText& text)
{
    return text.empty() ? 0 : static_cast<signed char>(text.byte(0));
}

LocalText blankText(int n)
{
    return n <= 0 ? LocalText() : LocalText(std::string(static_cast<std::size_t>(n), ' '));
}

LocalText textBetween(const LocalText& text, const LocalText& startMarker, const LocalText& endMarker, int start,
                      bool ignoreCase)
{
    const LocalText startText = replaceText(startMarker, quotePlaceholderText, "\"", true);
    const LocalText endText = replaceText(endMarker, quotePlaceholderText, "\"", true);
    const int found = findText(text, startText, start, ignoreCase);
    if (found == -1) {
        return {};
    }
    const int after = found + textLength(startText);
    const int endPos = findText(text, endText, after, ignoreCase);
    if (endPos == -1) {
        return {};
    }
    return midText(text, after, endPos - after);
}

ByteSet textToBytes(const LocalText& text)
{
    return ByteSet(text.view().begin(), text.view().end());
}

LocalText bytesToText(const ByteSet& bytes)
{
    return LocalText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

int bytesLength(const ByteSet& bytes)
{
    return static_cast<int>(bytes.size());
}

ByteSet bytesLeft(const ByteSet& bytes, int n)
{
    return ByteSet(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(clampCount(n, bytes.size())));
}

ByteSet bytesMid(const ByteSet& bytes, int start, int n)
{
    // In 64 bits so that start - 1 cannot overflow.
    const std::int64_t offset = std::clamp<std::int64_t>(std::int64_t{start} - 1, 0, std::int64_t(bytes.size()));
    const std::size_t count = clampCount(n, bytes.size() - static_cast<std::size_t>(offset));
    const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(offset);
    return ByteSet(first, first + static_cast<std::ptrdiff_t>(count));
}

ByteSet blankBytes(int n)
{
    return n <= 0 ? ByteSet() : ByteSet(static_cast<std::size_t>(n), 0);
}

ByteSet concatBytesList(std::initializer_list<const ByteSet*> parts)
{
    ByteSet out;
    for (const ByteSet* part : parts) {
        if (part) {
            out.insert(out.end(), part->begin(), part->end());
        }
    }
    return out;
}

bool bytesEqual(const ByteSet& a, const ByteSet& b)
{
    return a == b;
}

} // namespace qm
