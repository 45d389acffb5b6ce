#include "text/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

namespace qm {

namespace {

constexpr char32_t replacementChar = 0xFFFD;

// Owns one conversion descriptor; opened per call so that no state outlives it.
class IconvHolder
{
public:
    IconvHolder(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHolder()
    {
        if (valid()) {
            iconv_close(m_cd);
        }
    }
    IconvHolder(const IconvHolder&) = delete;
    IconvHolder& operator=(const IconvHolder&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }

private:
    iconv_t m_cd;
};

std::string codePageName(int codePage)
{
    if (codePage == codePageAnsi || codePage == codePageLocal) {
        return "CP936";
    }
    if (codePage == codePageUtf8) {
        return "UTF-8";
    }
    return "CP" + std::to_string(codePage);
}

// Bytes of input that one unconvertible character takes, starting at in (inLeft > 0).
using SkipFn = std::size_t (*)(const unsigned char* in, std::size_t inLeft);

// Converts in, appending to out. What iconv rejects (invalid input, or a character the target
// lacks) becomes replacement and conversion goes on behind it, so the result is never cut short.
void convertAll(iconv_t cd, std::string_view in, std::string& out, std::string_view replacement, SkipFn skip)
{
    char* inPtr = const_cast<char*>(in.data()); // iconv does not write through it
    std::size_t inLeft = in.size();
    std::size_t used = out.size();
    out.resize(used + in.size() * 2 + 16);
    const auto grow = [&](std::size_t extra) { out.resize(std::max(out.size() * 2, used + extra)); };
    while (inLeft > 0) {
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        const std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        used = static_cast<std::size_t>(outPtr - out.data());
        if (result != static_cast<std::size_t>(-1)) {
            break;
        }
        if (error == E2BIG) {
            grow(16);
            continue;
        }
        if (out.size() - used < replacement.size()) {
            grow(replacement.size());
        }
        std::memcpy(out.data() + used, replacement.data(), replacement.size());
        used += replacement.size();
        if (error == EILSEQ) {
            const std::size_t n = std::min(skip(reinterpret_cast<const unsigned char*>(inPtr), inLeft), inLeft);
            inPtr += n;
            inLeft -= n;
        } else {
            // Incomplete input at the end (EINVAL) or an unexpected failure: nothing more can be read.
            inLeft = 0;
        }
    }
    // Returns a stateful target to its initial shift state.
    for (;;) {
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        const std::size_t result = iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
        const int error = errno;
        used = static_cast<std::size_t>(outPtr - out.data());
        if (result == static_cast<std::size_t>(-1) && error == E2BIG) {
            grow(16);
            continue;
        }
        break;
    }
    out.resize(used);
}

std::size_t skipByte(const unsigned char*, std::size_t)
{
    return 1;
}

// The input is UTF-16LE: a surrogate pair is one character, anything else one unit.
std::size_t skipUtf16Char(const unsigned char* in, std::size_t inLeft)
{
    if (inLeft >= 4) {
        const unsigned first = in[0] | (in[1] << 8);
        const unsigned second = in[2] | (in[3] << 8);
        if (first >= 0xD800 && first <= 0xDBFF && second >= 0xDC00 && second <= 0xDFFF) {
            return 4;
        }
    }
    return 2;
}

// The input is UTF-8 that has already been validated, so the lead byte gives the length.
std::size_t skipUtf8Char(const unsigned char* in, std::size_t)
{
    return in[0] < 0xE0 ? 2 : (in[0] < 0xF0 ? 3 : 4);
}

struct Utf8Step
{
    char32_t code;
    std::size_t length; // for an invalid sequence, the length of its maximal subpart
    bool valid;
};

// Decodes the character at offset i. An invalid sequence is reported with the length of its maximal
// subpart (the longest prefix that could still begin a valid sequence, at least one byte), the unit
// that is replaced by one U+FFFD.
Utf8Step decodeUtf8(std::string_view s, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    std::size_t more = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2;
        code = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3;
        code = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
    } else {
        return {replacementChar, 1, false};
    }
    std::size_t length = 1;
    for (std::size_t k = 0; k < more; ++k) {
        if (i + length >= s.size() || byte(i + length) < low || byte(i + length) > high) {
            return {replacementChar, length, false};
        }
        code = (code << 6) | (byte(i + length) & 0x3F);
        ++length;
        low = 0x80;
        high = 0xBF;
    }
    return {code, length, true};
}

void appendUnit(ByteSet& out, unsigned unit)
{
    out.push_back(static_cast<unsigned char>(unit & 0xFF));
    out.push_back(static_cast<unsigned char>(unit >> 8));
}

ByteSet utf8ToWide(std::string_view s)
{
    ByteSet out;
    out.reserve(s.size() * 2 + 2);
    for (std::size_t i = 0; i < s.size();) {
        const Utf8Step step = decodeUtf8(s, i);
        if (step.code >= 0x10000) {
            const char32_t v = step.code - 0x10000;
            appendUnit(out, 0xD800 | (v >> 10));
            appendUnit(out, 0xDC00 | (v & 0x3FF));
        } else {
            appendUnit(out, step.code);
        }
        i += step.length;
    }
    appendUnit(out, 0);
    return out;
}

} // namespace

LocalText utf8ToLocal(const LocalText& text)
{
    // ASCII is the same in both, so only runs of other characters go through iconv.
    const std::string_view s = text.view();
    std::string out;
    out.reserve(s.size());
    IconvHolder toLocal("CP936", "UTF-8");
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t end = i;
        while (end < s.size() && static_cast<unsigned char>(s[end]) < 0x80) {
            ++end;
        }
        out.append(s.substr(i, end - i));
        i = end;
        while (end < s.size() && static_cast<unsigned char>(s[end]) >= 0x80) {
            const Utf8Step step = decodeUtf8(s, end);
            if (!step.valid) {
                break;
            }
            end += step.length;
        }
        if (end > i) {
            if (toLocal.valid()) {
                convertAll(toLocal.get(), s.substr(i, end - i), out, "?", skipUtf8Char);
                i = end;
            }
            for (; i < end; i += decodeUtf8(s, i).length) {
                out += '?';
            }
        } else if (i < s.size()) {
            // U+FFFD, which code page 936 lacks.
            out += '?';
            i += decodeUtf8(s, i).length;
        }
    }
    return LocalText(out);
}

ByteSet localToWide(const LocalText& text, int codePage)
{
    if (codePage == codePageUtf8) {
        return utf8ToWide(text.view());
    }
    IconvHolder toWide("UTF-16LE", codePageName(codePage).c_str());
    if (!toWide.valid()) {
        return {};
    }
    std::string units;
    const char replacement[] = {'\xFD', '\xFF'}; // U+FFFD
    convertAll(toWide.get(), text.view(), units, std::string_view(replacement, 2), skipByte);
    units.append(2, '\0');
    return ByteSet(units.begin(), units.end());
}

LocalText wideToLocal(const ByteSet& wide, int codePage)
{
    std::size_t length = 0;
    while (length + 1 < wide.size() && (wide[length] != 0 || wide[length + 1] != 0)) {
        length += 2;
    }
    if (length == 0) {
        return {};
    }
    IconvHolder fromWide(codePageName(codePage).c_str(), "UTF-16LE");
    if (!fromWide.valid()) {
        return {};
    }
    std::string out;
    convertAll(fromWide.get(), std::string_view(reinterpret_cast<const char*>(wide.data()), length), out, "?",
               skipUtf16Char);
    return LocalText(out);
}

} // namespace qm
