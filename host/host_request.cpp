#include "host/host_request.h"

#include <array>
#include <utility>

namespace Zarn::Host {
namespace {

constexpr std::array<std::string_view, 8> kMethodNames = {"",        "DELETE", "GET",  "HEAD",
                                                          "OPTIONS", "PATCH",  "POST", "PUT"};

}  // namespace

std::string_view ApiMethodName(std::uint32_t method) noexcept {
    return method < kMethodNames.size() ? kMethodNames[method] : std::string_view();
}

std::uint32_t ApiMethodCode(std::string_view name) noexcept {
    if (name.empty()) return kApiMethodNone;
    for (std::uint32_t code = 1; code < kMethodNames.size(); ++code) {
        if (kMethodNames[code] == name) return code;
    }
    return kApiMethodCustom;
}

HostReply HostReply::Status(std::uint32_t status, std::string error) {
    HostReply reply;
    reply.status = status;
    reply.error = std::move(error);
    return reply;
}

HostReply HostReply::Value(Binding::BindingProperty value, std::uint32_t status) {
    HostReply reply;
    reply.status = status;
    reply.value = std::move(value);
    return reply;
}

}  // namespace Zarn::Host
