// The types and the event every registry carries: the states and events of asynchronous operations and
// callbacks, and the help types with which a registry describes itself (binding_help.h). RegisterBuiltins
// is called while a module initialises, after or before its own types.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "binding/binding_property.h"

namespace Zarn::Binding {

class BindingRegistry;

enum class BindingAsyncState : std::int32_t {
    None = 0,
    Running = 1,
    Cancelling = 2,
    Cancelled = 3,
    Succeeded = 4,
    Failed = 5,
};

struct BindingGenericEvent {
    BindingProperty data;
};

struct BindingCallbackEvent {
    std::uint32_t id = 0;
    std::vector<BindingProperty> parameters;
};

struct BindingGenericAsyncEvent {
    std::uint32_t asyncToken = 0;
    BindingProperty data;
};

struct BindingAsyncFailureEvent {
    std::uint32_t asyncToken = 0;
    std::string error;
};

struct BindingAsyncCancelEvent {
    std::uint32_t asyncToken = 0;
};

enum class BindingHelpFormat : std::int32_t {
    Full = 1,     // structured values
    Epytext = 2,  // documentation strings
};

struct BindingFullTypeIdentifier {
    std::string type;
    std::string elementType;
};

struct BindingFullArgumentHelp {
    std::string name;
    std::string description;
    BindingFullTypeIdentifier type;
    bool optional = false;
};

struct BindingFullFunctionHelp {
    std::string name;
    std::string nameSpace;
    std::vector<BindingFullArgumentHelp> arguments;
    BindingFullTypeIdentifier returns;
    std::string description;
    std::string help;
    bool threadSafe = false;
    std::string async;
    std::vector<std::string> tags;
};

struct BindingFullEnumValueHelp {
    std::string name;
    std::string description;
    std::int32_t value = 0;
};

struct BindingFullFieldHelp {
    std::string name;
    std::string description;
    std::uint32_t offset = 0;
    BindingFullTypeIdentifier type;
    bool optional = false;
};

struct BindingFullTypeHelp {
    std::string name;
    std::string nameSpace;
    std::uint32_t size = 0;
    std::string description;
    std::vector<std::string> tags;
    std::vector<BindingFullFieldHelp> fields;
    std::vector<BindingFullEnumValueHelp> values;
};

struct BindingFullEventHelp {
    std::string name;
    std::string nameSpace;
    BindingFullTypeIdentifier type;
    std::string description;
    std::vector<std::string> tags;
};

struct BindingFullApiHelp {
    std::vector<BindingFullFunctionHelp> functions;
    std::vector<BindingFullTypeHelp> types;
    std::vector<BindingFullEventHelp> events;
};

// Registers the help types, then the asynchronous and callback types, then the event "OnCallback", and
// sets the registry's built-ins flag. When the flag is already set every registered event is removed
// first, so a second call leaves "OnCallback" as the only event; types registered before stay as they
// were (the first registration of a name wins).
void RegisterBuiltins(BindingRegistry& registry);

}  // namespace Zarn::Binding
