#include "framework/routes/route_template.h"

#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace Zarn::Framework {
namespace {

std::optional<std::vector<std::string>> MatchOf(const RouteTemplate& route, std::string_view path) {
    std::vector<std::string_view> captures;
    if (!route.Match(path, captures)) {
        EXPECT_TRUE(captures.empty());
        return std::nullopt;
    }
    return std::vector<std::string>(captures.begin(), captures.end());
}

TEST(RouteTemplate, PatternsAndPlaceholders) {
    struct Case {
        const char* text;
        const char* pattern;
        std::vector<Placeholder> placeholders;
    };
    using enum PlaceholderKind;
    const Case cases[] = {
        {"/mox-end-of-game/v1/eog-stats-block", "/mox-end-of-game/v1/eog-stats-block", {}},
        {"/mox-x/v1/items/{id}", "/mox-x/v1/items/([^/]*)", {{"id", Segment}}},
        {"/files/{+path}", "/files/(.*)", {{"path", Rest}}},
        {"/page{#anchor}", "/page#(.*)", {{"anchor", Fragment}}},
        {"/a/{x}/b/{+y}{#z}", "/a/([^/]*)/b/(.*)#(.*)", {{"x", Segment}, {"y", Rest}, {"z", Fragment}}},
        {"/v1.0/^$*+?()[]|\\", "/v1\\.0/\\^\\$\\*\\+\\?\\(\\)\\[\\]\\|\\\\", {}},
        // "+" and "#" count only first inside the braces; an unclosed brace is literal text.
        {"/{a+b}/{}", "/([^/]*)/([^/]*)", {{"a+b", Segment}, {"", Segment}}},
        {"/x{y", "/x{y", {}},
    };
    for (const Case& c : cases) {
        const RouteTemplate route(c.text);
        EXPECT_EQ(route.Pattern(), c.pattern) << c.text;
        EXPECT_EQ(route.Placeholders(), c.placeholders) << c.text;
    }
}

TEST(RouteTemplate, StoredTemplateDropsOneTrailingSlash) {
    struct Case {
        const char* text;
        const char* stored;
    };
    const Case cases[] = {
        {"/mox-x/v1/items/", "/mox-x/v1/items"},
        {"/", "/"},
        {"//", "/"},
        {"/a//", "/a/"},
        {"/a", "/a"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(StoredTemplate(c.text), c.stored) << c.text;
}

TEST(RouteTemplate, MatchesWholePathsWithGreedyCaptures) {
    struct Case {
        const char* text;
        std::string path;
        std::optional<std::vector<std::string>> captures;
    };
    const Case cases[] = {
        {"/mox-x/v1/items/{id}", "/mox-x/v1/items/42", std::vector<std::string>{"42"}},
        {"/mox-x/v1/items/{id}", "/mox-x/v1/items/", std::vector<std::string>{""}},
        {"/mox-x/v1/items/{id}", "/mox-x/v1/items/4/2", std::nullopt},
        {"/mox-x/v1/items/{id}", "/mox-x/v1/items", std::nullopt},
        // A literal "." matches only ".".
        {"/v1.0/x", "/v1.0/x", std::vector<std::string>{}},
        {"/v1.0/x", "/v1a0/x", std::nullopt},
        {"/a.{id}", "/a.b", std::vector<std::string>{"b"}},
        {"/a.{id}", "/aXb", std::nullopt},
        {"/files/{+path}", "/files/a/b/c", std::vector<std::string>{"a/b/c"}},
        {"/files/{+path}", "/files/a\nb", std::nullopt},
        {"/{a}/{+b}/z", "/x/y/z/z", std::vector<std::string>{"x", "y/z"}},
        {"/{+a}/{+b}", "/x/y/z", std::vector<std::string>{"x/y", "z"}},
        {"/{a}{b}", "/xy", std::vector<std::string>{"xy", ""}},
        {"/page{#anchor}", "/page#top#2", std::vector<std::string>{"top#2"}},
        {"/page{#anchor}", "/page", std::nullopt},
        {"/{+a}{#b}", "/x#y#z", std::vector<std::string>{"x#y", "z"}},
        {"/", "/", std::vector<std::string>{}},
        {"/", "", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchOf(RouteTemplate(c.text), c.path), c.captures) << c.text << " on " << c.path;
    }
}

// The standard engine is the reference on inputs short enough for it: every path of up to six
// characters from an alphabet holding the separators and the bytes "." excludes.
TEST(RouteTemplate, AgreesWithTheStandardEngineOnShortPaths) {
    const char* const templates[] = {"/{a}",          "/{+a}",       "/{a}/{b}", "/x.{a}/{+b}",
                                     "/{+a}/{b}",     "{#a}",        "/{a}{#b}", "{+a}.{+b}.{c}",
                                     "/{a}/{+b}/{c}", "/{a}{b}.{c}", "a.b"};
    const std::string alphabet = "a/.#\n";
    for (const char* text : templates) {
        const RouteTemplate route(text);
        const std::regex reference(route.Pattern(), std::regex::ECMAScript);
        std::vector<std::string> paths = {""};
        for (std::size_t begin = 0, length = 0; length < 6; ++length) {
            const std::size_t end = paths.size();
            for (std::size_t i = begin; i < end; ++i) {
                for (char c : alphabet) paths.push_back(paths[i] + c);
            }
            begin = end;
        }
        for (const std::string& path : paths) {
            std::smatch match;
            std::optional<std::vector<std::string>> expected;
            if (std::regex_match(path, match, reference)) {
                expected.emplace();
                for (std::size_t i = 1; i < match.size(); ++i) expected->push_back(match[i].str());
            }
            ASSERT_EQ(MatchOf(route, path), expected) << text << " on \"" << path << "\"";
        }
    }
}

TEST(RouteTemplate, MegabytePaths) {
    const std::string big(1 << 20, 'x');
    struct Case {
        const char* text;
        std::string path;
        std::optional<std::vector<std::string>> captures;
    };
    const Case cases[] = {
        {"/items/{id}", "/items/" + big, std::vector<std::string>{big}},
        {"/items/{id}", "/items/" + big + "/", std::nullopt},
        {"/files/{+path}/end", "/files/" + big + "/" + big + "/end",
         std::vector<std::string>{big + "/" + big}},
        {"/{a}/{b}/{c}", "/" + big + "/" + big + "/" + big, std::vector<std::string>{big, big, big}},
        {"/{a}.{b}", "/" + big, std::nullopt},
        {"/{+a}.{+b}", "/" + big + "." + big, std::vector<std::string>{big, big}},
        {"/items", "/items" + big, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(MatchOf(RouteTemplate(c.text), c.path), c.captures) << c.text;
}

}  // namespace
}  // namespace Zarn::Framework
