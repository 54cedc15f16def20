// The spectator statistics address is built from other plugins' values; none of them may lead the
// request to another host or path than the template's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "end_of_game/observer_stats_address.h"

namespace Zarn::Client::EndOfGame {
namespace {

TEST(ObserverStatsAddressTest, OnlyHostNamesAndAddressesReachTheRequest) {
    struct Case {
        std::string host;
        std::string platformId;
        bool valid;
        std::string url;
    };
    const std::string tail = "/observer-mode/rest/consumer/endOfGameStats/";
    const std::vector<Case> cases = {
        {"spectator.example", "PLAT1", true, "http://spectator.example:8088" + tail + "PLAT1/99/token"},
        {"10.0.0.7", "PLAT1", true, "http://10.0.0.7:8088" + tail + "PLAT1/99/token"},
        {"[::1]", "PLAT1", true, "http://[::1]:8088" + tail + "PLAT1/99/token"},
        // The platform id stays one path segment, dots included.
        {"10.0.0.7", "../../admin?x=1#", true,
         "http://10.0.0.7:8088" + tail + "%2E%2E%2F%2E%2E%2Fadmin%3Fx%3D1%23/99/token"},
        {"10.0.0.7", "..", true, "http://10.0.0.7:8088" + tail + "%2E%2E/99/token"},
        // Anything that would change the host, the port or the path is refused.
        {"evil.example/steal?", "PLAT1", false,
         "http://evil%2Eexample%2Fsteal%3F:8088" + tail + "PLAT1/99/token"},
        {"user@evil.example", "PLAT1", false, "http://user%40evil%2Eexample:8088" + tail + "PLAT1/99/token"},
        {"evil.example:9", "PLAT1", false, "http://evil%2Eexample%3A9:8088" + tail + "PLAT1/99/token"},
        {"a b", "PLAT1", false, "http://a%20b:8088" + tail + "PLAT1/99/token"},
        {"", "PLAT1", false, "http://:8088" + tail + "PLAT1/99/token"},
        {"-bad.example", "PLAT1", false, "http://-bad%2Eexample:8088" + tail + "PLAT1/99/token"},
        {"[::1]/x", "PLAT1", false, "http://%5B%3A%3A1%5D%2Fx:8088" + tail + "PLAT1/99/token"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host + " " + c.platformId);
        const ObserverStatsAddress address = BuildObserverStatsAddress(c.host, 8088, c.platformId, 99);
        EXPECT_EQ(address.valid, c.valid);
        EXPECT_EQ(address.url, c.url);
    }
}

TEST(ObserverStatsAddressTest, LongHostNamesAreRefusedInLinearTime) {
    EXPECT_FALSE(IsValidHost(std::string(64, 'a')));
    EXPECT_TRUE(IsValidHost(std::string(63, 'a') + ".b"));
    EXPECT_FALSE(IsValidHost(std::string(1 << 20, 'a')));
}

}  // namespace
}  // namespace Zarn::Client::EndOfGame
