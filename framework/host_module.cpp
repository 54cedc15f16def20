#include "framework/host_module.h"

#include <mutex>
#include <utility>
#include <vector>

#include "framework/address_pattern.h"
#include "framework/host_event_name.h"
#include "framework/service_proxy.h"
#include "logging/logger.h"
#include "logging/message_format.h"

namespace Zarn::Framework {

HostModule::~HostModule() = default;

void HostModule::Subscribe(std::string_view address) {
    const std::string name = ResourceEventName(address);
    std::uint32_t& count = subscriptionCounts_[name];
    if (++count == 1) {
        SubscribeToHostEvent<PluginResourceEvent>(
            name, [this](const PluginResourceEvent& event) { DispatchResourceEvent(event); }, 0);
    }
}

void HostModule::Unsubscribe(std::string_view address) {
    const std::string name = ResourceEventName(address);
    auto found = subscriptionCounts_.find(name);
    if (found == subscriptionCounts_.end() || found->second == 0) return;
    if (--found->second == 0) {
        UnsubscribeHostEvent(name.c_str(), handle_);
        hostEventHandlers_.erase(name);
    }
}

void HostModule::Finalize() {
    for (const auto& [name, handler] : hostEventHandlers_) UnsubscribeHostEvent(name.c_str(), handle_);
    hostEventHandlers_.clear();
    lcdsHandlers_.clear();
    if (serviceProxy_ != nullptr) serviceProxy_->Clear();
    resourceHandlers_.clear();
    patternHandlers_.clear();
}

void HostModule::StoreHostEventHandler(std::string_view name, std::shared_ptr<HostEventHandler> handler) {
    auto found = hostEventHandlers_.find(name);
    if (found != hostEventHandlers_.end()) {
        found->second = std::move(handler);
    } else {
        hostEventHandlers_.emplace(std::string(name), std::move(handler));
    }
}

std::shared_ptr<HostModule::HostEventHandler> HostModule::FindHostEventHandler(const HostEvent* event) const {
    if (event->name == nullptr) return nullptr;
    auto found = hostEventHandlers_.find(std::string_view(event->name));
    return found != hostEventHandlers_.end() ? found->second : nullptr;
}

void HostModule::SetResourceHandler(std::string_view address, ResourceHandler handler) {
    TextHashMap<ResourceHandler>& handlers =
        address.find('*') != std::string_view::npos ? patternHandlers_ : resourceHandlers_;
    auto found = handlers.find(address);
    if (found != handlers.end()) {
        found->second = std::move(handler);
    } else {
        handlers.emplace(std::string(address), std::move(handler));
    }
}

void HostModule::SetLcdsHandler(std::string_view typeName, LcdsHandler handler) {
    auto found = lcdsHandlers_.find(typeName);
    if (found != lcdsHandlers_.end()) {
        found->second = std::move(handler);
    } else {
        lcdsHandlers_.emplace(std::string(typeName), std::move(handler));
    }
}

// Handlers are copied before any of them runs: a handler may observe further resources or
// replace itself, which changes the maps being walked.
void HostModule::DispatchResourceEvent(const PluginResourceEvent& received) {
    const PluginResourceEvent* event = &received;
    PluginResourceEvent rooted;
    if (received.uri.empty() || received.uri.front() != '/') {
        rooted.uri = "/" + received.uri;
        rooted.eventType = received.eventType;
        rooted.data = received.data;
        event = &rooted;
    }
    std::vector<ResourceHandler> matched;
    if (auto exact = resourceHandlers_.find(event->uri); exact != resourceHandlers_.end()) {
        matched.push_back(exact->second);
    }
    for (const auto& [pattern, handler] : patternHandlers_) {
        if (MatchesAddressPattern(pattern, event->uri)) matched.push_back(handler);
    }
    for (const ResourceHandler& handler : matched) handler(*event);
}

void HostModule::ReceiveLcdsEvent(PluginLcdsEvent& event) {
    if (lcdsHandlers_.find(event.typeName) == lcdsHandlers_.end()) return;
    std::string label = Logging::FormatMessage("Event: OnLcdsEvent (%1)", event.typeName);
    ScheduleCallback(
        label,
        [this, received = std::move(event)] {
            auto found = lcdsHandlers_.find(received.typeName);
            if (found == lcdsHandlers_.end()) return;
            const LcdsHandler handler = found->second;
            handler(received);
        },
        Clock::now());
}

void HostModule::OnServiceProxyEvent(ServiceProxyEvent kind, const PluginServiceProxyResponse& reply) {
    if (serviceProxy_ == nullptr) return;
    switch (kind) {
        case ServiceProxyEvent::Uuid:
            return serviceProxy_->OnUuidReply(reply);
        case ServiceProxyEvent::Method:
            return serviceProxy_->OnMethodReply(reply);
        case ServiceProxyEvent::Async:
            return serviceProxy_->OnAsyncReply(reply);
    }
}

void HostModule::ScheduleCallback(std::string_view label, std::function<void()> function,
                                  Clock::time_point deadline) {
    const auto nanoseconds =
        std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now()).count();
    const double delay = nanoseconds > 0 ? static_cast<double>(nanoseconds) * 1e-9 : 0.0;
    TimerEntry* entry = nullptr;
    {
        std::lock_guard lock(timerLock_);
        const std::uint64_t id = nextTimerId_++;
        auto owned = std::make_unique<TimerEntry>(TimerEntry{this, id, std::move(function)});
        entry = owned.get();
        timers_.emplace(id, std::move(owned));
    }
    const std::string text(label);
    ScheduleHostCallback(text.c_str(), &HostModule::FireTimer, entry, delay, 0);
}

void MOX_CDECL HostModule::FireTimer(void* userData) {
    if (userData == nullptr) return;
    auto* entry = static_cast<TimerEntry*>(userData);
    try {
        entry->function();
    } catch (const std::exception& error) {
        return ReportCallbackFailure("timer", error.what());
    } catch (...) {
        return ReportCallbackFailure("timer", "unknown exception");
    }
    HostModule& module = *entry->module;
    std::unique_ptr<TimerEntry> finished;
    {
        std::lock_guard lock(module.timerLock_);
        auto found = module.timers_.find(entry->id);
        if (found == module.timers_.end()) return;
        finished = std::move(found->second);
        module.timers_.erase(found);
    }
}

void HostModule::YieldOnce() {
    BeginWait("Wait: yield", 0);
    Yield();
    EndWait();
}

std::uint32_t HostModule::SubscriptionCount(std::string_view hostEventName) const {
    auto found = subscriptionCounts_.find(hostEventName);
    return found != subscriptionCounts_.end() ? found->second : 0;
}

std::size_t HostModule::PendingTimerCount() const {
    std::lock_guard lock(timerLock_);
    return timers_.size();
}

void HostModule::ReportCallbackFailure(const char* callback, const char* what) noexcept {
    Logging::Log(Logging::kLevelError, Logging::kGroupDbg, "Plugin %s failed: %s", callback, what);
}

}  // namespace Zarn::Framework
