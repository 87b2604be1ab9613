#pragma once
// The regular-expression engine behind RegexObject, on PCRE2's 16-bit library.
//
// Its face is that of the Windows scripting component the object was first
// written against: the properties IgnoreCase, Multiline, Global and Pattern,
// Execute giving a collection of matches, and Replace. Keeping that face means
// RegexObject reads like the component's client it always was, and the engine
// can be exercised on its own.
//
// Strings are UTF-16 and the engine works in code units, never in characters:
// FirstIndex and every offset count units from 0, as the component's did.
//
// The pattern dialect is PCRE2's, bent towards the component's where a page's
// pattern would notice:
// - \w, \s, \d and \b know ASCII only; letter case is folded for ASCII only;
// - \uHHHH is a character, \xHH takes exactly two digits, \U is a plain "U";
// - without Multiline, ^ matches only at the very start and $ only at the very
//   end; with it, ^ also matches after and $ before every CR and every LF,
//   including a line break that ends the subject;
// - a dot never matches CR or LF;
// - a back-reference to a group that has not matched matches the empty string;
// - with Global every match is found, after an empty match the search moves
//   on by one unit; without Global only the first.
//
// Nothing throws. An invalid pattern, or a search that exceeds the engine's
// work limits (a pattern that backtracks catastrophically), makes Execute give
// no collection and Replace give no text.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quotidia {

class RegexMatchCollection;
class CompiledPattern;

// The groups of one match. A view into its collection: valid while the
// collection lives.
class RegexSubMatches {
public:
    // The number of capturing groups in the pattern, whether they took part or not.
    int Count() const noexcept;
    // Group index + 1; nothing for an index out of range and for a group
    // that took no part in the match.
    std::optional<std::u16string_view> Item(int index) const;

private:
    friend class RegexMatch;
    RegexSubMatches(const RegexMatchCollection& owner, std::size_t match) : owner_(&owner), match_(match) {}
    const RegexMatchCollection* owner_;
    std::size_t match_;
};

// One match. A view into its collection: valid while the collection lives.
class RegexMatch {
public:
    std::u16string_view Value() const;
    int FirstIndex() const noexcept;
    int Length() const noexcept;
    RegexSubMatches SubMatches() const noexcept { return RegexSubMatches(*owner_, match_); }

private:
    friend class RegexMatchCollection;
    RegexMatch(const RegexMatchCollection& owner, std::size_t match) : owner_(&owner), match_(match) {}
    const RegexMatchCollection* owner_;
    std::size_t match_;
};

// What one Execute found. Immutable once made, so copies of a RegexObject can
// share it.
class RegexMatchCollection {
public:
    int Count() const noexcept;
    // Items count from 0; nothing for an index out of range.
    std::optional<RegexMatch> Item(int index) const;

    // Only the engine makes collections; the key keeps the constructor usable
    // by std::make_shared without opening it to anyone else.
    class Key {
        friend class RegexEngine;
        Key() = default;
    };
    RegexMatchCollection(Key, std::u16string_view subject, int groups) : subject_(subject), groups_(groups) {}

private:
    friend class RegexEngine;
    friend class RegexMatch;
    friend class RegexSubMatches;

    // Start and end offsets of group g of match m (g 0 is the whole match);
    // -1 for a group that took no part.
    int Start(std::size_t m, int g) const noexcept { return spans_[Slot(m, g)]; }
    int End(std::size_t m, int g) const noexcept { return spans_[Slot(m, g) + 1]; }
    std::size_t Slot(std::size_t m, int g) const noexcept {
        return (m * (static_cast<std::size_t>(groups_) + 1) + static_cast<std::size_t>(g)) * 2;
    }

    std::u16string subject_;
    int groups_;
    std::vector<int> spans_;
};

class RegexEngine {
public:
    RegexEngine();
    ~RegexEngine();
    RegexEngine(const RegexEngine&) = delete;
    RegexEngine& operator=(const RegexEngine&) = delete;

    bool IgnoreCase() const noexcept { return ignoreCase_; }
    bool Multiline() const noexcept { return multiline_; }
    bool Global() const noexcept { return global_; }
    const std::u16string& Pattern() const noexcept { return pattern_; }

    void SetIgnoreCase(bool value);
    void SetMultiline(bool value);
    void SetGlobal(bool value);
    void SetPattern(std::u16string value);

    // A boolean property written by name, the way a late-bound client writes
    // one. A name the engine does not have (for example "Singleline") is
    // refused: false, and nothing changes.
    bool PutProperty(std::string_view name, bool value);

    // Every match (or, without Global, the first) of the pattern in the
    // subject; an empty collection when nothing matches; no collection for an
    // invalid pattern or a search that ran into the engine's limits.
    std::shared_ptr<const RegexMatchCollection> Execute(std::u16string_view subject);

    // The subject with every match (or, without Global, the first) replaced by
    // the replacement, in which $1 to $99 stand for a group, $& for the match,
    // $` for what precedes it, $' for what follows it and $$ for a dollar sign.
    // A $ that starts none of these, and a group number that the pattern does
    // not have, stay as written. Nothing where Execute would give nothing.
    std::optional<std::u16string> Replace(std::u16string_view subject, std::u16string_view replacement);

private:
    std::uint32_t CompileOptions() const noexcept;
    const CompiledPattern* Compiled();
    // Appends the group spans of each match, as RegexMatchCollection keeps them.
    bool Search(const CompiledPattern& compiled, std::u16string_view subject, std::vector<int>& spans) const;

    bool ignoreCase_ = false;
    bool multiline_ = false;
    bool global_ = false;
    std::u16string pattern_;
    // Compiled on the first search after the pattern or an option changes,
    // and kept for the searches that follow.
    std::shared_ptr<const CompiledPattern> compiled_;
};

}  // namespace quotidia
