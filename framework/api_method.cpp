#include "framework/api_method.h"

#include "mox/plugin_abi.h"

namespace Zarn::Framework {

std::uint32_t SanitizedMethod(std::uint32_t method) noexcept {
    return method >= kApiMethodDelete && method <= kApiMethodCustom ? method : std::uint32_t{kApiMethodNone};
}

std::string_view ApiMethodName(std::uint32_t method, std::string_view customName) noexcept {
    static constexpr std::string_view kNames[] = {"",        "DELETE", "GET",  "HEAD",
                                                  "OPTIONS", "PATCH",  "POST", "PUT"};
    if (method == kApiMethodCustom) return customName;
    return method < std::size(kNames) ? kNames[method] : std::string_view();
}

}  // namespace Zarn::Framework
