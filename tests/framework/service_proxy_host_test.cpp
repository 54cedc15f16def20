// Service-proxy requests, LCDS calls and telemetry of a real module, driven through the host
// library with its login peer answering: what crosses the boundary, replies delivered on later
// turns while the module waits, and the refusals after shutdown began.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "binding/binding_property.h"
#include "binding/record_registration.h"
#include "binding/static_type.h"
#include "encodings/json_writer.h"
#include "framework/app_module.h"
#include "framework/plugin_entry.h"
#include "host/login_peer.h"
#include "host/plugin_host.h"
#include "logging/logger.h"

namespace Zarn::Framework::Testing {
namespace {

using Binding::BindingProperty;
using Host::BoundaryKind;
using Host::BoundaryRecord;
using Host::HostReply;
using Host::LoginPeer;
using Host::PluginHost;
using Host::ServiceProxyReply;

struct Spell {
    std::int32_t spellId = 0;
};
struct DialogResponse {
    std::uint64_t accountId = 0;
    std::string msgId;
    std::vector<Spell> spells;
};
struct Complaint {
    std::uint64_t gameId = 0;
    std::string comment;
};
// Never registered: its values do not convert.
struct Unregistered {
    std::int32_t value = 0;
};

// What the plugin saw while shutting down, kept past the module's destruction.
struct ShutdownSeen {
    bool ran = false;
    std::string refusal;
};
ShutdownSeen shutdownSeen;

class ProxyPlugin final : public AppModule {
public:
    void RegisterApi() override {
        Binding::RegisterStruct<Spell>(Registry(), "TestLcdsSpell").Field("spellId", &Spell::spellId);
        Binding::RegisterStruct<DialogResponse>(Registry(), "TestLcdsDialogResponse")
            .Field("accountId", &DialogResponse::accountId)
            .Field("msgId", &DialogResponse::msgId)
            .Field("spells", &DialogResponse::spells);
        Binding::RegisterStruct<Complaint>(Registry(), ApiNamePrefix() + "Complaint")
            .Field("gameId", &Complaint::gameId)
            .Field("comment", &Complaint::comment);
        RegisterLcdsClassName("TestLcdsSpell", Binding::StaticType::Of<Spell>().Id(),
                              "com.zarngames.test.Spell");
        RegisterLcdsClassName("TestLcdsDialogResponse", Binding::StaticType::Of<DialogResponse>().Id(),
                              "com.zarngames.test.DialogResponse");
    }

    void Finalize() override {
        shutdownSeen.ran = true;
        shutdownSeen.refusal = ServiceProxyRequest("report", "reportPlayer", Complaint{}, "", "",
                                                   [](const PluginServiceProxyResponse&) {});
        AppModule::Finalize();
    }
};

void MOX_CDECL ProxyPluginEntry(PluginEntryTable* table) {
    StartPlugin<ProxyPlugin>(table, "mox-proxy-test");
}

class ServiceProxyHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        host->Requests().Add("POST", "/telemetry/v1/events/*",
                             [](const Host::HostRequest&) { return HostReply::Status(204); });
        ASSERT_TRUE(host->Load(&ProxyPluginEntry).Succeeded());
        ASSERT_TRUE(host->Initialize());
        host->RunUntilIdle();
        plugin = static_cast<ProxyPlugin*>(host->EntryTable().context);
        shutdownSeen = {};
    }

    void TearDown() override {
        host.reset();
        Logging::Logger::Instance().ResetToDefaults();
    }

    std::vector<const BoundaryRecord*> Records(BoundaryKind kind) const {
        std::vector<const BoundaryRecord*> found;
        for (const BoundaryRecord& record : host->Transcript())
            if (record.kind == kind) found.push_back(&record);
        return found;
    }
    std::vector<std::string> Logs() const {
        std::vector<std::string> texts;
        for (const BoundaryRecord* record : Records(BoundaryKind::kLog)) texts.push_back(record->text);
        return texts;
    }

    std::unique_ptr<PluginHost> host = std::make_unique<PluginHost>();
    LoginPeer login{*host};
    ProxyPlugin* plugin = nullptr;
};

TEST_F(ServiceProxyHostTest, WaitingRequestEndsWithTheReplysOutcome) {
    struct Case {
        const char* name;
        ServiceProxyReply reply;
        std::string failure;  // "" for success
    };
    const std::vector<Case> cases = {
        {"success", {}, ""},
        {"error text", {"FAILED", "", "Account not found", false}, "Account not found"},
        {"status text alone", {"FAILED", "", "", false}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        login.SetReply("report.reportPlayer", c.reply);
        host->ClearTranscript();
        const AppModule::AwaitResult result =
            plugin->ServiceProxyRequestAndWait("report", "reportPlayer", Complaint{1234, "rude"});
        ASSERT_EQ(result.Failed(), !c.failure.empty());
        if (result.Failed()) {
            EXPECT_EQ(result.Error().message, c.failure);
        }
        // The reply came on a later turn, while the module waited.
        ASSERT_EQ(Records(BoundaryKind::kWait).size(), 1u);
        ASSERT_EQ(Records(BoundaryKind::kDeliver).size(), 1u);
        EXPECT_EQ(Records(BoundaryKind::kDeliver)[0]->name, "OnServiceProxyUuidEvent");
    }
    const LoginPeer::ProxyRequest& sent = login.Requests().back();
    EXPECT_EQ(sent.payload, R"({"comment":"rude","gameId":1234})");
    EXPECT_EQ(sent.pluginHandle, host->Options().handle);
    const std::string uuid = sent.uuid;
    EXPECT_EQ(Logs(), (std::vector<std::string>{
                          "mox-proxy-test: Preparing service proxy request: report.reportPlayer",
                          "mox-proxy-test: Started service proxy request: report.reportPlayer (" + uuid + ")",
                          "mox-proxy-test: Fulfilled service proxy request: " + uuid}));
}

TEST_F(ServiceProxyHostTest, MethodRequestInFlightIsRefusedUntilItsReplyArrives) {
    login.SetReply("inventory.query", ServiceProxyReply{"OK", "", "", true});
    std::vector<std::string> payloads;
    const auto collect = [&](const PluginServiceProxyResponse& reply) { payloads.push_back(reply.payload); };
    EXPECT_EQ(plugin->ServiceProxyRequest("inventory", "query", Complaint{}, "queryReply", "x", collect), "");
    EXPECT_EQ(plugin->ServiceProxyRequest("inventory", "query", Complaint{}, "queryReply", "x", collect),
              "Request already in flight");
    EXPECT_EQ(login.Requests().size(), 1u);
    EXPECT_EQ(login.Requests()[0].replyMethod, "queryReply");
    EXPECT_EQ(login.Requests()[0].extra, "x");

    host->Deliver(
        "OnServiceProxyMethodEvent",
        LoginPeer::ReplyPayload("", "inventory", "queryReply", ServiceProxyReply{"OK", "[1,2]", "", false}));
    host->RunUntilIdle();
    EXPECT_EQ(payloads, (std::vector<std::string>{"[1,2]"}));
    EXPECT_EQ(plugin->ServiceProxyRequest("inventory", "query", Complaint{}, "queryReply", "x", collect), "");
}

TEST_F(ServiceProxyHostTest, ACompletionMayStartTheNextRequest) {
    std::vector<std::string> done;
    ASSERT_EQ(
        plugin->ServiceProxyRequest("report", "first", Complaint{}, "", "",
                                    [&](const PluginServiceProxyResponse& reply) {
                                        done.push_back(reply.methodName);
                                        done.push_back(plugin->ServiceProxyRequest(
                                            "report", "second", Complaint{}, "", "",
                                            [&](const auto& next) { done.push_back(next.methodName); }));
                                    }),
        "");
    host->RunUntilIdle();
    EXPECT_EQ(done, (std::vector<std::string>{"first", "", "second"}));
}

TEST_F(ServiceProxyHostTest, AsyncMessagesReachTheirRegisteredHandler) {
    std::vector<std::string> payloads;
    plugin->RegisterAsyncServiceProxyHandler("teambuilder-draft", "gameloopPlayerInfoV1",
                                             [&](const auto& reply) { payloads.push_back(reply.payload); });
    EXPECT_EQ(login.AsyncRegistrations(),
              (std::vector<std::string>{"teambuilder-draft.gameloopPlayerInfoV1"}));
    login.SendAsync("teambuilder-draft", "gameloopPlayerInfoV1", R"({"rerollDataBag":{"totalPoints":250}})");
    login.SendAsync("teambuilder-draft", "unregistered", "{}");
    host->RunUntilIdle();
    EXPECT_EQ(payloads, (std::vector<std::string>{R"({"rerollDataBag":{"totalPoints":250}})"}));
    EXPECT_EQ(Logs().back(),
              "mox-proxy-test: Could not find registered handler for async service proxy event "
              "teambuilder-draft.unregistered");
}

TEST_F(ServiceProxyHostTest, LcdsCallsCarryClassNamesAndReportFailures) {
    DialogResponse response{77, "m-1", {Spell{4}, Spell{14}}};
    EXPECT_TRUE(
        plugin->InvokeLcdsAndWait("clientFacadeService", "callPersistenceMessaging", response).Succeeded());
    ASSERT_EQ(login.Invocations().size(), 1u);
    EXPECT_EQ(login.Invocations()[0].destination, "clientFacadeService");
    EXPECT_EQ(login.Invocations()[0].operation, "callPersistenceMessaging");
    EXPECT_EQ(Encodings::WriteJson(login.Invocations()[0].args),
              R"([{"__class":"com.zarngames.test.DialogResponse","accountId":77,"msgId":"m-1",)"
              R"("spells":[{"__class":"com.zarngames.test.Spell","spellId":4},)"
              R"({"__class":"com.zarngames.test.Spell","spellId":14}]}])");
    EXPECT_TRUE(Records(BoundaryKind::kWait).empty());  // ready at once: no wait announced

    const AppModule::AwaitResult unconvertible = plugin->InvokeLcdsAndWait("d", "o", Unregistered{});
    ASSERT_TRUE(unconvertible.Failed());
    EXPECT_EQ(unconvertible.Error().message.rfind("Couldn't convert LCDS call parameters: ", 0), 0u);
    EXPECT_EQ(login.Invocations().size(), 1u);

    login.SetInvokeReply(HostReply::Status(503, "not connected"));
    const AppModule::AwaitResult refused = plugin->InvokeLcdsAndWait("d", "o", Spell{1});
    ASSERT_TRUE(refused.Failed());
    EXPECT_EQ(refused.Error(),
              (Failure{"Error response for POST /mox-login/v1/session/invoke: not connected", 503}));
}

TEST_F(ServiceProxyHostTest, TelemetryEventsArePostedUnderTheirName) {
    ASSERT_NE(plugin->Telemetry(), nullptr);
    host->ClearTranscript();
    EXPECT_TRUE(
        plugin->Telemetry()->SendTelemetryEvent("end-of-game-summary", Complaint{5, "gg"}).get().Succeeded());
    const std::vector<const BoundaryRecord*> requests = Records(BoundaryKind::kRequest);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]->method, "POST");
    EXPECT_EQ(requests[0]->path, "/telemetry/v1/events/end-of-game-summary");
    EXPECT_EQ(Encodings::WriteJson(requests[0]->params), R"({"comment":"gg","gameId":5})");

    const TelemetrySender::Result failed = plugin->Telemetry()->SendTelemetryEvent("x", Unregistered{}).get();
    ASSERT_TRUE(failed.Failed());
    EXPECT_EQ(failed.Error().status, 400u);
    EXPECT_EQ(failed.Error().message.rfind(
                  "Request not sent: Error converting parameters for POST /telemetry/v1/events/x: ", 0),
              0u)
        << failed.Error().message;
    EXPECT_EQ(Records(BoundaryKind::kRequest).size(), 1u);
}

TEST_F(ServiceProxyHostTest, ShutdownRefusesNewRequestsAndDropsPendingOnes) {
    login.SetReply("report.reportPlayer", ServiceProxyReply{"OK", "", "", true});
    auto sentinel = std::make_shared<int>(0);
    bool called = false;
    ASSERT_EQ(plugin->ServiceProxyRequest("report", "reportPlayer", Complaint{}, "", "",
                                          [&called, sentinel](const auto&) { called = true; }),
              "");
    EXPECT_EQ(sentinel.use_count(), 2);
    host->Shutdown();
    EXPECT_TRUE(shutdownSeen.ran);
    EXPECT_EQ(shutdownSeen.refusal, "Finalizing");
    EXPECT_EQ(sentinel.use_count(), 1);  // the pending completion was destroyed uncalled
    EXPECT_FALSE(called);
    EXPECT_EQ(login.Requests().size(), 1u);
}

}  // namespace
}  // namespace Zarn::Framework::Testing
