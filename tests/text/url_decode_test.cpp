#include "text/url_decode.h"

#include <gtest/gtest.h>

#include "support/text_support.h"

namespace quotidia {
namespace {

TEST(UrlDecode, Escapes) {
    struct Case {
        const char* name;
        Text text;
        Text want;
    };
    const Case cases[] = {
        {"upper-case escape", "a%41b", "aAb"},
        {"lower-case escape", "%4a", "J"},
        {"escaped percent is not decoded again", "%2541", "%41"},
        {"plus stays", "a+b", "a+b"},
        {"trailing percent kept", "100%", "100%"},
        {"one digit kept", "%5", "%5"},
        {"non-hex kept", "%G1", "%G1"},
        {"second digit non-hex", "%4G", "%4G"},
        {"zero byte adds nothing", "%00x", "x"},
        {"high byte", "%E4%B8%80", "\xE4\xB8\x80"},
        {"double-byte text passes", Gbk("中%41"), Gbk("中") + "A"},
        {"percent then two escapes", "%%41", "%A"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(UrlDecode(c.text), c.want) << c.name;
}

TEST(UrlDecode, ConvertsUtf8ToCodePage936) {
    EXPECT_EQ(UrlDecode("%E4%B8%80", true), "\xD2\xBB");  // 一
    EXPECT_EQ(UrlDecode("plain", true), "plain");
    // A real reply: "不到2%，" in UTF-8, where the '%' is followed by the first
    // two bytes of the full-width comma. Nothing may be swallowed.
    EXPECT_EQ(UrlDecode(Text("\xE4\xB8\x8D\xE5\x88\xB0" "2%\xEF\xBC\x8C"), true), Gbk("不到2%，"));
    EXPECT_EQ(UrlDecode(Text("\xE4\xB8\x8D%E5%88%B0"), true), Gbk("不到"));
}

}  // namespace
}  // namespace quotidia
