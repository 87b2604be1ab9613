#include "text/code_pages.h"

#include <gtest/gtest.h>

#include <string>

#include "support/text_support.h"

namespace quotidia {
namespace {

using Bytes = ByteBuffer;

TEST(AnsiToUtf16, Table) {
    struct Case {
        const char* name;
        Text text;
        bool drop;
        Bytes want;
    };
    const Case cases[] = {
        {"empty gives no NUL unit", "", false, {}},
        {"ASCII with NUL unit", "ab", false, {0x61, 0, 0x62, 0, 0, 0}},
        {"ASCII without NUL unit", "ab", true, {0x61, 0, 0x62, 0}},
        {"double-byte", Gbk("中"), false, {0x2D, 0x4E, 0, 0}},
        {"0x80 is the euro sign", "\x80", false, {0xAC, 0x20, 0, 0}},
        {"0xFF maps to the Private Use Area", "\xFF", false, {0xF5, 0xF8, 0, 0}},
        {"user-defined area maps to the Private Use Area", "\xAA\xA1", false, {0x00, 0xE0, 0, 0}},
        {"lone lead byte at the end becomes U+FFFD", "a\xB0", false, {0x61, 0, 0xFD, 0xFF, 0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(AnsiToUtf16(c.text, c.drop), c.want) << c.name;
}

TEST(Utf16ToAnsi, Table) {
    struct Case {
        const char* name;
        Bytes bytes;
        Text want;
    };
    const Case cases[] = {
        {"without NUL unit", {0x2D, 0x4E}, "\xD6\xD0"},
        {"with NUL unit", {0x2D, 0x4E, 0, 0}, "\xD6\xD0"},
        {"stops at the first NUL unit", {0x41, 0, 0, 0, 0x42, 0}, "A"},
        {"odd last byte ignored", {0x41, 0, 0x42}, "A"},
        {"empty", {}, ""},
        {"single byte", {0x41}, ""},
        {"precomposed e acute", {0xE9, 0x00}, Gbk("é")},
        {"e and combining acute compose", {0x65, 0x00, 0x01, 0x03}, Gbk("é")},
        {"u, diaeresis, acute compose twice", {0x75, 0x00, 0x08, 0x03, 0x01, 0x03}, Gbk("ǘ")},
        {"a mark with nothing to join stays separate", {0x01, 0x03, 0x41, 0x00}, "?A"},
        {"a character 936 lacks becomes ?", {0x01, 0x0E}, "?"},
        {"lone surrogate becomes ?", {0x00, 0xD8, 0x41, 0x00}, "?A"},
        {"character outside the BMP becomes ?", {0x3D, 0xD8, 0x00, 0xDE}, "?"},
        {"euro sign", {0xAC, 0x20}, "\x80"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf16ToAnsi(c.bytes), c.want) << c.name;
}

TEST(Utf16ToAnsi, CompatibilityIdeographsAreNotRewritten) {
    // U+F92C has a code of its own in code page 936 (FD 9C); composing marks
    // must not normalise it to U+90CE.
    EXPECT_EQ(Utf16ToAnsi({0x2C, 0xF9, 0x01, 0x03}), "\xFD\x9C?");
}

TEST(Utf16ToAnsi, EveryDoubleByteCodeRoundTrips) {
    int mapped = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            Text code(std::string{static_cast<char>(lead), static_cast<char>(trail)});
            Bytes units = AnsiToUtf16(code);
            ASSERT_EQ(units.size(), 4u) << ::testing::PrintToString(code);
            if (units[0] == 0xFD && units[1] == 0xFF) continue;  // no character at this code
            ++mapped;
            EXPECT_EQ(Utf16ToAnsi(units), code) << ::testing::PrintToString(code);
        }
    }
    EXPECT_GT(mapped, 23000);
}

TEST(CodePageToUtf16, Table) {
    struct Case {
        const char* name;
        Text text;
        std::optional<int> codePage;
        Bytes want;
    };
    const Case cases[] = {
        {"UTF-8 by default", "\xE4\xB8\x80", {}, {0x00, 0x4E, 0, 0}},
        {"ASCII", "ab", {}, {0x61, 0, 0x62, 0, 0, 0}},
        {"empty", "", {}, {}},
        {"ANSI code page 0 is 936", "\xD2\xBB", 0, {0x00, 0x4E, 0, 0}},
        {"936", "\xD2\xBB", 936, {0x00, 0x4E, 0, 0}},
        {"1252", "\x80", 1252, {0xAC, 0x20, 0, 0}},
        {"Big5", "\xA4\x40", 950, {0x00, 0x4E, 0, 0}},
        {"ISO-8859-5", "\xB0", 28595, {0x10, 0x04, 0, 0}},
        {"invalid UTF-8 becomes U+FFFD", "\xFF", {}, {0xFD, 0xFF, 0, 0}},
        {"unknown code page", "abc", 12345, {}},
        {"negative code page", "abc", -1, {}},
    };
    for (const auto& c : cases) {
        Bytes got = c.codePage ? CodePageToUtf16(c.text, *c.codePage) : CodePageToUtf16(c.text);
        EXPECT_EQ(got, c.want) << c.name;
    }
}

TEST(Utf16ToCodePage, Table) {
    struct Case {
        const char* name;
        Bytes bytes;
        std::optional<int> codePage;
        Text want;
    };
    const Case cases[] = {
        {"ANSI by default", {0x00, 0x4E, 0, 0}, {}, "\xD2\xBB"},
        {"UTF-8", {0x00, 0x4E, 0, 0}, 65001, "\xE4\xB8\x80"},
        {"1252 lacks it", {0x00, 0x4E, 0, 0}, 1252, "?"},
        {"stops at the first NUL unit", {0x41, 0, 0, 0, 0x42, 0}, 65001, "A"},
        {"without NUL unit", {0x41, 0}, 65001, "A"},
        {"a UTF-16 target ends at its first NUL byte", {0x41, 0}, 1200, "A"},
        {"empty", {}, 65001, ""},
        {"unknown code page", {0x41, 0}, 7, ""},
    };
    for (const auto& c : cases) {
        Text got = c.codePage ? Utf16ToCodePage(c.bytes, *c.codePage) : Utf16ToCodePage(c.bytes);
        EXPECT_EQ(got, c.want) << c.name;
    }
}

TEST(Utf8ToAnsi, Table) {
    struct Case {
        const char* name;
        Text text;
        Text want;
    };
    const Case cases[] = {
        {"empty", "", ""},
        {"ASCII", "abc", "abc"},
        {"one character", "\xE4\xB8\x80", "\xD2\xBB"},
        {"euro sign", "\xE2\x82\xAC", "\x80"},
        {"invalid byte", "a\xFF" "b", "a?b"},
        {"truncated sequence at the end", "a\xE4\xB8", "a?"},
        {"outside the BMP", "\xF0\x9F\x98\x80", "?"},
        {"a character 936 lacks", "\xE0\xB8\x81", "?"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8ToAnsi(c.text), c.want) << c.name;
}

TEST(Utf8ToAnsi, LongTextIsNeverCut) {
    std::string utf8, gbk;
    for (int i = 0; i < 100000; ++i) {
        utf8 += "\xE4\xB8\x80" "a";
        gbk += "\xD2\xBB" "a";
    }
    EXPECT_EQ(Utf8ToAnsi(Text(utf8)), Text(gbk));
    EXPECT_EQ(Utf16ToAnsi(AnsiToUtf16(Text(gbk))), Text(gbk));
}

}  // namespace
}  // namespace quotidia
