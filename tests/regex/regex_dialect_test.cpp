// The pattern dialect and the replacement syntax, as RegexObject's callers see
// them: every match written as text@FirstIndex, joined by "|".

#include <gtest/gtest.h>

#include <string>

#include "regex/regex_object.h"
#include "regex/regex_support.h"

namespace quotidia {
namespace {

const Options kOneLine{.multiline = false};
const Options kCaseKept{.caseSensitive = true};
const Options kFirstOnly{.global = false};

TEST(RegexDialect, Table) {
    struct Case {
        const char* name;
        Text pattern;
        Text subject;
        Options options;
        Text want;
    };
    const Case cases[] = {
        {"\\w is ASCII only", "\\w+", Gbk("中ab"), {}, "ab@1"},
        {"\\w takes no accented letter", "\\w", Gbk("é"), {}, ""},
        {"\\s is ASCII only: no full-width space", "\\s", Gbk("a　b"), {}, ""},
        {"\\s takes tab, LF, VT, FF, CR and space", "\\s", "\t\n\v\f\r ", {}, "\t@0|\n@1|\v@2|\f@3|\r@4| @5"},
        {"\\d is ASCII only", "\\d", Gbk("１2"), {}, "2@1"},
        {"\\b sees a double-byte character as a non-word", "\\bb", Gbk("中b"), {}, "b@1"},
        {"\\b between ASCII letters is none", "\\bb", "ab", {}, ""},
        {"\\uHHHH is a character", "\\u4E2D", Gbk("a中"), {}, Gbk("中@1")},
        {"\\u without four digits is a u", "\\u12", "u12", {}, "u12@0"},
        {"\\U is a U", "\\U", "U", kCaseKept, "U@0"},
        {"\\xHH is a character", "\\x41", "A", kCaseKept, "A@0"},
        {"\\x without two digits is an x", "\\x4g", "x4g", {}, "x4g@0"},
        {"one line: $ only at the very end", "a$", "a\n", kOneLine, ""},
        {"one line: $ at the end", "a$", "ba", kOneLine, "a@1"},
        {"one line: ^ only at the start", "^\\w", "a\nb", kOneLine, "a@0"},
        {"multi-line: ^ after LF, CR and CR LF", "^\\w", "a\nb\rc\r\nd", {}, "a@0|b@2|c@4|d@7"},
        {"multi-line: $ before LF, CR and CR LF", "\\w$", "a\nb\rc\r\nd", {}, "a@0|b@2|c@4|d@7"},
        {"multi-line: ^ after a closing line break", "^", "a\n", {}, "@0|@2"},
        {"multi-line: ^ also between the CR and LF of CR LF", "^", "\r\n", {}, "@0|@1|@2"},
        {"multi-line: $ also between the CR and LF of CR LF", "$", "\r\n", {}, "@0|@1|@2"},
        {"dot does not match LF or CR", ".+", "ab\ncd\ref\r\ngh", {}, "ab@0|cd@3|ef@6|gh@10"},
        {"dot does not match them on one line either", ".+", "ab\r\ncd", kOneLine, "ab@0|cd@4"},
        {"dot matches a double-byte character as one unit", "a.b", Gbk("a中b"), {}, Gbk("a中b@0")},
        {"a negated class matches line breaks", "a[^x]b", "a\nb", {}, "a\nb@0"},
        {"back-reference to an unset group matches empty", "(a)?\\1b", "b", {}, "b@0"},
        {"forward back-reference matches empty", "\\2(a)(b)", "ab", {}, "ab@0"},
        {"back-reference to a set group", "(a)\\1", "aab", {}, "aa@0"},
        {"case ignored: ASCII letters fold", "aBc", "AbC", {}, "AbC@0"},
        {"case ignored: a back-reference folds too", "(a)\\1", "aA", {}, "aA@0"},
        {"case ignored: full-width letters do not fold", Gbk("ａ"), Gbk("Ａ"), {}, ""},
        {"case kept", "abc", "ABC", kCaseKept, ""},
        {"global: every match", "a", "aaa", {}, "a@0|a@1|a@2"},
        {"not global: the first", "a", "aaa", kFirstOnly, "a@0"},
        {"empty matches step one unit", "x*", "ab", {}, "@0|@1|@2"},
        {"an empty match after a match at its end", "a*", "baa", {}, "@0|aa@1|@3"},
        {"empty matches step over a double-byte character", "x*", Gbk("中"), {}, "@0|@1"},
        {"empty matches step into CR LF", "x*", "\r\n", {}, "@0|@1|@2"},
        {"lazy quantifier", "<.+?>", "<a><b>", {}, "<a>@0|<b>@3"},
        {"matches do not overlap", "aa", "aaaaa", {}, "aa@0|aa@2"},
        {"the charset pattern over several tags",
         "<meta.+?charset=[^\\w]?([-\\w]+)",
         "<meta name=x><meta charset=\"big5\">",
         {},
         "<meta name=x><meta charset=\"big5@0"},
    };
    for (const auto& c : cases) EXPECT_EQ(Found(c.pattern, c.subject, c.options), c.want) << c.name;
}

TEST(RegexReplacement, Table) {
    const Text tenGroups = "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)";
    struct Case {
        const char* name;
        Text pattern;
        Text subject;
        Options options;
        Text replacement;
        Text want;
    };
    const Case cases[] = {
        {"groups by number", "(\\w+)@(\\w+)", "me@host", {}, "$2 at $1", "host at me"},
        {"$& is the match", "b", "abc", {}, "[$&]", "a[b]c"},
        {"$` is what precedes the match", "b", "abc", {}, "<$`>", "a<a>c"},
        {"$' is what follows the match", "b", "abc", {}, "<$'>", "a<c>c"},
        {"$$ is a dollar sign", "b", "abc", {}, "$$", "a$c"},
        {"a group the pattern lacks stays literal", "(b)", "abc", {}, "$2", "a$2c"},
        {"no groups at all: $1 stays literal", "b", "abc", {}, "$1", "a$1c"},
        {"$0 stays literal", "(b)", "abc", {}, "$0", "a$0c"},
        {"$01 is group 1", "(b)", "abc", {}, "$01", "abc"},
        {"$10 with one group is group 1 and a 0", "(b)", "abc", {}, "$10", "ab0c"},
        {"$10 with ten groups is group 10", tenGroups, "abcdefghij", {}, "$10", "j"},
        {"$11 with ten groups is group 1 and a 1", tenGroups, "abcdefghij", {}, "$11", "a1"},
        {"a group that took no part is empty", "(x)?b", "abc", {}, "[$1]", "a[]c"},
        {"a $ before another character stays", "b", "abc", {}, "$x", "a$xc"},
        {"a $ at the end stays", "b", "abc", {}, "x$", "ax$c"},
        {"$$1 is a dollar and a 1", "(b)", "abc", {}, "$$1", "a$1c"},
        {"global replaces every match", "a", "aaa", {}, "b", "bbb"},
        {"not global replaces the first", "a", "aaa", kFirstOnly, "b", "baa"},
        {"empty matches get a replacement each", "x*", "ab", {}, "-", "-a-b-"},
        {"an empty match after a match", "a*", "baa", {}, "-", "-b--"},
        {"$` and $' of an empty match", "x*", "ab", kFirstOnly, "[$`|$']", "[|ab]ab"},
        {"empty replacement deletes", "\\d", "a1b2", {}, "", "ab"},
        {"no match leaves the subject", "z", "abc", {}, "x", "abc"},
        {"double-byte text around the match", Gbk("文"), Gbk("中文字"), {}, "X", Gbk("中X字")},
        {"double-byte replacement", "b", "abc", {}, Gbk("中"), Gbk("a中c")},
        {"double-byte group moved", Gbk("(中)(文)"), Gbk("中文"), {}, "$2$1", Gbk("文中")},
        {"case ignored in the search", "B", "abc", {}, "x", "axc"},
        {"empty subject, empty match", "x*", "", {}, "-", "-"},
    };
    for (const auto& c : cases) {
        const RegexObject regex = Made(c.pattern, c.subject, c.options);
        EXPECT_EQ(regex.ReplaceMatches(c.replacement), c.want) << c.name;
    }
}

}  // namespace
}  // namespace quotidia
