// Cookie merging on any two strings: total, with both variables written back.

#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "http/cookies.h"
#include "text/primitives.h"

using namespace quotidia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    Text oldCookies(in.Bytes()), newCookies(in.Bytes());
    Text merged = MergeCookies(oldCookies, newCookies);
    if (merged != oldCookies) std::abort();
    // The new string comes back without its spaces, and no deletion marker
    // survives at the end of the result.
    if (FindText(newCookies, " ") != -1 || TextRight(merged, 8) == "=deleted") std::abort();
    return 0;
}
