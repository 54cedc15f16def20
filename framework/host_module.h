// The part of a module that stands between the host and the plugin's handlers: the registries of
// subscriptions and handlers, the dispatch of delivered events, and timers. AppModule builds on
// it; plugins use AppModule.
//
// Threads: the host calls the plugin on one thread at a time, so the handler maps, subscription
// counts and names are used without a lock. The timer map is the exception: ScheduleCallback may
// be called from any thread, so it and the next timer id are guarded by the timer lock, which is
// never held while the host or a timer's function is called.
//
// Host event records are read defensively: a record whose name or user data is null, or whose
// payload is malformed (a null array with a non-zero count, an unknown tag, nesting beyond the
// binding bound) or does not convert to the handler's type, is dropped without a handler call.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "binding/binding_property.h"
#include "binding/binding_registry.h"
#include "binding/binding_result.h"
#include "binding/flat_binding_property.h"
#include "binding/native_conversion.h"
#include "framework/event_subscriber.h"
#include "framework/host_types.h"
#include "framework/text_hash_map.h"
#include "mox/plugin_abi.h"
#include "platform/mutex.h"

namespace Zarn::Framework {

class ServiceProxy;

class HostModule : public EventSubscriber {
public:
    using Clock = std::chrono::steady_clock;
    using ResourceHandler = std::function<void(const PluginResourceEvent&)>;
    using LcdsHandler = std::function<void(const PluginLcdsEvent&)>;

    HostModule(const HostModule&) = delete;
    HostModule& operator=(const HostModule&) = delete;

    // Slot 0: counts a subscription to the address's host event and subscribes at the host on
    // the first one. Addresses that share a host event name share one subscription.
    void Subscribe(std::string_view address) override;
    // Slot 1: uncounts; unsubscribes at the host on the last one. The count stays, at 0. An
    // address without a subscription is ignored (the count never goes below 0).
    void Unsubscribe(std::string_view address) override;

    // Slot 2.
    virtual ~HostModule();
    // Slot 3: unsubscribes every host event the module subscribed and clears the handler
    // registries and the service proxy's requests, replies and handlers (pending completions are
    // dropped uncalled). Pending timers stay until the module is destroyed: the host still holds them.
    virtual void Finalize();

    // Slots 4 to 12: one-line forwards to the host's services, implemented by AppModule. Every
    // other part of the framework reaches the host through them.
    virtual void SendRequest(ApiResponse* response, const ApiRequest* request) = 0;
    virtual void SendExternalRequest(ExternalResponseRecord* response,
                                     const ExternalRequestRecord* request) = 0;
    virtual void SendEvent(const HostEvent* event) = 0;
    virtual void SubscribeHostEvent(const char* name, PluginHandle handle, HostEventCallback callback,
                                    void* userData, std::uint32_t flag) = 0;
    virtual void UnsubscribeHostEvent(const char* name, PluginHandle handle) = 0;
    virtual void ScheduleHostCallback(const char* label, TimerCallback callback, void* userData,
                                      double delaySeconds, std::uint32_t flag) = 0;
    virtual void Yield() = 0;
    virtual void BeginWait(const std::string& label, std::uint32_t word) = 0;
    virtual void EndWait() = 0;

    // Subscribes `handler` to the host event `name` with a payload converted to Payload (one of
    // the host types); a handler already stored under the name is replaced. The payload is the
    // handler's to keep: it is discarded afterwards, so its documents may be moved out.
    template <typename Payload>
    void SubscribeToHostEvent(std::string_view name, std::function<void(Payload&)> handler,
                              std::uint32_t flag);

    // Runs `function` once, on a host callback, at or after `deadline`. Any thread.
    void ScheduleCallback(std::string_view label, std::function<void()> function, Clock::time_point deadline);

    // BeginWait("Wait: yield"), Yield, EndWait: lets the host run once while the caller waits.
    void YieldOnce();

    // The resource handlers: `pattern` texts contain "*" (see address_pattern.h).
    void SetResourceHandler(std::string_view address, ResourceHandler handler);
    void SetLcdsHandler(std::string_view typeName, LcdsHandler handler);

    PluginHandle Handle() const { return handle_; }
    const std::string& ShortName() const { return shortName_; }
    const std::string& UserAgent() const { return userAgent_; }
    bool Finalizing() const { return finalizing_; }
    Binding::BindingRegistry& Registry() const { return *registry_; }

    // How many Subscribe calls the host event name has beyond its Unsubscribe calls.
    std::uint32_t SubscriptionCount(std::string_view hostEventName) const;
    // Timers scheduled and not yet finished, by id.
    std::size_t PendingTimerCount() const;

protected:
    HostModule() = default;
    // Called once by the derived module's constructor, before anything converts.
    void SetRegistry(Binding::BindingRegistry& registry) { registry_ = &registry; }
    // Called once by the derived module's constructor, which owns the proxy.
    void SetServiceProxy(ServiceProxy& proxy) { serviceProxy_ = &proxy; }

    // Service-proxy replies of the three service-proxy host events, handed to the service proxy.
    enum class ServiceProxyEvent { Uuid, Method, Async };
    void OnServiceProxyEvent(ServiceProxyEvent kind, const PluginServiceProxyResponse& reply);

    // A resource event as the resource dispatcher receives it.
    void DispatchResourceEvent(const PluginResourceEvent& event);
    // An LCDS message: deferred to a zero-delay timer when a handler for its type exists.
    void ReceiveLcdsEvent(PluginLcdsEvent& event);

    PluginHandle handle_ = 0;
    std::string shortName_;
    std::string userAgent_;
    bool finalizing_ = false;

private:
    struct HostEventHandler {
        virtual ~HostEventHandler() = default;
    };
    template <typename Payload>
    struct TypedHostEventHandler final : HostEventHandler {
        explicit TypedHostEventHandler(std::function<void(Payload&)> f) : function(std::move(f)) {}
        std::function<void(Payload&)> function;
    };
    struct TimerEntry {
        HostModule* module;
        std::uint64_t id;
        std::function<void()> function;
    };

    template <typename Payload>
    static void MOX_CDECL DispatchHostEvent(const HostEvent* event);
    static void MOX_CDECL FireTimer(void* userData);
    void StoreHostEventHandler(std::string_view name, std::shared_ptr<HostEventHandler> handler);
    std::shared_ptr<HostEventHandler> FindHostEventHandler(const HostEvent* event) const;
    static void ReportCallbackFailure(const char* callback, const char* what) noexcept;

    TextHashMap<ResourceHandler> resourceHandlers_;
    TextHashMap<ResourceHandler> patternHandlers_;
    Binding::BindingRegistry* registry_ = nullptr;
    ServiceProxy* serviceProxy_ = nullptr;
    TextHashMap<std::shared_ptr<HostEventHandler>> hostEventHandlers_;
    TextHashMap<std::uint32_t> subscriptionCounts_;
    TextHashMap<LcdsHandler> lcdsHandlers_;
    std::unordered_map<std::uint64_t, std::unique_ptr<TimerEntry>> timers_;
    std::uint64_t nextTimerId_ = 1;
    mutable Platform::Mutex timerLock_;
};

template <typename Payload>
void HostModule::SubscribeToHostEvent(std::string_view name, std::function<void(Payload&)> handler,
                                      std::uint32_t flag) {
    StoreHostEventHandler(name, std::make_shared<TypedHostEventHandler<Payload>>(std::move(handler)));
    const std::string text(name);
    SubscribeHostEvent(text.c_str(), handle_, &HostModule::DispatchHostEvent<Payload>, this, flag);
}

template <typename Payload>
void MOX_CDECL HostModule::DispatchHostEvent(const HostEvent* event) {
    try {
        const std::shared_ptr<HostEventHandler> record =
            event != nullptr && event->userData != nullptr
                ? static_cast<HostModule*>(event->userData)->FindHostEventHandler(event)
                : nullptr;
        auto* typed = dynamic_cast<TypedHostEventHandler<Payload>*>(record.get());
        if (typed == nullptr) return;
        const HostModule& module = *static_cast<HostModule*>(event->userData);
        Binding::BindingProperty value;
        Binding::BindingResult result = Binding::FromFlat(event->payload, value, "<result>");
        if (result.Failed()) return;
        Payload payload{};
        Binding::AssignTakingDocuments(*module.registry_, value, payload, "<result>", result);
        if (result.Failed()) return;
        typed->function(payload);
    } catch (const std::exception& error) {
        ReportCallbackFailure("event delivery", error.what());
    } catch (...) {
        ReportCallbackFailure("event delivery", "unknown exception");
    }
}

}  // namespace Zarn::Framework
