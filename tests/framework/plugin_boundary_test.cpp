// The framework driven through the host library: the test plugin is loaded from its own shared
// library, so every entry, callback, service call and record crosses the real boundary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "binding/binding_property.h"
#include "host/plugin_host.h"
#include "mox/plugin_abi.h"
#include "tests/death_test_style.h"
#include "tests/framework/test_plugin/test_plugin.h"

namespace Zarn::Framework::Testing {
namespace {

using Binding::BindingProperty;
using Host::BoundaryKind;
using Host::BoundaryRecord;
using Host::HostReply;
using Host::HostRequest;
using Host::PluginHost;

constexpr const char* kPluginPath = MOX_FRAMEWORK_TEST_PLUGIN;
constexpr const char* kItemsEvent = "OnJsonApiEvent_mox-items_v1_items";

struct Report {
    std::string kind;
    std::string detail;
    std::int64_t id = 0;

    bool operator==(const Report&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Report& report) {
    return out << "{" << report.kind << ", \"" << report.detail << "\", " << report.id << "}";
}

BindingProperty ResourceEvent(std::string_view uri, std::string_view type, BindingProperty data) {
    BindingProperty event;
    event.WriteField("uri").SetString(uri);
    event.WriteField("eventType").SetString(type);
    event.WriteField("data") = std::move(data);
    return event;
}

BindingProperty Item(std::int64_t id, std::string_view name) {
    BindingProperty item;
    item.WriteField("id").SetSigned(id);
    item.WriteField("name").SetString(name);
    return item;
}

class PluginBoundaryTest : public ::testing::Test {
protected:
    void SetUp() override { StartPlugin(); }

    // Loads and initializes the plugin; `prepare` adds host handlers the start-up needs.
    void StartPlugin(PluginApiVersion version = {18, 0, 0},
                     const std::function<void(PluginHost&)>& prepare = {}) {
        Host::HostOptions options;
        options.version = version;
        host = std::make_unique<PluginHost>(options);
        host->Requests().Add("POST", kReportPath, [this](const HostRequest& request) {
            reports.push_back({std::string(request.params.Field("kind").GetString()),
                               std::string(request.params.Field("detail").GetString()),
                               request.params.Field("id").AsSigned()});
            return HostReply::Status(200);
        });
        if (prepare) prepare(*host);
        ASSERT_TRUE(host->Load(kPluginPath).Succeeded());
        ASSERT_TRUE(host->Initialize());
        host->RunUntilIdle();
    }

    void Command(std::string_view action, std::string_view address = {}, std::string_view text = {},
                 std::int64_t id = 0) {
        BindingProperty command;
        command.WriteField("action").SetString(action);
        command.WriteField("address").SetString(address);
        command.WriteField("text").SetString(text);
        command.WriteField("id").SetSigned(id);
        host->Deliver(kCommandEvent, ResourceEvent(kCommandAddress, "Update", std::move(command)));
        host->RunUntilIdle();
    }

    std::vector<const BoundaryRecord*> Records(std::initializer_list<BoundaryKind> kinds) const {
        std::vector<const BoundaryRecord*> found;
        for (const BoundaryRecord& record : host->Transcript()) {
            if (std::find(kinds.begin(), kinds.end(), record.kind) != kinds.end()) found.push_back(&record);
        }
        return found;
    }

    std::vector<std::string> Names(BoundaryKind kind) const {
        std::vector<std::string> names;
        for (const BoundaryRecord* record : Records({kind})) names.push_back(record->name);
        return names;
    }

    // Starts afresh: only what the next steps do is looked at.
    void Forget() {
        host->ClearTranscript();
        reports.clear();
    }

    std::unique_ptr<PluginHost> host;
    std::vector<Report> reports;
};

TEST_F(PluginBoundaryTest, CompatibleHostsGetTheEntryTableFilledWithThePluginsSide) {
    const PluginApiVersion versions[] = {{18, 0, 0}, {18, 5, 0}, {18, 0, 9}};
    for (const PluginApiVersion& version : versions) {
        Host::HostOptions options;
        options.version = version;
        PluginHost other(options);
        ASSERT_TRUE(other.Load(kPluginPath).Succeeded()) << version.minor << "." << version.patch;
        const PluginEntryTable& table = other.EntryTable();
        EXPECT_EQ(table.version.major, 18u);
        EXPECT_EQ(table.version.minor, 0u);
        EXPECT_EQ(table.version.patch, 0u);
        EXPECT_STREQ(table.name, kTestPluginShortName);
        // Packed members are copied out before gtest takes them by reference.
        const PluginCallbacks* callbacks = table.callbacks;
        ASSERT_NE(callbacks, nullptr);
        EXPECT_NE(callbacks->initialize, nullptr);
        EXPECT_NE(callbacks->shutdown, nullptr);
        EXPECT_NE(callbacks->queryMemoryStats, nullptr);
        EXPECT_NE(static_cast<void*>(table.context), nullptr);
        EXPECT_NE(static_cast<const void*>(table.api), nullptr);
    }
}

TEST(PluginEntryDeathTest, AnIncompatibleHostEndsTheProcessWithTheCode) {
    ::Zarn::Testing::UseThreadSafeDeathTestsWherePossible();
    const PluginApiVersion versions[] = {{17, 9, 9}, {19, 0, 0}};
    for (const PluginApiVersion& version : versions) {
        EXPECT_DEATH(
            {
                Host::HostOptions options;
                options.version = version;
                PluginHost host(options);
                host.Load(kPluginPath);
            },
            "Expression: ALE-EECF0606")
            << version.major << "." << version.minor << "." << version.patch;
    }
}

TEST_F(PluginBoundaryTest, InitializeSubscribesTheServiceProxyEventsAndObservesWithACurrentValue) {
    StartPlugin({18, 0, 0}, [](PluginHost& next) {
        next.Requests().Add("GET", "/mox-items/v1/items/7",
                            [](const HostRequest&) { return HostReply::Value(Item(7, "seven")); });
    });
    std::vector<std::pair<std::string, std::uint32_t>> subscribed;
    for (const BoundaryRecord* record : Records({BoundaryKind::kSubscribe})) {
        subscribed.emplace_back(record->name, record->flag);
    }
    const std::vector<std::pair<std::string, std::uint32_t>> expected = {
        {"OnServiceProxyUuidEvent", 1},
        {"OnServiceProxyMethodEvent", 1},
        {"OnServiceProxyAsyncEvent", 1},
        {kCommandEvent, 0},
        {kItemsEvent, 0},
        {"OnLcdsEvent_com_zarngames_test_Item", 1},
    };
    EXPECT_EQ(subscribed, expected);
    // The pattern's own GET finds nothing, so only the exact address reports its current value.
    EXPECT_EQ(reports, (std::vector<Report>{{"exact", "/mox-items/v1/items/7 Create seven", 7}}));
}

TEST_F(PluginBoundaryTest, AddressesSharingAHostEventNameShareOneCountedSubscription) {
    const std::string name = "OnJsonApiEvent_mox-a_v1_b";
    Forget();
    Command("subscribe", "/mox-a/v1/b");
    Command("subscribe", "/mox-a/v1/b/c");
    EXPECT_EQ(Names(BoundaryKind::kSubscribe), std::vector<std::string>{name});
    Command("unsubscribe", "/mox-a/v1/b/c");
    EXPECT_TRUE(Names(BoundaryKind::kUnsubscribe).empty());
    EXPECT_TRUE(host->IsSubscribed(name));
    Command("unsubscribe", "/mox-a/v1/b");
    EXPECT_EQ(Names(BoundaryKind::kUnsubscribe), std::vector<std::string>{name});
    EXPECT_FALSE(host->IsSubscribed(name));
    // One more than were made changes nothing, and the next subscribe is the first again.
    Command("unsubscribe", "/mox-a/v1/b");
    Command("subscribe", "/mox-a/v1/b");
    EXPECT_EQ(Names(BoundaryKind::kUnsubscribe).size(), 1u);
    EXPECT_EQ(Names(BoundaryKind::kSubscribe).size(), 2u);
}

TEST_F(PluginBoundaryTest, ResourceEventsReachExactAndPatternObserversAndUnconvertibleOnesAreDropped) {
    struct Case {
        const char* what;
        BindingProperty payload;
        std::vector<Report> expected;
    };
    BindingProperty badItem;
    badItem.WriteField("id").SetString("three");
    BindingProperty notAnEvent;
    notAnEvent.SetString("just text");
    BindingProperty unknownType = ResourceEvent("/mox-items/v1/items/3", "Rename", Item(3, "three"));
    Case cases[] = {
        {"pattern only",
         ResourceEvent("/mox-items/v1/items/3", "Update", Item(3, "three")),
         {{"pattern", "/mox-items/v1/items/3 Update three", 3}}},
        {"exact and pattern, address without its leading slash",
         ResourceEvent("mox-items/v1/items/7", "Create", Item(7, "seven")),
         {{"exact", "/mox-items/v1/items/7 Create seven", 7},
          {"pattern", "/mox-items/v1/items/7 Create seven", 7}}},
        {"deeper than the pattern's segment",
         ResourceEvent("/mox-items/v1/items/3/detail", "Update", Item(3, "x")),
         {}},
        {"data not convertible to the observer's type",
         ResourceEvent("/mox-items/v1/items/3", "Update", badItem),
         {}},
        {"delete without data",
         ResourceEvent("/mox-items/v1/items/3", "Delete", BindingProperty()),
         {{"pattern", "/mox-items/v1/items/3 Delete ", 0}}},
        {"payload that is no resource event", notAnEvent, {}},
        {"event type outside the enumeration", unknownType, {}},
    };
    for (Case& c : cases) {
        Forget();
        host->Deliver(kItemsEvent, std::move(c.payload));
        host->RunUntilIdle();
        EXPECT_EQ(reports, c.expected) << c.what;
    }
}

TEST_F(PluginBoundaryTest, LcdsMessagesAreDeliveredOnALaterZeroDelayTimer) {
    BindingProperty message;
    message.WriteField("clientId").SetString("c1");
    message.WriteField("subtopic").SetString("s");
    message.WriteField("typeName").SetString(kLcdsType);
    message.WriteField("body") = Item(5, "five");
    BindingProperty unhandled = message;
    unhandled.WriteField("typeName").SetString("com.zarngames.test.Other");

    Forget();
    host->Deliver("OnLcdsEvent_com_zarngames_test_Item", unhandled, 1);
    host->RunUntilIdle();
    EXPECT_TRUE(Records({BoundaryKind::kTimer}).empty());

    host->Deliver("OnLcdsEvent_com_zarngames_test_Item", message, 1);
    host->Loop().Turn();
    EXPECT_TRUE(reports.empty());
    const auto timers = Records({BoundaryKind::kTimer});
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0]->label, "Event: OnLcdsEvent (com.zarngames.test.Item)");
    EXPECT_EQ(timers[0]->delay, 0.0);
    host->RunUntilIdle();
    EXPECT_EQ(reports, (std::vector<Report>{{"lcds", "five", 5}}));
}

TEST_F(PluginBoundaryTest, PublishingSendsTheSpecificThenTheGeneralEvent) {
    struct Case {
        const char* action;
        const char* type;
        BindingProperty data;
    };
    Case cases[] = {{"publish", "Update", Item(3, "three")}, {"delete", "Delete", BindingProperty()}};
    for (Case& c : cases) {
        Forget();
        Command(c.action, "/mox-framework-test/v1/thing/extra", "three", 3);
        const auto events = Records({BoundaryKind::kEvent});
        ASSERT_EQ(events.size(), 2u) << c.action;
        EXPECT_EQ(events[0]->name, "OnJsonApiEvent_mox-framework-test_v1_thing");
        EXPECT_EQ(events[1]->name, "OnJsonApiEvent");
        for (const BoundaryRecord* event : events) {
            EXPECT_EQ(event->flag, 0u);
            EXPECT_EQ(event->payload, ResourceEvent("/mox-framework-test/v1/thing/extra", c.type, c.data))
                << c.action;
        }
    }
}

TEST_F(PluginBoundaryTest, RequestsReportEachFailureWithItsMessageAndStatus) {
    host->Requests().Add("GET", "/mox-x/v1/item",
                         [](const HostRequest&) { return HostReply::Value(Item(4, "four")); });
    host->Requests().Add("GET", "/mox-x/v1/text", [](const HostRequest&) {
        BindingProperty text;
        text.SetString("not an item");
        return HostReply::Value(text);
    });
    host->Requests().Add("GET", "/mox-x/v1/refused",
                         [](const HostRequest&) { return HostReply::Status(403, "Not allowed"); });
    host->Requests().Add("GET", "/mox-x/v1/broken-stream", [](const HostRequest&) {
        HostReply reply;
        reply.streamed = true;
        reply.chunks = {"{\"id\":", "1}"};
        reply.failingRead = 1;
        return reply;
    });
    struct Case {
        const char* action;
        const char* path;
        Report expected;
    };
    const Case cases[] = {
        {"request", "/mox-x/v1/item", {"request", "four", 4}},
        {"request",
         "/mox-x/v1/refused",
         {"request-failed", "Error response for GET /mox-x/v1/refused: Not allowed", 403}},
        {"request",
         "/mox-x/v1/text",
         {"request-failed", "Error converting response for GET /mox-x/v1/text: ", 0}},
        {"request",
         "/mox-x/v1/broken-stream",
         {"request-failed",
          "Error reading streamed response for GET /mox-x/v1/broken-stream: Stream read error", 0}},
    };
    // Messages of the binding layer follow the prefix; the prefix is the request's own.
    for (const Case& c : cases) {
        Forget();
        Command(c.action, c.path);
        ASSERT_EQ(reports.size(), 1u) << c.path;
        EXPECT_EQ(reports[0].kind, c.expected.kind);
        EXPECT_EQ(reports[0].detail.rfind(c.expected.detail, 0), 0u) << reports[0].detail;
        EXPECT_EQ(reports[0].id, c.expected.id) << c.path;
    }

    Forget();
    Command("bad-request", "/mox-x/v1/never-sent");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].id, 400);
    EXPECT_EQ(reports[0].detail.rfind(
                  "Request not sent: Error converting parameters for POST /mox-x/v1/never-sent: ", 0),
              0u)
        << reports[0].detail;
    for (const BoundaryRecord* request : Records({BoundaryKind::kRequest}))
        EXPECT_NE(request->path, "/mox-x/v1/never-sent");
}

TEST_F(PluginBoundaryTest, AStreamWithOneShortChunkBeforeItsEndYieldsExactlyOnce) {
    const std::string text = "\"" + std::string(4104, 'a') + "\"";
    ASSERT_EQ(text.size(), 4106u);
    host->Requests().Add("GET", "/mox-x/v1/stream", [&](const HostRequest&) {
        HostReply reply;
        reply.streamed = true;
        reply.chunks = {text.substr(0, 4096), text.substr(4096), ""};
        return reply;
    });
    Forget();
    Command("request-text", "/mox-x/v1/stream");
    EXPECT_EQ(reports, (std::vector<Report>{{"request-text", std::string(4104, 'a'), 4104}}));
    std::vector<std::pair<BoundaryKind, std::string>> waits;
    for (const BoundaryRecord* record :
         Records({BoundaryKind::kWait, BoundaryKind::kYield, BoundaryKind::kEndWait})) {
        waits.emplace_back(record->kind, record->label);
    }
    const std::vector<std::pair<BoundaryKind, std::string>> expected = {
        {BoundaryKind::kWait, "Wait: yield"},
        {BoundaryKind::kYield, ""},
        {BoundaryKind::kEndWait, "Wait: yield"}};
    EXPECT_EQ(waits, expected);
}

TEST_F(PluginBoundaryTest, ExternalRequestsCarryTheUserAgentUnlessTheyHaveOne) {
    struct Case {
        PluginApiVersion host;
        const char* given;
        std::pair<std::string, std::string> first;
    };
    const Case cases[] = {
        {{18, 0, 0}, "", {"user-agent", "ZarnClient/18.0.0 (mox-framework-test)"}},
        {{18, 2, 0}, "", {"user-agent", "ZarnClient/18.2.0 (mox-framework-test)"}},
        {{18, 0, 0}, "Custom/1", {"User-Agent", "Custom/1"}},
    };
    for (const Case& c : cases) {
        StartPlugin(c.host);
        Host::TextPairs sent;
        host->Externals().SetDefault([&](const Host::ExternalCall& call) {
            sent = call.headers;
            Host::ExternalReply reply;
            reply.status = 201;
            reply.body = "done";
            return reply;
        });
        Forget();
        Command("external", "https://stats.example.invalid/game/1", c.given);
        ASSERT_EQ(sent.size(), 2u) << c.given;
        EXPECT_EQ(sent[0], c.first);
        EXPECT_EQ(sent[1], (std::pair<std::string, std::string>{"accept", "application/json"}));
        EXPECT_EQ(reports, (std::vector<Report>{{"external", "done", 201}}));
    }
    Forget();
    host->Externals().SetDefault(
        [](const Host::ExternalCall&) { return Host::ExternalReply::Failure("refused"); });
    Command("external", "https://stats.example.invalid/game/1");
    EXPECT_EQ(reports, (std::vector<Report>{{"external-failed", "refused", 0}}));
}

TEST_F(PluginBoundaryTest, AwaitAnnouncesOneWaitAndYieldsUntilTheFutureIsReady) {
    const std::string label =
        "Wait: future<const char *__cdecl StaticType::Name<class Zarn::MaybeType<class "
        "Zarn::Failure,void>>(void)>";
    struct Case {
        const char* action;
        int yieldsBeforeReady;  // the fulfilment arrives during this yield; 0: ready at once
        const char* failure;
        Report expected;
    };
    const Case cases[] = {
        {"await-ready", 0, "", {"await", "ok", 0}},
        {"await", 3, "", {"await", "ok", 0}},
        {"await", 1, "server said no", {"await", "server said no", 500}},
    };
    for (const Case& c : cases) {
        int yields = 0;
        host->SetObserver([&](const BoundaryRecord& record) {
            if (record.kind == BoundaryKind::kYield && ++yields == c.yieldsBeforeReady) {
                BindingProperty fulfil;
                fulfil.WriteField("action").SetString("fulfil");
                fulfil.WriteField("text").SetString(c.failure);
                host->Deliver(kCommandEvent, ResourceEvent(kCommandAddress, "Update", fulfil));
            }
        });
        Forget();
        Command(c.action);
        host->SetObserver({});
        std::vector<BoundaryKind> sequence;
        for (const BoundaryRecord* record :
             Records({BoundaryKind::kWait, BoundaryKind::kYield, BoundaryKind::kEndWait})) {
            sequence.push_back(record->kind);
            if (record->kind != BoundaryKind::kYield) {
                EXPECT_EQ(record->label, label);
            }
        }
        std::vector<BoundaryKind> expected;
        if (c.yieldsBeforeReady > 0) {
            expected.push_back(BoundaryKind::kWait);
            expected.insert(expected.end(), c.yieldsBeforeReady, BoundaryKind::kYield);
            expected.push_back(BoundaryKind::kEndWait);
        }
        EXPECT_EQ(sequence, expected) << c.action << " " << c.yieldsBeforeReady;
        EXPECT_EQ(reports, std::vector<Report>{c.expected});
    }
}

TEST_F(PluginBoundaryTest, AwaitingABrokenPromiseEndsTheProcessWithTheCode) {
    ::Zarn::Testing::UseThreadSafeDeathTestsWherePossible();
    EXPECT_DEATH(
        {
            // The plugin logs through the host now; show its lines where the death test looks.
            host->SetObserver([&](const BoundaryRecord& record) {
                if (record.kind == BoundaryKind::kLog) std::fprintf(stderr, "%s\n", record.text.c_str());
                if (record.kind == BoundaryKind::kYield) {
                    BindingProperty broken;
                    broken.WriteField("action").SetString("break");
                    host->Deliver(kCommandEvent, ResourceEvent(kCommandAddress, "Update", broken));
                }
            });
            Command("await");
        },
        "Expression: ALE-6D828C10");
}

TEST_F(PluginBoundaryTest, TimersRunOnceAndLeaveTheMapWhenDone) {
    Forget();
    Command("timers");
    const auto timers = Records({BoundaryKind::kTimer});
    ASSERT_EQ(timers.size(), 2u);
    EXPECT_EQ(timers[0]->label, "first");
    EXPECT_EQ(timers[0]->delay, 0.0);
    EXPECT_EQ(timers[1]->label, "second");
    EXPECT_GT(timers[1]->delay, 4.9);
    EXPECT_LE(timers[1]->delay, 5.0);
    Command("timer-count");
    host->Advance(5.0);
    Command("timer-count");
    // Each function sees its own entry still present; the entry leaves once it has run.
    const std::vector<Report> expected = {
        {"timer", "first", 2}, {"timer-count", "", 1}, {"timer", "second", 1}, {"timer-count", "", 0}};
    EXPECT_EQ(reports, expected);
}

TEST_F(PluginBoundaryTest, LogLinesReachTheHostWithoutTheLineFormat) {
    Forget();
    Command("log", "", "plain words", 0);
    Command("log", "", "an error", 2);
    const auto logs = Records({BoundaryKind::kLog});
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(logs[0]->level, 0u);
    EXPECT_EQ(logs[0]->text, "plain words");
    EXPECT_EQ(logs[1]->level, 2u);
    EXPECT_EQ(logs[1]->text, "an error");
}

TEST_F(PluginBoundaryTest, ASecondPluginObjectInTheProcessKeepsTheFirstLogTarget) {
    PluginHost second;
    ASSERT_TRUE(second.Load(kPluginPath).Succeeded());
    ASSERT_TRUE(second.Initialize());
    Forget();
    BindingProperty command;
    command.WriteField("action").SetString("log");
    command.WriteField("text").SetString("from the second");
    command.WriteField("id").SetSigned(1);
    second.Deliver(kCommandEvent, ResourceEvent(kCommandAddress, "Update", command));
    second.RunUntilIdle();
    // One target in the process, holding the first host's services.
    EXPECT_EQ(Records({BoundaryKind::kLog}).size(), 1u);
    for (const BoundaryRecord& record : second.Transcript()) EXPECT_NE(record.kind, BoundaryKind::kLog);
}

TEST_F(PluginBoundaryTest, ShutdownUnsubscribesEveryHostEventOnce) {
    Command("subscribe", "/mox-a/v1/b");
    std::vector<std::string> subscribed;
    for (const Host::Subscription& subscription : host->Subscriptions())
        subscribed.push_back(subscription.name);
    Forget();
    host->Shutdown();
    std::vector<std::string> unsubscribed = Names(BoundaryKind::kUnsubscribe);
    std::sort(subscribed.begin(), subscribed.end());
    std::sort(unsubscribed.begin(), unsubscribed.end());
    EXPECT_EQ(unsubscribed, subscribed);
    EXPECT_TRUE(host->Subscriptions().empty());  // each unsubscribe carried the plugin's handle
    EXPECT_EQ(host->FaultCount(), 0u);
}

TEST_F(PluginBoundaryTest, TheApiDescriptionListsFunctionsTypesAndEventsAsLinkedArrays) {
    const ApiDescription* api = host->Api();
    ASSERT_NE(api, nullptr);
    ASSERT_EQ(+api->functionCount, 1u);
    EXPECT_EQ(api->functions->next, nullptr);
    EXPECT_STREQ(api->functions->name, "GetMoxFrameworkTestV1ItemsById");
    const Host::CallResult item = host->Call({"GET", "/mox-framework-test/v1/items/9", {}, {}, {}, {}});
    EXPECT_EQ(item.value, Item(9, "item")) << item.error;

    std::vector<std::string> typeNames;
    const ApiTypeRecord* resourceEvent = nullptr;
    std::uint32_t walked = 0;
    for (const ApiTypeRecord* type = api->types; type != nullptr; type = type->next, ++walked) {
        ASSERT_EQ(type, api->types + walked);
        typeNames.emplace_back(type->name);
        if (std::string_view(type->name) == "PluginResourceEvent") resourceEvent = type;
        if (std::string_view(type->name) == "PluginManagerResource") {
            EXPECT_EQ(type->typeId, 0xFA58397Cu);
        }
        if (std::string_view(type->name) == "PluginLcdsResponse") {
            EXPECT_EQ(type->typeId, 0xF4476A4Fu);
        }
    }
    EXPECT_EQ(walked, api->typeCount);
    EXPECT_TRUE(std::is_sorted(typeNames.begin(), typeNames.end()));
    // The plugin's own types carry the registration tags, as its routes do.
    const std::vector<std::string> registrationTags = {"Plugins", "Plugin mox-framework-test"};
    for (std::string_view name : {"MoxFrameworkTestItem", "MoxFrameworkTestCommand", "MoxTestLevel"}) {
        std::vector<std::string> tags;
        for (const ApiTypeRecord* type = api->types; type != nullptr; type = type->next) {
            if (type->name != name) continue;
            for (std::uint32_t i = 0; i < type->tagCount; ++i) tags.emplace_back(type->tags[i]);
        }
        EXPECT_EQ(tags, registrationTags) << name;
    }
    for (const char* name :
         {"PluginManagerState", "PluginManagerResource", "PluginResourceEventType", "PluginResourceEvent",
          "PluginLcdsEvent", "PluginLcdsResponse", "PluginServiceProxyResponse", "MoxFrameworkTestItem",
          "MoxFrameworkTestCommand", "MoxTestLevel", "BindingAsyncState"}) {
        EXPECT_EQ(std::count(typeNames.begin(), typeNames.end(), name), 1) << name;
    }

    // The host's type, not the plugin's later one of the same name. Records sit in packed
    // arrays, so their members are copied before being compared.
    ASSERT_NE(resourceEvent, nullptr);
    EXPECT_STREQ(resourceEvent->nameSpace, "zclient");
    EXPECT_EQ(resourceEvent->kind, 17u);
    ASSERT_EQ(resourceEvent->tagCount, 2u);
    EXPECT_STREQ(resourceEvent->tags[0], "Plugins");
    EXPECT_STREQ(resourceEvent->tags[1], "Plugin mox-framework-test");
    std::vector<std::tuple<std::string, std::uint32_t, std::string>> members;
    for (const ApiMemberRecord* member = resourceEvent->members; member != nullptr; member = member->next) {
        members.emplace_back(std::string(member->name), std::uint32_t{member->kind},
                             std::string(member->typeName));
    }
    const std::vector<std::tuple<std::string, std::uint32_t, std::string>> expectedMembers = {
        {"uri", 12, ""}, {"eventType", 16, "PluginResourceEventType"}, {"data", 13, ""}};
    EXPECT_EQ(members, expectedMembers);

    std::vector<std::tuple<std::string, std::string, std::string>> events;
    walked = 0;
    for (const ApiEventRecord* event = api->events; event != nullptr; event = event->next, ++walked) {
        ASSERT_EQ(event, api->events + walked);
        events.emplace_back(std::string(event->name), std::string(event->payloadTypeName),
                            std::string(event->description));
    }
    EXPECT_EQ(walked, api->eventCount);
    const std::vector<std::tuple<std::string, std::string, std::string>> hostEvents = {
        {"OnJsonApiEvent", "PluginResourceEvent", "Fired when a resource is changed."},
        {"OnLcdsEvent", "PluginLcdsEvent", "Fired when a message is received over the LCDS connection."},
        {"OnServiceProxyAsyncEvent", "PluginServiceProxyResponse",
         "Fired when an async service proxy message is received."},
        {"OnServiceProxyMethodEvent", "PluginServiceProxyResponse",
         "Fired when a method-based service proxy message is received."},
        {"OnServiceProxyUuidEvent", "PluginServiceProxyResponse",
         "Fired when a uuid-based service proxy message is received."},
    };
    for (const auto& event : hostEvents) {
        EXPECT_NE(std::find(events.begin(), events.end(), event), events.end()) << std::get<0>(event);
    }
}

MemoryStats Stats(PluginHost& host) { return host.QueryMemoryStats(); }
std::uint64_t InUse(const MemoryStats& stats) { return stats.bytesAllocated - stats.bytesFreed; }

TEST_F(PluginBoundaryTest, MemoryCountersFollowThePluginsAllocationsAndIgnoreTheHosts) {
    constexpr std::uint64_t kBlock = 1 << 20;
    const MemoryStats before = Stats(*host);
    Command("allocate", "", "", kBlock);
    const MemoryStats allocated = Stats(*host);
    EXPECT_GE(allocated.bytesAllocated - before.bytesAllocated, kBlock);
    EXPECT_GT(allocated.allocations, before.allocations);
    EXPECT_GE(InUse(allocated), InUse(before) + kBlock);
    EXPECT_GE(allocated.peakBytes, InUse(allocated));
    EXPECT_GT(allocated.allocationsAtPeak, 0u);

    Command("release");
    const MemoryStats released = Stats(*host);
    EXPECT_GE(released.bytesFreed - allocated.bytesFreed, kBlock);
    EXPECT_GT(released.frees, allocated.frees);
    EXPECT_LE(InUse(released) + kBlock, InUse(allocated));
    EXPECT_GE(released.peakBytes, allocated.peakBytes);  // the peak stays

    // A reallocation of nothing is an allocation: the live count comes back where it was.
    Command("noop");
    const MemoryStats warm = Stats(*host);
    Command("realloc");
    const MemoryStats cycled = Stats(*host);
    EXPECT_EQ(cycled.allocations - warm.allocations, cycled.frees - warm.frees);
    EXPECT_EQ(InUse(cycled), InUse(warm));

    // The host's own blocks are not the plugin's.
    std::vector<char> hostBlock(8 * kBlock, 'h');
    const MemoryStats afterHost = Stats(*host);
    EXPECT_EQ(std::memcmp(&afterHost, &cycled, sizeof(MemoryStats)), 0);
    EXPECT_EQ(afterHost.reserved, 0u);
    EXPECT_EQ(hostBlock.back(), 'h');
}

}  // namespace
}  // namespace Zarn::Framework::Testing
