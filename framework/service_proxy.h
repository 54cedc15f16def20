// Requests to the platform's back-end services through the login plugin, and the replies that
// come back later as host events; LCDS calls on the game server's connection. The module owns one
// ServiceProxy and forwards its service-proxy operations and the three service-proxy host events
// to it.
//
// A request is keyed by the uuid the login plugin answers (uuid-based) or by
// "<service>.<reply method>" (method-based). Replies are kept by the same keys. After every new
// request and every arrived reply one fulfilment run looks for a key present in both maps and
// completes that request (at most one per run), so a reply that arrives before its request is
// registered is matched as soon as it is.
//
// Reply outcome: a reply whose `error` text is not empty is a failed call, with that text as the
// failure's message (status 0); any other reply is a success, whatever its `status` text.
// ServiceProxyOutcome applies the rule; RequestForResult and the module's waiting request use it.
//
// Threads and the lock: the maps are guarded by the service-proxy lock, so replies may arrive on
// any thread. Completions and asynchronous handlers are taken out of their maps under the lock and
// called after it is released: they may start further requests or register handlers, and nothing
// the proxy calls can meet its own lock held by the same run. No lock is held while the module
// sends a request or logs.
#pragma once

#include <cstddef>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <string_view>

#include "binding/binding_property.h"
#include "binding/binding_result.h"
#include "binding/native_conversion.h"
#include "binding/static_type.h"
#include "encodings/json_writer.h"
#include "framework/failure.h"
#include "framework/host_types.h"
#include "framework/lcds_class_names.h"
#include "framework/maybe_type.h"
#include "framework/module_requests.h"
#include "framework/text_hash_map.h"
#include "platform/mutex.h"

namespace Zarn::Framework {

inline constexpr std::string_view kLcdsInvokePath = "/mox-login/v1/session/invoke";
inline constexpr std::string_view kServiceProxyUuidPath = "/mox-login/v1/service-proxy-uuid-requests";
inline constexpr std::string_view kServiceProxyMethodPath = "/mox-login/v1/service-proxy-method-requests";
// Followed by "<service>/<method>".
inline constexpr std::string_view kServiceProxyAsyncPath = "/mox-login/v1/service-proxy-async-requests/";

// The returned refusals.
inline constexpr std::string_view kFinalizingText = "Finalizing";
inline constexpr std::string_view kInFlightText = "Request already in flight";

// The failure a reply stands for, if any (see the contract above).
MaybeType<Failure, void> ServiceProxyOutcome(const PluginServiceProxyResponse& reply);

// Why a payload of `type` could not be sent.
std::string PayloadConversionMessage(const Binding::StaticType& type);

class ServiceProxy {
public:
    using Result = MaybeType<Failure, void>;
    using Completion = std::function<void(const PluginServiceProxyResponse&)>;
    using AsyncHandler = std::function<void(const PluginServiceProxyResponse&)>;

    explicit ServiceProxy(ModuleRequests& module);
    ~ServiceProxy();
    ServiceProxy(const ServiceProxy&) = delete;
    ServiceProxy& operator=(const ServiceProxy&) = delete;

    // Sends `payload`, as JSON text, to `service`.`method`; `completion` receives the reply once.
    // An empty `replyMethod` makes the request uuid-based. Returns "" when the request is pending,
    // else why it was refused or failed ("Finalizing", a conversion message, "Request already in
    // flight", the request's failure); the completion is then dropped without being called.
    template <typename T>
    std::string Request(std::string_view service, std::string_view method, const T& payload,
                        std::string_view replyMethod, std::string_view extra, Completion completion);
    // The same with the payload's JSON text already made.
    std::string RequestWithText(std::string_view service, std::string_view method,
                                std::string_view payloadJson, std::string_view replyMethod,
                                std::string_view extra, Completion completion);
    // Request with a future of the reply's outcome; a refusal makes it ready with that text as the
    // failure. Finalize drops a pending request, which breaks the future's promise.
    template <typename T>
    std::future<Result> RequestForResult(std::string_view service, std::string_view method, const T& payload,
                                         std::string_view replyMethod, std::string_view extra);

    // Routes unsolicited replies of `service`.`method` to `handler` (replacing any) and asks the
    // login plugin to forward them; that request's outcome is ignored.
    void RegisterAsyncHandler(std::string_view service, std::string_view method, AsyncHandler handler);

    // The three host events.
    void OnUuidReply(const PluginServiceProxyResponse& reply);
    void OnMethodReply(const PluginServiceProxyResponse& reply);
    void OnAsyncReply(const PluginServiceProxyResponse& reply);

    // Empties the three maps. Dropped completions are destroyed after the lock is released.
    void Clear();

    // An LCDS call: `arguments` converted with the "__class" fields and sent as the argument list
    // (a collection as it is, any other value as a list of one) to the login plugin. The future is
    // ready when this returns: with the request's outcome, or with "Couldn't convert LCDS call
    // parameters: <message>" when the arguments do not convert (nothing is sent then).
    template <typename T>
    std::future<Result> InvokeLcds(std::string_view destination, std::string_view operation,
                                   const T& arguments);
    std::future<Result> InvokeLcdsWithValue(std::string_view destination, std::string_view operation,
                                            const Binding::BindingResult& conversion,
                                            Binding::BindingProperty arguments);

    LcdsClassNames& ClassNames() { return classNames_; }
    const LcdsClassNames& ClassNames() const { return classNames_; }

    std::size_t PendingCount() const;
    std::size_t ArrivedCount() const;
    std::size_t AsyncHandlerCount() const;

private:
    void StoreReply(std::string key, const PluginServiceProxyResponse& reply);
    // One fulfilment run: completes the first arrived reply whose key is pending.
    void Fulfil();
    void LogLine(std::int32_t level, std::string_view text);

    ModuleRequests& module_;
    LcdsClassNames classNames_;
    mutable Platform::Mutex lock_;
    TextHashMap<Completion> pending_;
    TextHashMap<PluginServiceProxyResponse> arrived_;
    TextHashMap<std::shared_ptr<const AsyncHandler>> asyncHandlers_;
};

template <typename T>
std::string ServiceProxy::Request(std::string_view service, std::string_view method, const T& payload,
                                  std::string_view replyMethod, std::string_view extra,
                                  Completion completion) {
    if (module_.Finalizing()) return std::string(kFinalizingText);
    Binding::BindingProperty value;
    Binding::BindingResult converted;
    Binding::Convert(module_.TypeRegistry(), payload, value, converted);
    if (converted.Failed()) return PayloadConversionMessage(Binding::StaticType::Of<T>());
    return RequestWithText(service, method, Encodings::WriteJson(value, &module_.TypeRegistry()), replyMethod,
                           extra, std::move(completion));
}

template <typename T>
std::future<ServiceProxy::Result> ServiceProxy::RequestForResult(std::string_view service,
                                                                 std::string_view method, const T& payload,
                                                                 std::string_view replyMethod,
                                                                 std::string_view extra) {
    auto promise = std::make_shared<std::promise<Result>>();
    std::future<Result> future = promise->get_future();
    std::string refusal = Request(service, method, payload, replyMethod, extra,
                                  [promise](const PluginServiceProxyResponse& reply) {
                                      promise->set_value(ServiceProxyOutcome(reply));
                                  });
    if (!refusal.empty()) promise->set_value(Failure{std::move(refusal), 0});
    return future;
}

template <typename T>
std::future<ServiceProxy::Result> ServiceProxy::InvokeLcds(std::string_view destination,
                                                           std::string_view operation, const T& arguments) {
    Binding::BindingProperty value;
    Binding::BindingResult converted;
    ConvertForLcds(module_.TypeRegistry(), classNames_, arguments, value, converted);
    return InvokeLcdsWithValue(destination, operation, converted, std::move(value));
}

}  // namespace Zarn::Framework
