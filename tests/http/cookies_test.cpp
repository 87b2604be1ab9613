#include "http/cookies.h"

#include <gtest/gtest.h>

#include "support/text_support.h"

namespace quotidia {
namespace {

TEST(MergeCookies, Table) {
    struct Case {
        const char* name;
        Text oldCookies;
        Text newCookies;
        Text want;
    };
    const Case cases[] = {
        {"worked example", "a=1; b=2; c=3", "b=5; d=4; c=deleted", "b=5; d=4; a=1"},
        {"both empty", "", "", ""},
        {"old only", "x=1", "", "x=1"},
        {"new only", "", "x=1", "x=1"},
        {"exact repetition removed", "", "x=1; x=1", "x=1"},
        {"same name, different values, both new", "", "x=1; x=2", "x=1; x=2"},
        {"first of two old items with one name", "a=1; a=2", "", "a=1"},
        {"new deletion marker", "sid=A", "sid=deleted", ""},
        {"old deletion marker", "x=deleted", "", ""},
        {"names are case-sensitive", "Sid=1", "sid=2", "sid=2; Sid=1"},
        {"spaces inside values removed", "a=b c", "", "a=bc"},
        {"full-width spaces removed", "a=b\xA1\xA1" "c", "", "a=bc"},
        {"item without '='", "flag", "flag", "flag"},
        {"trailing separator", "a=1;", "", "a=1"},
        {"empty item between separators", "a=1;;b=2", "", "a=1; ; b=2"},
        {"leading empty item", ";a=1", "", "; a=1"},
        {"'deleted' alone is not a marker", "deleted", "", "deleted"},
        {"name with spaces around '='", "a = 1", "a=2", "a=2"},
        {"value holding '='", "t=a=b", "", "t=a=b"},
    };
    for (const auto& c : cases) {
        Text oldCookies = c.oldCookies, newCookies = c.newCookies;
        Text merged = MergeCookies(oldCookies, newCookies);
        EXPECT_EQ(merged, c.want) << c.name;
        EXPECT_EQ(oldCookies, c.want) << c.name << ": old variable holds the merged string";
    }
}

TEST(MergeCookies, NewVariableLosesItsSpaces) {
    Text oldCookies = "a=1; b=2; c=3", newCookies = "b=5; d=4; c=deleted";
    MergeCookies(oldCookies, newCookies);
    EXPECT_EQ(newCookies, "b=5;d=4;c=deleted");
}

TEST(CookieName, Table) {
    EXPECT_EQ(CookieName("sid=abc"), "sid");
    EXPECT_EQ(CookieName("  sid =abc"), "sid");
    EXPECT_EQ(CookieName("flag"), "flag");
    EXPECT_EQ(CookieName("=v"), "");
    EXPECT_EQ(CookieName(""), "");
    EXPECT_TRUE(HasCookieName({"a=1", "b=2"}, "b"));
    EXPECT_FALSE(HasCookieName({"a=1", "b=2"}, "B"));
    EXPECT_FALSE(HasCookieName({}, ""));
    EXPECT_TRUE(HasCookieName({"=x"}, ""));
}

}  // namespace
}  // namespace quotidia
