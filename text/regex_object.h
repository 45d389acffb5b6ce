#pragma once

#include "text/local_text.h"

#include <memory>

namespace qm {

// One regular expression run over one subject, over PCRE2 (8-bit, byte by byte).
// The language is that of ECMAScript 3 regular expressions as the scripting component reads them:
// "." never matches CR or LF, "\<" is a literal "<", IgnoreCase folds ASCII letters only.
// Matching is bounded (match and depth limits): a run that hits a limit keeps the matches found
// before it and stops.
// Numbers of matches and groups count from 1.
class RegexObject
{
public:
    RegexObject();  // the component library's initialisation: nothing to do here
    ~RegexObject(); // destroy: releases pattern, matches and subject

    RegexObject(RegexObject&&) noexcept;
    RegexObject& operator=(RegexObject&&) noexcept;
    RegexObject(const RegexObject&) = delete;
    RegexObject& operator=(const RegexObject&) = delete;

    // A second object sharing the compiled pattern and the match collection, with its own subject copy.
    RegexObject copy() const;
    // Compiles pattern and runs it over subject. True when the run produced a match collection
    // (also an empty one); false when the pattern was rejected.
    bool create(const LocalText& pattern, const LocalText& subject, bool caseSensitive = false, bool multiline = true,
                bool global = true, bool quotePlaceholder = false);
    void noop() const {}
    LocalText getPattern() const;
    // The subject with the matches replaced (all of them when the run was global, else the first).
    // The replacement understands $1 … $99, $& (the match), $` and $' (before and after it) and $$;
    // a reference to a group that does not exist is kept literally.
    LocalText replaceAll(const LocalText& replacement) const;
    int matchCount() const;
    LocalText matchText(int n) const;
    // position, when given, receives the 1-based byte position of the group in the subject, or -1.
    LocalText subMatchText(int n, int k, int* position = nullptr) const;
    int subMatchCount() const;

    struct Component;
    struct MatchCollection;

private:
    std::shared_ptr<const Component> m_regexComponent;
    std::shared_ptr<const MatchCollection> m_matchCollection;
    LocalText m_subject;
};

} // namespace qm
