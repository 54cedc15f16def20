// The service proxy, LCDS calls and the telemetry sender against a fake module: what they send,
// how replies find their requests, the refusals, and the lock discipline of completions.
#include "framework/service_proxy.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "binding/binding_property.h"
#include "binding/binding_registry.h"
#include "binding/record_registration.h"
#include "encodings/json_writer.h"
#include "framework/lcds_class_names.h"
#include "framework/telemetry_sender.h"
#include "logging/log_record.h"

namespace Zarn::Framework::Testing {
namespace {

using Binding::BindingKind;
using Binding::BindingProperty;

struct SentRequest {
    std::string path;
    BindingProperty params;
};

struct LogLine {
    std::int32_t level;
    std::string text;
};

// Records what the proxy sends; uuids are "uuid-1", "uuid-2", ... unless a failure is set. The
// hooks run inside a send, as the host's other callbacks could.
class FakeModule final : public ModuleRequests {
public:
    const Binding::BindingRegistry& TypeRegistry() const override { return registry; }

    MaybeType<Failure, void> Post(std::string_view path, const RequestParameters& parameters) override {
        Record(path, parameters);
        if (duringPost) duringPost();
        if (postFailure) return *postFailure;
        return {};
    }

    MaybeType<Failure, std::string> PostForText(std::string_view path,
                                                const RequestParameters& parameters) override {
        Record(path, parameters);
        std::string uuid = "uuid-" + std::to_string(++uuids);
        if (duringUuidRequest) duringUuidRequest(uuid);
        if (postFailure) return *postFailure;
        return uuid;
    }

    bool Finalizing() const override { return finalizing; }
    std::string_view ShortName() const override { return "mox-test"; }
    PluginHandle Handle() const override { return 7; }
    void Log(std::int32_t level, std::string_view text) override {
        std::lock_guard lock(mutex);
        logs.push_back({level, std::string(text)});
    }

    std::vector<SentRequest> Sent() {
        std::lock_guard lock(mutex);
        return sent;
    }
    std::vector<std::string> LogTexts(std::int32_t level) {
        std::lock_guard lock(mutex);
        std::vector<std::string> texts;
        for (const LogLine& line : logs)
            if (line.level == level) texts.push_back(line.text);
        return texts;
    }

    Binding::BindingRegistry registry;
    bool finalizing = false;
    std::optional<Failure> postFailure;
    std::function<void()> duringPost;
    std::function<void(const std::string&)> duringUuidRequest;
    std::atomic<int> uuids{0};

private:
    void Record(std::string_view path, const RequestParameters& parameters) {
        std::lock_guard lock(mutex);
        sent.push_back({std::string(path), parameters.Fields()});
    }

    std::mutex mutex;
    std::vector<SentRequest> sent;
    std::vector<LogLine> logs;
};

struct Report {
    std::uint64_t gameId = 0;
    std::string comment;
};

// Never registered: its values do not convert.
struct Unregistered {
    std::int32_t value = 0;
};

PluginServiceProxyResponse Reply(std::string uuid, std::string service = "report",
                                 std::string method = "reportPlayer", std::string error = "") {
    PluginServiceProxyResponse reply;
    reply.uuid = std::move(uuid);
    reply.serviceName = std::move(service);
    reply.methodName = std::move(method);
    reply.payload = "{}";
    reply.status = error.empty() ? "OK" : "ERROR";
    reply.error = std::move(error);
    return reply;
}

class ServiceProxyTest : public ::testing::Test {
protected:
    ServiceProxyTest() {
        Binding::RegisterStruct<Report>(module.registry, "Report")
            .Field("gameId", &Report::gameId)
            .Field("comment", &Report::comment);
    }

    // A completion that appends the reply's uuid (or method key) to `completed`.
    ServiceProxy::Completion Collect() {
        return [this](const PluginServiceProxyResponse& reply) {
            completed.push_back(reply.uuid.empty() ? reply.serviceName + "." + reply.methodName : reply.uuid);
        };
    }

    FakeModule module;
    ServiceProxy proxy{module};
    std::vector<std::string> completed;
};

TEST_F(ServiceProxyTest, UuidRequestSendsItsParametersAndIsCompletedByItsReply) {
    EXPECT_EQ(proxy.Request("report", "reportPlayer", Report{42, "spam"}, "", "", Collect()), "");

    const std::vector<SentRequest> sent = module.Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].path, "/mox-login/v1/service-proxy-uuid-requests");
    EXPECT_EQ(Encodings::WriteJson(sent[0].params),
              R"({"methodName":"reportPlayer","payload":"{\"comment\":\"spam\",\"gameId\":42}",)"
              R"("pluginHandle":7,"serviceName":"report"})");
    EXPECT_EQ(proxy.PendingCount(), 1u);

    proxy.OnUuidReply(Reply("uuid-2"));  // someone else's reply stays unmatched
    EXPECT_TRUE(completed.empty());
    proxy.OnUuidReply(Reply("uuid-1"));
    EXPECT_EQ(completed, (std::vector<std::string>{"uuid-1"}));
    EXPECT_EQ(proxy.PendingCount(), 0u);
    EXPECT_EQ(proxy.ArrivedCount(), 1u);

    EXPECT_EQ(
        module.LogTexts(Logging::kLevelAlways),
        (std::vector<std::string>{"mox-test: Preparing service proxy request: report.reportPlayer",
                                  "mox-test: Started service proxy request: report.reportPlayer (uuid-1)",
                                  "mox-test: Fulfilled service proxy request: uuid-1"}));
}

TEST_F(ServiceProxyTest, MethodRequestIsKeyedByServiceAndReplyMethodAndRefusedWhileInFlight) {
    EXPECT_EQ(proxy.Request("inventory", "query", Report{1, ""}, "queryReply", "extra", Collect()), "");
    const std::vector<SentRequest> sent = module.Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].path, "/mox-login/v1/service-proxy-method-requests");
    EXPECT_EQ(Encodings::WriteJson(sent[0].params),
              R"({"extraParameter":"extra","methodName":"query","payload":"{\"comment\":\"\",\"gameId\":1}",)"
              R"("pluginHandle":7,"replyMethodName":"queryReply","serviceName":"inventory"})");

    // Same service and reply method: refused without sending. Another reply method is independent.
    int refusedCalls = 0;
    EXPECT_EQ(proxy.Request("inventory", "other", Report{}, "queryReply", "",
                            [&](const PluginServiceProxyResponse&) { ++refusedCalls; }),
              "Request already in flight");
    EXPECT_EQ(module.Sent().size(), 1u);
    EXPECT_EQ(module.LogTexts(Logging::kLevelError),
              (std::vector<std::string>{
                  "mox-test: Could not invoke service proxy as request is already in flight"}));
    EXPECT_EQ(proxy.Request("inventory", "query", Report{}, "otherReply", "", Collect()), "");
    EXPECT_EQ(module.Sent().size(), 2u);

    proxy.OnMethodReply(Reply("", "inventory", "queryReply"));
    EXPECT_EQ(completed, (std::vector<std::string>{"inventory.queryReply"}));
    EXPECT_EQ(refusedCalls, 0);
    // The key is free again.
    EXPECT_EQ(proxy.Request("inventory", "query", Report{}, "queryReply", "", Collect()), "");
}

TEST_F(ServiceProxyTest, RefusedRequestsDropTheirCompletionUncalled) {
    struct Case {
        const char* name;
        std::function<void(FakeModule&)> arrange;
        bool unconvertible;
        std::string replyMethod;
        std::string expected;
        std::size_t sent;
    };
    const std::string unregistered = "Failed to convert type " +
                                     std::string(Binding::StaticType::Of<Unregistered>().Name()) +
                                     " to BindingProperty for serialization";
    const std::vector<Case> cases = {
        {"finalizing", [](FakeModule& m) { m.finalizing = true; }, false, "", "Finalizing", 0},
        {"finalizing wins over conversion", [](FakeModule& m) { m.finalizing = true; }, true, "",
         "Finalizing", 0},
        {"payload does not convert", [](FakeModule&) {}, true, "", unregistered, 0},
        {"uuid request fails",
         [](FakeModule& m) {
             m.postFailure = Failure{"Error response for POST x: down", 500};
         },
         false, "", "Error response for POST x: down", 1},
        {"method request fails",
         [](FakeModule& m) {
             m.postFailure = Failure{"Error response for POST y: no", 404};
         },
         false, "reply", "Error response for POST y: no", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeModule fake;
        Binding::RegisterStruct<Report>(fake.registry, "Report").Field("gameId", &Report::gameId);
        ServiceProxy subject(fake);
        c.arrange(fake);
        int calls = 0;
        const auto completion = [&](const PluginServiceProxyResponse&) { ++calls; };
        const std::string result =
            c.unconvertible ? subject.Request("svc", "m", Unregistered{}, c.replyMethod, "", completion)
                            : subject.Request("svc", "m", Report{}, c.replyMethod, "", completion);
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(fake.Sent().size(), c.sent);
        EXPECT_EQ(subject.PendingCount(), 0u);
        subject.OnUuidReply(Reply("uuid-1"));
        subject.OnMethodReply(Reply("", "svc", "reply"));
        EXPECT_EQ(calls, 0);
    }
}

TEST_F(ServiceProxyTest, ReplyArrivingDuringItsOwnRequestCompletesItOnRegistration) {
    bool completedInside = false;
    module.duringUuidRequest = [&](const std::string& uuid) { proxy.OnUuidReply(Reply(uuid)); };
    const std::string result =
        proxy.Request("report", "reportPlayer", Report{}, "", "", [&](const auto& reply) {
            completed.push_back(reply.uuid);
            completedInside = true;
        });
    EXPECT_EQ(result, "");
    EXPECT_TRUE(completedInside);
    EXPECT_EQ(completed, (std::vector<std::string>{"uuid-1"}));
    EXPECT_EQ(proxy.PendingCount(), 0u);
    EXPECT_EQ(proxy.ArrivedCount(), 0u);
}

TEST_F(ServiceProxyTest, EachArrivalFulfilsOneRequestAndLateRepliesReplaceEarlierOnes) {
    ASSERT_EQ(proxy.Request("report", "a", Report{}, "", "", Collect()), "");  // uuid-1
    ASSERT_EQ(proxy.Request("report", "b", Report{}, "", "", Collect()), "");  // uuid-2

    proxy.OnUuidReply(Reply("uuid-2"));
    EXPECT_EQ(completed, (std::vector<std::string>{"uuid-2"}));
    EXPECT_EQ(module.LogTexts(Logging::kLevelAlways).back(),
              "mox-test: Fulfilled service proxy request: uuid-2");
    proxy.OnUuidReply(Reply("uuid-1"));
    EXPECT_EQ(completed, (std::vector<std::string>{"uuid-2", "uuid-1"}));

    // Two replies for a key nobody waits for: the later one is kept and given to the next request.
    proxy.OnMethodReply(Reply("", "svc", "done", "first"));
    proxy.OnMethodReply(Reply("", "svc", "done", "second"));
    EXPECT_EQ(proxy.ArrivedCount(), 1u);
    std::string error;
    ASSERT_EQ(proxy.Request("svc", "go", Report{}, "done", "", [&](const auto& r) { error = r.error; }), "");
    EXPECT_EQ(error, "second");
    EXPECT_EQ(proxy.ArrivedCount(), 0u);
}

TEST_F(ServiceProxyTest, CompletionsAndHandlersMayStartRequestsWithoutDeadlock) {
    // A completion starts a follow-up whose reply is already there, and an async handler registers
    // another handler; both run without the proxy's lock held.
    proxy.OnUuidReply(Reply("uuid-2"));
    std::vector<std::string> order;
    ASSERT_EQ(proxy.Request("report", "first", Report{}, "", "",
                            [&](const PluginServiceProxyResponse& reply) {
                                order.push_back(reply.uuid);
                                EXPECT_EQ(proxy.Request("report", "second", Report{}, "", "",
                                                        [&](const auto& r) { order.push_back(r.uuid); }),
                                          "");
                            }),
              "");
    proxy.RegisterAsyncHandler("chat", "message", [&](const PluginServiceProxyResponse& reply) {
        order.push_back("async " + reply.payload);
        proxy.RegisterAsyncHandler("chat", "message", [&](const auto&) { order.push_back("replaced"); });
    });
    proxy.OnUuidReply(Reply("uuid-1"));
    proxy.OnAsyncReply(Reply("", "chat", "message"));
    proxy.OnAsyncReply(Reply("", "chat", "message"));
    EXPECT_EQ(order, (std::vector<std::string>{"uuid-1", "uuid-2", "async {}", "replaced"}));
    EXPECT_EQ(proxy.PendingCount(), 0u);
    EXPECT_EQ(proxy.ArrivedCount(), 0u);
}

TEST_F(ServiceProxyTest, CompletionsAndHandlersRunWithoutTheLockHeld) {
    // Another thread must be able to use the proxy while a completion or handler runs; under the
    // lock it would wait until the callback returned.
    const auto otherThreadGetsIn = [this] {
        std::future<std::size_t> other =
            std::async(std::launch::async, [this] { return proxy.ArrivedCount(); });
        return other.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    };
    std::vector<bool> results;
    ASSERT_EQ(proxy.Request("report", "reportPlayer", Report{}, "", "",
                            [&](const auto&) { results.push_back(otherThreadGetsIn()); }),
              "");
    proxy.RegisterAsyncHandler("chat", "message",
                               [&](const auto&) { results.push_back(otherThreadGetsIn()); });
    proxy.OnUuidReply(Reply("uuid-1"));
    proxy.OnAsyncReply(Reply("", "chat", "message"));
    EXPECT_EQ(results, (std::vector<bool>{true, true}));
}

TEST_F(ServiceProxyTest, RepliesFromOtherThreadsEachCompleteTheirRequestOnce) {
    constexpr int kThreads = 4;
    constexpr int kRequests = 200;
    std::atomic<int> calls{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRequests; ++i) {
                const std::string reply = "r" + std::to_string(t) + "-" + std::to_string(i);
                if (i % 2 == 0) proxy.OnMethodReply(Reply("", "svc", reply));
                ASSERT_EQ(proxy.Request("svc", "m", Report{}, reply, "", [&](const auto&) { ++calls; }), "");
                if (i % 2 == 1) proxy.OnMethodReply(Reply("", "svc", reply));
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(calls.load(), kThreads * kRequests);
    EXPECT_EQ(proxy.PendingCount(), 0u);
    EXPECT_EQ(proxy.ArrivedCount(), 0u);
}

TEST_F(ServiceProxyTest, AsyncHandlersAreRegisteredAtTheLoginPluginAndMissingOnesLogged) {
    std::vector<std::string> payloads;
    proxy.RegisterAsyncHandler(
        "teambuilder-draft", "gameloopPlayerInfoV1",
        [&](const PluginServiceProxyResponse& reply) { payloads.push_back(reply.payload); });
    const std::vector<SentRequest> sent = module.Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].path,
              "/mox-login/v1/service-proxy-async-requests/teambuilder-draft/gameloopPlayerInfoV1");
    EXPECT_EQ(sent[0].params.Kind(), BindingKind::Empty);

    PluginServiceProxyResponse reply = Reply("", "teambuilder-draft", "gameloopPlayerInfoV1");
    reply.payload = R"({"rerollDataBag":{}})";
    proxy.OnAsyncReply(reply);
    proxy.OnAsyncReply(Reply("", "teambuilder-draft", "other"));
    EXPECT_EQ(payloads, (std::vector<std::string>{R"({"rerollDataBag":{}})"}));
    EXPECT_EQ(module.LogTexts(Logging::kLevelError),
              (std::vector<std::string>{"mox-test: Could not find registered handler for async service proxy "
                                        "event teambuilder-draft.other"}));
}

TEST_F(ServiceProxyTest, ClearDropsEverythingAndBreaksTheWaitersPromise) {
    std::future<ServiceProxy::Result> waiting =
        proxy.RequestForResult("report", "reportPlayer", Report{}, "", "");
    proxy.OnUuidReply(Reply("unmatched"));
    proxy.RegisterAsyncHandler("chat", "message", [](const auto&) {});
    proxy.Clear();
    EXPECT_EQ(proxy.PendingCount(), 0u);
    EXPECT_EQ(proxy.ArrivedCount(), 0u);
    EXPECT_EQ(proxy.AsyncHandlerCount(), 0u);
    try {
        waiting.get();
        ADD_FAILURE() << "the promise was kept";
    } catch (const std::future_error& error) {
        EXPECT_EQ(error.code(), std::future_errc::broken_promise);
    }
}

TEST_F(ServiceProxyTest, AReplyWithAnErrorTextIsAFailedCall) {
    struct Case {
        std::string status;
        std::string error;
        bool failed;
    };
    const std::vector<Case> cases = {
        {"OK", "", false},
        {"", "", false},
        {"FAILED", "", false},  // the status text alone decides nothing
        {"OK", "Account not found", true},
        {"ERROR", "service down", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status + "/" + c.error);
        std::future<ServiceProxy::Result> future =
            proxy.RequestForResult("report", "reportPlayer", Report{}, "", "");
        PluginServiceProxyResponse reply = Reply("uuid-" + std::to_string(module.uuids.load()));
        reply.status = c.status;
        reply.error = c.error;
        proxy.OnUuidReply(reply);
        ASSERT_EQ(future.wait_for(std::chrono::seconds(0)), std::future_status::ready);
        const ServiceProxy::Result result = future.get();
        ASSERT_EQ(result.Failed(), c.failed);
        if (c.failed) {
            EXPECT_EQ(result.Error(), (Failure{c.error, 0}));
        }
    }

    module.finalizing = true;
    const ServiceProxy::Result refused =
        proxy.RequestForResult("report", "reportPlayer", Report{}, "", "").get();
    ASSERT_TRUE(refused.Failed());
    EXPECT_EQ(refused.Error().message, "Finalizing");
}

// LCDS records: a class-named record holding another, a vector and a map of them, an optional one,
// a record without a class name whose child has one, and a field of any value.
struct Spell {
    std::int32_t spellId = 0;
};
struct Plain {
    Spell spell;
};
struct Team {
    std::string name;
    std::vector<Spell> spells;
    std::map<std::string, Spell> byKey;
    std::optional<Spell> favourite;
    Plain plain;
    BindingProperty anything;
};
struct Message {
    std::uint64_t accountId = 0;
    Team team;
};

class LcdsCallTest : public ServiceProxyTest {
protected:
    LcdsCallTest() {
        Binding::RegisterStruct<Spell>(module.registry, "LcdsSpell").Field("spellId", &Spell::spellId);
        Binding::RegisterStruct<Plain>(module.registry, "LcdsPlain").Field("spell", &Plain::spell);
        Binding::RegisterStruct<Team>(module.registry, "LcdsTeam")
            .Field("name", &Team::name)
            .Field("spells", &Team::spells)
            .Field("byKey", &Team::byKey)
            .Field("favourite", &Team::favourite)
            .Field("plain", &Team::plain)
            .Field("anything", &Team::anything);
        Binding::RegisterStruct<Message>(module.registry, "LcdsMessage")
            .Field("accountId", &Message::accountId)
            .Field("team", &Message::team);
        proxy.ClassNames().Set("LcdsSpell", Binding::StaticType::Of<Spell>().Id(), "com.test.Spell");
        proxy.ClassNames().Set("LcdsTeam", Binding::StaticType::Of<Team>().Id(), "com.test.Team");
        proxy.ClassNames().Set("LcdsMessage", Binding::StaticType::Of<Message>().Id(), "com.test.Old");
        proxy.ClassNames().Set("LcdsMessage", Binding::StaticType::Of<Message>().Id(), "com.test.Message");
    }
};

TEST_F(LcdsCallTest, ArgumentsCarryTheirClassAtEveryNestingLevel) {
    Message message;
    message.accountId = 9;
    message.team.name = "blue";
    message.team.spells = {Spell{4}, Spell{12}};
    message.team.byKey = {{"d", Spell{4}}};
    message.team.favourite = Spell{7};
    message.team.plain.spell = Spell{1};
    message.team.anything.WriteField("spellId").SetSigned(3);

    std::future<ServiceProxy::Result> future = proxy.InvokeLcds("clientFacadeService", "call", message);
    ASSERT_EQ(future.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    EXPECT_TRUE(future.get().Succeeded());

    const std::vector<SentRequest> sent = module.Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].path, "/mox-login/v1/session/invoke");
    EXPECT_EQ(
        Encodings::WriteJson(sent[0].params),
        R"({"args":[{"__class":"com.test.Message","accountId":9,"team":{"__class":"com.test.Team",)"
        R"("anything":{"spellId":3},"byKey":{"d":{"__class":"com.test.Spell","spellId":4}},)"
        R"("favourite":{"__class":"com.test.Spell","spellId":7},"name":"blue",)"
        R"("plain":{"spell":{"__class":"com.test.Spell","spellId":1}},)"
        R"("spells":[{"__class":"com.test.Spell","spellId":4},{"__class":"com.test.Spell","spellId":12}]}}],)"
        R"("destination":"clientFacadeService","operation":"call"})");
}

TEST_F(LcdsCallTest, ACollectionIsTheArgumentListAndFailuresComeBackReady) {
    (void)proxy.InvokeLcds("d", "o", std::vector<Spell>{Spell{1}, Spell{2}});
    ASSERT_EQ(module.Sent().size(), 1u);
    EXPECT_EQ(Encodings::WriteJson(module.Sent()[0].params.Field("args")),
              R"([{"__class":"com.test.Spell","spellId":1},{"__class":"com.test.Spell","spellId":2}])");

    const ServiceProxy::Result unconvertible = proxy.InvokeLcds("d", "o", Unregistered{}).get();
    ASSERT_TRUE(unconvertible.Failed());
    EXPECT_EQ(unconvertible.Error().message.rfind("Couldn't convert LCDS call parameters: ", 0), 0u)
        << unconvertible.Error().message;
    EXPECT_GT(unconvertible.Error().message.size(),
              std::string("Couldn't convert LCDS call parameters: ").size());
    EXPECT_EQ(module.Sent().size(), 1u);

    module.postFailure = Failure{"Error response for POST /mox-login/v1/session/invoke: gone", 503};
    const ServiceProxy::Result failed = proxy.InvokeLcds("d", "o", Spell{}).get();
    ASSERT_TRUE(failed.Failed());
    EXPECT_EQ(failed.Error(), *module.postFailure);
}

TEST_F(ServiceProxyTest, TelemetryEventsArePostedUnderTheirNameAndReadyAtOnce) {
    TelemetrySender sender(module);
    std::future<TelemetrySender::Result> future =
        sender.SendTelemetryEvent("end-of-game-summary", Report{5, "x"});
    ASSERT_EQ(future.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    EXPECT_TRUE(future.get().Succeeded());
    ASSERT_EQ(module.Sent().size(), 1u);
    EXPECT_EQ(module.Sent()[0].path, "/telemetry/v1/events/end-of-game-summary");
    EXPECT_EQ(Encodings::WriteJson(module.Sent()[0].params), R"({"comment":"x","gameId":5})");

    module.postFailure = Failure{"Error response for POST /telemetry/v1/events/x: full", 429};
    const TelemetrySender::Result failed = sender.SendTelemetryEvent("x", Report{}).get();
    ASSERT_TRUE(failed.Failed());
    EXPECT_EQ(failed.Error(), *module.postFailure);
}

}  // namespace
}  // namespace Zarn::Framework::Testing
