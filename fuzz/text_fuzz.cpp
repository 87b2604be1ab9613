// Every text routine on any bytes, positions and counts: none may crash, hang
// or read out of bounds, and the conversions must round-trip what they can.

#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "text/code_pages.h"
#include "text/helpers.h"
#include "text/primitives.h"
#include "text/url_decode.h"

using namespace quotidia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const int start = in.Int(), count = in.Int();
    const bool flag = in.Bool();
    const Text text(in.Bytes()), sub(in.Bytes()), other(in.Bytes());

    FindText(text, sub, start, flag);
    TextMid(text, start, count);
    TextLeft(text, count);
    TextRight(text, count);
    ToUpper(text);
    TextToInt(text);
    TrimSpaces(text);
    RemoveSpaces(text);
    ReplaceText(text, sub, other, start, flag ? std::optional<int>(count) : std::nullopt, flag);
    SplitText(text, sub, flag ? std::optional<int>(count) : std::nullopt);
    TextLeftOf(text, sub, start, flag);
    TextBetween(text, sub, other, start, flag);
    TextArray chars;
    SplitChars(text, chars);
    RemoveDuplicateItems(text, sub);
    UrlDecode(text, flag);
    Utf8ToAnsi(text);
    CodePageToUtf16(text, count % 70000);
    Utf16ToCodePage(TextToBytes(text), count % 70000);
    BytesMid(TextToBytes(text), start, count);

    // Valid code page 936 text must come back unchanged; malformed bytes
    // turn into U+FFFD and then "?", which is not a round trip.
    const ByteBuffer units = AnsiToUtf16(text, true);
    if (units.view().find("\xFD\xFF") == std::string_view::npos && Utf16ToAnsi(units) != text) std::abort();
    return 0;
}
