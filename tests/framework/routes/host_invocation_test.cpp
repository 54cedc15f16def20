// The route table behind a plugin entry, called by the host library the way the reference host
// calls a plugin: it picks the function whose route takes the path, fills the request record and
// releases the response through its release function.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "binding/record_registration.h"
#include "framework/routes/route_table.h"
#include "host/plugin_host.h"

namespace Zarn::Framework {
namespace {

struct Complaint {
    std::uint64_t reportedSummonerId = 0;
    std::string comment;
};

struct Plugin {
    Plugin() {
        Binding::RegisterStruct<Complaint>(registry, "MoxX.Complaint")
            .Field("reportedSummonerId", &Complaint::reportedSummonerId)
            .Field("comment", &Complaint::comment);
        routes.RegisterRoute(
            RouteMethod::Get, "/mox-x/v1/items/{id}",
            [](std::string id) { return RouteResult<std::string>("item " + id); }, RouteArgument("id"));
        routes.RegisterRoute(RouteMethod::Get, "/mox-x/v1/items/special",
                             [] { return RouteResult<std::string>("special"); });
        routes.RegisterRoute(
            RouteMethod::Post, "/mox-x/v2/player-complaints",
            [](Complaint complaint, std::string source) {
                complaint.comment += " via " + source;
                return RouteResult<Complaint>(complaint);
            },
            RouteArgument("complaint").InBody(), RouteArgument("source"));
        const std::span<const ApiFunctionRecord> records = routes.FunctionRecords();
        description.functions = records.data();
        description.functionCount = static_cast<std::uint32_t>(records.size());
    }

    Binding::BindingRegistry registry;
    RouteTable routes{registry};
    ApiDescription description{};
    PluginCallbacks callbacks{[](void*, const HostInterface*) -> std::uint8_t { return 1; }, [](void*) {},
                              [](void*, MemoryStats* stats) { *stats = MemoryStats{}; }};
};

Plugin* current = nullptr;

void MOX_CDECL Entry(PluginEntryTable* table) {
    table->version = {18, 0, 0};
    table->callbacks = &current->callbacks;
    table->context = current;
    table->name = "mox-x";
    table->api = &current->description;
}

class HostInvocationTest : public ::testing::Test {
protected:
    HostInvocationTest() {
        current = &plugin;
        EXPECT_TRUE(host.Load(&Entry).Succeeded());
        EXPECT_TRUE(host.Initialize());
    }
    ~HostInvocationTest() override { current = nullptr; }

    Plugin plugin;
    Host::PluginHost host;
};

TEST_F(HostInvocationTest, TheRouteCapturingFewestCharactersIsCalled) {
    struct Case {
        const char* path;
        const char* result;
    };
    const Case cases[] = {
        {"/mox-x/v1/items/special", "special"},
        {"/mox-x/v1/items/42", "item 42"},
    };
    for (const Case& c : cases) {
        Host::PluginCall call;
        call.method = "GET";
        call.path = c.path;
        const Host::CallResult result = host.Call(call);
        EXPECT_EQ(result.error, "") << c.path;
        EXPECT_EQ(result.value.GetString(), c.result) << c.path;
    }
}

TEST_F(HostInvocationTest, BodyAndTextArgumentsThroughTheHost) {
    Host::PluginCall call;
    call.method = "POST";
    call.path = "/mox-x/v2/player-complaints";
    call.contentType = "Application/JSON; charset=utf-8";
    call.body = R"({"reportedSummonerId": 77, "comment": "spam"})";
    call.arguments = {{"source", "end of game"}};
    const Host::CallResult result = host.Call(call);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.value.Field("reportedSummonerId").GetUnsigned(), 77u);
    EXPECT_EQ(result.value.Field("comment").GetString(), "spam via end of game");

    call.contentType = "application/x-msgpack";
    call.body = std::string("\x81\xB2reportedSummonerId\x05", 21) + '\xC0';
    const Host::CallResult extra = host.Call(call);
    EXPECT_EQ(extra.error, "Extra MessgePack data found in body");
    EXPECT_EQ(host.FaultCount(), 0u);
}

}  // namespace
}  // namespace Zarn::Framework
