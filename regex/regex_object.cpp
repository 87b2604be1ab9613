#include "regex/regex_object.h"

#include <string_view>

#include "text/code_pages.h"
#include "text/helpers.h"
#include "text/primitives.h"

namespace quotidia {

namespace {

// The subject as the engine takes it, and as text for the position searches.
std::u16string SubjectUnits(const RegexObject::Subject& subject) {
    if (const auto* units = std::get_if<std::u16string>(&subject)) return *units;
    return AnsiToUnits(Text(std::to_string(std::get<int>(subject))));
}

Text SubjectText(const RegexObject::Subject& subject) {
    if (const auto* units = std::get_if<std::u16string>(&subject)) return UnitsToAnsi(*units);
    return Text(std::to_string(std::get<int>(subject)));
}

}  // namespace

bool RegexObject::Create(const Text& pattern, const Text& subject, std::optional<bool> caseSensitive,
                         std::optional<bool> multiline, std::optional<bool> global,
                         std::optional<bool> quoteEscapes) {
    const bool ignoreCase = !caseSensitive.value_or(false);
    const bool lines = multiline.value_or(true);
    const bool all = global.value_or(true);

    // A failed Create must not leave the previous engine or matches behind.
    engine.reset();
    matches.reset();
    engine = std::make_shared<RegexEngine>();
    engine->PutProperty("IgnoreCase", ignoreCase);
    engine->PutProperty("Multiline", lines);
    // Single-line mode has always been asked for here, but the engine has no
    // such property: the write is refused, and a dot still never matches a
    // line break.
    engine->PutProperty("Singleline", true);
    engine->PutProperty("Global", all);

    if (quoteEscapes.value_or(false)) {
        engine->SetPattern(AnsiToUnits(WithQuotes(pattern)));
    } else {
        engine->SetPattern(AnsiToUnits(pattern));
    }

    this->subject = AnsiToUnits(subject);
    matches = engine->Execute(std::get<std::u16string>(this->subject));
    return matches != nullptr;
}

Text RegexObject::GetPattern() const { return engine ? UnitsToAnsi(engine->Pattern()) : Text(); }

Text RegexObject::ReplaceMatches(const Text& replacement) const {
    if (!engine) return {};
    auto replaced = engine->Replace(SubjectUnits(subject), AnsiToUnits(replacement));
    return replaced ? UnitsToAnsi(*replaced) : Text();
}

int RegexObject::MatchCount() const { return matches ? matches->Count() : 0; }

std::optional<RegexMatch> RegexObject::MatchAt(int index) const {
    // Checked before subtracting, so that no index can overflow.
    if (!matches || index < 1) return std::nullopt;
    return matches->Item(index - 1);
}

int RegexObject::PositionOf(const Text& found, const std::optional<RegexMatch>& match) const {
    // FirstIndex counts UTF-16 units but is used as a byte position: after
    // double-byte characters the two differ, and the byte search from there
    // finds the first occurrence of the text at or after it; -2 when it finds
    // none (the search steps by characters from that byte, which may be the
    // middle of one).
    const int firstIndex = match ? match->FirstIndex() : 0;
    const bool ignoreCase = engine && engine->IgnoreCase();
    return FindText(SubjectText(subject), found, firstIndex + 1, ignoreCase) - 1;
}

Text RegexObject::MatchText(int index, int* position) const {
    const std::optional<RegexMatch> match = MatchAt(index);
    Text result = match ? UnitsToAnsi(match->Value()) : Text();
    if (position) *position = PositionOf(result, match);
    return result;
}

Text RegexObject::SubMatchText(int matchIndex, int subIndex, int* position) const {
    const std::optional<RegexMatch> match = MatchAt(matchIndex);
    std::optional<std::u16string_view> group;
    if (match && subIndex >= 1) group = match->SubMatches().Item(subIndex - 1);
    Text result = group ? UnitsToAnsi(*group) : Text();
    if (position) *position = PositionOf(result, match);
    return result;
}

int RegexObject::SubMatchCount() const {
    const std::optional<RegexMatch> first = MatchAt(1);
    return first ? first->SubMatches().Count() : 0;
}

}  // namespace quotidia
