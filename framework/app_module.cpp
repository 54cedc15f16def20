#include "framework/app_module.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <source_location>
#include <utility>

#include "binding/builtin_types.h"
#include "binding/flat_binding_property.h"
#include "binding/fnv1a.h"
#include "binding/static_type.h"
#include "encodings/json_reader.h"
#include "encodings/json_writer.h"
#include "framework/detail/request_records.h"
#include "framework/identifier.h"
#include "framework/memory_counters.h"
#include "framework/routes/route_method.h"
#include "logging/assertion_report.h"
#include "logging/logger.h"
#include "logging/message_format.h"
#include "logging/named_message.h"

namespace Zarn::Framework {
namespace {

constexpr std::string_view kAwaitedResultSpelling = "class Zarn::MaybeType<class Zarn::Failure,void>";

// Named as the host's tools have always shown it, so wait labels read the same in every build.
const Binding::StaticType& AwaitedResultType() {
    static const Binding::StaticType type(Binding::Fnv1a32(kAwaitedResultSpelling), kAwaitedResultSpelling);
    return type;
}

void LogCallbackFailure(const char* callback, const char* what) noexcept {
    Logging::Log(Logging::kLevelError, Logging::kGroupDbg, "Plugin %s failed: %s", callback, what);
}

// A request record's method code (1 to 8, anything else 0) and its name.
std::uint32_t MethodCode(std::uint32_t method) {
    return static_cast<std::uint32_t>(RouteMethodFromCode(method));
}
std::string_view MethodName(std::uint32_t code, std::string_view customName) {
    return RouteMethodName(RouteMethodFromCode(code), customName);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// Keeps a flat value for the duration of a host call and releases it on every way out.
struct FlatHolder {
    FlatBindingProperty flat{};
    ~FlatHolder() { Binding::ReleaseFlat(flat); }
};

}  // namespace

AppModule::AppModule(PluginKind kind)
    : kind_(std::move(kind)),
      bindingRegistry_(std::make_unique<Binding::BindingRegistry>()),
      routes_(std::make_unique<RouteTable>(*bindingRegistry_)),
      moduleRequests_(MakeModuleRequests(*this)),
      serviceProxy_(std::make_unique<ServiceProxy>(*moduleRequests_)) {
    SetRegistry(*bindingRegistry_);
    SetServiceProxy(*serviceProxy_);
    Binding::RegisterBuiltins(*bindingRegistry_);
    callbacks_.initialize = &AppModule::InitializeCallback;
    callbacks_.shutdown = &AppModule::ShutdownCallback;
    callbacks_.queryMemoryStats = &AppModule::QueryMemoryStatsCallback;
    Logging::Logger::Instance();
}

AppModule::~AppModule() = default;

void AppModule::RegisterApi() {}

bool AppModule::Initialize() { return true; }

bool AppModule::Start(PluginEntryTable& table, std::string_view shortName) noexcept {
    try {
        const SemanticVersion host{table.version.major, table.version.minor, table.version.patch, {}, {}};
        // Fatal reports pass their location explicitly: clang 14 (the fuzzing build) cannot
        // evaluate ReportFatal's default argument.
        if (!IsCompatible(kPluginApiVersion, host)) {
            Logging::ReportFatal("ALE-EECF0606", {}, std::source_location::current());
        }
        hostVersion_ = host;
        names_ = GetFullNameFromShortNameAndType(shortName, kind_);
        PrepareRegistration();
        RegisterApi();
        const auto [functions, functionCount] = FunctionRecords();
        apiDescription_.Build(Registry(), functions, functionCount);

        table.version = {kPluginApiVersion.major, kPluginApiVersion.minor, kPluginApiVersion.patch};
        table.callbacks = &callbacks_;
        table.context = this;
        table.name = names_.shortName.c_str();
        table.api = &apiDescription_.Description();
        return true;
    } catch (const std::exception& error) {
        LogCallbackFailure("entry", error.what());
    } catch (...) {
        LogCallbackFailure("entry", "unknown exception");
    }
    return false;
}

void AppModule::PrepareRegistration() {
    registrationTags_ = {"Plugins", "Plugin " + names_.shortName};
    routes_->SetTags(registrationTags_);
    apiNamePrefix_ = Identifier(names_.shortName);
    RegisterHostTypes(Registry(), registrationTags_);
}

std::pair<const ApiFunctionRecord*, std::uint32_t> AppModule::FunctionRecords() const {
    const std::span<const ApiFunctionRecord> records = routes_->FunctionRecords();
    return {records.empty() ? nullptr : records.data(), static_cast<std::uint32_t>(records.size())};
}

std::uint8_t MOX_CDECL AppModule::InitializeCallback(void* context, const HostInterface* host) {
    if (context == nullptr || host == nullptr) return 0;
    try {
        return static_cast<AppModule*>(context)->Connect(*host) ? 1 : 0;
    } catch (const std::exception& error) {
        LogCallbackFailure("initialize", error.what());
    } catch (...) {
        LogCallbackFailure("initialize", "unknown exception");
    }
    return 0;
}

bool AppModule::Connect(const HostInterface& host) {
    if (host.services == nullptr) return false;
    hostInterface_ = &host;
    InstallLogTarget(host.services);
    userAgent_ = Logging::FormatMessage("ZarnClient/%1 (%2)", hostVersion_.Text(), names_.shortName);
    handle_ = host.handle;
    shortName_ = names_.shortName;
    telemetrySender_ = std::make_unique<TelemetrySender>(*moduleRequests_);
    SubscribeToHostEvent<PluginServiceProxyResponse>(
        "OnServiceProxyUuidEvent",
        [this](const PluginServiceProxyResponse& reply) {
            OnServiceProxyEvent(ServiceProxyEvent::Uuid, reply);
        },
        1);
    SubscribeToHostEvent<PluginServiceProxyResponse>(
        "OnServiceProxyMethodEvent",
        [this](const PluginServiceProxyResponse& reply) {
            OnServiceProxyEvent(ServiceProxyEvent::Method, reply);
        },
        1);
    SubscribeToHostEvent<PluginServiceProxyResponse>(
        "OnServiceProxyAsyncEvent",
        [this](const PluginServiceProxyResponse& reply) {
            OnServiceProxyEvent(ServiceProxyEvent::Async, reply);
        },
        1);
    return Initialize();
}

void AppModule::InstallLogTarget(const HostServices* services) {
    Logging::Logger& logger = Logging::Logger::Instance();
    if (logger.FindTarget(PluginLogTarget::kClassName) != nullptr) return;
    const Logging::LogTargetFunctions& functions = Logging::LogTarget::Functions();
    functions.unregisterTarget(&logger.StdErrTarget());
    functions.unregisterTarget(&logger.StdOutTarget());
    functions.unregisterTarget(&logger.DebuggerTarget());
    logger.SetMinimumLevel(Logging::kLevelOkay);
    logger.SetDisabledGroups(Logging::kGroupXtr);
    logTarget_ = std::make_unique<PluginLogTarget>(services);
    Logging::LogTargetSettings settings;
    settings.minimumLevel = Logging::kLevelOkay;
    settings.lineFormat = "#D| #L| #G| #M";
    Logging::ConfigureTarget(*logTarget_, settings);
}

void MOX_CDECL AppModule::ShutdownCallback(void* context) {
    if (context == nullptr) return;
    auto* module = static_cast<AppModule*>(context);
    try {
        module->finalizing_ = true;
        module->Finalize();
    } catch (const std::exception& error) {
        LogCallbackFailure("shutdown", error.what());
    } catch (...) {
        LogCallbackFailure("shutdown", "unknown exception");
    }
    delete module;
}

void MOX_CDECL AppModule::QueryMemoryStatsCallback(void* /*context*/, MemoryStats* stats) {
    if (stats == nullptr) return;
    const MemoryCounters::Snapshot counters = LibraryMemoryCounters().Read();
    stats->peakBytes = counters[MemoryCounters::kPeakBytes];
    stats->allocationsAtPeak = counters[MemoryCounters::kLiveBlocksAtPeak];
    stats->bytesAllocated = counters[MemoryCounters::kBytesAllocated];
    stats->allocations = counters[MemoryCounters::kAllocations];
    stats->bytesFreed = counters[MemoryCounters::kBytesFreed];
    stats->frees = counters[MemoryCounters::kFrees];
    stats->reserved = 0;
}

// The forwards do nothing before `initialize` connected the module, instead of following a null
// table; requests report that case as a failure.
void AppModule::SendRequest(ApiResponse* response, const ApiRequest* request) {
    if (const HostServices* services = hostInterface_ ? hostInterface_->services : nullptr;
        services && services->sendRequest)
        services->sendRequest(services, response, request);
}

void AppModule::SendExternalRequest(ExternalResponseRecord* response, const ExternalRequestRecord* request) {
    if (const HostServices* services = hostInterface_ ? hostInterface_->services : nullptr;
        services && services->sendExternalRequest)
        services->sendExternalRequest(services, response, request);
}

void AppModule::SendEvent(const HostEvent* event) {
    if (const HostServices* services = hostInterface_ ? hostInterface_->services : nullptr;
        services && services->sendEvent)
        services->sendEvent(services, event);
}

void AppModule::SubscribeHostEvent(const char* name, PluginHandle handle, HostEventCallback callback,
                                   void* userData, std::uint32_t flag) {
    if (const HostServices* services = hostInterface_ ? hostInterface_->services : nullptr;
        services && services->subscribeEvent)
        services->subscribeEvent(services, name, handle, callback, userData, flag);
}

void AppModule::UnsubscribeHostEvent(const char* name, PluginHandle handle) {
    if (const HostServices* services = hostInterface_ ? hostInterface_->services : nullptr;
        services && services->unsubscribeEvent)
        services->unsubscribeEvent(services, name, handle);
}

void AppModule::ScheduleHostCallback(const char* label, TimerCallback callback, void* userData,
                                     double delaySeconds, std::uint32_t flag) {
    if (const HostServices* services = hostInterface_ ? hostInterface_->services : nullptr;
        services && services->scheduleCallback)
        services->scheduleCallback(services, label, callback, userData, delaySeconds, flag);
}

void AppModule::Yield() {
    if (const HostServices* services = hostInterface_ ? hostInterface_->services : nullptr;
        services && services->yield)
        services->yield(services);
}

void AppModule::BeginWait(const std::string& label, std::uint32_t word) {
    if (const HostServices* services = hostInterface_ ? hostInterface_->services : nullptr;
        services && services->beginWait)
        services->beginWait(services, label.c_str(), word);
}

void AppModule::EndWait() {
    if (const HostServices* services = hostInterface_ ? hostInterface_->services : nullptr;
        services && services->endWait)
        services->endWait(services);
}

Binding::BindingResult AppModule::SendEvent(std::string_view name, const PluginResourceEvent& payload,
                                            std::uint32_t flag) {
    PluginResourceEvent copy = payload;
    return SendEvent(name, std::move(copy), flag);
}

Binding::BindingResult AppModule::SendEvent(std::string_view name, PluginResourceEvent&& payload,
                                            std::uint32_t flag) {
    Binding::BindingResult result;
    Binding::BindingProperty value;
    Binding::ConvertTakingDocuments(Registry(), payload, value, result);
    if (result.Failed()) return result;
    const std::string resourceName = ResourceEventName(payload.uri);
    FlatHolder holder;
    result = Binding::ToFlat(value, holder.flat, &Registry());
    if (result.Failed()) return result;
    HostEvent event{resourceName.c_str(), holder.flat, flag, nullptr};
    SendEvent(&event);
    if (name != resourceName) {
        const std::string given(name);
        event.name = given.c_str();
        SendEvent(&event);
    }
    return Binding::BindingResult::MakeSuccess();
}

void AppModule::PublishResourceDeleted(std::string_view address) {
    PluginResourceEvent event;
    event.uri = address;
    event.eventType = PluginResourceEventType::Delete;
    SendEvent("OnJsonApiEvent", event, 0);
}

MaybeType<Failure, void> AppModule::Request(std::uint32_t method, std::string_view path,
                                            const RequestParameters& parameters,
                                            std::string_view customMethod) {
    MaybeType<Failure, Binding::BindingProperty> sent =
        SendLocalRequest(method, path, parameters, customMethod, false);
    if (sent.Failed()) return sent.Error();
    return {};
}

MaybeType<Failure, Binding::BindingProperty> AppModule::SendLocalRequest(std::uint32_t method,
                                                                         std::string_view path,
                                                                         const RequestParameters& parameters,
                                                                         std::string_view customMethod,
                                                                         bool readValue) {
    const std::uint32_t code = MethodCode(method);
    const std::string methodName(MethodName(code, customMethod));
    const std::string pathText(path);
    const auto failure = [&](std::string_view format, std::string_view error, std::uint32_t status) {
        return Failure{Logging::FormatNamedMessage(format, methodName, pathText, std::string(error)).text,
                       status};
    };

    detail::ParameterEntries entries;
    Binding::BindingResult converted = parameters.Status();
    if (converted.Succeeded()) converted = entries.Build(parameters.Fields(), &Registry());
    if (converted.Failed()) {
        return failure("Request not sent: Error converting parameters for {method} {url}: {error}",
                       converted.Message(), 400);
    }
    if (hostInterface_ == nullptr) {
        return failure("Error response for {method} {url}: {error}", "Not connected to the host", 0);
    }

    const std::string customText(customMethod);
    std::string bodyText;
    if (const Binding::BindingProperty* body = parameters.Body())
        bodyText = Encodings::WriteJson(*body, &Registry());
    ApiRequest request{};
    request.method = code;
    request.path = pathText.c_str();
    request.parameters = entries.Data();
    request.parameterCount = entries.Count();
    request.caller = handle_;
    if (parameters.Body() != nullptr) {
        request.contentType = "application/json";
        request.body = reinterpret_cast<const std::uint8_t*>(bodyText.data());
        request.bodyLength = static_cast<std::uint32_t>(bodyText.size());
    }
    if (code == kApiMethodCustom) request.customMethod = customText.c_str();
    ApiResponse response{};
    detail::ResponseRelease release(response);
    SendRequest(&response, &request);

    if (response.error.message != nullptr) {
        return failure("Error response for {method} {url}: {error}", response.error.message, response.status);
    }
    Binding::BindingProperty value;
    if (!readValue) return value;
    if (response.streamRead != nullptr) {
        std::string text;
        Binding::BindingResult read = detail::ReadStream(
            response, [this] { YieldOnce(); }, text);
        if (read.Succeeded()) read = Encodings::ReadJson(text);
        if (read.Failed()) {
            return failure("Error reading streamed response for {method} {url}: {error}", read.Message(), 0);
        }
        return std::move(read.Value());
    }
    Binding::BindingResult read = Binding::FromFlat(response.value, value, "<result>");
    if (read.Failed()) return ConversionFailure(code, path, customMethod, read.Message());
    return value;
}

Failure AppModule::ConversionFailure(std::uint32_t method, std::string_view path,
                                     std::string_view customMethod, std::string_view error) const {
    return Failure{Logging::FormatNamedMessage("Error converting response for {method} {url}: {error}",
                                               std::string(MethodName(MethodCode(method), customMethod)),
                                               std::string(path), std::string(error))
                       .text,
                   0};
}

MaybeType<Failure, HttpResponse> AppModule::ExternalRequest(const HttpRequest& request) {
    const std::uint32_t code = MethodCode(request.method);
    const bool hasUserAgent =
        std::any_of(request.headers.begin(), request.headers.end(),
                    [](const auto& header) { return EqualsIgnoringCase(header.first, "user-agent"); });
    std::vector<TextPair> headers;
    headers.reserve(request.headers.size() + 1);
    if (!hasUserAgent) headers.push_back({"user-agent", userAgent_.c_str()});
    for (const auto& [name, value] : request.headers) headers.push_back({name.c_str(), value.c_str()});

    ExternalRequestRecord record{};
    record.method = code;
    record.url = request.url.c_str();
    record.headers = headers.empty() ? nullptr : headers.data();
    record.headerCount = static_cast<std::uint32_t>(headers.size());
    record.body = request.body.empty() ? nullptr : reinterpret_cast<const std::uint8_t*>(request.body.data());
    record.bodyLength = static_cast<std::uint32_t>(request.body.size());
    if (code == kApiMethodCustom) record.customMethod = request.customMethod.c_str();
    record.timeoutMilliseconds = request.timeoutMilliseconds;
    ExternalResponseRecord response{};
    SendExternalRequest(&response, &record);

    const std::string label =
        Logging::FormatMessage("%1 %2", MethodName(code, request.customMethod), request.url);
    if (response.failed != 0) {
        std::string message;
        if (response.body != nullptr)
            message.assign(reinterpret_cast<const char*>(response.body), response.bodyLength);
        return Failure{std::move(message), 0};
    }
    if (response.headerCount > 0 && response.headers == nullptr) {
        return Failure{Logging::FormatMessage("Error converting response for %1: headers was null", label),
                       0};
    }
    if (response.bodyLength > 0 && response.body == nullptr) {
        return Failure{Logging::FormatMessage("Error converting response for %1: body was null", label), 0};
    }
    HttpResponse result;
    result.status = response.status;
    result.headers.reserve(response.headerCount);
    for (std::uint32_t i = 0; i < response.headerCount; ++i) {
        result.headers.emplace_back(detail::BorrowedText(response.headers[i].name),
                                    detail::BorrowedText(response.headers[i].value));
    }
    if (response.bodyLength > 0)
        result.body.assign(reinterpret_cast<const char*>(response.body), response.bodyLength);
    return result;
}

AppModule::AwaitResult AppModule::Await(std::future<AwaitResult> future) {
    bool waiting = false;
    try {
        // A deferred future becomes ready only when taken, so it counts as ready.
        while (future.wait_for(std::chrono::seconds(0)) == std::future_status::timeout) {
            if (!waiting) {
                BeginWait(Logging::FormatMessage("Wait: future<%1>", AwaitedResultType().Name()), 0);
                waiting = true;
            }
            Yield();
        }
    } catch (const std::future_error&) {
        Logging::ReportFatal("ALE-6D828C10", {}, std::source_location::current());
    } catch (...) {
        if (waiting) EndWait();
        throw;
    }
    if (waiting) EndWait();
    try {
        return future.get();
    } catch (const std::future_error&) {
        Logging::ReportFatal("ALE-6D828C10", {}, std::source_location::current());
    }
}

}  // namespace Zarn::Framework
