#pragma once
// Cookie strings as the web request routine keeps them: items "name=value"
// joined by "; ".

#include "text/types.h"

namespace quotidia {

// Newer values replace older ones of the same (case-sensitive) name, items
// ending in "=deleted" are dropped, exact repetitions are removed. Writes the
// merged string back to oldCookies and newCookies without its spaces.
Text MergeCookies(Text& oldCookies, Text& newCookies);

// The part before the first "=", or the whole item, without surrounding spaces.
Text CookieName(const Text& item);

bool HasCookieName(const TextArray& items, const Text& name);

}  // namespace quotidia
