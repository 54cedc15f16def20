// The login plugin as the host's peer for service-proxy requests and LCDS calls: it answers the
// plugin's POSTs to its session and service-proxy endpoints and sends the replies as the platform
// would, as host events on a later turn of the loop.
//
//   POST /mox-login/v1/session/invoke                  an LCDS call; succeeds unless set otherwise
//   POST /mox-login/v1/service-proxy-uuid-requests     answers a fresh uuid; OnServiceProxyUuidEvent follows
//   POST /mox-login/v1/service-proxy-method-requests   OnServiceProxyMethodEvent follows, named by the
//                                                       reply method
//   POST /mox-login/v1/service-proxy-async-requests/{service}/{method}   registers for async messages
//
// Replies are chosen by "<service>.<method>" of the request; without a configured one the reply
// is an immediate success (status "OK", empty payload and error). Requests lacking their service
// or method name are answered 400. Everything received is kept for inspection.
//
// Threads: the host's one thread, like the host it is attached to, which must outlive it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "binding/binding_property.h"
#include "host/host_request.h"
#include "host/plugin_host.h"

namespace Zarn::Host {

struct ServiceProxyReply {
    std::string status = "OK";
    std::string payload;
    std::string error;
    // The platform never answers: the request stays pending at the plugin.
    bool withheld = false;
};

class LoginPeer {
public:
    struct Invocation {
        std::string destination;
        std::string operation;
        Binding::BindingProperty args;
    };
    struct ProxyRequest {
        std::string uuid;         // uuid requests
        std::string replyMethod;  // method requests
        std::string service;
        std::string method;
        std::string extra;
        std::string payload;
        std::uint64_t pluginHandle = 0;
    };

    // Registers the handlers in `host`'s request table; handlers added earlier take precedence.
    explicit LoginPeer(PluginHost& host);
    LoginPeer(const LoginPeer&) = delete;
    LoginPeer& operator=(const LoginPeer&) = delete;

    // The reply to requests for `serviceAndMethod` ("report.reportPlayer").
    void SetReply(std::string serviceAndMethod, ServiceProxyReply reply);
    // How LCDS calls are answered (200 without a value by default).
    void SetInvokeReply(HostReply reply);
    // Queues an unsolicited message as OnServiceProxyAsyncEvent.
    void SendAsync(std::string_view service, std::string_view method, std::string_view payload);

    const std::vector<Invocation>& Invocations() const noexcept { return invocations_; }
    const std::vector<ProxyRequest>& Requests() const noexcept { return requests_; }
    // "<service>.<method>" of each async registration, in order.
    const std::vector<std::string>& AsyncRegistrations() const noexcept { return asyncRegistrations_; }

    // The reply event's payload, as the host delivers it.
    static Binding::BindingProperty ReplyPayload(std::string_view uuid, std::string_view service,
                                                 std::string_view method, const ServiceProxyReply& reply);

private:
    HostReply Invoke(const HostRequest& request);
    HostReply UuidRequest(const HostRequest& request);
    HostReply MethodRequest(const HostRequest& request);
    HostReply AsyncRequest(const HostRequest& request);
    ServiceProxyReply ReplyFor(const std::string& service, const std::string& method) const;

    PluginHost& host_;
    std::map<std::string, ServiceProxyReply, std::less<>> replies_;
    HostReply invokeReply_ = HostReply::Status(200);
    std::uint64_t nextUuid_ = 1;
    std::vector<Invocation> invocations_;
    std::vector<ProxyRequest> requests_;
    std::vector<std::string> asyncRegistrations_;
};

}  // namespace Zarn::Host
