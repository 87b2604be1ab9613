#pragma once
// The text primitives every other routine is built from. Their edge behaviour
// (1-based byte positions, -1 for "not found", clamping, what a space is, what
// a split does with empty pieces) is part of each caller's behaviour, so it is
// fixed here once and nowhere re-implemented.
//
// "Character stepping": where a routine walks by characters, a byte of 0x80 or
// more together with the byte after it is one character. A lead byte with
// nothing after it is an incomplete character.
//
// All routines are total: no argument value throws, crashes or reads out of
// bounds.

#include <optional>

#include "text/types.h"

namespace quotidia {

int TextLength(const Text& text);
Text TextLeft(const Text& text, int n);
Text TextRight(const Text& text, int n);
// start < 1 gives the empty text (no clamping), unlike BytesMid.
Text TextMid(const Text& text, int start, int n);

// Position of the first occurrence of sub at or after start, or -1.
int FindText(const Text& text, const Text& sub, int start = 1, bool ignoreCase = false);

Text ToUpper(const Text& text);
// Full-width digits and signs count; 32-bit arithmetic that wraps.
int TextToInt(const Text& text);
// A space is 0x20 or the full-width space A1 A1; nothing else.
Text TrimSpaces(const Text& text);
Text RemoveSpaces(const Text& text);

// An omitted count replaces every occurrence; a count of 0 replaces none.
Text ReplaceText(const Text& text, const Text& find, const Text& replacement, int start,
                 std::optional<int> count, bool caseSensitive);
inline Text ReplaceText(const Text& text, const Text& find, const Text& replacement, bool caseSensitive) {
    return ReplaceText(text, find, replacement, 1, std::nullopt, caseSensitive);
}

// The delimiter defaults to ","; a supplied empty one gives the whole text as
// one piece. An omitted maxPieces is unlimited; 0 or less gives no pieces.
TextArray SplitText(const Text& text, const std::optional<Text>& delimiter = std::nullopt,
                    std::optional<int> maxPieces = std::nullopt);

// 0 when equal; otherwise negative or positive as a sorts before or after b.
int CompareText(const Text& a, const Text& b, bool caseSensitive);

Text SpaceText(int n);
// Code 0 gives the empty text.
Text CharFromCode(unsigned char code);

ByteBuffer TextToBytes(const Text& text);
// The bytes before the first NUL.
Text BytesToText(const ByteBuffer& buffer);
int BytesLength(const ByteBuffer& buffer);
ByteBuffer BytesLeft(const ByteBuffer& buffer, int n);
// start < 1 reads from the first byte, unlike TextMid.
ByteBuffer BytesMid(const ByteBuffer& buffer, int start, int n);
ByteBuffer ZeroBytes(int n);
// n <= 0 or a null address gives the empty buffer.
ByteBuffer BytesFromMemory(const void* address, int n);

}  // namespace quotidia
