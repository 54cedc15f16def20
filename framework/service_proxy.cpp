#include "framework/service_proxy.h"

#include <mutex>
#include <utility>

#include "logging/log_record.h"
#include "logging/named_message.h"

namespace Zarn::Framework {

namespace {

std::string MethodKey(std::string_view service, std::string_view method) {
    std::string key;
    key.reserve(service.size() + 1 + method.size());
    key.append(service).append(".").append(method);
    return key;
}

}  // namespace

MaybeType<Failure, void> ServiceProxyOutcome(const PluginServiceProxyResponse& reply) {
    if (!reply.error.empty()) return Failure{reply.error, 0};
    return {};
}

std::string PayloadConversionMessage(const Binding::StaticType& type) {
    return Logging::FormatNamedMessage("Failed to convert type {type} to BindingProperty for serialization",
                                       type.Name())
        .text;
}

ServiceProxy::ServiceProxy(ModuleRequests& module) : module_(module) {}

ServiceProxy::~ServiceProxy() = default;

std::string ServiceProxy::RequestWithText(std::string_view service, std::string_view method,
                                          std::string_view payloadJson, std::string_view replyMethod,
                                          std::string_view extra, Completion completion) {
    if (module_.Finalizing()) return std::string(kFinalizingText);
    const std::string label = MethodKey(service, method);
    const std::string shortName(module_.ShortName());
    LogLine(Logging::kLevelAlways, shortName + ": Preparing service proxy request: " + label);

    const std::string inFlight =
        shortName + ": Could not invoke service proxy as request is already in flight";
    std::string key;
    RequestParameters parameters;
    parameters.AddText("serviceName", service).AddText("methodName", method);
    Binding::BindingProperty handle;
    handle.SetUnsigned(module_.Handle());
    if (!replyMethod.empty()) {
        key = MethodKey(service, replyMethod);
        bool pending = false;
        {
            std::lock_guard lock(lock_);
            pending = pending_.contains(key);
        }
        if (pending) {
            LogLine(Logging::kLevelError, inFlight);
            return std::string(kInFlightText);
        }
        parameters.AddText("replyMethodName", replyMethod)
            .AddText("extraParameter", extra)
            .AddValue("pluginHandle", handle)
            .AddText("payload", payloadJson);
        MaybeType<Failure, void> sent = module_.Post(kServiceProxyMethodPath, parameters);
        if (sent.Failed()) return sent.Error().message;
    } else {
        parameters.AddValue("pluginHandle", handle).AddText("payload", payloadJson);
        MaybeType<Failure, std::string> sent = module_.PostForText(kServiceProxyUuidPath, parameters);
        if (sent.Failed()) return sent.Error().message;
        key = std::move(sent).Value();
    }
    LogLine(Logging::kLevelAlways,
            shortName + ": Started service proxy request: " + label + " (" + key + ")");

    // The key may have been taken while the request was out (the host can run other callbacks of the
    // plugin meanwhile). The earlier request keeps it: replacing it would drop a completion that
    // someone may be waiting for.
    bool stored = false;
    {
        std::lock_guard lock(lock_);
        stored = pending_.try_emplace(key, std::move(completion)).second;
    }
    if (!stored) {
        LogLine(Logging::kLevelError, inFlight);
        return std::string(kInFlightText);
    }
    Fulfil();
    return {};
}

void ServiceProxy::RegisterAsyncHandler(std::string_view service, std::string_view method,
                                        AsyncHandler handler) {
    auto shared = std::make_shared<const AsyncHandler>(std::move(handler));
    std::shared_ptr<const AsyncHandler> previous;  // destroyed after the lock is released
    {
        std::lock_guard lock(lock_);
        std::shared_ptr<const AsyncHandler>& slot = asyncHandlers_[MethodKey(service, method)];
        previous = std::move(slot);
        slot = std::move(shared);
    }
    std::string path(kServiceProxyAsyncPath);
    path.append(service).append("/").append(method);
    (void)module_.Post(path, RequestParameters());
}

void ServiceProxy::OnUuidReply(const PluginServiceProxyResponse& reply) {
    StoreReply(reply.uuid, reply);
    Fulfil();
}

void ServiceProxy::OnMethodReply(const PluginServiceProxyResponse& reply) {
    StoreReply(MethodKey(reply.serviceName, reply.methodName), reply);
    Fulfil();
}

void ServiceProxy::OnAsyncReply(const PluginServiceProxyResponse& reply) {
    const std::string key = MethodKey(reply.serviceName, reply.methodName);
    std::shared_ptr<const AsyncHandler> handler;
    {
        std::lock_guard lock(lock_);
        if (const auto it = asyncHandlers_.find(key); it != asyncHandlers_.end()) handler = it->second;
    }
    if (handler == nullptr) {
        LogLine(Logging::kLevelError,
                std::string(module_.ShortName()) +
                    ": Could not find registered handler for async service proxy event " + key);
        return;
    }
    if (*handler) (*handler)(reply);
}

void ServiceProxy::Clear() {
    TextHashMap<Completion> pending;
    TextHashMap<PluginServiceProxyResponse> arrived;
    TextHashMap<std::shared_ptr<const AsyncHandler>> handlers;
    std::lock_guard lock(lock_);
    pending.swap(pending_);
    arrived.swap(arrived_);
    handlers.swap(asyncHandlers_);
    // The guard is released before the locals above are destroyed (reverse order of declaration),
    // so nothing a completion's captures do on destruction runs under the lock.
}

std::future<ServiceProxy::Result> ServiceProxy::InvokeLcdsWithValue(std::string_view destination,
                                                                    std::string_view operation,
                                                                    const Binding::BindingResult& conversion,
                                                                    Binding::BindingProperty arguments) {
    std::promise<Result> promise;
    std::future<Result> future = promise.get_future();
    if (conversion.Failed()) {
        promise.set_value(Failure{Logging::FormatNamedMessage(
                                      "Couldn't convert LCDS call parameters: {error}", conversion.Message())
                                      .text,
                                  0});
        return future;
    }
    Binding::BindingProperty list;
    if (arguments.Kind() == Binding::BindingKind::Collection) {
        list = std::move(arguments);
    } else {
        list.MakeCollection();
        list.AppendElement() = arguments;
    }
    RequestParameters parameters;
    parameters.AddText("destination", destination).AddText("operation", operation).AddValue("args", list);
    promise.set_value(module_.Post(kLcdsInvokePath, parameters));
    return future;
}

std::size_t ServiceProxy::PendingCount() const {
    std::lock_guard lock(lock_);
    return pending_.size();
}

std::size_t ServiceProxy::ArrivedCount() const {
    std::lock_guard lock(lock_);
    return arrived_.size();
}

std::size_t ServiceProxy::AsyncHandlerCount() const {
    std::lock_guard lock(lock_);
    return asyncHandlers_.size();
}

void ServiceProxy::StoreReply(std::string key, const PluginServiceProxyResponse& reply) {
    std::lock_guard lock(lock_);
    arrived_.insert_or_assign(std::move(key), reply);
}

void ServiceProxy::Fulfil() {
    bool found = false;
    std::string key;
    Completion completion;
    PluginServiceProxyResponse reply;
    {
        std::lock_guard lock(lock_);
        for (auto it = arrived_.begin(); it != arrived_.end(); ++it) {
            const auto pending = pending_.find(it->first);
            if (pending == pending_.end()) continue;
            found = true;
            key = it->first;
            reply = std::move(it->second);
            completion = std::move(pending->second);
            pending_.erase(pending);
            arrived_.erase(it);
            break;
        }
    }
    if (!found) return;
    if (completion) completion(reply);
    LogLine(Logging::kLevelAlways,
            std::string(module_.ShortName()) + ": Fulfilled service proxy request: " + key);
}

void ServiceProxy::LogLine(std::int32_t level, std::string_view text) { module_.Log(level, text); }

}  // namespace Zarn::Framework
