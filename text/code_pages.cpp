#include "text/code_pages.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <string>

#include "text/icu_convert.h"

namespace quotidia {

namespace {

using icu::Converter;
using icu::ConvertGrowing;
using icu::FromUnits;
using icu::ToUnits;
using icu::UnitsToBuffer;

// Windows' number for a code page to ICU's converter. Explicit names where
// ICU's "windows-N" alias is ambiguous or names a different table: ICU's
// "gb2312" and "windows-936" are not Windows' 936, which is windows-936-2000.
std::string IcuName(int codePage) {
    struct Entry {
        int codePage;
        const char* name;
    };
    static constexpr std::array<Entry, 16> kNames{{
        {kAnsiCodePage, "windows-936-2000"},
        {kGbkCodePage, "windows-936-2000"},
        {kUtf8CodePage, "UTF-8"},
        {932, "ibm-943_P15A-2003"},
        {949, "windows-949-2000"},
        {950, "windows-950-2000"},
        {1200, "UTF-16LE"},
        {1201, "UTF-16BE"},
        {12000, "UTF-32LE"},
        {12001, "UTF-32BE"},
        {20127, "US-ASCII"},
        {54936, "GB18030"},
        {28591, "ISO-8859-1"},
        {28592, "ISO-8859-2"},
        {28603, "ISO-8859-13"},
        {28605, "ISO-8859-15"},
    }};
    for (const auto& e : kNames) {
        if (e.codePage == codePage) return e.name;
    }
    if (codePage > 28592 && codePage <= 28599) return "ISO-8859-" + std::to_string(codePage - 28590);
    if (codePage <= 0) return {};
    return "windows-" + std::to_string(codePage);
}

Converter OpenCodePage(int codePage) {
    std::string name = IcuName(codePage);
    return name.empty() ? nullptr : icu::OpenConverter(name.c_str());
}

// The little-endian units of a buffer before its first NUL unit; an odd last
// byte is ignored.
std::u16string UnitsBeforeNul(const ByteBuffer& bytes) {
    const std::size_t n = bytes.size() / 2;
    std::u16string units;
    units.reserve(n);
    const unsigned char* p = bytes.data();
    for (std::size_t i = 0; i < n; ++i) {
        auto unit = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
        if (unit == 0) break;
        units.push_back(unit);
    }
    return units;
}

// Checked a block at a time: each block's loop has no early exit, so it
// vectorises, and a text with other bytes early on stops after one block.
bool IsAscii(std::string_view bytes) {
    constexpr std::size_t kBlock = 4096;
    for (std::size_t at = 0; at < bytes.size(); at += kBlock) {
        unsigned char any = 0;
        for (char c : bytes.substr(at, kBlock)) any |= static_cast<unsigned char>(c);
        if (any >= 0x80) return false;
    }
    return true;
}

bool IsNonSpacingMark(UChar32 c) { return c >= 0x300 && u_charType(c) == U_NON_SPACING_MARK; }

// A base character followed by non-spacing marks becomes its precomposed
// character where Unicode has one ('e' U+0301 becomes U+00E9, which code page
// 936 holds); marks that compose with nothing stay as they are. Only these
// pairs are composed: full NFC would also rewrite the CJK compatibility
// ideographs that code page 936 maps on their own.
std::u16string ComposeMarks(std::u16string units) {
    bool anyMark = false;
    for (char16_t u : units) {
        if (IsNonSpacingMark(u)) {
            anyMark = true;
            break;
        }
    }
    if (!anyMark) return units;
    UErrorCode ec = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&ec);
    if (U_FAILURE(ec)) return units;

    std::u16string out;
    out.reserve(units.size());
    std::size_t lastStart = std::u16string::npos;
    UChar32 last = 0;
    // The composed character replaces its base, which starts at lastStart.
    auto put = [&](UChar32 c, std::size_t at) {
        out.resize(at);
        lastStart = at;
        last = c;
        if (U_IS_BMP(c)) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            out.push_back(U16_LEAD(c));
            out.push_back(U16_TRAIL(c));
        }
    };
    const auto length = static_cast<int32_t>(units.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U16_NEXT(units.data(), i, length, c);
        if (lastStart != std::u16string::npos && IsNonSpacingMark(c)) {
            if (UChar32 composed = unorm2_composePair(nfc, last, c); composed >= 0) {
                put(composed, lastStart);
                continue;
            }
        }
        put(c, out.size());
    }
    return out;
}

}  // namespace

std::u16string AnsiToUnits(const Text& text) {
    // Code page 936 and UTF-16 agree on every byte below 0x80, and most texts
    // that cross (URLs, headers, the head of a web page) hold nothing else:
    // such a text is widened byte by byte, with the converter's result.
    if (IsAscii(text.view())) return std::u16string(text.view().begin(), text.view().end());
    Converter gbk = OpenCodePage(kGbkCodePage);
    return gbk ? ToUnits(text.view(), gbk.get()) : std::u16string();
}

Text UnitsToAnsi(std::u16string_view units) {
    units = units.substr(0, units.find(u'\0'));
    char16_t any = 0;
    for (char16_t u : units) any |= u;
    if (any < 0x80) return Text(std::string(units.begin(), units.end()));
    Converter gbk = OpenCodePage(kGbkCodePage);
    if (!gbk) return {};
    return Text(FromUnits(ComposeMarks(std::u16string(units)), gbk.get()));
}

ByteBuffer AnsiToUtf16(const Text& text, bool dropTerminator) {
    std::u16string units = AnsiToUnits(text);
    if (units.empty()) return {};
    return UnitsToBuffer(units, !dropTerminator);
}

Text Utf16ToAnsi(const ByteBuffer& bytes) { return UnitsToAnsi(UnitsBeforeNul(bytes)); }

ByteBuffer CodePageToUtf16(const Text& text, int codePage) {
    if (text.empty()) return {};
    Converter converter = OpenCodePage(codePage);
    if (!converter) return {};
    std::u16string units = ToUnits(text.view(), converter.get());
    if (units.empty()) return {};
    return UnitsToBuffer(units, true);
}

Text Utf16ToCodePage(const ByteBuffer& bytes, int codePage) {
    std::u16string units = UnitsBeforeNul(bytes);
    if (units.empty()) return {};
    Converter converter = OpenCodePage(codePage);
    if (!converter) return {};
    // A Unicode target writes NUL bytes inside characters; the text ends at the
    // first of them, as a C string would.
    return Text(FromUnits(units, converter.get()));
}

Text Utf8ToAnsi(const Text& text) {
    if (text.empty()) return {};
    Converter utf8 = OpenCodePage(kUtf8CodePage);
    Converter gbk = OpenCodePage(kGbkCodePage);
    if (!utf8 || !gbk) return {};
    // One pass through a small pivot buffer: the same characters as going
    // through a whole UTF-16 buffer, without building one.
    std::array<UChar, 1024> pivot{};
    UChar* pivotSource = pivot.data();
    UChar* pivotTarget = pivot.data();
    const char* source = text.str().data();
    const char* sourceEnd = source + text.size();
    bool reset = true;
    std::string out;
    // A UTF-8 sequence never gives more code page 936 bytes than it has.
    ConvertGrowing(out, text.size() + 1, [&](char*& target, char* limit, UErrorCode& ec) {
        ucnv_convertEx(gbk.get(), utf8.get(), &target, limit, &source, sourceEnd, pivot.data(), &pivotSource,
                       &pivotTarget, pivot.data() + pivot.size(), reset, true, &ec);
        reset = false;
    });
    return Text(std::move(out));
}

}  // namespace quotidia
