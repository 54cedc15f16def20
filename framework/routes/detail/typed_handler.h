// Adapts a handler with native parameters and a RouteResult<T> result to the table's untyped
// handler: each parameter is assigned from the bound argument of its name through the registry,
// and the result's value is converted back to a value.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "binding/binding_registry.h"
#include "binding/native_conversion.h"
#include "framework/routes/detail/route_function.h"
#include "framework/routes/route_result.h"
#include "logging/message_format.h"

namespace Zarn::Framework::detail {

template <typename T>
struct IsRouteResult : std::false_type {};
template <typename T>
struct IsRouteResult<RouteResult<T>> : std::true_type {
    using Value = T;
};

template <typename R, typename... A>
struct SignatureOf {
    using Result = R;
    using Parameters = std::tuple<std::remove_cvref_t<A>...>;
    static constexpr std::size_t kArity = sizeof...(A);
};

template <typename F>
struct HandlerSignature;
template <typename R, typename... A>
struct HandlerSignature<R (*)(A...)> : SignatureOf<R, A...> {};
template <typename R, typename... A>
struct HandlerSignature<R (*)(A...) noexcept> : SignatureOf<R, A...> {};
template <typename C, typename R, typename... A>
struct HandlerSignature<R (C::*)(A...)> : SignatureOf<R, A...> {};
template <typename C, typename R, typename... A>
struct HandlerSignature<R (C::*)(A...) const> : SignatureOf<R, A...> {};
template <typename C, typename R, typename... A>
struct HandlerSignature<R (C::*)(A...) noexcept> : SignatureOf<R, A...> {};
template <typename C, typename R, typename... A>
struct HandlerSignature<R (C::*)(A...) const noexcept> : SignatureOf<R, A...> {};

template <typename F>
constexpr bool HasFixedSignature() {
    using D = std::decay_t<F>;
    if constexpr (std::is_pointer_v<D> && std::is_function_v<std::remove_pointer_t<D>>) {
        return true;
    } else {
        return requires { &D::operator(); };
    }
}

template <typename F>
using SignatureOfHandler =
    std::conditional_t<std::is_pointer_v<std::decay_t<F>>, HandlerSignature<std::decay_t<F>>,
                       HandlerSignature<decltype(&std::decay_t<F>::operator())>>;

// A parameter that was not given keeps its default when optional; otherwise the call fails.
template <typename T>
void AssignParameter(const Binding::BindingRegistry& registry, const Binding::BindingProperty& arguments,
                     const RouteParameter& parameter, T& native, Binding::BindingResult& result) {
    if (result.Failed()) return;
    const std::string& name = parameter.declaration.name;
    if (!arguments.HasField(name)) {
        if (!parameter.declaration.optional) {
            result.Fail(Logging::FormatMessage("A value for '%1' is required.", name));
        }
        return;
    }
    Binding::NativeTraits<T>::Assign(registry, parameter.type, arguments.Field(name), native, name, result);
}

template <typename T>
RouteReply ToReply(const Binding::BindingRegistry& registry, const Binding::TypeDescriptor& type,
                   RouteResult<T>&& answer) {
    RouteReply reply = std::move(answer.Reply());
    if constexpr (!std::is_void_v<T>) {
        auto& value = answer.MutableValue();
        if (reply.result.Succeeded() && value) {
            if constexpr (std::is_same_v<T, Binding::BindingProperty>) {
                reply.result.Value() = std::move(*value);
            } else {
                Binding::NativeTraits<T>::Convert(registry, type, *value, reply.result.Value(), reply.result);
                // A value that cannot be described cannot be answered.
                if (reply.result.Failed()) reply.status = 400;
            }
        }
    }
    return reply;
}

template <typename Handler>
RouteHandler MakeTypedHandler(const Binding::BindingRegistry& registry, const Route& route, Handler handler) {
    using Signature = SignatureOfHandler<Handler>;
    using Parameters = typename Signature::Parameters;
    return
        [&registry, &route, handler = std::move(handler)](const Binding::BindingProperty& arguments) mutable {
            Parameters natives{};
            Binding::BindingResult bound;
            [&]<std::size_t... I>(std::index_sequence<I...>) {
                (AssignParameter(registry, arguments, route.parameters[I], std::get<I>(natives), bound), ...);
            }
            (std::make_index_sequence<Signature::kArity>{});
            if (bound.Failed()) return RouteReply::Failure(400, bound.Message());
            return ToReply(registry, route.result, std::apply(handler, natives));
        };
}

template <typename Handler, std::size_t... I>
std::vector<Binding::TypeDescriptor> ParameterTypes(const Binding::BindingRegistry& registry,
                                                    std::index_sequence<I...>) {
    using Parameters = typename SignatureOfHandler<Handler>::Parameters;
    return {Binding::DescribeNative<std::tuple_element_t<I, Parameters>>(registry)...};
}

}  // namespace Zarn::Framework::detail
