// The host's own payload types, as the plugin receives them in delivered events, and their
// registration into the plugin's BindingRegistry (namespace "zclient") together with the five
// events the host fires. Registered during the entry, before the plugin's own types, so that the
// host's definition of a name is the one that counts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "binding/binding_property.h"

namespace Zarn::Binding {
class BindingRegistry;
}

namespace Zarn::Framework {

enum class PluginManagerState : std::int32_t { NotReady = 0, PluginsInitialized = 1 };

struct PluginManagerResource {
    PluginManagerState state = PluginManagerState::NotReady;
};

enum class PluginResourceEventType : std::int32_t { Create = 0, Update = 1, Delete = 2 };

// A change of some plugin's resource: its address, what happened, and the new value (empty for
// Delete).
struct PluginResourceEvent {
    std::string uri;
    PluginResourceEventType eventType = PluginResourceEventType::Create;
    Binding::BindingProperty data;
};

// A message that arrived on the game server's LCDS connection.
struct PluginLcdsEvent {
    std::string clientId;
    std::string subtopic;
    std::string typeName;
    Binding::BindingProperty body;
};

struct PluginLcdsResponse {
    std::string typeName;
    Binding::BindingProperty body;
};

// A reply of the platform's service proxy. A non-empty `error` marks a failed call, with that
// text as the failure's message; `status` alone decides nothing (ServiceProxyOutcome).
struct PluginServiceProxyResponse {
    std::string uuid;
    std::string serviceName;
    std::string methodName;
    std::string payload;
    std::string status;
    std::string error;
};

// The fixed ids of the two host types that have no native counterpart of their own in the host.
inline constexpr std::uint32_t kPluginManagerResourceTypeId = 0xFA58397C;
inline constexpr std::uint32_t kPluginLcdsResponseTypeId = 0xF4476A4F;

// Registers the seven types in this order, each with `tags`, then the events OnJsonApiEvent,
// OnLcdsEvent, OnServiceProxyUuidEvent, OnServiceProxyMethodEvent and OnServiceProxyAsyncEvent
// with their payload types, descriptions and `tags`.
void RegisterHostTypes(Binding::BindingRegistry& registry, const std::vector<std::string>& tags);

}  // namespace Zarn::Framework
