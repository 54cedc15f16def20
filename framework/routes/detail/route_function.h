// The route table's internal records: a function with its routes, each route with its template,
// argument declarations and type-erased handler. Read without a lock during invocations: nothing
// changes after the entry has registered the routes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "binding/binding_property.h"
#include "binding/type_descriptor.h"
#include "framework/routes/route_argument.h"
#include "framework/routes/route_declaration.h"
#include "framework/routes/route_result.h"
#include "framework/routes/route_template.h"

namespace Zarn::Framework {
class RouteTable;
}

namespace Zarn::Framework::detail {

// Receives the bound arguments as one structure, a field per argument given (or filled in).
using RouteHandler = std::function<RouteReply(const Binding::BindingProperty& arguments)>;

struct RouteParameter {
    RouteArgument declaration;
    Binding::TypeDescriptor type;
    std::uint32_t location = 0;  // an ApiArgumentLocationCode
};

struct Route {
    RouteDeclaration declaration;  // `path` as stored: without a trailing "/"
    RouteTemplate pathTemplate;
    std::vector<RouteParameter> parameters;
    Binding::TypeDescriptor result;
    RouteHandler handler;
    std::vector<std::string> tags;
};

// Routes whose method and template give the same name share one function; the invoker picks
// among them by path.
struct RouteFunction {
    const RouteTable* table = nullptr;
    std::string name;
    std::vector<std::unique_ptr<Route>> routes;  // in registration order
};

}  // namespace Zarn::Framework::detail
