#include "text/helpers.h"

#include <string_view>
#include <unordered_set>

#include "text/primitives.h"

namespace quotidia {

Text WithQuotes(const Text& text) {
    // "#引号" in code page 936.
    static const Text kQuoteMarker = "#\xD2\xFD\xBA\xC5";
    return ReplaceText(text, kQuoteMarker, "\"", true);
}

Text TextLeftOf(const Text& text, const Text& delimiter, int start, bool ignoreCase) {
    if (start < 1) start = 1;
    int p = FindText(text, delimiter, start, ignoreCase);
    if (p == -1) return {};
    return TextLeft(text, p - 1);
}

Text TextBetween(const Text& text, const Text& left, const Text& right, int start, bool ignoreCase) {
    Text l = WithQuotes(left);
    Text r = WithQuotes(right);
    int p = FindText(text, l, start, ignoreCase);
    if (p == -1) return {};
    int from = p + TextLength(l);
    int q = FindText(text, r, from, ignoreCase);
    if (q == -1) return {};
    return TextMid(text, from, q - from);
}

int SplitChars(const Text& text, TextArray& items) {
    items.clear();
    std::string_view b = text.view();
    const std::size_t n = b.size();
    for (std::size_t i = 0; i < n;) {
        std::size_t length = 1;
        if (i + 1 < n) {
            auto c = static_cast<unsigned char>(b[i]);
            if (c >= 0x81 || (c == '\r' && b[i + 1] == '\n')) length = 2;
        }
        items.emplace_back(b.substr(i, length));
        i += length;
    }
    return static_cast<int>(items.size());
}

int FindInArray(const TextArray& items, const Text& text) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) return static_cast<int>(i) + 1;
    }
    return -1;
}

Text RemoveDuplicateItems(const Text& text, const Text& delimiter) {
    TextArray parts;
    if (delimiter.empty()) {
        SplitChars(text, parts);
    } else {
        parts = SplitText(text, delimiter);
    }
    // A set in place of a linear look-up in the parts seen so far: same
    // first-occurrence result, without going quadratic on long cookie strings.
    std::unordered_set<std::string_view> seen;
    std::string out;
    out.reserve(text.size() + delimiter.size());
    for (const Text& part : parts) {
        if (!seen.insert(part.view()).second) continue;
        out += part.view();
        out += delimiter.view();
    }
    out.resize(out.size() >= delimiter.size() ? out.size() - delimiter.size() : 0);
    return Text(std::move(out));
}

}  // namespace quotidia
