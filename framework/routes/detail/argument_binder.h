// Binds what an invocation gives (path captures, parameters, text arguments, body) to the
// arguments a route declares, with the binding messages the caller reports as the error text.
#pragma once

#include <string_view>
#include <vector>

#include "binding/binding_result.h"
#include "framework/routes/detail/route_function.h"
#include "mox/plugin_abi.h"

namespace Zarn::Framework::detail {

// A structure with one field per argument given, in the order path captures, parameters, text
// arguments, body (a later value of a name replaces an earlier one; "name[index]" sets one
// element of a vector argument). `captures` parallels the route's placeholders. A body is bound
// only when the route declares an argument for it.
Binding::BindingResult BindArguments(const Route& route, std::string_view function,
                                     const std::vector<std::string_view>& captures,
                                     const ApiRequest& request);

// The body's bytes: `bodyLength` of them, or up to the NUL when the length is 0.
std::string_view BodyOf(const ApiRequest& request);

}  // namespace Zarn::Framework::detail
