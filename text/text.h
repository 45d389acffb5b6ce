#pragma once

#include "text/local_text.h"

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string_view>

// Byte-exact text primitives. Positions are 1-based byte positions, a failed search gives -1.
// Stepping "by characters" follows code page 936: a byte >= 0x80 starts a two-byte character
// together with the byte after it. Case folding touches ASCII letters only, never the locale.
namespace qm {

// Markers and patterns write a double quote as this word ("#引号").
constexpr std::string_view quotePlaceholderText = "\x23\xD2\xFD\xBA\xC5";

// Bytes of the character starting at offset (offset < size): a lead byte >= 0x80 takes the next
// byte along; a lead byte that is the last byte of the text is one byte.
std::size_t charLengthAt(std::string_view text, std::size_t offset);

int textLength(const LocalText& text);
LocalText concatTextList(std::initializer_list<std::string_view> parts);
namespace detail {
inline std::string_view textPart(std::string_view part)
{
    return part;
}
// A null pointer is an absent text, which is the empty text.
inline std::string_view textPart(const char* part)
{
    return part ? std::string_view(part) : std::string_view();
}
} // namespace detail
template <class... Parts> LocalText concatText(const Parts&... parts)
{
    return concatTextList({detail::textPart(parts)...});
}
int compareText(const LocalText& a, const LocalText& b);
LocalText leftText(const LocalText& text, int n);
LocalText rightText(const LocalText& text, int n);
LocalText midText(const LocalText& text, int start, int n);

// start omitted, 0 or negative: search from the first byte.
int findText(const LocalText& text, const LocalText& needle, int start = 0, bool ignoreCase = false);
// Last occurrence lying wholly before position start; the whole text when start is omitted.
int findTextReverse(const LocalText& text, const LocalText& needle, std::optional<int> start = std::nullopt,
                    bool ignoreCase = false);
// Note the sense: caseSensitive false folds ASCII case.
LocalText replaceText(const LocalText& text, const LocalText& find, const LocalText& replacement = {},
                      bool caseSensitive = false);
TextArray splitText(const LocalText& text, const LocalText& delimiter, std::optional<int> maxCount = std::nullopt);
// Removes 0x20 and the double-byte space 0xA1 0xA1 at both ends; tabs and line breaks stay.
LocalText trimSpaces(const LocalText& text);
LocalText toUpperCase(const LocalText& text);
LocalText toLowerCase(const LocalText& text);
// Reads full-width forms too; accumulates with 32-bit wrap-around.
int toInt(const LocalText& text);
LocalText intToText(int value);
LocalText charFromCode(int code);
int charCode(const LocalText& text);
LocalText blankText(int n);
// "#引号" in either marker stands for a double quote.
LocalText textBetween(const LocalText& text, const LocalText& startMarker, const LocalText& endMarker, int start = 0,
                      bool ignoreCase = false);

ByteSet textToBytes(const LocalText& text);
LocalText bytesToText(const ByteSet& bytes);
int bytesLength(const ByteSet& bytes);
ByteSet bytesLeft(const ByteSet& bytes, int n);
ByteSet bytesMid(const ByteSet& bytes, int start, int n);
ByteSet blankBytes(int n);
ByteSet concatBytesList(std::initializer_list<const ByteSet*> parts);
template <class... Parts> ByteSet concatBytes(const Parts&... parts)
{
    return concatBytesList({&parts...});
}
bool bytesEqual(const ByteSet& a, const ByteSet& b);

} // namespace qm
