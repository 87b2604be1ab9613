#pragma once

#include "text/types.h"

namespace quotidia {

// Decodes %XX escapes (either letter case) in one pass; '+' stays '+'. A '%'
// without two hexadecimal digits after it is kept as it stands. An escape of
// 00 adds nothing. With convertUtf8 the decoded bytes are then read as UTF-8
// and converted to code page 936.
Text UrlDecode(const Text& text, bool convertUtf8 = false);

}  // namespace quotidia
