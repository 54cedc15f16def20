#include "tools/mox_host/http_fetch.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#endif

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

#if MOX_HOST_HAS_HTTP
#include <httplib.h>
#endif

namespace Zarn::MoxHost {

bool IsLoopbackAddress(const std::string& host) {
    if (host == "localhost") return true;
    in_addr v4{};
    if (::inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    return ::inet_pton(AF_INET6, host.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

#if MOX_HOST_HAS_HTTP
namespace {

struct Target {
    std::string host;
    int port = 80;
    std::string path;  // with the query
};

std::optional<Target> ParseHttpUrl(std::string_view url) {
    constexpr std::string_view kScheme = "http://";
    if (url.substr(0, kScheme.size()) != kScheme) return std::nullopt;
    url.remove_prefix(kScheme.size());
    const std::size_t slash = url.find_first_of("/?");
    std::string_view authority = url.substr(0, slash);
    Target target;
    target.path = slash == std::string_view::npos ? "/" : std::string(url.substr(slash));
    if (target.path.front() == '?') target.path = "/" + target.path;
    std::size_t colon = authority.rfind(':');
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        target.host = std::string(authority.substr(1, close - 1));
        colon =
            close + 1 < authority.size() && authority[close + 1] == ':' ? close + 1 : std::string_view::npos;
    } else {
        target.host = std::string(authority.substr(0, colon));
    }
    if (colon != std::string_view::npos) {
        const std::string_view digits = authority.substr(colon + 1);
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), target.port);
        if (error != std::errc() || end != digits.data() + digits.size() || target.port <= 0 ||
            target.port > 65535) {
            return std::nullopt;
        }
    }
    if (target.host.empty()) return std::nullopt;
    return target;
}

}  // namespace

Host::ExternalReply FetchOverHttp(const Host::ExternalCall& call) {
    const std::optional<Target> target = ParseHttpUrl(call.url);
    if (!target) return Host::ExternalReply::Failure("not an http URL: " + call.url);
    if (!IsLoopbackAddress(target->host))
        return Host::ExternalReply::Failure("mox-host contacts loopback addresses only, not " + target->host);
    if (call.methodName.empty()) return Host::ExternalReply::Failure("the request has no method");

    const unsigned timeout = call.timeoutMilliseconds != 0
                                 ? std::min<unsigned>(call.timeoutMilliseconds, kHttpTimeoutMilliseconds)
                                 : kHttpTimeoutMilliseconds;
    httplib::Client client(target->host, target->port);
    client.set_connection_timeout(std::chrono::milliseconds(timeout));
    client.set_read_timeout(std::chrono::milliseconds(timeout));
    client.set_write_timeout(std::chrono::milliseconds(timeout));

    httplib::Request request;
    request.method = call.methodName;
    request.path = target->path;
    for (const auto& [name, value] : call.headers) request.headers.emplace(name, value);
    request.body = call.body;
    httplib::Result result = client.send(request);
    if (!result) return Host::ExternalReply::Failure(httplib::to_string(result.error()));

    Host::ExternalReply reply;
    reply.status = static_cast<std::uint32_t>(result->status);
    for (const auto& [name, value] : result->headers) reply.headers.emplace_back(name, value);
    reply.body = result->body;
    return reply;
}
#else
Host::ExternalReply FetchOverHttp(const Host::ExternalCall& call) {
    return Host::ExternalReply::Failure("mox-host was built without an HTTP client: " + call.url);
}
#endif

}  // namespace Zarn::MoxHost
