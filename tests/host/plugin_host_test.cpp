#include "host/plugin_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fake_plugin.h"

namespace Zarn::Host {
namespace {

using Binding::BindingProperty;
using ::testing::ElementsAre;
using Testing::FakePlugin;
using ::testing::HasSubstr;

// Record fields are read by value: the test macros bind references, which a packed field cannot
// give safely.
template <typename T>
T Get(T value) {
    return value;
}

BindingProperty Text(const char* text) {
    BindingProperty value;
    value.SetString(text);
    return value;
}

class PluginHostTest : public ::testing::Test {
protected:
    PluginHostTest() { FakePlugin::current = &plugin; }
    ~PluginHostTest() override { FakePlugin::current = nullptr; }

    void Start() {
        ASSERT_TRUE(host.Load(&FakePlugin::Entry).Succeeded());
        ASSERT_TRUE(host.Initialize());
    }

    std::vector<std::string> Kinds() const {
        std::vector<std::string> kinds;
        for (const BoundaryRecord& record : host.Transcript())
            kinds.emplace_back(BoundaryKindName(record.kind));
        return kinds;
    }

    std::vector<std::string> Faults() const {
        std::vector<std::string> faults;
        for (const BoundaryRecord& record : host.Transcript()) {
            if (record.kind == BoundaryKind::kFault) faults.push_back(record.text);
        }
        return faults;
    }

    // Sends a request as the plugin does and returns the response; the caller releases it.
    ApiResponse Send(std::uint32_t method, const char* path, const ApiParameter* parameters = nullptr,
                     std::uint32_t count = 0) {
        ApiRequest request{};
        request.method = method;
        request.path = path;
        request.parameters = parameters;
        request.parameterCount = count;
        request.caller = plugin.host->handle;
        ApiResponse response{};
        plugin.Services()->sendRequest(plugin.Services(), &response, &request);
        return response;
    }

    FakePlugin plugin;  // outlives the host, which shuts it down when destroyed
    PluginHost host;
};

TEST_F(PluginHostTest, LoadKeepsTheEntrysRecordsAndInitializeConnectsThePlugin) {
    ASSERT_TRUE(host.Load(&FakePlugin::Entry).Succeeded());
    EXPECT_EQ(host.State(), HostState::kLoaded);
    EXPECT_EQ(host.PluginName(), "mox-fake");
    EXPECT_EQ(host.Api(), &plugin.api);
    ASSERT_EQ(host.Functions().size(), 2u);
    const BoundaryRecord& load = host.Transcript().at(0);
    EXPECT_EQ(load.kind, BoundaryKind::kLoad);
    EXPECT_THAT(load.version, ElementsAre(18u, 0u, 0u));
    EXPECT_THAT(load.functions, ElementsAre("GetMoxFakeV1ItemsById", "GetMoxFakeV1ItemsSpecial"));
    EXPECT_EQ(plugin.host, nullptr);

    EXPECT_TRUE(host.Initialize());
    ASSERT_NE(plugin.host, nullptr);
    EXPECT_EQ(Get(plugin.host->handle), host.Options().handle);
    EXPECT_NE(plugin.host->services->yield, nullptr);
    EXPECT_TRUE(host.Transcript().back().result.GetBool());
    EXPECT_EQ(host.QueryMemoryStats().allocations, 3u);

    host.Shutdown();
    EXPECT_TRUE(plugin.shutDown);
    EXPECT_EQ(host.State(), HostState::kShutDown);
    EXPECT_THAT(Kinds(), ElementsAre("load", "initialize", "shutdown"));
    EXPECT_FALSE(host.Initialize());
}

// Runs `test` with the fake plugin in place under a host made with `options`.
template <typename Test>
void WithHost(const HostOptions& options, Test test) {
    FakePlugin plugin;
    FakePlugin::current = &plugin;
    {
        PluginHost host(options);
        test(plugin, host);
    }
    FakePlugin::current = nullptr;
}

TEST(PluginHostWithoutTranscript, HandsRecordsToTheObserverOnlyAndStillCountsFaults) {
    HostOptions options;
    options.keepTranscript = false;
    WithHost(options, [](FakePlugin& plugin, PluginHost& host) {
        std::vector<std::string> seen;
        host.SetObserver(
            [&](const BoundaryRecord& record) { seen.emplace_back(BoundaryKindName(record.kind)); });
        ASSERT_TRUE(host.Load(&FakePlugin::Entry).Succeeded());
        ASSERT_TRUE(host.Initialize());
        plugin.Services()->endWait(plugin.Services());
        host.Shutdown();
        EXPECT_TRUE(host.Transcript().empty());
        EXPECT_EQ(host.FaultCount(), 1u);
        EXPECT_THAT(seen, ElementsAre("load", "initialize", "fault", "shutdown"));
    });
}

TEST_F(PluginHostTest, RefusesABrokenEntryTableWithoutCallingThePluginAgain) {
    static ApiDescription nullFunctions{nullptr, 2, nullptr, 0, nullptr, 0};
    static ApiMemberRecord unnamed{};
    static ApiTypeRecord type{nullptr, "T", "", "", 17, 1, &unnamed, 1, nullptr, 0};
    static ApiDescription unnamedMember{nullptr, 0, &type, 1, nullptr, 0};
    struct Case {
        const char* what;
        std::function<void(PluginEntryTable&)> tamper;
        const char* message;
    };
    const Case cases[] = {
        {"no callbacks", [](PluginEntryTable& t) { t.callbacks = nullptr; }, "returned no callbacks"},
        {"newer minor", [](PluginEntryTable& t) { t.version.minor = 1; }, "18.1.0 is not compatible"},
        {"other major", [](PluginEntryTable& t) { t.version.major = 19; }, "19.0.0 is not compatible"},
        {"no context", [](PluginEntryTable& t) { t.context = nullptr; }, "returned no context"},
        {"no name", [](PluginEntryTable& t) { t.name = nullptr; }, "returned no name"},
        {"no description", [](PluginEntryTable& t) { t.api = nullptr; }, "returned no API description"},
        {"null function array", [](PluginEntryTable& t) { t.api = &nullFunctions; }, "null function array"},
        {"broken list", [](PluginEntryTable&) { FakePlugin::current->functions[0].next = nullptr; },
         "function 0 does not link"},
        {"member without a name", [](PluginEntryTable& t) { t.api = &unnamedMember; },
         "type 0 has a member without a name"},
        {"no invoker", [](PluginEntryTable&) { FakePlugin::current->functions[1].invoker = nullptr; },
         "function 1 has no invoker"},
    };
    for (const Case& c : cases) {
        FakePlugin fresh;
        FakePlugin::current = &fresh;
        fresh.tamper = c.tamper;
        PluginHost refusing;
        HostResult loaded = refusing.Load(&FakePlugin::Entry);
        EXPECT_TRUE(loaded.Failed()) << c.what;
        EXPECT_THAT(loaded.Message(), HasSubstr(c.message)) << c.what;
        EXPECT_EQ(refusing.State(), HostState::kRefused) << c.what;
        EXPECT_EQ(refusing.FaultCount(), 1u) << c.what;
        EXPECT_FALSE(refusing.Initialize()) << c.what;
        EXPECT_EQ(fresh.host, nullptr) << c.what;
    }
    FakePlugin::current = &plugin;
}

TEST_F(PluginHostTest, AnOlderHostIsRefusedByThePluginsEntry) {
    PluginHost older(HostOptions{PluginApiVersion{17, 9, 9}});
    EXPECT_THAT(older.Load(&FakePlugin::Entry).Message(), HasSubstr("no callbacks"));
}

TEST_F(PluginHostTest, LoadsASharedLibraryWrittenInC) {
    PluginHost loader;
    EXPECT_THAT(loader.Load("/nonexistent/plugin.so").Message(), HasSubstr("/nonexistent/plugin.so"));

    PluginHost cHost;
    ASSERT_TRUE(cHost.Load(MOX_HOST_TEST_C_PLUGIN).Succeeded());
    EXPECT_EQ(cHost.PluginName(), "c-plugin");
    EXPECT_EQ(cHost.QueryMemoryStats().allocations, 7u);
    ASSERT_TRUE(cHost.Initialize());
    cHost.Deliver("Ping", Text("hello"));
    cHost.RunUntilIdle();
    cHost.Shutdown();
    std::vector<std::string> seen;
    for (const BoundaryRecord& record : cHost.Transcript()) {
        seen.push_back(std::string(BoundaryKindName(record.kind)) + " " + record.name + record.text);
    }
    EXPECT_THAT(seen, ElementsAre("load c-plugin", "subscribe Ping", "initialize ", "deliver Ping",
                                  "log hello", "unsubscribe Ping", "shutdown "));
}

TEST_F(PluginHostTest, DeliversQueuedEventsOnlyToSubscribersOfTheExactName) {
    plugin.onInitialize = [&] {
        plugin.Subscribe("OnJsonApiEvent_mox-a_v1_b");
        plugin.Subscribe("OnLcdsEvent_x", 0);
        plugin.Subscribe("OnLcdsEvent_x", 1);  // again: replaces, one subscription
    };
    Start();
    ASSERT_EQ(host.Subscriptions().size(), 2u);
    EXPECT_EQ(host.Subscriptions()[1].flag, 1u);

    for (const char* name : {"OnJsonApiEvent_mox-a_v1_b", "OnJsonApiEvent_mox-a_v1_b_c",
                             "onjsonapievent_mox-a_v1_b", "OnJsonApiEvent", "OnLcdsEvent_x"}) {
        host.Deliver(name, Text(name));
    }
    EXPECT_TRUE(plugin.events.empty());
    host.RunUntilIdle();
    EXPECT_THAT(plugin.events, ElementsAre("OnJsonApiEvent_mox-a_v1_b:OnJsonApiEvent_mox-a_v1_b",
                                           "OnLcdsEvent_x:OnLcdsEvent_x"));

    plugin.Unsubscribe("OnLcdsEvent_x");
    host.Deliver("OnLcdsEvent_x", Text("late"));
    host.RunUntilIdle();
    EXPECT_EQ(plugin.events.size(), 2u);
    EXPECT_FALSE(host.IsSubscribed("OnLcdsEvent_x"));
}

TEST_F(PluginHostTest, ASubscriberEndingAnotherSubscriptionDuringDeliveryIsRespected) {
    plugin.onInitialize = [&] { plugin.Subscribe("Shared"); };
    Start();
    FakePlugin second;
    const HostServices* services = plugin.Services();
    services->subscribeEvent(services, "Shared", plugin.host->handle, nullptr, &second, 0);
    EXPECT_EQ(host.FaultCount(), 1u);  // no callback

    plugin.onEvent = [&](const HostEvent&) { plugin.Unsubscribe("Shared"); };
    host.Deliver("Shared", Text("once"));
    host.Deliver("Shared", Text("twice"));
    host.RunUntilIdle();
    EXPECT_THAT(plugin.events, ElementsAre("Shared:once"));
}

TEST_F(PluginHostTest, PublishedEventsAreRecordedAsOwnedCopiesAndReachSubscribers) {
    plugin.onInitialize = [&] { plugin.Subscribe("Echo"); };
    Start();
    plugin.SendText("Echo", "payload");  // frees its payload right after the call
    plugin.SendText("Nobody", "x");
    const BoundaryRecord& sent = host.Transcript()[host.Transcript().size() - 2];
    EXPECT_EQ(sent.kind, BoundaryKind::kEvent);
    EXPECT_EQ(sent.name, "Echo");
    EXPECT_EQ(sent.payload.GetString(), "payload");
    host.RunUntilIdle();
    EXPECT_THAT(plugin.events, ElementsAre("Echo:payload"));
    EXPECT_EQ(host.FaultCount(), 0u);
}

TEST(PluginHostWithoutEventPayloads, RecordsEventsBareAndStillDeliversTheirValues) {
    HostOptions options;
    options.recordEventPayloads = false;
    WithHost(options, [](FakePlugin& plugin, PluginHost& host) {
        plugin.onInitialize = [&] { plugin.Subscribe("Echo"); };
        ASSERT_TRUE(host.Load(&FakePlugin::Entry).Succeeded());
        ASSERT_TRUE(host.Initialize());
        plugin.SendText("Echo", "payload");
        host.RunUntilIdle();
        EXPECT_THAT(plugin.events, ElementsAre("Echo:payload"));
        std::vector<std::string> events;
        for (const BoundaryRecord& record : host.Transcript()) {
            if (record.kind != BoundaryKind::kEvent && record.kind != BoundaryKind::kDeliver) continue;
            events.push_back(std::string(BoundaryKindName(record.kind)) + " " + record.name);
            EXPECT_EQ(record.payload.Kind(), Zarn::Binding::BindingKind::Empty) << record.name;
        }
        EXPECT_THAT(events, ElementsAre("event Echo", "deliver Echo"));
        host.Shutdown();
    });
}

TEST_F(PluginHostTest, MalformedRecordsFromThePluginBecomeFaults) {
    Start();
    const HostServices* s = plugin.Services();
    struct Case {
        const char* what;
        std::function<void()> act;
        const char* fault;
    };
    const Case cases[] = {
        {"unknown payload tag",
         [&] {
             HostEvent event{};
             event.name = "E";
             event.payload.tag = 99;
             s->sendEvent(s, &event);
         },
         "malformed payload"},
        {"collection without elements",
         [&] {
             HostEvent event{};
             event.name = "E";
             event.payload.tag = kFlatKindCollection;
             event.payload.payload.collection.count = 3;
             s->sendEvent(s, &event);
         },
         "malformed payload"},
        {"event without a name", [&] { s->sendEvent(s, nullptr); }, "without an event name"},
        {"parameters without an array",
         [&] {
             ApiResponse response = Send(kApiMethodGet, "/x", nullptr, 2);
             EXPECT_EQ(Get(response.status), 400u);
             response.release(&response);
         },
         "parameter array is null"},
        {"text argument without a value",
         [&] {
             TextPair pair{"q", nullptr};
             ApiRequest request{};
             request.path = "/x";
             request.arguments = &pair;
             request.argumentCount = 1;
             ApiResponse response{};
             s->sendRequest(s, &response, &request);
             response.release(&response);
         },
         "null text"},
        {"external headers without an array",
         [&] {
             ExternalRequestRecord request{};
             request.url = "https://example.invalid/";
             request.headerCount = 2;
             ExternalResponseRecord response{};
             s->sendExternalRequest(s, &response, &request);
             EXPECT_EQ(Get(response.failed), 1u);
         },
         "text-pair array is null"},
        {"subscription with a foreign handle", [&] { s->subscribeEvent(s, "E", 999, nullptr, nullptr, 0); },
         "without a name or callback"},
        {"endWait without beginWait", [&] { s->endWait(s); }, "endWait without a matching beginWait"},
        {"log without text", [&] { EXPECT_EQ(s->log(s, 1, nullptr), 0); }, "log without a text"},
    };
    for (const Case& c : cases) {
        std::size_t before = host.FaultCount();
        c.act();
        ASSERT_EQ(host.FaultCount(), before + 1) << c.what;
        EXPECT_THAT(Faults().back(), HasSubstr(c.fault)) << c.what;
    }
    EXPECT_EQ(PluginHost::UnreleasedResponses(), 0u);
}

TEST_F(PluginHostTest, RequestsGoToTheFirstMatchingHandlerAndTheResponseIsTheHostsToRelease) {
    std::vector<std::string> seen;
    host.Requests().Add("GET", "/mox-a/v1/b", [&](const HostRequest& request) {
        seen.push_back("b " + std::to_string(request.params.Field("id").GetSigned()));
        return HostReply::Value(Text("b value"));
    });
    host.Requests().Add("", "/mox-a/v1/items/*", [&](const HostRequest& request) {
        seen.push_back("items " + request.methodName);
        HostReply reply = HostReply::Status(201);
        reply.statusText = "Created";
        reply.headers = {{"location", request.path}};
        return reply;
    });
    host.Requests().Add("PUT", "/mox-a/v1/throws",
                        [](const HostRequest&) -> HostReply { throw std::runtime_error("peer broke"); });
    Start();

    ApiParameter id{"id", {}};
    id.value.tag = kFlatKindSigned;
    id.value.payload.signedValue = 5;
    ApiResponse b = Send(kApiMethodGet, "/mox-a/v1/b", &id, 1);
    EXPECT_EQ(Get(b.status), 200u);
    EXPECT_EQ(Get(b.value.tag), static_cast<std::uint32_t>(kFlatKindOwnedString));
    EXPECT_STREQ(b.value.payload.text.data, "b value");
    EXPECT_EQ(Get(b.error.message), nullptr);
    EXPECT_EQ(PluginHost::UnreleasedResponses(), 1u);
    const auto release = b.release;
    const std::size_t repeated = PluginHost::RepeatedReleases();
    release(&b);
    EXPECT_EQ(Get(b.release), nullptr);
    EXPECT_EQ(PluginHost::UnreleasedResponses(), 0u);
    EXPECT_EQ(PluginHost::RepeatedReleases(), repeated);
    // A plugin that kept the function and releases the record again is counted, not crashed.
    release(&b);
    EXPECT_EQ(PluginHost::RepeatedReleases(), repeated + 1);
    EXPECT_EQ(PluginHost::UnreleasedResponses(), 0u);

    ApiResponse items = Send(kApiMethodPost, "/mox-a/v1/items/3");
    EXPECT_EQ(Get(items.status), 201u);
    EXPECT_STREQ(items.statusText, "Created");
    ASSERT_EQ(Get(items.headerCount), 1u);
    EXPECT_STREQ(items.headers[0].value, "/mox-a/v1/items/3");
    items.release(&items);

    struct Case {
        std::uint32_t method;
        const char* path;
        std::uint32_t status;
        const char* error;
    };
    for (const Case& c : {Case{kApiMethodPost, "/mox-a/v1/b", 404, "No handler for POST /mox-a/v1/b"},
                          Case{kApiMethodPut, "/mox-a/v1/throws", 500, "Host handler failed"}}) {
        ApiResponse response = Send(c.method, c.path);
        EXPECT_EQ(Get(response.status), c.status) << c.path;
        EXPECT_STREQ(response.error.message, c.error) << c.path;
        EXPECT_EQ(Get(response.error.ownsMessage), 1u);
        response.release(&response);
    }
    EXPECT_THAT(seen, ElementsAre("b 5", "items POST"));
    EXPECT_THAT(Faults(), ElementsAre(HasSubstr("peer broke")));

    host.Requests().SetDefault([](const HostRequest&) { return HostReply::Status(204); });
    ApiResponse fallback = Send(kApiMethodDelete, "/anything");
    EXPECT_EQ(Get(fallback.status), 204u);
    fallback.release(&fallback);

    const BoundaryRecord& first = host.Transcript()[2];
    EXPECT_EQ(first.kind, BoundaryKind::kRequest);
    EXPECT_EQ(first.method, "GET");
    EXPECT_EQ(first.params.Field("id").GetSigned(), 5);
    EXPECT_EQ(first.status, 200u);
    EXPECT_EQ(PluginHost::UnreleasedResponses(), 0u);
}

TEST_F(PluginHostTest, AStreamedReplyIsReadInTheChunksTheHandlerGave) {
    host.Requests().Add("GET", "/stream", [](const HostRequest&) {
        HostReply reply;
        reply.streamed = true;
        reply.chunks = {std::string(4096, 'a'), std::string(10, 'b'), ""};
        return reply;
    });
    host.Requests().Add("GET", "/broken", [](const HostRequest&) {
        HostReply reply;
        reply.streamed = true;
        reply.chunks = {"abc", "def"};
        reply.failingRead = 1;
        return reply;
    });
    Start();

    ApiResponse response = Send(kApiMethodGet, "/stream");
    ASSERT_NE(Get(response.streamRead), nullptr);
    EXPECT_EQ(Get(response.streamLength), 4106u);
    std::vector<std::uint8_t> buffer(4096);
    std::vector<std::pair<std::uint32_t, int>> reads;
    for (std::uint8_t more = 1; more != 0;) {
        std::uint32_t size = 4096;
        ASSERT_EQ(response.streamRead(response.streamContext, buffer.data(), &size, &more), 1);
        reads.emplace_back(size, more);
    }
    EXPECT_THAT(reads, ElementsAre(std::pair{4096u, 1}, std::pair{10u, 1}, std::pair{0u, 0}));
    response.streamClose(response.streamContext);
    response.release(&response);

    ApiResponse broken = Send(kApiMethodGet, "/broken");
    std::uint32_t size = 2;
    std::uint8_t more = 0;
    EXPECT_EQ(broken.streamRead(broken.streamContext, buffer.data(), &size, &more), 1);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + size), "ab");
    size = 4096;
    EXPECT_EQ(broken.streamRead(broken.streamContext, buffer.data(), &size, &more), 0);
    broken.release(&broken);  // never closed: the release frees the stream anyway
    EXPECT_EQ(PluginHost::UnreleasedResponses(), 0u);
}

TEST_F(PluginHostTest, ExternalRequestsGoToTheirHandlerAndTheAnswerIsCopiedIntoTheRecord) {
    host.Externals().Add("GET", "https://spectator.invalid/*", [](const ExternalCall& call) {
        ExternalReply reply;
        reply.status = 203;
        reply.headers = {{"content-type", "application/json"}};
        reply.body = "{\"n\":" + std::to_string(call.headers.size()) + "}";
        return reply;
    });
    Start();
    const HostServices* s = plugin.Services();
    TextPair headers[2] = {{"user-agent", "ZarnClient/18.0.0 (mox-fake)"}, {"accept", "*/*"}};
    ExternalRequestRecord request{};
    request.method = kApiMethodGet;
    request.url = "https://spectator.invalid/game/1";
    request.headers = headers;
    request.headerCount = 2;
    ExternalResponseRecord response{};
    s->sendExternalRequest(s, &response, &request);
    EXPECT_EQ(Get(response.failed), 0u);
    EXPECT_EQ(Get(response.status), 203u);
    ASSERT_EQ(Get(response.headerCount), 1u);
    EXPECT_STREQ(response.headers[0].value, "application/json");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(response.body), response.bodyLength), "{\"n\":2}");
    const BoundaryRecord& record = host.Transcript().back();
    EXPECT_EQ(record.url, "https://spectator.invalid/game/1");
    EXPECT_EQ(record.headers.at(0).second, "ZarnClient/18.0.0 (mox-fake)");

    request.url = "https://elsewhere.invalid/";
    s->sendExternalRequest(s, &response, &request);
    EXPECT_EQ(Get(response.failed), 1u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(response.body), response.bodyLength),
              "No handler for GET https://elsewhere.invalid/");
}

TEST_F(PluginHostTest, TimersFireOnTheVirtualClockInOrderOfDueTimeThenScheduling) {
    std::vector<std::string> fired;
    plugin.onInitialize = [&] {
        plugin.Schedule("late", 2.0, [&] { fired.push_back("late"); });
        plugin.Schedule("first at 1", 1.0, [&] { fired.push_back("first at 1"); });
        plugin.Schedule("second at 1", 1.0, [&] { fired.push_back("second at 1"); });
        plugin.Schedule("now", 0.0, [&] { fired.push_back("now"); });
    };
    Start();
    host.RunUntilIdle();
    EXPECT_THAT(fired, ElementsAre("now"));
    host.Advance(1.0);
    EXPECT_THAT(fired, ElementsAre("now", "first at 1", "second at 1"));
    host.Advance(1.0);
    EXPECT_EQ(fired.back(), "late");
    const BoundaryRecord& timer = host.Transcript().at(1);
    EXPECT_EQ(timer.label, "late");
    EXPECT_EQ(timer.delay, 2.0);
}

TEST_F(PluginHostTest, YieldRunsOneTurnOfPendingWorkInsideThePluginsCall) {
    std::vector<std::string> order;
    plugin.onInitialize = [&] {
        plugin.Subscribe("Reply");
        plugin.Schedule("waiter", 0.0, [&] {
            const HostServices* s = plugin.Services();
            s->beginWait(s, "Wait: yield", 0);
            host.Deliver("Reply", Text("r"));
            host.Post([&] {
                order.push_back("posted");
                host.Post([&] { order.push_back("posted later"); });
            });
            s->yield(s);
            order.push_back("after yield with " + std::to_string(plugin.events.size()) + " event");
            s->endWait(s);
        });
    };
    plugin.onEvent = [&](const HostEvent&) {
        order.push_back("event at depth " + std::to_string(plugin.depth));
    };
    Start();
    host.RunUntilIdle();
    EXPECT_THAT(order, ElementsAre("event at depth 2", "posted", "after yield with 1 event", "posted later"));
    EXPECT_THAT(Kinds(), ElementsAre("load", "subscribe", "timer", "initialize", "wait", "yield", "deliver",
                                     "endWait"));
    EXPECT_EQ(host.Transcript()[7].label, "Wait: yield");
    EXPECT_EQ(host.FaultCount(), 0u);
}

TEST_F(PluginHostTest, AWaitLeftOpenWhenThePluginsCallReturnsIsAFault) {
    plugin.onInitialize = [&] {
        plugin.Schedule("forgets", 0.0,
                        [&] { plugin.Services()->beginWait(plugin.Services(), "Wait: forever", 0); });
    };
    Start();
    host.RunUntilIdle();
    EXPECT_THAT(Faults(), ElementsAre(HasSubstr("'Wait: forever' was still open")));
    EXPECT_TRUE(host.OpenWaits().empty());
}

TEST_F(PluginHostTest, ShutdownAskedInsideAPluginCallWaitsUntilTheCallReturns) {
    host.Requests().Add("POST", "/mox-host/stop", [&](const HostRequest&) {
        host.Shutdown();
        EXPECT_TRUE(host.ShutdownPending());
        EXPECT_FALSE(plugin.shutDown);
        return HostReply::Status(204);
    });
    bool releasedBeforeShutdown = false;
    plugin.onInitialize = [&] {
        plugin.Schedule("stopper", 0.0, [&] {
            ApiResponse response = Send(kApiMethodPost, "/mox-host/stop");
            response.release(&response);
            releasedBeforeShutdown = !plugin.shutDown;
        });
        plugin.Schedule("never", 5.0, [] { ADD_FAILURE() << "a timer fired after shutdown"; });
    };
    Start();
    host.RunUntilIdle();
    EXPECT_TRUE(releasedBeforeShutdown);
    EXPECT_TRUE(plugin.shutDown);
    EXPECT_FALSE(plugin.shutdownInsideCall);
    EXPECT_EQ(host.State(), HostState::kShutDown);
    EXPECT_EQ(Kinds().back(), "shutdown");
    host.Advance(10.0);

    plugin.Services()->yield(plugin.Services());  // after shutdown: refused, recorded
    EXPECT_THAT(Faults(), ElementsAre(HasSubstr("yield called while the plugin is not connected")));
}

TEST_F(PluginHostTest, CallsReachTheFunctionWhoseRouteCapturesTheFewestCharacters) {
    Start();
    CallResult special = host.Call({"GET", "/mox-fake/v1/items/special", {}, {}, {}, {}});
    EXPECT_EQ(special.status, 200u);
    EXPECT_EQ(special.value.GetString(), "GetMoxFakeV1ItemsSpecial");
    CallResult byId = host.Call({"GET", "/mox-fake/v1/items/42", {}, {}, {}, {}});
    EXPECT_EQ(byId.value.GetString(), "GetMoxFakeV1ItemsById");
    CallResult none = host.Call({"POST", "/mox-fake/v1/items/42", {}, {}, {}, {}});
    EXPECT_EQ(none.status, 404u);
    EXPECT_EQ(plugin.calls,
              (std::vector<std::string>{"2 /mox-fake/v1/items/special", "2 /mox-fake/v1/items/42"}));
    EXPECT_EQ(plugin.releases, 2);
    const BoundaryRecord& call = host.Transcript()[2];
    EXPECT_EQ(call.kind, BoundaryKind::kCall);
    EXPECT_EQ(call.result.GetString(), "GetMoxFakeV1ItemsSpecial");
}

TEST_F(PluginHostTest, AnInvocationCarriesTheCallAndItsResponseIsReadAndReleasedByThePlugin) {
    Start();
    std::string seen;
    plugin.respond = [&](ApiResponse& response, const ApiRequest& request) {
        seen = std::string(request.path) + " params=" + std::to_string(request.parameterCount) + " " +
               request.parameters[0].name + " args=" + request.arguments[0].name + "=" +
               request.arguments[0].value +
               " body=" + std::string(reinterpret_cast<const char*>(request.body), request.bodyLength) +
               " as " + request.contentType + " fn=" + request.function->name;
        FakePlugin::Fill(response, 403, "", "Refused");
    };
    PluginCall call{"GET", "/mox-fake/v1/items/7", {}, {{"verbose", "1"}}, "application/json", "{\"a\":1}"};
    call.params.WriteField("id").SetUnsigned(7);
    CallResult result = host.Invoke(*host.Functions()[0], call);
    EXPECT_EQ(seen,
              "/mox-fake/v1/items/7 params=1 id args=verbose=1 body={\"a\":1} as application/json "
              "fn=GetMoxFakeV1ItemsById");
    EXPECT_EQ(result.status, 403u);
    EXPECT_EQ(result.error, "Refused");
    EXPECT_EQ(plugin.releases, 1);

    plugin.respond = [](ApiResponse& response, const ApiRequest&) {
        FakePlugin::Fill(response, 200, "x");
        response.headerCount = 2;  // with no header array
    };
    result = host.Call({"GET", "/mox-fake/v1/items/8", {}, {}, {}, {}});
    EXPECT_THAT(Faults(), ElementsAre(HasSubstr("headers are malformed")));
    EXPECT_EQ(plugin.releases, 2);

    plugin.respond = [](ApiResponse& response, const ApiRequest&) { response.status = 200; };
    result = host.Call({"GET", "/mox-fake/v1/items/9", {}, {}, {}, {}});
    EXPECT_EQ(result.status, 200u);
    EXPECT_EQ(host.FaultCount(), 1u);  // an empty record needs no release function
}

TEST_F(PluginHostTest, AStreamedPluginResponseIsReadToItsEndAndClosed) {
    struct Stream {
        int reads = 0;
        bool closed = false;
    } stream;
    plugin.respond = [&](ApiResponse& response, const ApiRequest&) {
        FakePlugin::Fill(response, 200, "");
        response.streamContext = &stream;
        response.streamRead = [](void* context, std::uint8_t* buffer, std::uint32_t* size,
                                 std::uint8_t* more) {
            auto& s = *static_cast<Stream*>(context);
            const char* pieces[] = {"abc", "", "de"};
            std::uint32_t length = static_cast<std::uint32_t>(std::strlen(pieces[s.reads]));
            std::memcpy(buffer, pieces[s.reads], length);
            *size = length;
            *more = ++s.reads < 3 ? 1 : 0;
            return std::uint8_t{1};
        };
        response.streamClose = [](void* context) { static_cast<Stream*>(context)->closed = true; };
    };
    Start();
    CallResult result = host.Call({"GET", "/mox-fake/v1/items/1", {}, {}, {}, {}});
    EXPECT_TRUE(result.streamed);
    EXPECT_EQ(result.streamBody, "abcde");
    EXPECT_TRUE(stream.closed);
    EXPECT_EQ(plugin.releases, 1);
}

}  // namespace
}  // namespace Zarn::Host
