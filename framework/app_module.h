// AppModule: the base class of every plugin object, in namespace Zarn::Framework. It connects the
// plugin to the host (the entry's start routine and the three callbacks), forwards the host's
// services (slots 4 to 12), gives the plugin typed operations on top of them (observing and
// publishing resources, LCDS messages, local and external requests, cooperative waiting), and
// describes the plugin's API to the host. A plugin overrides RegisterApi (types, routes) and
// Initialize (start-up), and exports its entry with MOX_DEFINE_PLUGIN_ENTRY (plugin_entry.h).
//
// Lifecycle: constructed and started by the entry (no host service may be called yet), connected
// by `initialize`, finalized and destroyed by `shutdown`. Everything runs on the host's thread,
// except ScheduleCallback and the allocation counters.
//
// The logger is process-wide and never destroyed, so the module takes no reference on it: a
// module destroyed before another is created leaves the logger as it is.
#pragma once

#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "binding/binding_property.h"
#include "binding/binding_registry.h"
#include "binding/binding_result.h"
#include "binding/native_conversion.h"
#include "binding/record_registration.h"
#include "framework/api_description_store.h"
#include "framework/failure.h"
#include "framework/host_event_name.h"
#include "framework/host_module.h"
#include "framework/host_types.h"
#include "framework/http_request.h"
#include "framework/maybe_type.h"
#include "framework/module_requests.h"
#include "framework/plugin_log_target.h"
#include "framework/plugin_names.h"
#include "framework/request_parameters.h"
#include "framework/routes/route_table.h"
#include "framework/semantic_version.h"
#include "framework/service_proxy.h"
#include "framework/telemetry_sender.h"
#include "mox/plugin_abi.h"

namespace Zarn::Framework {

// What a resource observer receives: the address, what happened, and the value converted to the
// observer's type (default-constructed for Delete).
template <typename T>
struct TypedResourceEvent {
    std::string uri;
    PluginResourceEventType eventType = PluginResourceEventType::Create;
    T data{};
};

class AppModule : public HostModule {
public:
    using AwaitResult = MaybeType<Failure, void>;

    // Creates the registry (with the built-in types) and fills the callback table; calls no host
    // service. `kind` names the plugin's kind for its full name.
    explicit AppModule(PluginKind kind = {"backend", ""});
    ~AppModule() override;

    // Slots 4 to 12.
    void SendRequest(ApiResponse* response, const ApiRequest* request) override;
    void SendExternalRequest(ExternalResponseRecord* response, const ExternalRequestRecord* request) override;
    void SendEvent(const HostEvent* event) override;
    void SubscribeHostEvent(const char* name, PluginHandle handle, HostEventCallback callback, void* userData,
                            std::uint32_t flag) override;
    void UnsubscribeHostEvent(const char* name, PluginHandle handle) override;
    void ScheduleHostCallback(const char* label, TimerCallback callback, void* userData, double delaySeconds,
                              std::uint32_t flag) override;
    void Yield() override;
    void BeginWait(const std::string& label, std::uint32_t word) override;
    void EndWait() override;
    // Slot 13: registers the plugin's types, routes and functions; called once by the entry.
    virtual void RegisterApi();
    // Slot 14: starts the plugin; called by `initialize`, whose result it becomes.
    virtual bool Initialize();

    // Adds a route to the plugin's API, from RegisterApi: a handler with native parameters, one
    // RouteArgument per parameter, returning RouteResult<T> (route_table.h). Returns the name of
    // its function.
    template <typename Handler, typename... Arguments>
    std::string RegisterRoute(RouteMethod method, std::string_view pathTemplate, Handler handler,
                              Arguments... arguments) {
        return routes_->RegisterRoute(method, pathTemplate, std::move(handler), std::move(arguments)...);
    }
    template <typename Handler, typename... Arguments>
    std::string RegisterRoute(RouteDeclaration declaration, Handler handler, Arguments... arguments) {
        return routes_->RegisterRoute(std::move(declaration), std::move(handler), std::move(arguments)...);
    }
    RouteTable& Routes() { return *routes_; }

    // Registers one of the plugin's records or enums, from RegisterApi, with both registration
    // tags (as every type the plugin registers carries them). Its name is the API name prefix
    // followed by `name` ("TeamBoost" gives "MoxEndOfGameTeamBoost"), or `name` alone with
    // ApiTypeName::AsGiven (the LCDS records). Fields, values and the description follow on the
    // registration returned (record_registration.h); the first registration of a name wins.
    enum class ApiTypeName { Prefixed, AsGiven };
    template <typename S>
    Binding::StructRegistration<S> RegisterApiStruct(std::string_view name,
                                                     ApiTypeName naming = ApiTypeName::Prefixed) {
        return Tagged(Binding::RegisterStruct<S>(Registry(), ApiTypeNameOf(name, naming)));
    }
    template <typename E>
    Binding::EnumRegistration<E> RegisterApiEnum(std::string_view name,
                                                 ApiTypeName naming = ApiTypeName::Prefixed) {
        return Tagged(Binding::RegisterEnum<E>(Registry(), ApiTypeNameOf(name, naming)));
    }

    // The entry's start routine: checks the host's version (an incompatible host ends the
    // process), computes the names, prepares and runs the registration, builds the API
    // description and fills `table`. Returns false, leaving the table as the host wrote it, when
    // something failed (an exception of the standard library, logged).
    bool Start(PluginEntryTable& table, std::string_view shortName) noexcept;

    // Watches a resource address, or every address a pattern with "*" matches: subscribes, and
    // requests the current value once (delivered as Create when the request succeeds). Values
    // that do not convert to T are not delivered.
    template <typename T>
    void ObserveResource(std::string_view address, std::function<void(const TypedResourceEvent<T>&)> handler);

    // Receives the LCDS messages of a type, bodies converted to T, each on a later host callback
    // (a zero-delay timer) in arrival order. Bodies that do not convert are dropped.
    template <typename T>
    void SubscribeLcds(std::string_view typeName, std::function<void(const T&)> handler);

    // Announces a change of one of the plugin's resources under its specific and general event
    // names. A record that does not convert is not published.
    template <typename T>
    void PublishResource(PluginResourceEventType type, std::string_view address, const T& record);
    void PublishResourceDeleted(std::string_view address);

    // Sends `payload` under its resource event name and, when different, under `name`. The
    // second form takes the payload's value over instead of copying it.
    using HostModule::SendEvent;
    Binding::BindingResult SendEvent(std::string_view name, const PluginResourceEvent& payload,
                                     std::uint32_t flag);
    Binding::BindingResult SendEvent(std::string_view name, PluginResourceEvent&& payload,
                                     std::uint32_t flag);

    // A local request; the value of the response is ignored.
    MaybeType<Failure, void> Request(std::uint32_t method, std::string_view path,
                                     const RequestParameters& parameters = RequestParameters(),
                                     std::string_view customMethod = {});
    // A local request whose response (streamed or not) is converted to T.
    template <typename T>
    MaybeType<Failure, T> RequestValue(std::uint32_t method, std::string_view path,
                                       const RequestParameters& parameters = RequestParameters(),
                                       std::string_view customMethod = {});
    // A request to an outside server, with the plugin's user agent unless it carries one.
    MaybeType<Failure, HttpResponse> ExternalRequest(const HttpRequest& request);

    // Waits for `future` while the host keeps running: polls it and yields to the host between
    // polls, announcing the wait once. A broken future ends the process.
    AwaitResult Await(std::future<AwaitResult> future);

    // An LCDS call through the login plugin; `arguments` go out with their "__class" fields (see
    // service_proxy.h). The future is ready on return.
    template <typename T>
    std::future<AwaitResult> InvokeLcds(std::string_view destination, std::string_view operation,
                                        const T& arguments) {
        return serviceProxy_->InvokeLcds(destination, operation, arguments);
    }
    template <typename T>
    AwaitResult InvokeLcdsAndWait(std::string_view destination, std::string_view operation,
                                  const T& arguments) {
        return Await(InvokeLcds(destination, operation, arguments));
    }
    // A service-proxy request, uuid-based when `replyMethod` is empty; "" when it is pending, else
    // why it was refused ("Finalizing" once the host shuts the plugin down).
    template <typename T>
    std::string ServiceProxyRequest(std::string_view service, std::string_view method, const T& payload,
                                    std::string_view replyMethod, std::string_view extra,
                                    ServiceProxy::Completion completion) {
        return serviceProxy_->Request(service, method, payload, replyMethod, extra, std::move(completion));
    }
    // The same, waiting for the reply; a reply with an error text, or a refusal, is the failure.
    template <typename T>
    AwaitResult ServiceProxyRequestAndWait(std::string_view service, std::string_view method,
                                           const T& payload, std::string_view replyMethod = {},
                                           std::string_view extra = {}) {
        return Await(serviceProxy_->RequestForResult(service, method, payload, replyMethod, extra));
    }
    void RegisterAsyncServiceProxyHandler(std::string_view service, std::string_view method,
                                          ServiceProxy::AsyncHandler handler) {
        serviceProxy_->RegisterAsyncHandler(service, method, std::move(handler));
    }
    // The server class name of a registered record, for the "__class" fields of LCDS calls.
    void RegisterLcdsClassName(std::string_view registeredName, std::uint32_t typeId,
                               std::string_view className) {
        serviceProxy_->ClassNames().Set(registeredName, typeId, className);
    }
    const LcdsClassNames& LcdsClasses() const { return serviceProxy_->ClassNames(); }
    // Created by `initialize`; null before.
    TelemetrySender* Telemetry() const { return telemetrySender_.get(); }

    const SemanticVersion& HostVersion() const { return hostVersion_; }
    const PluginNames& Names() const { return names_; }
    const std::string& ApiNamePrefix() const { return apiNamePrefix_; }
    const std::vector<std::string>& RegistrationTags() const { return registrationTags_; }
    const PluginCallbacks& Callbacks() const { return callbacks_; }
    const ApiDescription& Description() const { return apiDescription_.Description(); }

private:
    static std::uint8_t MOX_CDECL InitializeCallback(void* context, const HostInterface* host);
    static void MOX_CDECL ShutdownCallback(void* context);
    static void MOX_CDECL QueryMemoryStatsCallback(void* context, MemoryStats* stats);

    std::string ApiTypeNameOf(std::string_view name, ApiTypeName naming) const {
        return naming == ApiTypeName::Prefixed ? apiNamePrefix_ + std::string(name) : std::string(name);
    }
    template <typename Registration>
    Registration Tagged(Registration registration) const {
        for (const std::string& tag : registrationTags_) registration.Tag(tag);
        return registration;
    }

    bool Connect(const HostInterface& host);
    void InstallLogTarget(const HostServices* services);
    void PrepareRegistration();
    // The function records of the plugin's routes, linked, for the description.
    std::pair<const ApiFunctionRecord*, std::uint32_t> FunctionRecords() const;

    // Sends a local request; with `readValue` the response's value, read from its stream or its
    // flat value, else an empty value. The response record is released before returning.
    MaybeType<Failure, Binding::BindingProperty> SendLocalRequest(std::uint32_t method, std::string_view path,
                                                                  const RequestParameters& parameters,
                                                                  std::string_view customMethod,
                                                                  bool readValue);
    Failure ConversionFailure(std::uint32_t method, std::string_view path, std::string_view customMethod,
                              std::string_view error) const;

    PluginKind kind_;
    SemanticVersion hostVersion_;
    std::unique_ptr<PluginLogTarget> logTarget_;
    PluginNames names_;
    std::string apiNamePrefix_;
    std::vector<std::string> registrationTags_;
    std::unique_ptr<Binding::BindingRegistry> bindingRegistry_;
    std::unique_ptr<RouteTable> routes_;
    const HostInterface* hostInterface_ = nullptr;
    PluginCallbacks callbacks_{};
    ApiDescriptionStore apiDescription_;
    // What the service proxy and the telemetry sender call back into: declared before them, so it
    // outlives them.
    std::unique_ptr<ModuleRequests> moduleRequests_;
    std::unique_ptr<ServiceProxy> serviceProxy_;
    std::unique_ptr<TelemetrySender> telemetrySender_;
};

template <typename T>
void AppModule::ObserveResource(std::string_view address,
                                std::function<void(const TypedResourceEvent<T>&)> handler) {
    auto wrapper = [this, handler = std::move(handler)](const PluginResourceEvent& event) {
        TypedResourceEvent<T> typed;
        typed.uri = event.uri;
        typed.eventType = event.eventType;
        if (event.eventType != PluginResourceEventType::Delete) {
            Binding::BindingResult result;
            Binding::Assign(Registry(), event.data, typed.data, "<value>", result);
            if (result.Failed()) return;
        }
        handler(typed);
    };
    SetResourceHandler(address, wrapper);
    Subscribe(address);
    MaybeType<Failure, Binding::BindingProperty> current =
        RequestValue<Binding::BindingProperty>(kApiMethodGet, address);
    if (current.Failed()) return;
    PluginResourceEvent event;
    event.uri = address;
    event.eventType = PluginResourceEventType::Create;
    event.data = std::move(current).Value();
    wrapper(event);
}

template <typename T>
void AppModule::SubscribeLcds(std::string_view typeName, std::function<void(const T&)> handler) {
    SetLcdsHandler(typeName, [this, handler = std::move(handler)](const PluginLcdsEvent& event) {
        T body{};
        Binding::BindingResult result;
        Binding::Assign(Registry(), event.body, body, "<result>", result);
        if (result.Succeeded()) handler(body);
    });
    SubscribeToHostEvent<PluginLcdsEvent>(
        LcdsEventName(typeName), [this](PluginLcdsEvent& event) { ReceiveLcdsEvent(event); }, 1);
}

template <typename T>
void AppModule::PublishResource(PluginResourceEventType type, std::string_view address, const T& record) {
    PluginResourceEvent event;
    Binding::BindingResult result;
    Binding::Convert(Registry(), record, event.data, result);
    if (result.Failed()) return;
    event.uri = address;
    event.eventType = type;
    SendEvent("OnJsonApiEvent", std::move(event), 0);
}

template <typename T>
MaybeType<Failure, T> AppModule::RequestValue(std::uint32_t method, std::string_view path,
                                              const RequestParameters& parameters,
                                              std::string_view customMethod) {
    MaybeType<Failure, Binding::BindingProperty> value =
        SendLocalRequest(method, path, parameters, customMethod, true);
    if (value.Failed()) return value.Error();
    T native{};
    Binding::BindingResult result;
    Binding::Assign(Registry(), value.Value(), native, "<result>", result);
    if (result.Failed()) return ConversionFailure(method, path, customMethod, result.Message());
    return native;
}

}  // namespace Zarn::Framework
