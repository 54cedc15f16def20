#include "framework/routes/route_method.h"

namespace Zarn::Framework {

RouteMethod RouteMethodFromCode(std::uint32_t code) noexcept {
    return code <= kApiMethodCustom ? static_cast<RouteMethod>(code) : RouteMethod::None;
}

std::string_view RouteMethodName(RouteMethod method, std::string_view customName) noexcept {
    switch (method) {
        case RouteMethod::Delete:
            return "DELETE";
        case RouteMethod::Get:
            return "GET";
        case RouteMethod::Head:
            return "HEAD";
        case RouteMethod::Options:
            return "OPTIONS";
        case RouteMethod::Patch:
            return "PATCH";
        case RouteMethod::Post:
            return "POST";
        case RouteMethod::Put:
            return "PUT";
        case RouteMethod::Custom:
            return customName;
        default:
            return {};
    }
}

}  // namespace Zarn::Framework
