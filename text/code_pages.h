#pragma once
// Conversions between code page 936 (the program's text), other code pages and
// UTF-16LE byte buffers.
//
// Code pages are Windows' numbers. 0 is the program's ANSI code page, which is
// 936 (Windows' GBK table, euro sign at 0x80). 65001 is UTF-8. A number with no
// known converter gives the empty result. A character the target code page
// lacks becomes "?"; malformed input becomes U+FFFD on the way to UTF-16.

#include <string>
#include <string_view>

#include "text/types.h"

namespace quotidia {

inline constexpr int kAnsiCodePage = 0;
inline constexpr int kGbkCodePage = 936;
inline constexpr int kUtf8CodePage = 65001;

// UTF-16LE of a code page 936 text, ending with one NUL unit unless
// dropTerminator; the empty text gives the empty buffer (no NUL unit).
ByteBuffer AnsiToUtf16(const Text& text, bool dropTerminator = false);

// The units before the first NUL unit (an odd last byte is ignored), with a
// base character and its non-spacing marks composed where a precomposed
// character exists, in code page 936.
Text Utf16ToAnsi(const ByteBuffer& bytes);

// The same two conversions on UTF-16 strings instead of byte buffers: no NUL
// unit is added, and UnitsToAnsi stops at the first one.
std::u16string AnsiToUnits(const Text& text);
Text UnitsToAnsi(std::u16string_view units);

// UTF-16LE of a text in the given code page, ending with one NUL unit.
ByteBuffer CodePageToUtf16(const Text& text, int codePage = kUtf8CodePage);

// The units up to the first NUL unit, in the given code page, cut at the first
// NUL byte of the result.
Text Utf16ToCodePage(const ByteBuffer& bytes, int codePage = kAnsiCodePage);

// UTF-8 bytes to code page 936.
Text Utf8ToAnsi(const Text& text);

}  // namespace quotidia
