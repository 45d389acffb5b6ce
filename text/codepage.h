#pragma once

#include "text/local_text.h"

// UTF-8 / UTF-16 / code page 936 conversion over glibc iconv. Never fails: invalid input becomes
// U+FFFD (one per maximal invalid subsequence) and characters a code page lacks become "?".
namespace qm {

constexpr int codePageUtf8 = 65001;
constexpr int codePageLocal = 936;
constexpr int codePageAnsi = 0; // the system's ANSI code page, which is 936 in this program

LocalText utf8ToLocal(const LocalText& text);
// UTF-16LE units of text read in codePage, with one terminating zero unit.
ByteSet localToWide(const LocalText& text, int codePage = codePageUtf8);
// Text of the UTF-16LE units up to the first zero unit, written in codePage.
LocalText wideToLocal(const ByteSet& wide, int codePage = codePageAnsi);

} // namespace qm
