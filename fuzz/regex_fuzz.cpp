// Any pattern over any subject: Create either fails or gives a collection
// whose readers stay in bounds; runaway patterns hit the limits, never hang.

#include "fuzz/fuzz_input.h"
#include "regex/regex_object.h"

using namespace quotidia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const bool caseSensitive = in.Bool(), multiline = in.Bool(), global = in.Bool();
    const int index = in.Int() % 8, subIndex = in.Int() % 8;
    const Text pattern(in.Bytes()), subject(in.Bytes()), replacement(in.Bytes());
    RegexObject regex;
    regex.Create(pattern, subject, caseSensitive, multiline, global);
    int position = 0;
    regex.MatchText(index, &position);
    regex.SubMatchText(index, subIndex, &position);
    regex.MatchCount();
    regex.SubMatchCount();
    regex.ReplaceMatches(replacement);
    RegexObject copy(regex);
    copy.GetPattern();
    return 0;
}
