#include "framework/host_event_name.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/address_pattern.h"

namespace Zarn::Framework {
namespace {

TEST(HostEventNameTest, ResourceAddressesKeepThreePiecesOrFiveUnderPlatformConfig) {
    struct Case {
        const char* address;
        const char* name;
    };
    const Case cases[] = {
        {"/mox-gameflow/v1/gameflow-phase", "OnJsonApiEvent_mox-gameflow_v1_gameflow-phase"},
        {"/mox-end-of-game/v1/eog-stats-block/extra", "OnJsonApiEvent_mox-end-of-game_v1_eog-stats-block"},
        {"/mox-platform-config/v1/namespaces/p/q/r", "OnJsonApiEvent_mox-platform-config_v1_namespaces_p_q"},
        {"/mox-platform-config/v1", "OnJsonApiEvent_mox-platform-config_v1"},
        {"/x/mox-platform-config/a/b/c", "OnJsonApiEvent_x_mox-platform-config_a"},
        {"mox-a/v1/b", "OnJsonApiEvent_mox-a_v1_b"},
        {"//mox-a///v1//b//", "OnJsonApiEvent_mox-a_v1_b"},
        {"/", "OnJsonApiEvent"},
        {"", "OnJsonApiEvent"},
    };
    for (const Case& c : cases) EXPECT_EQ(ResourceEventName(c.address), c.name) << c.address;
}

TEST(HostEventNameTest, LcdsTypeNamesReplaceEveryDot) {
    EXPECT_EQ(LcdsEventName("com.zarngames.platform.game.GameDTO"),
              "OnLcdsEvent_com_zarngames_platform_game_GameDTO");
    EXPECT_EQ(LcdsEventName(""), "OnLcdsEvent_");
}

TEST(AddressPatternTest, StarMatchesWithinOneSegment) {
    struct Case {
        const char* pattern;
        const char* address;
        bool matches;
    };
    const Case cases[] = {
        {"/mox-x/v1/items/*", "/mox-x/v1/items/42", true},
        {"/mox-x/v1/items/*", "/mox-x/v1/items/42/detail", false},
        {"/mox-x/v1/items/*", "/mox-x/v1/items/", false},  // a final "*" needs a character
        {"/mox-x/v1/items/*", "/mox-x/v1/items", false},
        {"/mox-x/v1/*/state", "/mox-x/v1/abc/state", true},
        {"/mox-x/v1/*/state", "/mox-x/v1//state", true},  // empty before a "/"
        {"/mox-x/v1/*/state", "/mox-x/v1/a/b/state", false},
        {"/mox-x/*/*", "/mox-x/v1/z", true},
        {"/mox-x/v1/b", "/mox-x/v1/b", true},
        {"/mox-x/v1/b", "/mox-x/v1/bc", false},
        {"/mox-x/v1/b", "/mox-x/v1/", false},
        {"*", "", false},
        {"", "", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesAddressPattern(c.pattern, c.address), c.matches) << c.pattern << " vs " << c.address;
    }
}

}  // namespace
}  // namespace Zarn::Framework
