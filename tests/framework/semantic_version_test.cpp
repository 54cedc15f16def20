#include "framework/semantic_version.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/plugin_names.h"
#include "logging/log_target.h"
#include "logging/logger.h"

namespace Zarn::Framework {
namespace {

TEST(SemanticVersionTest, TextAddsPrereleaseAndBuildOnlyWhenPresent) {
    struct Case {
        SemanticVersion version;
        const char* text;
    };
    const Case cases[] = {
        {{18, 2, 1, "", ""}, "18.2.1"},
        {{18, 2, 1, "rc1", ""}, "18.2.1-rc1"},
        {{18, 2, 1, "beta", "7"}, "18.2.1-beta+7"},
        {{18, 2, 1, "", "7"}, "18.2.1+7"},
        {{4294967295u, 0, 0, "", ""}, "4294967295.0.0"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.version.Text(), c.text);
}

// The host path (entry_test.cpp) covers a plugin at 18.0.0; these rows need a plugin minor and patch.
TEST(SemanticVersionTest, HostMustShareTheMajorAndNotBeOlderInMinorThenPatch) {
    struct Case {
        std::uint32_t host[3];
        bool compatible;
    };
    const Case cases[] = {
        {{18, 2, 5}, true}, {{18, 3, 0}, true}, {{18, 2, 4}, false}, {{18, 1, 9}, false}, {{19, 2, 5}, false},
    };
    const SemanticVersion plugin{18, 2, 5, "", ""};
    for (const Case& c : cases) {
        const SemanticVersion host{c.host[0], c.host[1], c.host[2], "", ""};
        EXPECT_EQ(IsCompatible(plugin, host), c.compatible) << host.Text();
    }
}

class KeepingTarget : public Logging::LogTarget {
public:
    KeepingTarget() : LogTarget({0, 0, 0, "#M"}) {}
    ~KeepingTarget() override { Detach(); }
    std::string_view ClassName() const override { return "KeepingTarget"; }
    std::vector<std::string> lines;

protected:
    void WriteLine(std::string_view line) override { lines.emplace_back(line); }
};

TEST(PluginNamesTest, KindSelectsThePrefixAndAnUnknownKindIsLogged) {
    struct Case {
        PluginKind kind;
        const char* fullName;
        const char* logged;  // null when nothing is logged
    };
    const Case cases[] = {
        {{"backend", ""}, "zcp-be-mox-end-of-game", nullptr},
        {{"frontend", "v2"}, "zcp-fe-mox-end-of-game", nullptr},
        {{"Backend", ""},
         "zcp-xx-mox-end-of-game",
         "            Plugin Manager| GetFullNameFromShortNameAndType(\"mox-end-of-game\", \"Backend\") "
         "called "
         "with an unknown type\n"},
        {{"", ""},
         "zcp-xx-mox-end-of-game",
         "            Plugin Manager| GetFullNameFromShortNameAndType(\"mox-end-of-game\", \"\") called with "
         "an "
         "unknown type\n"},
    };
    for (const Case& c : cases) {
        KeepingTarget target;
        target.Register();
        const PluginNames names = GetFullNameFromShortNameAndType("mox-end-of-game", c.kind);
        EXPECT_EQ(names.fullName, c.fullName);
        EXPECT_EQ(names.shortName, "mox-end-of-game");
        EXPECT_EQ(names.kind, c.kind.type);
        EXPECT_EQ(names.kindVariant, c.kind.variant);
        if (c.logged == nullptr) {
            EXPECT_TRUE(target.lines.empty()) << c.kind.type;
        } else {
            EXPECT_EQ(target.lines, std::vector<std::string>{c.logged});
        }
    }
}

}  // namespace
}  // namespace Zarn::Framework
