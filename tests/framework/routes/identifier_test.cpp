#include "framework/identifier.h"

#include <gtest/gtest.h>

namespace Zarn::Framework {
namespace {

TEST(Identifier, RuleWithAndWithoutPrefix) {
    struct Case {
        const char* prefix;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"", "mox-end-of-game", "MoxEndOfGame"},
        {"", "mox-end-of-game-", "MoxEndOfGame"},
        {"", "a.b_c", "ABC"},
        {"", "Get/mox-end-of-game/v1/reported-players", "GetMoxEndOfGameV1ReportedPlayers"},
        {"", "/items/{id}", "ItemsById"},
        {"", "/files/{+path}/x!y", "FilesByPathXY"},
        {"", "", ""},
        {"", "--", ""},
        // Bytes outside ASCII are kept as they are.
        {"", "\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
        {"GET", "/mox-end-of-game/v1/reported-players", "GetMoxEndOfGameV1ReportedPlayers"},
        {"POST", "/mox-end-of-game/v1/state/dismiss-stats", "PostMoxEndOfGameV1StateDismissStats"},
        {"DELETE", "/items/{id}", "DeleteItemsById"},
        // The prefix's first character is taken as given: the rule capitalises it.
        {"get", "/", "Get"},
        {"OPTIONS", "", "Options"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Identifier(c.text, c.prefix), c.expected)
            << "prefix '" << c.prefix << "', text '" << c.text << "'";
    }
}

}  // namespace
}  // namespace Zarn::Framework
