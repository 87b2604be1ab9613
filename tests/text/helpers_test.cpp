#include "text/helpers.h"

#include <gtest/gtest.h>

#include "support/text_support.h"

namespace quotidia {
namespace {

TEST(TextLeftOf, Table) {
    struct Case {
        const char* name;
        Text got;
        Text want;
    };
    const Case cases[] = {
        {"header name", TextLeftOf("Content-Type: text/html", ": "), "Content-Type"},
        {"not found", TextLeftOf("abc", ":"), ""},
        {"found at the start", TextLeftOf(":abc", ":"), ""},
        {"start moves the search, not the front", TextLeftOf("a:b:c", ":", 3), "a:b"},
        {"ignore case", TextLeftOf("ABC", "b", 1, true), "A"},
        {"case-sensitive", TextLeftOf("ABC", "b", 1, false), ""},
        {"empty delimiter", TextLeftOf("abc", ""), ""},
        {"start below 1", TextLeftOf("a:b", ":", -7), "a"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(TextBetween, Table) {
    struct Case {
        const char* name;
        Text got;
        Text want;
    };
    const Case cases[] = {
        {"cookie with its leading space", TextBetween("Set-Cookie: a=1; path=/", "Set-Cookie:", ";"), " a=1"},
        {"first pair", TextBetween("x[1]y[2]", "[", "]"), "1"},
        {"from start 4", TextBetween("x[1]y[2]", "[", "]", 4), "2"},
        {"nothing between", TextBetween("a[]b", "[", "]"), ""},
        {"no right delimiter", TextBetween("a[b", "[", "]"), ""},
        {"quote marker on both sides", TextBetween("a\"b\"c", Gbk("#引号"), Gbk("#引号")), "b"},
        {"quote marker inside a longer delimiter",
         TextBetween("<meta charset=\"gbk\">", "charset=" + Gbk("#引号"), Gbk("#引号")), "gbk"},
        {"empty right delimiter", TextBetween("a[b]", "[", ""), ""},
        {"empty left delimiter reads from position 1", TextBetween("ab]c]", "", "]", 4), "ab"},
        {"empty left delimiter, start past the end", TextBetween("ab]", "", "]", 9), ""},
        {"ignore case", TextBetween("SET-COOKIE: k=v;", "set-cookie:", ";", 1, true), " k=v"},
        {"right delimiter only before the left one", TextBetween("]a[b", "[", "]"), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(SplitChars, Table) {
    struct Case {
        const char* name;
        Text text;
        TextArray want;
    };
    const Case cases[] = {
        {"ASCII, double-byte and CR LF", "a" + Gbk("中") + "\r\nb", {"a", Gbk("中"), "\r\n", "b"}},
        {"LF CR is two items", "\n\r", {"\n", "\r"}},
        {"last byte alone", "a\xB0", {"a", "\xB0"}},
        {"0x80 is a character by itself", "\x80" "a", {"\x80", "a"}},
        {"0x81 leads", "\x81" "a", {"\x81" "a"}},
        {"CR at the end", "a\r", {"a", "\r"}},
        {"empty", "", {}},
    };
    for (const auto& c : cases) {
        TextArray items{"stale"};
        EXPECT_EQ(SplitChars(c.text, items), static_cast<int>(c.want.size())) << c.name;
        EXPECT_EQ(items, c.want) << c.name;
    }
}

TEST(FindInArray, Table) {
    EXPECT_EQ(FindInArray({"a", "b", "a"}, "a"), 1);
    EXPECT_EQ(FindInArray({"a", "b", "a"}, "b"), 2);
    EXPECT_EQ(FindInArray({}, "a"), -1);
    EXPECT_EQ(FindInArray({"A"}, "a"), -1);
    EXPECT_EQ(FindInArray({"", "x"}, ""), 1);
}

TEST(RemoveDuplicateItems, Table) {
    struct Case {
        const char* name;
        Text got;
        Text want;
    };
    const Case cases[] = {
        {"with a two-byte delimiter", RemoveDuplicateItems("a; b; a; c", "; "), "a; b; c"},
        {"trailing delimiter", RemoveDuplicateItems("a;b;", ";"), "a;b"},
        {"empty parts repeat too", RemoveDuplicateItems("a;;b;;c", ";"), "a;;b;c"},
        {"empty", RemoveDuplicateItems("", "; "), ""},
        {"characters without a delimiter", RemoveDuplicateItems("abcab"), "abc"},
        {"double-byte characters", RemoveDuplicateItems(Gbk("中a中")), Gbk("中a")},
        {"case-sensitive", RemoveDuplicateItems("A;a", ";"), "A;a"},
        {"only delimiters", RemoveDuplicateItems(";;;", ";"), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

}  // namespace
}  // namespace quotidia
