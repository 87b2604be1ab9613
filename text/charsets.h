#pragma once
// Decoding a body whose page declares its own charset. Labels are read as web
// browsers read them (trimmed, letter case ignored, the Encoding Standard's
// label table), each resolved to the converter that reproduces Windows' table
// for that encoding.

#include <optional>
#include <string>

#include "text/types.h"

namespace quotidia {

// ICU's converter name for a charset label, or nothing when the label names no
// encoding that can be decoded ("replacement", "x-user-defined", unknown).
std::optional<std::string> ConverterForCharsetLabel(const Text& label);

// The bytes read in the labelled charset, as code page 936 text (characters
// that 936 lacks become "?"); a byte-order mark at the start is dropped.
// Nothing when the label is not a known encoding.
std::optional<Text> DecodeCharset(const ByteBuffer& bytes, const Text& label);

}  // namespace quotidia
