// Method codes of routes and invocations, as the host records carry them, and their names: the
// names build function names ("Get" + "/items/{id}") and are matched against custom methods.
#pragma once

#include <cstdint>
#include <string_view>

#include "mox/plugin_abi.h"

namespace Zarn::Framework {

enum class RouteMethod : std::uint32_t {
    None = kApiMethodNone,  // a route that takes every method
    Delete = kApiMethodDelete,
    Get = kApiMethodGet,
    Head = kApiMethodHead,
    Options = kApiMethodOptions,
    Patch = kApiMethodPatch,
    Post = kApiMethodPost,
    Put = kApiMethodPut,
    Custom = kApiMethodCustom,  // named separately
};

// 1 to 8 as they are; any other code is None.
RouteMethod RouteMethodFromCode(std::uint32_t code) noexcept;

// "DELETE" ... "PUT"; `customName` for Custom; "" for None.
std::string_view RouteMethodName(RouteMethod method, std::string_view customName = {}) noexcept;

}  // namespace Zarn::Framework
