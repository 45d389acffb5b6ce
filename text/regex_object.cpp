#include "text/regex_object.h"

#include "text/text.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qm {

namespace {

struct CodeFree
{
    void operator()(pcre2_code* p) const { pcre2_code_free(p); }
};
struct CompileContextFree
{
    void operator()(pcre2_compile_context* p) const { pcre2_compile_context_free(p); }
};
struct MatchContextFree
{
    void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); }
};
struct MatchDataFree
{
    void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); }
};
struct JitStackFree
{
    void operator()(pcre2_jit_stack* p) const { pcre2_jit_stack_free(p); }
};

using CodePtr = std::unique_ptr<pcre2_code, CodeFree>;
using CompileContextPtr = std::unique_ptr<pcre2_compile_context, CompileContextFree>;
using MatchContextPtr = std::unique_ptr<pcre2_match_context, MatchContextFree>;
using MatchDataPtr = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using JitStackPtr = std::unique_ptr<pcre2_jit_stack, JitStackFree>;

// PCRE2 counts these per start position. A page row needs under a thousand steps; with 100 000 a
// crafted 1 MB page still ends within a second (JIT), and a hopeless position gives up at once.
constexpr std::uint32_t matchLimit = 100'000;
constexpr std::uint32_t depthLimit = 10'000;
constexpr std::size_t jitStackMax = 1024 * 1024;

constexpr PCRE2_SIZE unset = PCRE2_UNSET;

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// PCRE2 knows escapes the ECMAScript 3 language does not have (\A, \Q, \h, \e, \K …); there an
// escaped letter is the letter itself. \v is only the vertical tab there, not PCRE2's class.
std::string toPcreSyntax(std::string_view pattern)
{
    constexpr std::string_view ecmaLetterEscapes = "bBdDsSwWfnrtvcxu";
    std::string out;
    out.reserve(pattern.size());
    bool inClass = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        // A two-byte character is one unit: a quantifier takes both bytes, and a trail byte that is
        // "\\", "]" or an ASCII letter stays a plain, case-exact byte. In a class the bytes still
        // count one by one.
        if (static_cast<unsigned char>(c) >= 0x80 && i + 1 < pattern.size()) {
            const auto trail = static_cast<unsigned char>(pattern[++i]);
            if (!inClass)
                out += "(?-i:";
            out += c;
            if (trail < 0x80 && !std::isalnum(trail))
                out += '\\';
            out += static_cast<char>(trail);
            if (!inClass)
                out += ')';
            continue;
        }
        if (c == '\\' && i + 1 < pattern.size()) {
            const char next = pattern[++i];
            if (next == 'v') {
                out += "\\x0B";
            } else if (isAsciiLetter(next) &&
                       (ecmaLetterEscapes.find(next) == std::string_view::npos || (inClass && next == 'B'))) {
                out += next;
            } else {
                out += c;
                out += next;
            }
            continue;
        }
        if (!inClass && c == '[') {
            inClass = true;
            out += c;
            // "[]" and "[^]" close at once in ECMAScript (PCRE2_ALLOW_EMPTY_CLASS reads them the same way).
            if (i + 1 < pattern.size() && pattern[i + 1] == '^')
                out += pattern[++i];
            if (i + 1 < pattern.size() && pattern[i + 1] == ']') {
                out += pattern[++i];
                inClass = false;
            }
            continue;
        }
        if (inClass && c == ']')
            inClass = false;
        out += c;
    }
    return out;
}

} // namespace

struct RegexObject::Component
{
    LocalText pattern;
    CodePtr code; // null when the pattern was rejected
    std::uint32_t groupCount = 0;
};

struct RegexObject::MatchCollection
{
    // Per match, 2 * (groupCount + 1) offsets into the subject; unset groups hold PCRE2_UNSET.
    std::vector<PCRE2_SIZE> offsets;
    std::size_t groupCount = 0;

    std::size_t count() const { return offsets.size() / (2 * (groupCount + 1)); }
    const PCRE2_SIZE* match(std::size_t index) const { return offsets.data() + index * 2 * (groupCount + 1); }
};

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;
RegexObject::RegexObject(RegexObject&&) noexcept = default;
RegexObject& RegexObject::operator=(RegexObject&&) noexcept = default;

RegexObject RegexObject::copy() const
{
    RegexObject other;
    other.m_regexComponent = m_regexComponent;
    other.m_matchCollection = m_matchCollection;
    other.m_subject = m_subject;
    return other;
}

namespace {

std::shared_ptr<const RegexObject::MatchCollection> runPattern(const pcre2_code* code, std::uint32_t groupCount,
                                                               std::string_view subject, bool global)
{
    MatchDataPtr matchData(pcre2_match_data_create_from_pattern(code, nullptr));
    MatchContextPtr matchContext(pcre2_match_context_create(nullptr));
    if (!matchData || !matchContext)
        return nullptr;
    pcre2_set_match_limit(matchContext.get(), matchLimit);
    pcre2_set_depth_limit(matchContext.get(), depthLimit);
    // The default 32 KB JIT stack is too small for long page lines; without a stack of our own
    // the run just falls back to that default.
    JitStackPtr jitStack(pcre2_jit_stack_create(32 * 1024, jitStackMax, nullptr));
    if (jitStack)
        pcre2_jit_stack_assign(matchContext.get(), nullptr, jitStack.get());

    auto collection = std::make_shared<RegexObject::MatchCollection>();
    collection->groupCount = groupCount;
    const auto* bytes = reinterpret_cast<PCRE2_SPTR>(subject.data());
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData.get());
    const std::size_t slots = 2 * (groupCount + 1);
    PCRE2_SIZE start = 0;
    while (start <= subject.size()) {
        const int rc = pcre2_match(code, bytes, subject.size(), start, 0, matchData.get(), matchContext.get());
        // No match, a limit or any other error ends the run with what was found so far.
        if (rc < 0)
            break;
        for (std::size_t i = 0; i < slots; ++i)
            collection->offsets.push_back(i < 2 * static_cast<std::size_t>(rc) ? ovector[i] : unset);
        if (!global)
            break;
        const PCRE2_SIZE end = ovector[1];
        if (end > ovector[0])
            start = end;
        else if (end < subject.size())
            start = end + charLengthAt(subject, end); // after an empty match, one character on
        else
            break;
    }
    return collection;
}

} // namespace

bool RegexObject::create(const LocalText& pattern, const LocalText& subject, bool caseSensitive, bool multiline,
                         bool global, bool quotePlaceholder)
{
    m_regexComponent.reset();
    m_matchCollection.reset();

    auto component = std::make_shared<Component>();
    component->pattern = quotePlaceholder ? replaceText(pattern, quotePlaceholderText, "\"", true) : pattern;

    CompileContextPtr compileContext(pcre2_compile_context_create(nullptr));
    if (compileContext) {
        pcre2_set_newline(compileContext.get(), PCRE2_NEWLINE_ANYCRLF);
        pcre2_set_compile_extra_options(compileContext.get(), PCRE2_EXTRA_BAD_ESCAPE_IS_LITERAL);
        // ECMAScript 3: \u takes exactly four hex digits (no \u{…}), "$" is the end of input
        // unless multiline, "[]" matches nothing, an unset back-reference matches empty.
        uint32_t options =
            PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_UTF | PCRE2_NEVER_UCP;
        if (!caseSensitive)
            options |= PCRE2_CASELESS;
        options |= multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
        const std::string translated = toPcreSyntax(component->pattern.view());
        int errorCode = 0;
        PCRE2_SIZE errorOffset = 0;
        component->code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.data()), translated.size(), options,
                                            &errorCode, &errorOffset, compileContext.get()));
    }
    if (component->code) {
        // Without JIT support the interpreter runs the same pattern, only slower.
        pcre2_jit_compile(component->code.get(), PCRE2_JIT_COMPLETE);
        pcre2_pattern_info(component->code.get(), PCRE2_INFO_CAPTURECOUNT, &component->groupCount);
    }

    m_subject = subject;
    if (component->code)
        m_matchCollection = runPattern(component->code.get(), component->groupCount, m_subject.view(), global);
    m_regexComponent = std::move(component);
    return m_matchCollection != nullptr;
}

LocalText RegexObject::getPattern() const
{
    return m_regexComponent ? m_regexComponent->pattern : LocalText();
}

LocalText RegexObject::replaceAll(const LocalText& replacement) const
{
    if (!m_regexComponent || !m_matchCollection)
        return {};
    const std::string_view subject = m_subject.view();
    const std::string_view with = replacement.view();
    const MatchCollection& matches = *m_matchCollection;
    const std::size_t groups = matches.groupCount;

    std::string out;
    std::size_t copied = 0;
    for (std::size_t m = 0; m < matches.count(); ++m) {
        const PCRE2_SIZE* ov = matches.match(m);
        const std::size_t matchStart = ov[0];
        const std::size_t matchEnd = ov[1];
        out.append(subject, copied, matchStart - copied);
        auto group = [&](std::size_t k) {
            if (ov[2 * k] != unset)
                out.append(subject, ov[2 * k], ov[2 * k + 1] - ov[2 * k]);
        };
        for (std::size_t i = 0; i < with.size(); ++i) {
            const char c = with[i];
            if (c != '$' || i + 1 == with.size()) {
                out += c;
                continue;
            }
            const char next = with[i + 1];
            if (next == '$') {
                out += '$';
                ++i;
            } else if (next == '&') {
                out.append(subject, matchStart, matchEnd - matchStart);
                ++i;
            } else if (next == '`') {
                out.append(subject, 0, matchStart);
                ++i;
            } else if (next == '\'') {
                out.append(subject, matchEnd);
                ++i;
            } else if (next >= '0' && next <= '9') {
                const std::size_t one = static_cast<std::size_t>(next - '0');
                const bool hasSecond = i + 2 < with.size() && with[i + 2] >= '0' && with[i + 2] <= '9';
                const std::size_t two = hasSecond ? one * 10 + static_cast<std::size_t>(with[i + 2] - '0') : 0;
                // Two digits when they name a group, else one digit followed by a plain digit.
                if (hasSecond && two >= 1 && two <= groups) {
                    group(two);
                    i += 2;
                } else if (one >= 1 && one <= groups) {
                    group(one);
                    i += 1;
                } else {
                    out += c;
                }
            } else {
                out += c;
            }
        }
        copied = matchEnd;
    }
    out.append(subject, copied);
    return LocalText(out);
}

int RegexObject::matchCount() const
{
    return m_matchCollection ? static_cast<int>(m_matchCollection->count()) : 0;
}

namespace {

// Group k (0: the whole match) of match n, both already known to exist; position as in subMatchText.
LocalText groupText(const RegexObject::MatchCollection& matches, std::string_view subject, int n, int k, int* position)
{
    const PCRE2_SIZE* ov = matches.match(static_cast<std::size_t>(n - 1));
    const PCRE2_SIZE begin = ov[2 * k];
    if (begin == unset)
        return {};
    if (position)
        *position = static_cast<int>(begin) + 1;
    return LocalText(subject.substr(begin, ov[2 * k + 1] - begin));
}

} // namespace

LocalText RegexObject::matchText(int n) const
{
    if (n < 1 || n > matchCount())
        return {};
    return groupText(*m_matchCollection, m_subject.view(), n, 0, nullptr);
}

LocalText RegexObject::subMatchText(int n, int k, int* position) const
{
    if (position)
        *position = -1;
    if (n < 1 || n > matchCount() || k < 1 || static_cast<std::size_t>(k) > m_matchCollection->groupCount)
        return {};
    return groupText(*m_matchCollection, m_subject.view(), n, k, position);
}

int RegexObject::subMatchCount() const
{
    return matchCount() > 0 ? static_cast<int>(m_matchCollection->groupCount) : 0;
}

} // namespace qm
