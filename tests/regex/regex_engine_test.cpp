// The engine's own face: properties, the refused property, the collection's
// reads, and failure as no result.

#include "regex/regex_engine.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

namespace quotidia {
namespace {

std::u16string Text16(std::optional<std::u16string_view> v) { return v ? std::u16string(*v) : u"<none>"; }

TEST(RegexEngine, Properties) {
    RegexEngine fresh;
    RegexEngine written;
    const bool ignoreCase = written.PutProperty("IgnoreCase", true);
    const bool multiline = written.PutProperty("multiline", true);  // names are matched as late binding does
    const bool singleline = written.PutProperty("Singleline", true);
    const bool global = written.PutProperty("Global", true);
    const bool pattern = written.PutProperty("Pattern", true);  // not a boolean property
    struct Case {
        const char* name;
        bool got;
        bool want;
    };
    const Case cases[] = {
        {"IgnoreCase starts false", fresh.IgnoreCase(), false},
        {"Multiline starts false", fresh.Multiline(), false},
        {"Global starts false", fresh.Global(), false},
        {"Pattern starts empty", fresh.Pattern().empty(), true},
        {"IgnoreCase write accepted", ignoreCase, true},
        {"IgnoreCase written", written.IgnoreCase(), true},
        {"Multiline write accepted", multiline, true},
        {"Multiline written", written.Multiline(), true},
        {"Global write accepted", global, true},
        {"Global written", written.Global(), true},
        {"Singleline refused", singleline, false},
        {"Pattern refused as a boolean", pattern, false},
        {"Pattern left alone", written.Pattern().empty(), true},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(RegexEngine, CollectionReads) {
    RegexEngine engine;
    engine.SetGlobal(true);
    engine.SetPattern(u"(a)(x)?(\u4E2D)");
    auto found = engine.Execute(u"-a\u4E2D a\u4E2D");
    ASSERT_TRUE(found);
    const auto first = found->Item(0);
    const auto second = found->Item(1);
    ASSERT_TRUE(first && second);
    struct Case {
        const char* name;
        std::u16string got;
        std::u16string want;
    };
    const Case cases[] = {
        {"value", std::u16string(first->Value()), u"a\u4E2D"},
        {"group 1", Text16(first->SubMatches().Item(0)), u"a"},
        {"group that took no part", Text16(first->SubMatches().Item(1)), u"<none>"},
        {"group 3", Text16(second->SubMatches().Item(2)), u"\u4E2D"},
        {"group index past the groups", Text16(first->SubMatches().Item(3)), u"<none>"},
        {"group index negative", Text16(first->SubMatches().Item(-1)), u"<none>"},
        {"group index INT_MIN", Text16(first->SubMatches().Item(INT_MIN)), u"<none>"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
    EXPECT_EQ(found->Count(), 2);
    EXPECT_EQ(first->FirstIndex(), 1);
    EXPECT_EQ(second->FirstIndex(), 4);
    EXPECT_EQ(second->Length(), 2);
    EXPECT_EQ(first->SubMatches().Count(), 3);
    EXPECT_FALSE(found->Item(2));
    EXPECT_FALSE(found->Item(-1));
    EXPECT_FALSE(found->Item(INT_MAX));
}

TEST(RegexEngine, ChangesTakeEffectOnTheNextSearch) {
    RegexEngine engine;
    engine.SetPattern(u"a");
    struct Case {
        const char* name;
        int got;
        int want;
    };
    const int caseKept = engine.Execute(u"A")->Count();
    engine.SetIgnoreCase(true);
    const int caseIgnored = engine.Execute(u"A")->Count();
    engine.SetPattern(u"^b");
    const int oneLine = engine.Execute(u"a\nb")->Count();
    engine.SetMultiline(true);
    const int lines = engine.Execute(u"a\nb")->Count();
    engine.SetPattern(u"(");
    const bool invalidExecute = engine.Execute(u"a") == nullptr;
    const bool invalidReplace = !engine.Replace(u"a", u"b");
    engine.SetPattern(u"b");
    const int validAgain = engine.Execute(u"bb")->Count();
    engine.SetGlobal(true);
    const int global = engine.Execute(u"bb")->Count();
    const Case cases[] = {
        {"case kept", caseKept, 0},
        {"case ignored after IgnoreCase", caseIgnored, 1},
        {"one line", oneLine, 0},
        {"multi-line after Multiline", lines, 1},
        {"invalid pattern: no collection", invalidExecute, 1},
        {"invalid pattern: no replacement", invalidReplace, 1},
        {"valid pattern again", validAgain, 1},
        {"global after Global", global, 2},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

}  // namespace
}  // namespace quotidia
