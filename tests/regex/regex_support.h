#pragma once
// Shorthands for the regex tests: an object after one Create, and everything
// it found written out as one text.

#include <optional>
#include <string>

#include "regex/regex_object.h"
#include "support/text_support.h"

namespace quotidia {

struct Options {
    std::optional<bool> caseSensitive = std::nullopt;
    std::optional<bool> multiline = std::nullopt;
    std::optional<bool> global = std::nullopt;
    std::optional<bool> quoteEscapes = std::nullopt;
};

inline RegexObject Made(const Text& pattern, const Text& subject, const Options& o = {}) {
    RegexObject regex;
    regex.Create(pattern, subject, o.caseSensitive, o.multiline, o.global, o.quoteEscapes);
    return regex;
}

// Every match as its text, "@" and its FirstIndex, joined by "|"; "failed"
// when Create produced no collection.
inline Text Found(const RegexObject& regex) {
    if (!regex.matches) return "failed";
    std::string out;
    for (int i = 1; i <= regex.MatchCount(); ++i) {
        if (i > 1) out += '|';
        out += regex.MatchText(i).str() + "@" + std::to_string(regex.matches->Item(i - 1)->FirstIndex());
    }
    return Text(out);
}

inline Text Found(const Text& pattern, const Text& subject, const Options& o = {}) {
    return Found(Made(pattern, subject, o));
}

}  // namespace quotidia
