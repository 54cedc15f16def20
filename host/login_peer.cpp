#include "host/login_peer.h"

#include <cinttypes>
#include <cstdio>
#include <utility>

namespace Zarn::Host {
namespace {

constexpr const char* kInvokePath = "/mox-login/v1/session/invoke";
constexpr const char* kUuidPath = "/mox-login/v1/service-proxy-uuid-requests";
constexpr const char* kMethodPath = "/mox-login/v1/service-proxy-method-requests";
constexpr std::string_view kAsyncPrefix = "/mox-login/v1/service-proxy-async-requests/";

std::string Text(const HostRequest& request, std::string_view name) {
    return std::string(request.params.Field(name).GetString());
}

}  // namespace

LoginPeer::LoginPeer(PluginHost& host) : host_(host) {
    PluginHost::RequestHandlers& handlers = host_.Requests();
    handlers.Add("POST", kInvokePath, [this](const HostRequest& request) { return Invoke(request); });
    handlers.Add("POST", kUuidPath, [this](const HostRequest& request) { return UuidRequest(request); });
    handlers.Add("POST", kMethodPath, [this](const HostRequest& request) { return MethodRequest(request); });
    handlers.Add("POST", std::string(kAsyncPrefix) + "*",
                 [this](const HostRequest& request) { return AsyncRequest(request); });
}

void LoginPeer::SetReply(std::string serviceAndMethod, ServiceProxyReply reply) {
    replies_.insert_or_assign(std::move(serviceAndMethod), std::move(reply));
}

void LoginPeer::SetInvokeReply(HostReply reply) { invokeReply_ = std::move(reply); }

void LoginPeer::SendAsync(std::string_view service, std::string_view method, std::string_view payload) {
    ServiceProxyReply reply;
    reply.payload = payload;
    host_.Deliver("OnServiceProxyAsyncEvent", ReplyPayload("", service, method, reply));
}

Binding::BindingProperty LoginPeer::ReplyPayload(std::string_view uuid, std::string_view service,
                                                 std::string_view method, const ServiceProxyReply& reply) {
    Binding::BindingProperty payload;
    payload.WriteField("error").SetString(reply.error);
    payload.WriteField("methodName").SetString(method);
    payload.WriteField("payload").SetString(reply.payload);
    payload.WriteField("serviceName").SetString(service);
    payload.WriteField("status").SetString(reply.status);
    payload.WriteField("uuid").SetString(uuid);
    return payload;
}

HostReply LoginPeer::Invoke(const HostRequest& request) {
    invocations_.push_back(
        {Text(request, "destination"), Text(request, "operation"), request.params.Field("args")});
    return invokeReply_;
}

HostReply LoginPeer::UuidRequest(const HostRequest& request) {
    ProxyRequest received{{},
                          {},
                          Text(request, "serviceName"),
                          Text(request, "methodName"),
                          {},
                          Text(request, "payload"),
                          request.params.Field("pluginHandle").AsUnsigned()};
    if (received.service.empty() || received.method.empty())
        return HostReply::Status(400, "serviceName and methodName are required");
    char uuid[40];
    std::snprintf(uuid, sizeof uuid, "00000000-0000-4000-8000-%012" PRIx64, nextUuid_++);
    received.uuid = uuid;
    const ServiceProxyReply reply = ReplyFor(received.service, received.method);
    if (!reply.withheld)
        host_.Deliver("OnServiceProxyUuidEvent",
                      ReplyPayload(uuid, received.service, received.method, reply));
    requests_.push_back(std::move(received));
    Binding::BindingProperty value;
    value.SetString(uuid);
    return HostReply::Value(std::move(value));
}

HostReply LoginPeer::MethodRequest(const HostRequest& request) {
    ProxyRequest received{{},
                          Text(request, "replyMethodName"),
                          Text(request, "serviceName"),
                          Text(request, "methodName"),
                          Text(request, "extraParameter"),
                          Text(request, "payload"),
                          request.params.Field("pluginHandle").AsUnsigned()};
    if (received.service.empty() || received.method.empty() || received.replyMethod.empty())
        return HostReply::Status(400, "serviceName, methodName and replyMethodName are required");
    const ServiceProxyReply reply = ReplyFor(received.service, received.method);
    if (!reply.withheld) {
        host_.Deliver("OnServiceProxyMethodEvent",
                      ReplyPayload("", received.service, received.replyMethod, reply));
    }
    requests_.push_back(std::move(received));
    return HostReply::Status(200);
}

HostReply LoginPeer::AsyncRequest(const HostRequest& request) {
    const std::string_view rest = std::string_view(request.path).substr(kAsyncPrefix.size());
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos || slash == 0 || slash + 1 == rest.size())
        return HostReply::Status(400, "Expected /{service}/{method}");
    asyncRegistrations_.push_back(std::string(rest.substr(0, slash)) + "." +
                                  std::string(rest.substr(slash + 1)));
    return HostReply::Status(200);
}

ServiceProxyReply LoginPeer::ReplyFor(const std::string& service, const std::string& method) const {
    const auto it = replies_.find(service + "." + method);
    return it != replies_.end() ? it->second : ServiceProxyReply{};
}

}  // namespace Zarn::Host
