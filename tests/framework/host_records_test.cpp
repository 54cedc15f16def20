// Records from the host that the plugin must survive: malformed event records and flat values,
// response records with null arrays or oversized stream chunks, and callbacks whose work throws.
// The module runs in this process with its host-service slots overridden, so each record can be
// built byte by byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "binding/record_registration.h"
#include "framework/app_module.h"
#include "logging/logger.h"

namespace Zarn::Framework {
namespace {

struct Note {
    std::int32_t id = 0;
    std::string text;
};

std::vector<std::string> hostLog;

std::uint8_t MOX_CDECL KeepLogLine(const HostServices*, std::uint32_t, const char* text) {
    hostLog.emplace_back(text);
    return 1;
}

// Services the overridden slots never reach, except the log.
HostServices MakeServices() {
    HostServices services{};
    services.log = &KeepLogLine;
    return services;
}

class RecordsModule final : public AppModule {
public:
    void RegisterApi() override {
        Binding::RegisterStruct<Note>(Registry(), "Note").Field("id", &Note::id).Field("text", &Note::text);
    }
    bool Initialize() override {
        ObserveResource<Note>("/mox-r/v1/note", [this](const TypedResourceEvent<Note>& event) {
            notes.push_back(event.data);
            if (event.data.text == "throw") throw std::length_error("basic_string::_M_create");
        });
        return true;
    }

    void SubscribeHostEvent(const char* name, PluginHandle, HostEventCallback callback, void* userData,
                            std::uint32_t) override {
        if (std::string_view(name) == "OnJsonApiEvent_mox-r_v1_note") {
            noteCallback = callback;
            noteUserData = userData;
        }
    }
    void UnsubscribeHostEvent(const char*, PluginHandle) override {}
    void SendRequest(ApiResponse* response, const ApiRequest* request) override {
        if (answer) answer(*response, *request);
    }
    void SendExternalRequest(ExternalResponseRecord* response, const ExternalRequestRecord*) override {
        if (answerExternal) answerExternal(*response);
    }
    void ScheduleHostCallback(const char*, TimerCallback callback, void* userData, double,
                              std::uint32_t) override {
        timerCallback = callback;
        timerUserData = userData;
    }

    std::vector<Note> notes;
    HostEventCallback noteCallback = nullptr;
    void* noteUserData = nullptr;
    TimerCallback timerCallback = nullptr;
    void* timerUserData = nullptr;
    std::function<void(ApiResponse&, const ApiRequest&)> answer;
    std::function<void(ExternalResponseRecord&)> answerExternal;
};

class HostRecordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        hostLog.clear();
        module = new RecordsModule();
        PluginEntryTable table{};
        table.version = {18, 0, 0};
        ASSERT_TRUE(module->Start(table, "mox-records-test"));
        callbacks = table.callbacks;
        ASSERT_EQ(callbacks->initialize(module, &host), 1);
        ASSERT_NE(module->noteCallback, nullptr);
    }
    void TearDown() override {
        callbacks->shutdown(module);
        Logging::Logger::Instance().ResetToDefaults();
    }

    void Deliver(const HostEvent& event) { module->noteCallback(&event); }

    HostServices services = MakeServices();
    HostInterface host{&services, 7};
    RecordsModule* module = nullptr;
    const PluginCallbacks* callbacks = nullptr;
};

// Keeps the records a test builds alive for the length of the test.
struct FlatBuilder {
    FlatBindingProperty Text(const char* text) {
        FlatBindingProperty flat{};
        flat.tag = kFlatKindString;
        flat.payload.text.data = text;
        return flat;
    }
    FlatBindingProperty Signed(std::int64_t value) {
        FlatBindingProperty flat{};
        flat.tag = kFlatKindSigned;
        flat.payload.signedValue = value;
        return flat;
    }
    FlatBindingProperty Structure(std::vector<std::pair<const char*, FlatBindingProperty>> fields) {
        auto& entries = structures.emplace_back();
        for (auto& [name, value] : fields) entries.push_back({name, value, 0});
        FlatBindingProperty flat{};
        flat.tag = kFlatKindStructure;
        flat.payload.structure.entries = entries.data();
        flat.payload.structure.count = static_cast<std::uint32_t>(entries.size());
        return flat;
    }
    FlatBindingProperty Event(FlatBindingProperty data, const char* uri = "/mox-r/v1/note") {
        return Structure({{"data", data}, {"eventType", Text("Update")}, {"uri", Text(uri)}});
    }
    // `depth` collections, each holding the next.
    FlatBindingProperty Nested(std::size_t depth) {
        auto& chain = collections.emplace_back(depth);
        for (std::size_t i = 0; i < depth; ++i) {
            chain[i].tag = kFlatKindCollection;
            chain[i].payload.collection.elements = i + 1 < depth ? &chain[i + 1] : nullptr;
            chain[i].payload.collection.count = i + 1 < depth ? 1 : 0;
        }
        return chain[0];
    }
    std::vector<std::vector<FlatStructureEntry>> structures;
    std::vector<std::vector<FlatBindingProperty>> collections;
};

TEST_F(HostRecordsTest, MalformedEventRecordsAreDroppedWithoutAHandlerCall) {
    FlatBuilder flat;
    const FlatBindingProperty good =
        flat.Event(flat.Structure({{"id", flat.Signed(5)}, {"text", flat.Text("five")}}));
    FlatBindingProperty unknownTag{};
    unknownTag.tag = 77;
    FlatBindingProperty nullEntries{};
    nullEntries.tag = kFlatKindStructure;
    nullEntries.payload.structure.count = 3;
    FlatBindingProperty nullElements{};
    nullElements.tag = kFlatKindCollection;
    nullElements.payload.collection.count = 1;
    FlatBindingProperty nullOwnedText{};
    nullOwnedText.tag = kFlatKindOwnedString;
    nullOwnedText.payload.text.length = 4;
    FlatBindingProperty nullBlob{};
    nullBlob.tag = kFlatKindBlob;
    nullBlob.payload.bytes.size = 9;
    struct Case {
        const char* what;
        HostEvent event;
    };
    void* self = module->noteUserData;
    const char* name = "OnJsonApiEvent_mox-r_v1_note";
    const Case cases[] = {
        {"null name", {nullptr, good, 0, self}},
        {"null user data", {name, good, 0, nullptr}},
        {"a name the module never subscribed", {"OnJsonApiEvent_other", good, 0, self}},
        {"unknown tag", {name, unknownTag, 0, self}},
        {"unknown tag inside the data", {name, flat.Event(unknownTag), 0, self}},
        {"null entries with a count", {name, nullEntries, 0, self}},
        {"null elements with a count", {name, flat.Event(nullElements), 0, self}},
        {"null owned text with a length",
         {name, flat.Event(flat.Structure({{"text", nullOwnedText}})), 0, self}},
        {"null blob with a size", {name, flat.Event(nullBlob), 0, self}},
        {"nesting far beyond the bound", {name, flat.Event(flat.Nested(100000)), 0, self}},
        {"a field without a name", {name, flat.Structure({{nullptr, flat.Text("x")}}), 0, self}},
    };
    for (const Case& c : cases) {
        Deliver(c.event);
        EXPECT_TRUE(module->notes.empty()) << c.what;
    }
    Deliver({name, good, 0, self});
    ASSERT_EQ(module->notes.size(), 1u);
    EXPECT_EQ(module->notes[0].text, "five");
}

TEST_F(HostRecordsTest, AnExceptionInAHandlerOrATimerStopsAtTheCallback) {
    FlatBuilder flat;
    const FlatBindingProperty throwing = flat.Event(flat.Structure({{"text", flat.Text("throw")}}));
    Deliver({"OnJsonApiEvent_mox-r_v1_note", throwing, 0, module->noteUserData});
    EXPECT_EQ(module->notes.size(), 1u);

    module->ScheduleCallback(
        "throws", [] { throw std::bad_alloc(); }, HostModule::Clock::now());
    ASSERT_NE(module->timerCallback, nullptr);
    module->timerCallback(module->timerUserData);
    EXPECT_EQ(module->PendingTimerCount(), 1u);  // a function that throws leaves its entry

    const std::vector<std::string> expected = {"Plugin event delivery failed: basic_string::_M_create",
                                               "Plugin timer failed: std::bad_alloc"};
    EXPECT_EQ(hostLog, expected);
}

// A response record as a host might fill it, with a release function that counts its calls.
int releases = 0;
void MOX_CDECL CountRelease(ApiResponse* response) {
    ++releases;
    std::memset(response, 0, sizeof *response);
}

struct Stream {
    std::vector<std::uint32_t> sizes;  // what each read claims to deliver
    std::size_t reads = 0;
    bool closed = false;
};
std::uint8_t MOX_CDECL ReadClaimed(void* context, std::uint8_t* buffer, std::uint32_t* size,
                                   std::uint8_t* more) {
    auto* stream = static_cast<Stream*>(context);
    const std::uint32_t claimed = stream->sizes[stream->reads++];
    std::memset(buffer, '7', std::min(claimed, *size));
    *size = claimed;
    *more = stream->reads < stream->sizes.size() ? 1 : 0;
    return 1;
}
void MOX_CDECL CloseStream(void* context) { static_cast<Stream*>(context)->closed = true; }

TEST_F(HostRecordsTest, MalformedResponsesFailTheRequestAndAreReleasedOnce) {
    Stream oversized{{4096, 5000}};
    Stream fine{{3}};
    struct Case {
        const char* what;
        std::function<void(ApiResponse&)> fill;
        const char* expected;  // the failure's message, or the value's text on success
    };
    const Case cases[] = {
        {"unknown tag in the value", [](ApiResponse& r) { r.value.tag = 99; },
         "Error converting response for GET /mox-r/v1/value: "},
        {"null structure entries with a count",
         [](ApiResponse& r) {
             r.value.tag = kFlatKindStructure;
             r.value.payload.structure.count = 2;
         },
         "Error converting response for GET /mox-r/v1/value: "},
        {"a chunk larger than the buffer",
         [&](ApiResponse& r) {
             r.streamRead = &ReadClaimed;
             r.streamClose = &CloseStream;
             r.streamLength = 0xFFFFFFFFu;  // a capacity hint far beyond reason
             r.streamContext = &oversized;
         },
         "Error reading streamed response for GET /mox-r/v1/value: Stream read error"},
        {"a stream of three bytes",
         [&](ApiResponse& r) {
             r.streamRead = &ReadClaimed;
             r.streamClose = &CloseStream;
             r.streamContext = &fine;
         },
         "777"},
    };
    for (const Case& c : cases) {
        releases = 0;
        module->answer = [&](ApiResponse& response, const ApiRequest&) {
            c.fill(response);
            response.release = &CountRelease;
        };
        auto result = module->RequestValue<Binding::BindingProperty>(kApiMethodGet, "/mox-r/v1/value");
        if (result.Failed()) {
            EXPECT_EQ(result.Error().message.rfind(c.expected, 0), 0u)
                << c.what << ": " << result.Error().message;
        } else {
            EXPECT_EQ(result.Value().AsString(), c.expected) << c.what;
        }
        EXPECT_EQ(releases, 1) << c.what;
    }
    EXPECT_TRUE(oversized.closed);
    EXPECT_TRUE(fine.closed);
}

TEST_F(HostRecordsTest, ExternalResponsesWithNullArraysFailWithTheirMessages) {
    const TextPair nullTexts[] = {{nullptr, nullptr}};
    struct Case {
        const char* what;
        ExternalResponseRecord record;
        const char* failure;  // null: succeeds
    };
    const std::uint8_t message[] = {'n', 'o', ' ', 'r', 'o', 'u', 't', 'e'};
    const Case cases[] = {
        {"headers null with a count",
         {0, 200, nullptr, 2, nullptr, 0},
         "Error converting response for GET https://x.invalid/a: headers was null"},
        {"body null with a length",
         {0, 200, nullptr, 0, nullptr, 5},
         "Error converting response for GET https://x.invalid/a: body was null"},
        {"connection failure", {1, 0, nullptr, 0, message, sizeof message}, "no route"},
        {"connection failure without a message", {1, 0, nullptr, 0, nullptr, 4}, ""},
        {"header texts null", {0, 204, nullTexts, 1, nullptr, 0}, nullptr},
    };
    for (const Case& c : cases) {
        module->answerExternal = [&](ExternalResponseRecord& response) { response = c.record; };
        HttpRequest request;
        request.url = "https://x.invalid/a";
        auto result = module->ExternalRequest(request);
        if (c.failure != nullptr) {
            ASSERT_TRUE(result.Failed()) << c.what;
            EXPECT_EQ(result.Error().message, c.failure) << c.what;
        } else {
            ASSERT_TRUE(result.Succeeded()) << c.what;
            EXPECT_EQ(result.Value().status, 204u);
            EXPECT_EQ(result.Value().headers, (HeaderList{{"", ""}}));
        }
    }
}

}  // namespace
}  // namespace Zarn::Framework
