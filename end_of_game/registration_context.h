// What the end-of-game record registrations need from the module that owns them: its registry, the API
// name prefix of its records, the tags every registered type carries, and where the server class names
// of the LCDS records go. RegisterApiTypes and RegisterLcdsTypes take it, so they can run from the
// plugin's RegisterApi and from tests with a registry of their own. Used once, while the module
// initialises, on the host's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "binding/binding_registry.h"
#include "binding/record_registration.h"

namespace Zarn::Client::EndOfGame {

struct RegistrationContext {
    Binding::BindingRegistry& registry;
    // Put before the local name of every API record ("MoxEndOfGame"); LCDS records go without it.
    std::string apiNamePrefix;
    std::vector<std::string> tags;
    // Enters a server class name under a registered name and a type id.
    std::function<void(std::string_view registeredName, std::uint32_t typeId, std::string_view className)>
        setLcdsClassName;
};

// Begins a record of `name` (taken whole) carrying the context's tags.
template <typename S>
Binding::StructRegistration<S> RegisterTaggedStruct(const RegistrationContext& context,
                                                    std::string_view name) {
    Binding::StructRegistration<S> registration = Binding::RegisterStruct<S>(context.registry, name);
    for (const std::string& tag : context.tags) registration.Tag(tag);
    return registration;
}

template <typename E>
Binding::EnumRegistration<E> RegisterTaggedEnum(const RegistrationContext& context, std::string_view name) {
    Binding::EnumRegistration<E> registration = Binding::RegisterEnum<E>(context.registry, name);
    for (const std::string& tag : context.tags) registration.Tag(tag);
    return registration;
}

}  // namespace Zarn::Client::EndOfGame
