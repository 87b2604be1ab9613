#pragma once
// Small routines over Text and TextArray for taking header lines and cookie
// strings apart.

#include "text/types.h"

namespace quotidia {

// Everything before the delimiter found at or after start, counted from the
// first byte of the text; empty when it is not found or the delimiter is empty.
Text TextLeftOf(const Text& text, const Text& delimiter, int start = 1, bool ignoreCase = false);

// The text between the first left delimiter at or after start and the next
// right delimiter. "#引号" in a delimiter stands for a double quote.
Text TextBetween(const Text& text, const Text& left, const Text& right, int start = 1, bool ignoreCase = false);

// Every "#引号" replaced by a double quote: how callers write a quote into a
// delimiter or a pattern that they had to put inside quotes themselves.
Text WithQuotes(const Text& text);

// Replaces items with the characters of the text: a byte of 0x81 or more with
// the byte after it, CR LF together, any other byte alone, and the last byte
// always alone. Returns the number of items.
int SplitChars(const Text& text, TextArray& items);

// 1-based index of the first item equal to text, or -1.
int FindInArray(const TextArray& items, const Text& text);

// Keeps the first of several equal parts. Without a delimiter (or with an
// empty one) the parts are the characters of SplitChars.
Text RemoveDuplicateItems(const Text& text, const Text& delimiter = {});

}  // namespace quotidia
