#include "text/primitives.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "support/text_support.h"

namespace quotidia {
namespace {

// A double-byte character whose trail byte is 'A'.
const Text kLeadA = "\x81" "A";

TEST(TextSlices, LeftRightMidClampAsSpecified) {
    struct Case {
        const char* name;
        Text got;
        Text want;
    };
    const Case cases[] = {
        {"left longer than text", TextLeft("abc", 10), "abc"},
        {"left negative", TextLeft("abc", -1), ""},
        {"left zero", TextLeft("abc", 0), ""},
        {"left cuts a double-byte character", TextLeft(Gbk("中a"), 1), "\xD6"},
        {"left INT_MAX", TextLeft("abc", INT_MAX), "abc"},
        {"right", TextRight("abcdef", 2), "ef"},
        {"right longer than text", TextRight("ab", 9), "ab"},
        {"right INT_MIN", TextRight("ab", INT_MIN), ""},
        {"mid start 0 is empty, not clamped", TextMid("abcdef", 0, 3), ""},
        {"mid runs off the end", TextMid("abcdef", 5, 10), "ef"},
        {"mid start past the end", TextMid("abcdef", 7, 1), ""},
        {"mid n 0", TextMid("abcdef", 2, 0), ""},
        {"mid INT_MIN start", TextMid("abcdef", INT_MIN, 3), ""},
        {"mid INT_MAX n", TextMid("abcdef", 6, INT_MAX), "f"},
        {"mid of empty", TextMid("", 1, 1), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
    EXPECT_EQ(TextLength(""), 0);
    EXPECT_EQ(TextLength(Gbk("中a")), 3);
}

TEST(FindText, PositionsAndEdges) {
    struct Case {
        const char* name;
        Text text;
        Text sub;
        int start;
        bool ignoreCase;
        int want;
    };
    const Case cases[] = {
        {"empty sub finds 1", "abc", "", 1, false, 1},
        {"empty sub from 3 still gives 1", "abc", "", 3, false, 1},
        {"empty sub from past the end", "abc", "", 4, false, -1},
        {"empty in empty", "", "", 1, false, -1},
        {"ignore case", "aXbx", "x", 1, true, 2},
        {"case-sensitive", "aXbx", "x", 1, false, 4},
        {"position counts from the whole text", "abcabc", "abc", 2, false, 4},
        {"start 0 behaves as 1", "abc", "abc", 0, false, 1},
        {"start past the end", "abc", "c", 9, false, -1},
        {"start INT_MIN", "abc", "c", INT_MIN, false, 3},
        {"start INT_MAX", "abc", "c", INT_MAX, false, -1},
        {"sub longer than text", "ab", "abc", 1, false, -1},
        {"trail byte is stepped over", kLeadA, "A", 1, false, -1},
        {"start on the trail byte is used", kLeadA, "A", 2, false, 2},
        {"ignore case folds a trail byte", kLeadA, "\x81" "a", 1, true, 1},
        {"match after double-byte text", Gbk("中文ab"), "b", 1, false, 6},
        {"double-byte sub", Gbk("一中文"), Gbk("文"), 1, false, 5},
        {"sub straddling two characters is not found", Gbk("中文"), "\xD0\xCE", 1, false, -1},
        {"incomplete final character still compares", "ab\xB0", "\xB0", 1, false, 3},
        {"not found", "hello world", "xyz", 1, false, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(FindText(c.text, c.sub, c.start, c.ignoreCase), c.want) << c.name;
}

// The character-stepping search, written as plainly as possible: the fast
// scanner must agree with it on any bytes.
int ReferenceFind(const std::string& s, const std::string& sub, int start, bool ignoreCase) {
    long long offset = std::max(static_cast<long long>(start) - 1, 0LL);
    if (offset >= static_cast<long long>(s.size())) return -1;
    if (sub.empty()) return 1;
    auto fold = [&](unsigned char c) { return ignoreCase && c >= 'A' && c <= 'Z' ? c + 32 : c; };
    for (auto i = static_cast<std::size_t>(offset); s.size() - i >= sub.size();) {
        bool match = true;
        for (std::size_t k = 0; k < sub.size(); ++k) {
            if (fold(static_cast<unsigned char>(s[i + k])) != fold(static_cast<unsigned char>(sub[k]))) match = false;
        }
        if (match) return static_cast<int>(i) + 1;
        if (static_cast<unsigned char>(s[i]) >= 0x80) {
            if (i + 1 >= s.size()) return -1;
            i += 2;
        } else {
            i += 1;
        }
        if (i >= s.size()) break;
    }
    return -1;
}

bool IsLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// ReplaceText as a plain character walk, for the random comparison below.
std::string ReferenceReplace(const std::string& s, const std::string& find, const std::string& with, int start,
                             int count) {
    long long offset = std::max(static_cast<long long>(start) - 1, 0LL);
    if (s.empty() || find.empty() || offset >= static_cast<long long>(s.size()) || count == 0) return s;
    auto i = static_cast<std::size_t>(offset);
    std::string out = s.substr(0, i);
    int done = 0;
    while (s.size() - i >= find.size() && done != count) {
        if (s.compare(i, find.size(), find) == 0) {
            out += with;
            i += find.size();
            ++done;
        } else if (IsLeadByte(s[i])) {
            if (i + 1 >= s.size()) return out;  // incomplete final character dropped
            out += s.substr(i, 2);
            i += 2;
        } else {
            out += s[i++];
        }
    }
    return out + s.substr(i);
}

std::vector<std::string> ReferenceSplit(const std::string& s, const std::string& d) {
    std::vector<std::string> pieces;
    if (s.empty()) return pieces;
    std::size_t pieceStart = 0, i = 0;
    while (i < s.size()) {
        if (s.size() - i >= d.size() && s.compare(i, d.size(), d) == 0) {
            pieces.push_back(s.substr(pieceStart, i - pieceStart));
            i = pieceStart = i + d.size();
        } else {
            i += IsLeadByte(s[i]) ? 2 : 1;
        }
    }
    if (pieceStart < s.size()) pieces.push_back(s.substr(pieceStart));
    return pieces;
}

std::string ReferenceTrim(const std::string& s) {
    auto spaceAt = [&](std::size_t i) {
        return s[i] == ' ' || (s[i] == '\xA1' && i + 1 < s.size() && s[i + 1] == '\xA1');
    };
    std::size_t i = 0;
    while (i < s.size() && spaceAt(i)) i += s[i] == ' ' ? 1 : 2;
    std::size_t begin = i, end = s.size(), run = std::string::npos;
    for (; i < s.size(); i += IsLeadByte(s[i]) ? 2 : 1) {
        if (IsLeadByte(s[i]) && i + 1 >= s.size()) {
            end = i;
            run = std::string::npos;
            break;
        }
        if (!spaceAt(i)) run = std::string::npos;
        else if (run == std::string::npos) run = i;
    }
    if (run != std::string::npos) end = run;
    return s.substr(begin, end - begin);
}

// The searching routines skip ahead with tricks of their own; on any bytes
// they must agree with a plain character-by-character walk.
TEST(Searching, AgreesWithCharacterWalksOnRandomBytes) {
    std::mt19937 rng(12345);
    // Few distinct bytes, so that matches, lead bytes and trail bytes collide.
    const char alphabet[] = {'a', 'b', 'A', ' ', '\x81', '\xB0', '\xA1'};
    auto randomText = [&](int minLength, int maxLength) {
        std::string s(std::uniform_int_distribution<int>(minLength, maxLength)(rng), 'a');
        for (char& c : s) c = alphabet[std::uniform_int_distribution<int>(0, 6)(rng)];
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        std::string s = randomText(0, 40), sub = randomText(0, 3), nonEmpty = randomText(1, 3);
        int start = std::uniform_int_distribution<int>(-1, 42)(rng);
        int count = std::uniform_int_distribution<int>(-1, 3)(rng);
        bool ignoreCase = round % 2;
        auto show = [](const std::string& t) { return ::testing::PrintToString(Text(t)); };
        ASSERT_EQ(FindText(Text(s), Text(sub), start, ignoreCase), ReferenceFind(s, sub, start, ignoreCase))
            << "find " << show(sub) << " in " << show(s) << " from " << start;
        ASSERT_EQ(ReplaceText(Text(s), Text(nonEmpty), "<>", start, count, true),
                  Text(ReferenceReplace(s, nonEmpty, "<>", start, count)))
            << "replace " << show(nonEmpty) << " in " << show(s) << " from " << start << " count " << count;
        TextArray want;
        for (const auto& piece : ReferenceSplit(s, nonEmpty)) want.emplace_back(piece);
        ASSERT_EQ(SplitText(Text(s), Text(nonEmpty)), want) << "split " << show(s) << " at " << show(nonEmpty);
        ASSERT_EQ(TrimSpaces(Text(s)), Text(ReferenceTrim(s))) << "trim " << show(s);
    }
}

TEST(ToUpperAndCompare, OnlyAsciiLettersFold) {
    EXPECT_EQ(ToUpper("abz{`AZ09"), "ABZ{`AZ09");
    EXPECT_EQ(ToUpper("\x81" "a" "b"), "\x81" "aB") << "trail byte stays";
    EXPECT_EQ(ToUpper("x\xB0"), "X\xB0") << "incomplete final character kept";
    EXPECT_EQ(CompareText("Location: ", "location: ", false), 0);
    EXPECT_NE(CompareText("Location: ", "location: ", true), 0);
    EXPECT_LT(CompareText("ab", "abc", true), 0);
    EXPECT_GT(CompareText("b", "a", true), 0);
    EXPECT_EQ(CompareText("", "", true), 0);
}

TEST(TextToInt, ParsesLikeTheTable) {
    struct Case {
        const char* name;
        Text text;
        int want;
    };
    const Case cases[] = {
        {"leading spaces and trailing words", "  42 apples", 42},
        {"full-width digits", "\xA3\xB4\xA3\xB2", 42},
        {"full-width minus", "\xA3\xAD\xA3\xB5", -5},
        {"full-width space before digits", "\xA1\xA1" "7", 7},
        {"plus", "+7", 7},
        {"empty", "", 0},
        {"2^32 + 1 wraps to 1", "4294967297", 1},
        {"2^31 wraps to INT_MIN", "2147483648", INT_MIN},
        {"decimal point stops", "3.7", 3},
        {"letters stop", "12abc", 12},
        {"no digits", "abc", 0},
        {"minus after space", " -5", -5},
        {"tab, CR, VT, FF skipped", "\t\r\v\f9", 9},
        {"sign alone", "-", 0},
        {"two signs", "+-3", 0},
        {"other double-byte character stops", Gbk("5中6"), 5},
        {"incomplete final character dropped", "12\xA3", 12},
        {"very long digit run wraps, no hang", Text(std::string(100000, '9')), []() {
             unsigned v = 0;
             for (int i = 0; i < 100000; ++i) v = v * 10 + 9;
             return static_cast<int>(v);
         }()},
    };
    for (const auto& c : cases) EXPECT_EQ(TextToInt(c.text), c.want) << c.name;
}

TEST(Spaces, TrimAndRemove) {
    const Text fw = "\xA1\xA1";  // full-width space
    struct Case {
        const char* name;
        Text got;
        Text want;
    };
    const Case cases[] = {
        {"tab and CR LF are not spaces", TrimSpaces(" \t a b \r\n"), "\t a b \r\n"},
        {"full-width at both ends", TrimSpaces(fw + "x" + fw), "x"},
        {"mixed runs", TrimSpaces(" " + fw + " x y " + fw + " "), "x y"},
        {"only spaces", TrimSpaces(" " + fw + " "), ""},
        {"empty", TrimSpaces(""), ""},
        {"trail A1 is not a space", TrimSpaces("x\xB0\xA1\xA1"), "x\xB0\xA1"},
        {"incomplete final character dropped, spaces before it stay", TrimSpaces("x  \xA1"), "x  "},
        {"spaces then incomplete character", TrimSpaces("  \xA1"), ""},
        {"remove everywhere", RemoveSpaces("a b" + fw + "c"), "abc"},
        {"remove keeps trail A1", RemoveSpaces("\xB0\xA1\xA1"), "\xB0\xA1"},
        {"remove drops incomplete final character", RemoveSpaces("a \xA1"), "a"},
        {"remove keeps tabs", RemoveSpaces("a\tb"), "a\tb"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(ReplaceText, Table) {
    struct Case {
        const char* name;
        Text got;
        Text want;
    };
    const Case cases[] = {
        {"no overlap", ReplaceText("aaaa", "aa", "b", true), "bb"},
        {"ignoring case", ReplaceText("Set-Cookie: x", "set-cookie:", "", false), " x"},
        {"case-sensitive leaves it", ReplaceText("Set-Cookie: x", "set-cookie:", "", true), "Set-Cookie: x"},
        {"empty find", ReplaceText("abc", "", "x", true), "abc"},
        {"from start 3", ReplaceText("abcabc", "b", "X", 3, std::nullopt, true), "abcaXc"},
        {"count 1", ReplaceText("abcabc", "b", "X", 1, 1, true), "aXcabc"},
        {"count 0 copies", ReplaceText("abcabc", "b", "X", 1, 0, true), "abcabc"},
        {"negative count replaces all", ReplaceText("abab", "b", "X", 1, -1, true), "aXaX"},
        {"start past the end copies", ReplaceText("abc", "c", "X", 4, std::nullopt, true), "abc"},
        {"start INT_MIN behaves as 1", ReplaceText("abc", "a", "X", INT_MIN, std::nullopt, true), "Xbc"},
        {"inserted text is not searched again", ReplaceText("aa", "a", "aa", true), "aaaa"},
        {"trail byte never matches", ReplaceText(kLeadA + "A", "A", "x", true), kLeadA + "x"},
        {"double-byte replacement", ReplaceText("a-b", "-", Gbk("中"), true), "a" + Gbk("中") + "b"},
        {"incomplete final character dropped while scanning", ReplaceText("ab\xB0", "x", "y", true), "ab"},
        {"short tail kept even when incomplete", ReplaceText("ab\xB0", "xy", "z", true), "ab\xB0"},
        {"tail after count kept", ReplaceText("b\xB0", "b", "X", 1, 1, true), "X\xB0"},
        {"empty text", ReplaceText("", "a", "b", true), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(SplitText, Table) {
    struct Case {
        const char* name;
        TextArray got;
        TextArray want;
    };
    const Case cases[] = {
        {"trailing delimiter gives no empty last piece", SplitText("a;b;", Text(";")), {"a", "b"}},
        {"leading delimiter gives an empty first piece", SplitText(";a", Text(";")), {"", "a"}},
        {"adjacent delimiters", SplitText("a;;b", Text(";")), {"a", "", "b"}},
        {"empty text", SplitText("", Text(";")), {}},
        {"no delimiter in text", SplitText("a", Text(";")), {"a"}},
        {"default delimiter is comma", SplitText("a,b"), {"a", "b"}},
        {"max pieces drops the rest", SplitText("a;b;c", Text(";"), 2), {"a", "b"}},
        {"max pieces 0", SplitText("a;b", Text(";"), 0), {}},
        {"max pieces negative", SplitText("a;b", Text(";"), INT_MIN), {}},
        {"max pieces 1 keeps a tail with no delimiter", SplitText("abc", Text(";"), 1), {"abc"}},
        {"empty delimiter gives the whole text", SplitText("a;b", Text("")), {"a;b"}},
        {"multi-byte delimiter", SplitText("a; b; c", Text("; ")), {"a", "b", "c"}},
        {"delimiter on a trail byte is not a split", SplitText(kLeadA + "A", Text("A")), {kLeadA}},
        {"only delimiters", SplitText(";;", Text(";")), {"", ""}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(Bytes, ConversionsAndSlices) {
    const ByteBuffer five{1, 2, 3, 4, 5};
    EXPECT_EQ(BytesToText(ByteBuffer{0x61, 0x00, 0x62}), "a");
    EXPECT_EQ(BytesToText(ByteBuffer{0x00, 0x62}), "");
    EXPECT_EQ(BytesToText(ByteBuffer{}), "");
    EXPECT_EQ(BytesLength(TextToBytes("ab")), 2);
    EXPECT_EQ(BytesLength(TextToBytes("")), 0);
    EXPECT_EQ(BytesMid(five, 0, 2), (ByteBuffer{1, 2})) << "start < 1 reads from the first byte";
    EXPECT_EQ(BytesMid(five, INT_MIN, 2), (ByteBuffer{1, 2}));
    EXPECT_EQ(BytesMid(five, 4, INT_MAX), (ByteBuffer{4, 5}));
    EXPECT_EQ(BytesMid(five, 9, 2), ByteBuffer{});
    EXPECT_EQ(BytesMid(five, 2, -3), ByteBuffer{});
    EXPECT_EQ(BytesLeft(five, 99), five);
    EXPECT_EQ(BytesLeft(five, -1), ByteBuffer{});
    EXPECT_EQ(ZeroBytes(3), (ByteBuffer{0, 0, 0}));
    EXPECT_EQ(ZeroBytes(-3), ByteBuffer{});
    const char memory[] = {'x', '\0', 'y'};
    EXPECT_EQ(BytesFromMemory(memory, 3), (ByteBuffer{'x', 0, 'y'}));
    EXPECT_EQ(BytesFromMemory(memory, 0), ByteBuffer{});
    EXPECT_EQ(BytesFromMemory(memory, -1), ByteBuffer{});
    EXPECT_EQ(BytesFromMemory(nullptr, 4), ByteBuffer{});
}

TEST(SmallMakers, SpaceTextAndCharFromCode) {
    EXPECT_EQ(SpaceText(3), "   ");
    EXPECT_EQ(SpaceText(0), "");
    EXPECT_EQ(SpaceText(INT_MIN), "");
    EXPECT_EQ(CharFromCode(0), "");
    EXPECT_EQ(CharFromCode(0x41), "A");
    EXPECT_EQ(CharFromCode(0xE1), "\xE1");
}

TEST(TextType, CutsAtNulAndKeepsBuffersApart) {
    EXPECT_EQ(Text(std::string("a\0b", 3)), "a");
    EXPECT_EQ(Text(std::string_view("a\0b", 3)), "a");
    EXPECT_EQ(Text(static_cast<const char*>(nullptr)), "");
    EXPECT_EQ(Text("x") + Text("y"), "xy");
}

}  // namespace
}  // namespace quotidia
