#pragma once
// The ICU plumbing shared by the code-page and charset conversions (internal
// to the text module).

#include <unicode/ucnv.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "text/types.h"

namespace quotidia::icu {

struct ConverterCloser {
    void operator()(UConverter* c) const noexcept { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// Null when ICU has no such converter. Characters the target lacks become "?".
Converter OpenConverter(const char* name);

// Runs one ICU conversion call to completion, growing the output whenever ICU
// reports that it is full, so that a conversion that can succeed is never cut.
template <typename Out, typename Step>
bool ConvertGrowing(Out& out, std::size_t initialCapacity, Step step) {
    out.resize(std::max<std::size_t>(initialCapacity, 16));
    auto* target = out.data();
    while (true) {
        UErrorCode ec = U_ZERO_ERROR;
        step(target, out.data() + out.size(), ec);
        if (ec == U_BUFFER_OVERFLOW_ERROR) {
            auto written = target - out.data();
            out.resize(out.size() * 2);
            target = out.data() + written;
            continue;
        }
        if (U_FAILURE(ec)) {
            out.clear();
            return false;
        }
        out.resize(static_cast<std::size_t>(target - out.data()));
        return true;
    }
}

std::u16string ToUnits(std::string_view bytes, UConverter* converter);
std::string FromUnits(std::u16string_view units, UConverter* converter);
// Little-endian bytes, with one NUL unit after them when asked.
ByteBuffer UnitsToBuffer(std::u16string_view units, bool withNul);

}  // namespace quotidia::icu
