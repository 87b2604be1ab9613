#include "http/cookies.h"

#include <string>
#include <unordered_set>

#include "text/helpers.h"
#include "text/primitives.h"

namespace quotidia {

namespace {

const Text kDeletionMarker = "=deleted";

bool IsDeletionMarker(const Text& item) { return TextRight(item, 8) == kDeletionMarker; }

}  // namespace

Text CookieName(const Text& item) {
    int p = FindText(item, "=");
    return TrimSpaces(p != -1 ? TextLeft(item, p - 1) : item);
}

bool HasCookieName(const TextArray& items, const Text& name) {
    for (const Text& item : items) {
        if (CookieName(item) == name) return true;
    }
    return false;
}

Text MergeCookies(Text& oldCookies, Text& newCookies) {
    oldCookies = RemoveSpaces(oldCookies);
    newCookies = RemoveSpaces(newCookies);

    TextArray merged = SplitText(newCookies, Text(";"));
    // The names present in `merged`, kept alongside it, so that each old item
    // costs one look-up rather than a walk over every item so far.
    std::unordered_set<std::string> names;
    for (const Text& item : merged) names.insert(CookieName(item).str());
    for (Text& item : SplitText(oldCookies, Text(";"))) {
        if (names.insert(CookieName(item).str()).second) merged.push_back(std::move(item));
    }

    std::string joined;
    bool first = true;
    for (const Text& item : merged) {
        if (IsDeletionMarker(item)) continue;
        if (!first) joined += "; ";
        joined += item.view();
        first = false;
    }
    oldCookies = RemoveDuplicateItems(Text(std::move(joined)), "; ");
    return oldCookies;
}

}  // namespace quotidia
