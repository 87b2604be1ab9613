#include "text/icu_convert.h"

#include <bit>
#include <cstring>

namespace quotidia::icu {

Converter OpenConverter(const char* name) {
    UErrorCode ec = U_ZERO_ERROR;
    Converter converter(ucnv_open(name, &ec));
    if (U_FAILURE(ec)) return nullptr;
    // Windows' default character for what a code page lacks is "?"; ICU's own
    // substitute differs per table (0x1A, A1 F5 ...). Unicode targets refuse a
    // one-byte substitute and keep U+FFFD, which is what they should do.
    UErrorCode substError = U_ZERO_ERROR;
    ucnv_setSubstChars(converter.get(), "?", 1, &substError);
    return converter;
}

std::u16string ToUnits(std::string_view bytes, UConverter* converter) {
    std::u16string units;
    const char* source = bytes.data();
    const char* sourceEnd = source + bytes.size();
    // One byte rarely gives more than one unit; the loop grows the buffer for
    // a table that does.
    ConvertGrowing(units, bytes.size() + 1, [&](char16_t*& target, char16_t* limit, UErrorCode& ec) {
        ucnv_toUnicode(converter, &target, limit, &source, sourceEnd, nullptr, true, &ec);
    });
    return units;
}

std::string FromUnits(std::u16string_view units, UConverter* converter) {
    std::string bytes;
    const char16_t* source = units.data();
    const char16_t* sourceEnd = source + units.size();
    ConvertGrowing(bytes, UCNV_GET_MAX_BYTES_FOR_STRING(units.size(), ucnv_getMaxCharSize(converter)),
                   [&](char*& target, char* limit, UErrorCode& ec) {
                       ucnv_fromUnicode(converter, &target, limit, &source, sourceEnd, nullptr, true, &ec);
                   });
    return bytes;
}

ByteBuffer UnitsToBuffer(std::u16string_view units, bool withNul) {
    std::string bytes((units.size() + (withNul ? 1 : 0)) * 2, '\0');
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(bytes.data(), units.data(), units.size() * 2);
    } else {
        for (std::size_t i = 0; i < units.size(); ++i) {
            bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
        }
    }
    return ByteBuffer(std::move(bytes));
}

}  // namespace quotidia::icu
