#include "text/charsets.h"

#include <gtest/gtest.h>

#include "support/text_support.h"

namespace quotidia {
namespace {

TEST(ConverterForCharsetLabel, ReproducesWindowsTables) {
    struct Case {
        Text label;
        std::optional<std::string> want;
    };
    const Case cases[] = {
        {"gbk", "windows-936-2000"},
        {"GB2312", "windows-936-2000"},
        {" utf-8 ", "UTF-8"},
        {"UTF8", "UTF-8"},
        {"iso-8859-1", "windows-1252"},
        {"us-ascii", "windows-1252"},
        {"utf-16", "UTF-16LE"},
        {"unicode", "UTF-16LE"},
        {"big5", "windows-950-2000"},
        {"shift_jis", "ibm-943_P15A-2003"},
        {"euc-kr", "windows-949-2000"},
        {"replacement", std::nullopt},
        {"no-such-charset", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConverterForCharsetLabel(c.label), c.want) << ::testing::PrintToString(c.label);
    }
}

TEST(DecodeCharset, Table) {
    struct Case {
        const char* name;
        ByteBuffer bytes;
        Text label;
        std::optional<Text> want;
    };
    const Case cases[] = {
        {"UTF-8", ByteBuffer(std::string("\xE4\xB8\x80")), "utf-8", "\xD2\xBB"},
        {"UTF-8 byte-order mark dropped", ByteBuffer(std::string("\xEF\xBB\xBF" "a")), "utf-8", "a"},
        {"UTF-16 with NUL bytes and mark", ByteBuffer{0xFF, 0xFE, 0x00, 0x4E, 0x41, 0x00}, "utf-16", "\xD2\xBB" "A"},
        {"Big5", ByteBuffer(std::string("\xA4\xA4")), "big5", Gbk("中")},
        {"Shift_JIS", ByteBuffer(std::string("\x93\xFA")), "shift_jis", Gbk("日")},
        {"1252 for latin1", ByteBuffer(std::string("\x80")), "latin1", "\x80"},
        {"GBK through the table is unchanged", ByteBuffer(Gbk("中文").str()), "GBK", Gbk("中文")},
        {"character 936 lacks", ByteBuffer(std::string("\xE0\xB8\x81")), "utf-8", "?"},
        {"unknown label", ByteBuffer(std::string("abc")), "bogus", std::nullopt},
        {"empty bytes", ByteBuffer{}, "utf-8", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeCharset(c.bytes, c.label), c.want) << c.name;
}

}  // namespace
}  // namespace quotidia
