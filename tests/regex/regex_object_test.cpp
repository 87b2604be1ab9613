#include "regex/regex_object.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "regex/regex_support.h"

namespace quotidia {
namespace {

// The pattern and subject the web request routine uses to find a page's charset.
const Text kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

TEST(RegexObjectOperations, Texts) {
    const RegexObject fresh;
    const RegexObject pairs = Made("(\\w)(\\d)?=(\\w+)", "a1=x; b=yz");
    const RegexObject none = Made("q", "abc");
    struct Case {
        const char* name;
        Text got;
        Text want;
    };
    const Case cases[] = {
        {"first match", pairs.MatchText(1), "a1=x"},
        {"second match", pairs.MatchText(2), "b=yz"},
        {"match index past the count", pairs.MatchText(3), ""},
        {"match index 0", pairs.MatchText(0), ""},
        {"match index negative", pairs.MatchText(-1), ""},
        {"match index INT_MIN", pairs.MatchText(INT_MIN), ""},
        {"match index INT_MAX", pairs.MatchText(INT_MAX), ""},
        {"group 1 of match 1", pairs.SubMatchText(1, 1), "a"},
        {"group 3 of match 2", pairs.SubMatchText(2, 3), "yz"},
        {"group that took no part is empty", pairs.SubMatchText(2, 2), ""},
        {"group number past the groups", pairs.SubMatchText(1, 4), ""},
        {"group 0 is not the whole match", pairs.SubMatchText(1, 0), ""},
        {"match 0", pairs.SubMatchText(0, 1), ""},
        {"group INT_MIN", pairs.SubMatchText(1, INT_MIN), ""},
        {"match INT_MIN", pairs.SubMatchText(INT_MIN, 1), ""},
        {"pattern as written", pairs.GetPattern(), "(\\w)(\\d)?=(\\w+)"},
        {"replace over the remembered subject", pairs.ReplaceMatches("$3"), "x; yz"},
        {"no match: match text empty", none.MatchText(1), ""},
        {"no match: group text empty", none.SubMatchText(1, 1), ""},
        {"no match: replace gives the subject", none.ReplaceMatches("z"), "abc"},
        {"before Create: pattern", fresh.GetPattern(), ""},
        {"before Create: match text", fresh.MatchText(1), ""},
        {"before Create: group text", fresh.SubMatchText(1, 1), ""},
        {"before Create: replace", fresh.ReplaceMatches("x"), ""},
        {"charset of a meta charset tag", Made(kCharsetPattern, "<html><meta charset=\"utf-8\">").SubMatchText(1, 1),
         "utf-8"},
        {"charset of an http-equiv tag, case ignored",
         Made(kCharsetPattern, "<META CONTENT=text/html;CHARSET=UTF-8>").SubMatchText(1, 1), "UTF-8"},
        {"charset after Chinese text",
         Made(kCharsetPattern, Gbk("<title>中文</title><meta charset='gbk'>")).SubMatchText(1, 1), "gbk"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(RegexObjectOperations, Counts) {
    RegexObject fresh;
    struct Case {
        const char* name;
        int got;
        int want;
    };
    const Case cases[] = {
        {"match count", Made("\\d", "a1b2c3").MatchCount(), 3},
        {"groups of the first match", Made("(a)(b)?(c)", "ac").SubMatchCount(), 3},
        {"pattern without groups", Made("a", "a").SubMatchCount(), 0},
        {"no match: no matches", Made("q", "abc").MatchCount(), 0},
        {"no match: no groups, though the pattern has one", Made("(q)", "abc").SubMatchCount(), 0},
        {"before Create: match count", fresh.MatchCount(), 0},
        {"before Create: group count", fresh.SubMatchCount(), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(RegexObjectOperations, CreateTellsWhetherACollectionCameBack) {
    struct Case {
        const char* name;
        Text pattern;
        Text subject;
        bool want;
    };
    const Case cases[] = {
        {"a match", "b", "abc", true},
        {"no match is still a collection", "q", "abc", true},
        {"empty subject", "a", "", true},
        {"empty pattern matches everywhere", "", "ab", true},
        {"invalid pattern", "(a", "a", false},
    };
    for (const auto& c : cases) {
        RegexObject regex;
        EXPECT_EQ(regex.Create(c.pattern, c.subject), c.want) << c.name;
    }
}

TEST(RegexObjectOperations, ASecondCreateForgetsTheFirst) {
    RegexObject again = Made("(a)(b)", "ab ab");
    const bool secondCreated = again.Create("c", "xc");
    RegexObject failed = Made("(a)(b)", "ab ab");
    const bool failedCreated = failed.Create("(", "xc");
    struct Case {
        const char* name;
        Text got;
        Text want;
    };
    const Case cases[] = {
        {"new pattern", again.GetPattern(), "c"},
        {"new matches", Found(again), "c@1"},
        {"new subject", again.ReplaceMatches("d"), "xd"},
        {"no groups left from the first", again.SubMatchText(1, 1), ""},
        {"a failed Create keeps no matches", Found(failed), "failed"},
        {"a failed Create keeps no group", failed.SubMatchText(1, 1), ""},
        {"a failed Create keeps its own pattern", failed.GetPattern(), "("},
    };
    EXPECT_TRUE(secondCreated);
    EXPECT_FALSE(failedCreated);
    EXPECT_EQ(failed.MatchCount(), 0);
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(RegexObjectOptions, WhatCreateWritesToTheEngine) {
    struct Case {
        const char* name;
        Options options;
        bool ignoreCase;
        bool multiline;
        bool global;
    };
    const Case cases[] = {
        {"all omitted", {}, true, true, true},
        {"caseSensitive true", {.caseSensitive = true}, false, true, true},
        {"caseSensitive false", {.caseSensitive = false}, true, true, true},
        {"multiline false", {.multiline = false}, true, false, true},
        {"multiline true", {.multiline = true}, true, true, true},
        {"global false", {.global = false}, true, true, false},
        {"global true", {.global = true}, true, true, true},
        {"all false", {false, false, false, false}, true, false, false},
    };
    for (const auto& c : cases) {
        RegexObject regex = Made("a", "a", c.options);
        ASSERT_TRUE(regex.engine) << c.name;
        EXPECT_EQ(regex.engine->IgnoreCase(), c.ignoreCase) << c.name;
        EXPECT_EQ(regex.engine->Multiline(), c.multiline) << c.name;
        EXPECT_EQ(regex.engine->Global(), c.global) << c.name;
    }
}

TEST(RegexObjectOptions, WhatTheyDoToTheSearch) {
    // "#引号" in code page 936.
    const Text quoteMarker = "#\xD2\xFD\xBA\xC5";
    struct Case {
        const char* name;
        Text got;
        Text want;
    };
    const Case cases[] = {
        {"case ignored by default", Found("ab", "xAB"), "AB@1"},
        {"case kept when asked", Found("ab", "xAB", {.caseSensitive = true}), ""},
        {"global by default", Found("a", "aXa"), "a@0|a@2"},
        {"first match only without global", Found("a", "aXa", {.global = false}), "a@0"},
        {"multi-line by default", Found("^b", "a\nb"), "b@2"},
        {"one line without multiline", Found("^b", "a\nb", {.multiline = false}), ""},
        {"quote escapes turn the marker into a quote", Found("a" + quoteMarker + "b", "xa\"b", {.quoteEscapes = true}),
         "a\"b@1"},
        {"the marker is text without quote escapes", Found("a" + quoteMarker, "a" + quoteMarker), "a" + quoteMarker + "@0"},
        {"pattern keeps the quote",
         Made("a" + quoteMarker + "b" + quoteMarker, "", {.quoteEscapes = true}).GetPattern(), "a\"b\""},
        {"pattern keeps the marker when not asked", Made("a" + quoteMarker, "", {.quoteEscapes = false}).GetPattern(),
         "a" + quoteMarker},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(RegexObjectCopies, ShareEngineAndMatchesButNotSubject) {
    const RegexObject source = Made("(b)", "abcb");
    RegexObject copy = source;
    RegexObject assigned;
    assigned = source;
    const RegexObject fresh;
    const RegexObject freshCopy = fresh;

    EXPECT_EQ(copy.engine, source.engine);
    EXPECT_EQ(copy.matches, source.matches);
    EXPECT_EQ(assigned.engine, source.engine);
    EXPECT_EQ(assigned.matches, source.matches);
    EXPECT_EQ(copy.subject, source.subject);
    EXPECT_NE(std::get_if<std::u16string>(&copy.subject), std::get_if<std::u16string>(&source.subject));

    RegexObject recreated = source;
    recreated.Create("c", "xyzc");
    struct Case {
        const char* name;
        Text got;
        Text want;
    };
    const Case cases[] = {
        {"copy reads the source's matches", copy.MatchText(2), "b"},
        {"copy reads the source's groups", copy.SubMatchText(1, 1), "b"},
        {"copy replaces in its own subject", copy.ReplaceMatches("[$1]"), "a[b]c[b]"},
        {"assigned copy reads the matches", assigned.MatchText(1), "b"},
        {"a copy's Create leaves the source's matches", source.MatchText(1), "b"},
        {"a copy's Create leaves the source's subject", source.ReplaceMatches("-"), "a-c-"},
        {"a copy's Create leaves the source's pattern", source.GetPattern(), "(b)"},
        {"the copy has its new matches", recreated.MatchText(1), "c"},
        {"copy of a fresh object has no pattern", freshCopy.GetPattern(), ""},
        {"copy of a fresh object has no matches", freshCopy.MatchText(1), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
    EXPECT_FALSE(freshCopy.engine);
    EXPECT_FALSE(freshCopy.matches);
    EXPECT_EQ(freshCopy.subject, RegexObject::Subject(0));
    EXPECT_EQ(source.engine.use_count(), 3);  // source, copy, assigned
}

TEST(RegexObjectPositions, OverSingleAndDoubleByteText) {
    const int kUntouched = 12345;
    struct Case {
        const char* name;
        Text pattern;
        Text subject;
        Options options;
        int matchIndex;
        int subIndex;  // 0: MatchText
        Text wantText;
        int wantFirstIndex;  // -1: no match to read
        int wantPosition;
    };
    const Case cases[] = {
        {"ASCII: position is FirstIndex", "a", "xAa", {.caseSensitive = true}, 1, 0, "a", 2, 2},
        {"ASCII, case ignored: the first letter", "a", "xAa", {}, 1, 0, "A", 1, 1},
        {"after a double-byte character: a byte offset", "b", Gbk("中ab"), {}, 1, 0, "b", 2, 3},
        {"after two double-byte characters", "b", Gbk("中文ab"), {}, 1, 0, "b", 3, 5},
        {"a double-byte match stepped over from a trail byte: -2", Gbk("文"), Gbk("a中文"), {}, 1, 0, Gbk("文"), 2, -2},
        {"a double-byte match at a character boundary", Gbk("中"), Gbk("a中文中"), {}, 1, 0, Gbk("中"), 1, 1},
        {"second double-byte match", Gbk("中"), Gbk("a中文中"), {}, 2, 0, Gbk("中"), 3, 5},
        {"group: searched from the match's start", "(\\w+)=(\\w+)", Gbk("中文key=val"), {}, 1, 2, "val", 2, 8},
        {"group: the first occurrence from the match's start", "(a)(a)", "xaa", {}, 1, 2, "a", 1, 1},
        {"the byte search can land on a trail byte", "A", "\x81" "AA", {.caseSensitive = true}, 1, 0, "A", 1, 1},
        {"empty match: the empty text is found at 1", "x*", "ab", {.global = false}, 1, 0, "", 0, 0},
        {"empty match at the end: nothing from there", "$", "ab", {}, 1, 0, "", 2, -2},
        {"index past the count: empty text from 0", "a", "a", {}, 2, 0, "", -1, 0},
        {"group past the groups", "(a)", "xa", {}, 1, 2, "", 1, 0},
        {"match 0 of a group", "(a)", "xa", {}, 0, 1, "", -1, 0},
        {"empty subject", "x", "", {}, 1, 0, "", -1, -2},
    };
    for (const auto& c : cases) {
        const RegexObject regex = Made(c.pattern, c.subject, c.options);
        int position = kUntouched;
        const Text got = c.subIndex == 0 ? regex.MatchText(c.matchIndex, &position)
                                         : regex.SubMatchText(c.matchIndex, c.subIndex, &position);
        EXPECT_EQ(got, c.wantText) << c.name;
        EXPECT_EQ(position, c.wantPosition) << c.name;
        if (c.wantFirstIndex >= 0) {
            ASSERT_TRUE(regex.matches && regex.matches->Item(c.matchIndex - 1)) << c.name;
            EXPECT_EQ(regex.matches->Item(c.matchIndex - 1)->FirstIndex(), c.wantFirstIndex) << c.name;
        }
    }
}

TEST(RegexObjectPositions, BeforeCreateTheSubjectReadsAsZero) {
    // The subject holds the number 0 until the first Create; read as text it
    // is "0", in which the empty result is found at position 1.
    const RegexObject fresh;
    int position = -7;
    EXPECT_EQ(fresh.MatchText(1, &position), "");
    EXPECT_EQ(position, 0);
    position = -7;
    EXPECT_EQ(fresh.SubMatchText(1, 1, &position), "");
    EXPECT_EQ(position, 0);
}

TEST(RegexObjectInvalidPatterns, CreateFailsAndEveryReadIsEmpty) {
    const Text patterns[] = {
        "(a",        "a)",          "[a",     "a{2,1}", "*a", "a**", "\\", "(?<n>a)(?<n>b)", "x(?",
        // The dialect stays fixed: a pattern cannot switch on UTF or Unicode properties.
        "(*UTF)a", "(*UCP)\\w",
    };
    for (const auto& pattern : patterns) {
        RegexObject regex;
        const std::string name = ::testing::PrintToString(pattern);
        int position = 99;
        EXPECT_FALSE(regex.Create(pattern, "a(b)c")) << name;
        EXPECT_FALSE(regex.matches) << name;
        EXPECT_EQ(regex.MatchCount(), 0) << name;
        EXPECT_EQ(regex.SubMatchCount(), 0) << name;
        EXPECT_EQ(regex.MatchText(1, &position), "") << name;
        EXPECT_EQ(position, 0) << name;
        EXPECT_EQ(regex.SubMatchText(1, 1), "") << name;
        EXPECT_EQ(regex.ReplaceMatches("x"), "") << name;
        EXPECT_EQ(regex.GetPattern(), pattern) << name;
    }
}

TEST(RegexObjectLimits, RunawayPatternsFailInsteadOfHanging) {
    // Each backtracks exponentially over the run of a's before failing at the
    // "!"; the subjects hold no literal that would let the search skip them.
    const Text subject(std::string(64, 'a') + "!");
    struct Case {
        const char* name;
        Text pattern;
    };
    const Case cases[] = {
        {"nested quantifiers", "(a+)+$"},
        {"overlapping alternatives", "(a|aa)*$"},
        {"a repeated group that can be empty", "(\\w*)*$"},
        {"an optional inside a repetition", "(a|a?)+$"},
    };
    for (const auto& c : cases) {
        RegexObject regex;
        EXPECT_FALSE(regex.Create(c.pattern, subject)) << c.name;
        EXPECT_EQ(regex.MatchCount(), 0) << c.name;
        EXPECT_EQ(regex.ReplaceMatches("x"), "") << c.name;
    }
}

TEST(RegexObjectLimits, LongSubjectsAreNoRunaway) {
    std::string pairs;
    for (int i = 0; i < 100000; ++i) pairs += "ab";
    const std::string big(4 << 20, 'x');
    struct Case {
        const char* name;
        Text pattern;
        Text subject;
        int wantCount;
        int wantLength;
    };
    const Case cases[] = {
        {"a repeated group over a long line", "(?:a|b)*c", Text(pairs + "c"), 1, 200001},
        {"a capturing repeated group over a long line", "(a|b)+", Text(pairs), 1, 200000},
        {"no match in 4 MiB", "y", Text(big), 0, 0},
        {"one match at the end of 4 MiB", "x$", Text(big), 1, 1},
        {"a match per unit", "x", Text(std::string(100000, 'x')), 100000, 1},
    };
    for (const auto& c : cases) {
        RegexObject regex;
        ASSERT_TRUE(regex.Create(c.pattern, c.subject, true, false)) << c.name;
        EXPECT_EQ(regex.MatchCount(), c.wantCount) << c.name;
        if (c.wantCount > 0) {
            EXPECT_EQ(regex.matches->Item(0)->Length(), c.wantLength) << c.name;
        }
    }
}

}  // namespace
}  // namespace quotidia
