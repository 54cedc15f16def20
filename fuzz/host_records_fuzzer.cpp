// Host records built from fuzz bytes and handed to a module the way a host would: event records
// delivered to its subscription callbacks (resource observers, LCDS, service proxy) and flat
// values returned as the value of its requests' responses. The records may carry unknown tags,
// null arrays or texts with non-zero counts, fields without names and nesting far beyond the
// bound; every non-null pointer is valid for its count, as the boundary promises. No crash, leak
// or undefined behaviour, and a request's response is released exactly once.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "binding/record_registration.h"
#include "framework/app_module.h"

namespace {

using namespace Zarn;

struct Note {
    std::int32_t id = 0;
    std::string text;
    std::vector<std::string> tags;
};

// Builds flat values from the bytes. Storage lives as long as the builder.
class FlatFactory {
public:
    explicit FlatFactory(FuzzedDataProvider& data) : data_(data) {}

    FlatBindingProperty Make(std::size_t depth = 0) {
        FlatBindingProperty flat{};
        if (data_.remaining_bytes() == 0 || ++nodes_ > kMaxNodes) return flat;
        const std::uint8_t choice = data_.ConsumeIntegral<std::uint8_t>();
        flat.tag = choice % 12;
        switch (flat.tag) {
            case kFlatKindBool:
            case kFlatKindSigned:
            case kFlatKindUnsigned:
            case kFlatKindFloat:
                flat.payload.unsignedValue = data_.ConsumeIntegral<std::uint64_t>();
                break;
            case kFlatKindString:
            case kFlatKindOwnedString:
                flat.payload.text.data = Text();
                flat.payload.text.length = data_.ConsumeIntegral<std::uint8_t>();
                break;
            case kFlatKindBlob:
            case kFlatKindOwnedBlob: {
                const std::string& bytes = Keep(data_.ConsumeRandomLengthString(64));
                const bool null = data_.ConsumeBool();
                flat.payload.bytes.data =
                    null ? nullptr : reinterpret_cast<const std::uint8_t*>(bytes.data());
                flat.payload.bytes.size =
                    null ? data_.ConsumeIntegral<std::uint8_t>() : static_cast<std::uint32_t>(bytes.size());
                break;
            }
            case kFlatKindCollection: {
                if (data_.ConsumeBool()) return Chain(data_.ConsumeIntegralInRange<std::size_t>(1, 1200));
                const std::uint32_t count = data_.ConsumeIntegralInRange<std::uint32_t>(0, 6);
                if ((count > 0 && data_.ConsumeBool()) || depth > 16) {
                    flat.payload.collection.count = count;  // a null array with a count
                    break;
                }
                auto& elements = collections_.emplace_back(count);
                for (auto& element : elements) element = Make(depth + 1);
                flat.payload.collection.elements = elements.empty() ? nullptr : elements.data();
                flat.payload.collection.count = count;
                break;
            }
            case kFlatKindStructure: {
                const std::uint32_t count = data_.ConsumeIntegralInRange<std::uint32_t>(0, 6);
                if ((count > 0 && data_.ConsumeBool()) || depth > 16) {
                    flat.payload.structure.count = count;
                    break;
                }
                auto& entries = structures_.emplace_back(count);
                for (auto& entry : entries) {
                    entry.name = data_.ConsumeIntegralInRange(0, 9) == 0 ? nullptr : Name();
                    entry.value = Make(depth + 1);
                }
                flat.payload.structure.entries = entries.empty() ? nullptr : entries.data();
                flat.payload.structure.count = count;
                break;
            }
            case kFlatKindEmpty:
                break;
            default:
                flat.tag = data_.ConsumeIntegral<std::uint32_t>() | 11;  // an unknown tag
                break;
        }
        return flat;
    }

    // A resource event whose fields are the fuzzer's, or fully fuzzed.
    FlatBindingProperty ResourceEvent(const char* uri) {
        if (data_.ConsumeBool()) return Make();
        auto& entries = structures_.emplace_back(3);
        entries[0] = {"data", Make(1), 0};
        entries[1] = {"eventType", Text(kEventTypes[data_.ConsumeIntegralInRange<std::size_t>(0, 3)]), 0};
        entries[2] = {"uri", Text(uri), 0};
        FlatBindingProperty flat{};
        flat.tag = kFlatKindStructure;
        flat.payload.structure.entries = entries.data();
        flat.payload.structure.count = 3;
        return flat;
    }

    const char* Name() { return Keep(data_.ConsumeRandomLengthString(16)).c_str(); }

private:
    static constexpr std::size_t kMaxNodes = 2048;
    static constexpr const char* kEventTypes[] = {"Create", "Update", "Delete", "Moved"};

    const std::string& Keep(std::string text) { return texts_.emplace_back(std::move(text)); }
    const char* Text() { return data_.ConsumeIntegralInRange(0, 7) == 0 ? nullptr : Name(); }
    FlatBindingProperty Text(const char* text) {
        FlatBindingProperty flat{};
        flat.tag = kFlatKindString;
        flat.payload.text.data = text;
        return flat;
    }
    // `length` collections each holding the next: nesting beyond the bound costs a few bytes.
    FlatBindingProperty Chain(std::size_t length) {
        auto& chain = collections_.emplace_back(length);
        for (std::size_t i = 0; i < length; ++i) {
            chain[i].tag = kFlatKindCollection;
            chain[i].payload.collection.elements = i + 1 < length ? &chain[i + 1] : nullptr;
            chain[i].payload.collection.count = i + 1 < length ? 1 : 0;
        }
        return chain[0];
    }

    FuzzedDataProvider& data_;
    std::size_t nodes_ = 0;
    std::deque<std::string> texts_;
    std::deque<std::vector<FlatBindingProperty>> collections_;
    std::deque<std::vector<FlatStructureEntry>> structures_;
};

int releases = 0;
void MOX_CDECL Release(ApiResponse*) { ++releases; }

class FuzzModule final : public Framework::AppModule {
public:
    void RegisterApi() override {
        Binding::RegisterStruct<Note>(Registry(), "Note")
            .Field("id", &Note::id)
            .Field("text", &Note::text)
            .Field("tags", &Note::tags);
    }
    bool Initialize() override {
        const auto keep = [](const Framework::TypedResourceEvent<Note>& event) {
            sink += event.data.text.size();
        };
        ObserveResource<Note>("/mox-f/v1/notes/*", keep);
        ObserveResource<Note>("/mox-f/v1/notes/1", keep);
        SubscribeLcds<Note>("com.zarngames.fuzz.Note", [](const Note& note) { sink += note.tags.size(); });
        return true;
    }

    void SubscribeHostEvent(const char* name, PluginHandle, HostEventCallback callback, void* userData,
                            std::uint32_t) override {
        subscriptions.push_back({name, callback, userData});
    }
    void UnsubscribeHostEvent(const char*, PluginHandle) override {}
    void ScheduleHostCallback(const char*, TimerCallback callback, void* userData, double,
                              std::uint32_t) override {
        timers.emplace_back(callback, userData);
    }
    void SendRequest(ApiResponse* response, const ApiRequest*) override {
        if (answer == nullptr) return;
        response->value = *answer;
        response->error.message = error;
        response->release = &Release;
    }

    struct Subscription {
        std::string name;
        HostEventCallback callback;
        void* userData;
    };
    std::vector<Subscription> subscriptions;
    std::vector<std::pair<TimerCallback, void*>> timers;
    const FlatBindingProperty* answer = nullptr;
    const char* error = nullptr;
    static inline std::size_t sink = 0;
};

FuzzModule& Module() {
    static HostServices services{};
    static HostInterface host{&services, 1};
    static FuzzModule* module = [] {
        auto* made = new FuzzModule();
        PluginEntryTable table{};
        table.version = {18, 0, 0};
        if (!made->Start(table, "mox-fuzz") || table.callbacks->initialize(made, &host) != 1) std::abort();
        return made;
    }();
    return *module;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzModule& module = Module();
    FuzzedDataProvider data(bytes, size);
    FlatFactory factory(data);

    // Deliveries to the module's subscriptions (and, now and then, to names or modules it never
    // gave the host), then the timers they scheduled.
    const int deliveries = data.ConsumeIntegralInRange(1, 4);
    for (int i = 0; i < deliveries && data.remaining_bytes() > 0; ++i) {
        const auto& subscription =
            module
                .subscriptions[data.ConsumeIntegralInRange<std::size_t>(0, module.subscriptions.size() - 1)];
        HostEvent event{};
        const int nameChoice = data.ConsumeIntegralInRange(0, 9);
        event.name = nameChoice == 0 ? nullptr : nameChoice == 1 ? factory.Name() : subscription.name.c_str();
        event.payload = factory.ResourceEvent(data.ConsumeBool() ? "/mox-f/v1/notes/1" : factory.Name());
        event.userData = data.ConsumeIntegralInRange(0, 15) == 0 ? nullptr : subscription.userData;
        subscription.callback(&event);
    }
    std::vector<std::pair<TimerCallback, void*>> due;
    due.swap(module.timers);
    for (auto& [callback, userData] : due) callback(userData);

    // The same kind of value as a response to the module's own request.
    const FlatBindingProperty answer = factory.Make();
    module.answer = &answer;
    module.error = data.ConsumeIntegralInRange(0, 5) == 0 ? factory.Name() : nullptr;
    releases = 0;
    auto result = module.RequestValue<Note>(kApiMethodGet, "/mox-f/v1/value");
    if (releases != 1) std::abort();
    if (result.Succeeded()) FuzzModule::sink += result.Value().id;
    module.answer = nullptr;
    return 0;
}
