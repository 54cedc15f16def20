// Routes registered by a module's RegisterApi reach the host as the function records of the API
// description the entry hands out, tagged with the module's registration tags.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/app_module.h"
#include "tests/framework/routes/invocation.h"

namespace Zarn::Framework {
namespace {

class ItemsModule : public AppModule {
public:
    void RegisterApi() override {
        RegisterRoute(RouteMethod::Get, "/mox-items/v1/reported-players",
                      [this] { return RouteResult<std::vector<std::uint64_t>>(reported); });
        RegisterRoute(
            RouteMethod::Get, "/mox-items/v1/items/{id}",
            [](std::uint32_t id) -> RouteResult<std::string> {
                if (id == 0) return NotFound("No item.");
                return "item " + std::to_string(id);
            },
            RouteArgument("id"));
    }

    std::vector<std::uint64_t> reported{3, 5};
};

TEST(AppModuleRoutes, RegisteredRoutesAreTheDescriptionsFunctions) {
    ItemsModule module;
    PluginEntryTable table{};
    table.version = {18, 0, 0};
    ASSERT_TRUE(module.Start(table, "mox-items"));
    const ApiDescription& api = *table.api;
    ASSERT_EQ(+api.functionCount, 2u);

    std::vector<std::string> names;
    for (const ApiFunctionRecord* function = api.functions; function; function = function->next) {
        names.push_back(function->name);
        ASSERT_EQ(+function->tagCount, 2u);
        EXPECT_STREQ(function->tags[0], "Plugins");
        EXPECT_STREQ(function->tags[1], "Plugin mox-items");
    }
    EXPECT_EQ(names, (std::vector<std::string>{"GetMoxItemsV1ItemsById", "GetMoxItemsV1ReportedPlayers"}));

    const testing::Answer item = testing::Invoke(api.functions[0], testing::Call("/mox-items/v1/items/7"));
    EXPECT_EQ(item.value.GetString(), "item 7");
    const testing::Answer missing = testing::Invoke(api.functions[0], testing::Call("/mox-items/v1/items/0"));
    EXPECT_EQ(missing.status, 404u);
    EXPECT_EQ(missing.error, "No item.");
    const testing::Answer reported =
        testing::Invoke(api.functions[1], testing::Call("/mox-items/v1/reported-players"));
    EXPECT_EQ(reported.value.Size(), 2u);
    EXPECT_EQ(reported.value.Element(1).GetUnsigned(), 5u);
}

}  // namespace
}  // namespace Zarn::Framework
