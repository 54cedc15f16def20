// A small plugin built as a shared library of its own, driven by the framework's tests through
// the host library, so that every record crosses the real boundary.
#include "tests/framework/test_plugin/test_plugin.h"

#include <cstdlib>
#include <future>
#include <optional>
#include <vector>

#include "binding/record_registration.h"
#include "framework/app_module.h"
#include "framework/plugin_entry.h"
#include "logging/logger.h"

namespace Zarn::Framework::Testing {
namespace {

// Registered under a host type's name: the host type registered first is the one that stays.
struct ShadowOfHostType {
    std::int32_t other = 0;
};

// Registered under its own name, beside the prefixed records.
enum class TestLevel { Low, High };

// Never registered, so a request parameter of this type cannot be converted.
struct Unregistered {
    std::int32_t value = 0;
};

class TestPlugin final : public AppModule {
public:
    void RegisterApi() override {
        RegisterApiStruct<TestItem>("Item").Field("id", &TestItem::id).Field("name", &TestItem::name);
        RegisterApiEnum<TestLevel>("MoxTestLevel", ApiTypeName::AsGiven)
            .Value("Low", TestLevel::Low)
            .Value("High", TestLevel::High);
        RegisterApiStruct<TestCommand>("Command")
            .Field("action", &TestCommand::action)
            .Field("address", &TestCommand::address)
            .Field("text", &TestCommand::text)
            .Field("id", &TestCommand::id);
        Binding::RegisterStruct<ShadowOfHostType>(Registry(), "PluginResourceEvent")
            .Field("other", &ShadowOfHostType::other);
        RegisterRoute(
            RouteMethod::Get, "/mox-framework-test/v1/items/{id}",
            [](std::int32_t id) -> RouteResult<TestItem> {
                return TestItem{id, "item"};
            },
            RouteArgument("id"));
    }

    bool Initialize() override {
        ObserveResource<TestCommand>(kCommandAddress, [this](const TypedResourceEvent<TestCommand>& event) {
            if (event.eventType != PluginResourceEventType::Delete) Run(event.data);
        });
        ObserveResource<TestItem>("/mox-items/v1/items/*", [this](const TypedResourceEvent<TestItem>& event) {
            ReportItem("pattern", event);
        });
        ObserveResource<TestItem>("/mox-items/v1/items/7", [this](const TypedResourceEvent<TestItem>& event) {
            ReportItem("exact", event);
        });
        SubscribeLcds<TestItem>(kLcdsType,
                                [this](const TestItem& item) { Report("lcds", item.name, item.id); });
        return true;
    }

private:
    void Run(const TestCommand& command) {
        const std::string& action = command.action;
        if (action == "subscribe") {
            Subscribe(command.address);
        } else if (action == "unsubscribe") {
            Unsubscribe(command.address);
        } else if (action == "publish") {
            PublishResource(PluginResourceEventType::Update, command.address,
                            TestItem{command.id, command.text});
        } else if (action == "delete") {
            PublishResourceDeleted(command.address);
        } else if (action == "request") {
            auto result = RequestValue<TestItem>(kApiMethodGet, command.address);
            if (result.Failed())
                return Report("request-failed", result.Error().message, result.Error().status);
            Report("request", result.Value().name, result.Value().id);
        } else if (action == "request-text") {
            auto result = RequestValue<std::string>(kApiMethodGet, command.address);
            if (result.Failed())
                return Report("request-failed", result.Error().message, result.Error().status);
            Report("request-text", result.Value(), static_cast<std::int64_t>(result.Value().size()));
        } else if (action == "bad-request") {
            RequestParameters parameters(Registry());
            parameters.Add("value", Unregistered{});
            auto result = Request(kApiMethodPost, command.address, parameters);
            Report("request-failed", result.Failed() ? result.Error().message : "",
                   result.Failed() ? result.Error().status : 0);
        } else if (action == "external") {
            HttpRequest request;
            request.url = command.address;
            if (!command.text.empty()) request.headers.emplace_back("User-Agent", command.text);
            request.headers.emplace_back("accept", "application/json");
            auto result = ExternalRequest(request);
            if (result.Failed()) return Report("external-failed", result.Error().message, 0);
            Report("external", result.Value().body, static_cast<std::int32_t>(result.Value().status));
        } else if (action == "await-ready") {
            std::promise<AwaitResult> ready;
            ready.set_value(AwaitResult());
            ReportAwait(Await(ready.get_future()));
        } else if (action == "await") {
            promise_.emplace();
            ReportAwait(Await(promise_->get_future()));
        } else if (action == "fulfil") {
            if (!promise_) return;
            promise_->set_value(command.text.empty() ? AwaitResult()
                                                     : AwaitResult(Failure{command.text, 500}));
        } else if (action == "break") {
            promise_.reset();
        } else if (action == "allocate") {
            kept_.emplace_back(static_cast<std::size_t>(command.id), 'x');
        } else if (action == "release") {
            kept_.clear();
            kept_.shrink_to_fit();
        } else if (action == "realloc") {
            // Through the library's C allocation functions, as its C code would call them.
            // Volatile, so that the compiler neither elides the calls nor turns the first into malloc.
            scratch_ = nullptr;
            scratch_ = std::realloc(scratch_, 1000);
            scratch_ = std::realloc(scratch_, 5000);
            std::free(scratch_);
            scratch_ = nullptr;
        } else if (action == "log") {
            Logging::Log(command.id, Logging::kGroupDbg, "%s", command.text.c_str());
        } else if (action == "timers") {
            ScheduleCallback(
                "first", [this] { Report("timer", "first", static_cast<std::int32_t>(PendingTimerCount())); },
                Clock::now());
            ScheduleCallback(
                "second",
                [this] { Report("timer", "second", static_cast<std::int32_t>(PendingTimerCount())); },
                Clock::now() + std::chrono::seconds(5));
        } else if (action == "timer-count") {
            Report("timer-count", "", static_cast<std::int32_t>(PendingTimerCount()));
        }
    }

    void ReportItem(std::string_view kind, const TypedResourceEvent<TestItem>& event) {
        const char* type = event.eventType == PluginResourceEventType::Create   ? "Create"
                           : event.eventType == PluginResourceEventType::Update ? "Update"
                                                                                : "Delete";
        Report(kind, event.uri + " " + type + " " + event.data.name, event.data.id);
    }

    void ReportAwait(const AwaitResult& result) {
        Report("await", result.Failed() ? result.Error().message : "ok",
               result.Failed() ? result.Error().status : 0);
    }

    void Report(std::string_view kind, std::string_view detail, std::int64_t id) {
        RequestParameters parameters(Registry());
        parameters.AddText("kind", kind).AddText("detail", detail).Add("id", id);
        Request(kApiMethodPost, kReportPath, parameters);
    }

    std::optional<std::promise<AwaitResult>> promise_;
    std::vector<std::string> kept_;
    void* volatile scratch_ = nullptr;
};

}  // namespace
}  // namespace Zarn::Framework::Testing

MOX_DEFINE_PLUGIN_ENTRY(Zarn::Framework::Testing::TestPlugin, Zarn::Framework::Testing::kTestPluginShortName)
