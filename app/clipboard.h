#pragma once
// The system clipboard, as the copy command needs it.

#include "text/types.h"

namespace quotidia {

// Replaces the clipboard's content with the text (as Unicode text and, beside
// it, as its code page 936 bytes under "text/plain;charset=GBK"). False when
// the clipboard did not take it.
bool PutTextOnClipboard(const Text& text);

// Tests: make the clipboard refuse every text.
void SetClipboardFailsForTesting(bool fails);

}  // namespace quotidia
