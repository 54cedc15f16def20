// The module's local API: its routes, grouped into the functions the host calls, and the function
// records of the ApiDescription through which it calls them.
//
// Routes are registered while the plugin's entry runs (RegisterApi), before the function records
// are built; nothing changes afterwards. A route's function is named from its method and template
// by the identifier rule (GET "/mox-x/v1/items/{id}" gives GetMoxXV1ItemsById) and is added to the
// BindingRegistry; routes whose names coincide share one function. The host calls a function
// through its record's invoker, on its own thread: the invoker picks the function's route that
// matches the path (the one whose placeholders captured the fewest characters), binds the
// arguments from path, parameters, text arguments and body, calls the handler and writes its
// answer into the host's response record. Nothing is thrown to the host: every failure, an
// exception included, becomes a status and an error text.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "binding/binding_registry.h"
#include "binding/native_conversion.h"
#include "framework/routes/detail/route_function.h"
#include "framework/routes/detail/typed_handler.h"
#include "framework/routes/route_argument.h"
#include "framework/routes/route_declaration.h"
#include "framework/routes/route_method.h"
#include "framework/routes/route_result.h"
#include "mox/plugin_abi.h"

namespace Zarn::Framework {

// The function name of a route: the identifier rule over the method's name ("Get/") and the
// template.
std::string RouteFunctionName(RouteMethod method, std::string_view pathTemplate,
                              std::string_view customMethod = {});

class RouteTable {
public:
    explicit RouteTable(Binding::BindingRegistry& registry);
    ~RouteTable();
    RouteTable(const RouteTable&) = delete;
    RouteTable& operator=(const RouteTable&) = delete;

    // The tags of every function registered from now on (the module's registration tags).
    void SetTags(std::vector<std::string> tags) { tags_ = std::move(tags); }

    // Registers a handler taking native parameters, one RouteArgument per parameter in order, and
    // returning RouteResult<T>: arguments are assigned through the registry, the value converted
    // back. Returns the function's name.
    template <typename Handler, typename... Arguments>
    std::string RegisterRoute(RouteMethod method, std::string_view pathTemplate, Handler handler,
                              Arguments... arguments) {
        RouteDeclaration declaration;
        declaration.method = method;
        declaration.path = std::string(pathTemplate);
        return RegisterRoute(std::move(declaration), std::move(handler), std::move(arguments)...);
    }

    template <typename Handler, typename... Arguments>
    std::string RegisterRoute(RouteDeclaration declaration, Handler handler, Arguments... arguments) {
        static_assert(detail::HasFixedSignature<Handler>(),
                      "routes: a handler is a function or a lambda with declared parameter types (no auto)");
        using Signature = detail::SignatureOfHandler<Handler>;
        static_assert(detail::IsRouteResult<typename Signature::Result>::value,
                      "routes: a handler returns RouteResult<T> (RouteResult<> when it has no value)");
        static_assert((std::is_same_v<Arguments, RouteArgument> && ...),
                      "routes: describe each handler parameter with a RouteArgument");
        static_assert(sizeof...(Arguments) == Signature::kArity,
                      "routes: declare one RouteArgument per handler parameter, in parameter order");
        using Value = typename detail::IsRouteResult<typename Signature::Result>::Value;
        Binding::TypeDescriptor result;
        if constexpr (!std::is_void_v<Value>) result = Binding::DescribeNative<Value>(registry_);
        return Register(
            std::move(declaration), {std::move(arguments)...},
            detail::ParameterTypes<Handler>(registry_, std::make_index_sequence<Signature::kArity>{}),
            std::move(result), [this, &handler](const detail::Route& route) {
                return detail::MakeTypedHandler(registry_, route, std::move(handler));
            });
    }

    // Registers a handler that receives the bound arguments as one structure (a field per
    // argument given) and answers with its value already converted. `types` parallels
    // `arguments`; `result` describes the value (kind None for none).
    std::string RegisterRawRoute(RouteDeclaration declaration, std::vector<RouteArgument> arguments,
                                 std::vector<Binding::TypeDescriptor> types, Binding::TypeDescriptor result,
                                 detail::RouteHandler handler);

    // One record per route, functions in name order and each function's routes in registration
    // order, linked through `next`. Built on the first call after a registration; valid, with
    // everything they point to, until the next registration or the table's end.
    std::span<const ApiFunctionRecord> FunctionRecords();

    const Binding::BindingRegistry& Registry() const { return registry_; }

    // The answer to one invocation of `function` (the invoker writes it into the record).
    RouteReply Invoke(const detail::RouteFunction& function, const ApiRequest& request) const;

private:
    std::string Register(RouteDeclaration declaration, std::vector<RouteArgument> arguments,
                         std::vector<Binding::TypeDescriptor> types, Binding::TypeDescriptor result,
                         const std::function<detail::RouteHandler(const detail::Route&)>& makeHandler);
    void BuildRecords();
    const char* Keep(std::string_view text);

    Binding::BindingRegistry& registry_;
    std::vector<std::string> tags_;
    std::map<std::string, std::unique_ptr<detail::RouteFunction>, std::less<>> functions_;

    bool recordsBuilt_ = false;
    std::vector<ApiFunctionRecord> records_;
    std::deque<std::string> texts_;
    std::deque<std::vector<ApiArgumentRecord>> argumentLists_;
    std::deque<std::vector<ApiArgumentLocation>> locationLists_;
    std::deque<std::vector<ApiRouteSegment>> segmentLists_;
    std::deque<std::vector<const char*>> textLists_;
};

}  // namespace Zarn::Framework
