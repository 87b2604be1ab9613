#pragma once
// RegexObject: a regular-expression engine together with the result of its
// last search. Create sets the pattern and options, remembers the subject,
// searches and keeps the matches; the other operations read those matches or
// replace them in the remembered subject.
//
// All texts are code page 936 at this interface and UTF-16 inside the engine;
// the engine's offsets (FirstIndex) count UTF-16 units, the position
// out-values count bytes of the subject text.
//
// Nothing throws and nothing reports an error: an invalid pattern, a search
// that runs into the engine's limits or an index out of range all give false,
// the empty text or 0.

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "regex/regex_engine.h"
#include "text/types.h"

namespace quotidia {

class RegexObject {
public:
    // What the subject member holds: the number 0 until the first Create,
    // then the subject as UTF-16. Read as text, the number gives "0".
    using Subject = std::variant<int, std::u16string>;

    RegexObject() = default;
    // A copy shares the engine and the matches with its source (both are never
    // changed in place, only replaced) and has a subject of its own.
    RegexObject(const RegexObject&) = default;
    RegexObject& operator=(const RegexObject&) = default;
    RegexObject(RegexObject&&) noexcept = default;
    RegexObject& operator=(RegexObject&&) noexcept = default;
    ~RegexObject() = default;

    // Omitted options: letter case ignored, multi-line, global, the pattern
    // used as written. With quoteEscapes, every "#引号" in the pattern stands
    // for a double quote. True when the search produced a collection of
    // matches, also an empty one.
    bool Create(const Text& pattern, const Text& subject, std::optional<bool> caseSensitive = std::nullopt,
                std::optional<bool> multiline = std::nullopt, std::optional<bool> global = std::nullopt,
                std::optional<bool> quoteEscapes = std::nullopt);

    Text GetPattern() const;
    // The remembered subject with the matches replaced ($1 to $99, $&, $`,
    // $', $$ expand), under the pattern and options of the last Create.
    Text ReplaceMatches(const Text& replacement) const;
    int MatchCount() const;
    // Indexes count from 1. When position is given it receives the 0-based
    // byte offset in the subject text of the first occurrence of the result
    // at or after the match's FirstIndex taken as a byte offset, or -2 when
    // there is none; left alone when position is null.
    Text MatchText(int index, int* position = nullptr) const;
    // Also empty for a group that took no part in the match. The position is
    // searched from the whole match's FirstIndex, not the group's.
    Text SubMatchText(int matchIndex, int subIndex, int* position = nullptr) const;
    // The number of groups of the first match; 0 when nothing matched.
    int SubMatchCount() const;

    std::shared_ptr<RegexEngine> engine;
    std::shared_ptr<const RegexMatchCollection> matches;
    Subject subject = 0;

private:
    std::optional<RegexMatch> MatchAt(int index) const;
    int PositionOf(const Text& found, const std::optional<RegexMatch>& match) const;
};

}  // namespace quotidia
