#include "binding/builtin_types.h"

#include "binding/binding_registry.h"
#include "binding/record_registration.h"

namespace Zarn::Binding {
namespace {

constexpr std::string_view kBuiltinTag = "$builtin";
constexpr std::string_view kHelpTag = "help";
constexpr std::string_view kAsyncTag = "async";

void RegisterHelpTypes(BindingRegistry& registry) {
    RegisterEnum<BindingHelpFormat>(registry, "BindingHelpFormat")
        .Value("Full", BindingHelpFormat::Full, "Native help format")
        .Value("Epytext", BindingHelpFormat::Epytext, "Python epytext format")
        .Description("Help format for binding functions and types.")
        .Tag(kBuiltinTag)
        .Tag(kHelpTag);

    RegisterStruct<BindingFullTypeIdentifier>(registry, "BindingFullTypeIdentifier")
        .Field("type", &BindingFullTypeIdentifier::type)
        .Field("elementType", &BindingFullTypeIdentifier::elementType)
        .Description("Describes the type of a value.")
        .Tag(kBuiltinTag)
        .Tag(kHelpTag);

    RegisterStruct<BindingFullArgumentHelp>(registry, "BindingFullArgumentHelp")
        .Field("name", &BindingFullArgumentHelp::name)
        .Field("description", &BindingFullArgumentHelp::description)
        .Field("type", &BindingFullArgumentHelp::type)
        .Field("optional", &BindingFullArgumentHelp::optional)
        .Description("Describes a function parameter.")
        .Tag(kBuiltinTag)
        .Tag(kHelpTag);

    RegisterStruct<BindingFullFunctionHelp>(registry, "BindingFullFunctionHelp")
        .Field("name", &BindingFullFunctionHelp::name)
        .Field("nameSpace", &BindingFullFunctionHelp::nameSpace)
        .Field("arguments", &BindingFullFunctionHelp::arguments)
        .Field("returns", &BindingFullFunctionHelp::returns)
        .Field("description", &BindingFullFunctionHelp::description)
        .Field("help", &BindingFullFunctionHelp::help)
        .Field("threadSafe", &BindingFullFunctionHelp::threadSafe)
        .Field("async", &BindingFullFunctionHelp::async)
        .Field("tags", &BindingFullFunctionHelp::tags)
        .Description("Describes a function.")
        .Tag(kBuiltinTag)
        .Tag(kHelpTag);

    RegisterStruct<BindingFullEnumValueHelp>(registry, "BindingFullEnumValueHelp")
        .Field("name", &BindingFullEnumValueHelp::name)
        .Field("description", &BindingFullEnumValueHelp::description)
        .Field("value", &BindingFullEnumValueHelp::value)
        .Description("Describes an enumerator.")
        .Tag(kBuiltinTag)
        .Tag(kHelpTag);

    RegisterStruct<BindingFullFieldHelp>(registry, "BindingFullFieldHelp")
        .Field("name", &BindingFullFieldHelp::name)
        .Field("description", &BindingFullFieldHelp::description)
        .Field("offset", &BindingFullFieldHelp::offset)
        .Field("type", &BindingFullFieldHelp::type)
        .Field("optional", &BindingFullFieldHelp::optional)
        .Description("Describes a member of a struct.")
        .Tag(kBuiltinTag)
        .Tag(kHelpTag);

    RegisterStruct<BindingFullTypeHelp>(registry, "BindingFullTypeHelp")
        .Field("name", &BindingFullTypeHelp::name)
        .Field("nameSpace", &BindingFullTypeHelp::nameSpace)
        .Field("size", &BindingFullTypeHelp::size)
        .Field("description", &BindingFullTypeHelp::description)
        .Field("tags", &BindingFullTypeHelp::tags)
        .Field("fields", &BindingFullTypeHelp::fields)
        .Field("values", &BindingFullTypeHelp::values)
        .Description("Describes a struct or enum type.")
        .Tag(kBuiltinTag)
        .Tag(kHelpTag);

    RegisterStruct<BindingFullEventHelp>(registry, "BindingFullEventHelp")
        .Field("name", &BindingFullEventHelp::name)
        .Field("nameSpace", &BindingFullEventHelp::nameSpace)
        .Field("type", &BindingFullEventHelp::type)
        .Field("description", &BindingFullEventHelp::description)
        .Field("tags", &BindingFullEventHelp::tags)
        .Description("Describes an event.")
        .Tag(kBuiltinTag)
        .Tag(kHelpTag);

    RegisterStruct<BindingFullApiHelp>(registry, "BindingFullApiHelp")
        .Field("functions", &BindingFullApiHelp::functions)
        .Field("types", &BindingFullApiHelp::types)
        .Field("events", &BindingFullApiHelp::events)
        .Description("Describes the exposed native API.")
        .Tag(kBuiltinTag)
        .Tag(kHelpTag);
}

void RegisterAsyncTypes(BindingRegistry& registry) {
    RegisterEnum<BindingAsyncState>(registry, "BindingAsyncState")
        .Value("None", BindingAsyncState::None, "Invalid state")
        .Value("Running", BindingAsyncState::Running, "The operation is in flight")
        .Value("Cancelling", BindingAsyncState::Cancelling, "A request to cancel the operation has been made")
        .Value("Cancelled", BindingAsyncState::Cancelled, "The operation was cancelled")
        .Value("Succeeded", BindingAsyncState::Succeeded, "The operation completed successfully")
        .Value("Failed", BindingAsyncState::Failed, "The operation encountered an error")
        .Description("Possible states of an asynchronous operation.")
        .Tag(kBuiltinTag)
        .Tag(kAsyncTag);

    RegisterStruct<BindingGenericEvent>(registry, "BindingGenericEvent")
        .Field("data", &BindingGenericEvent::data, "Event data")
        .Description("Represents generic data for an event.")
        .Tag(kBuiltinTag);

    RegisterStruct<BindingCallbackEvent>(registry, "BindingCallbackEvent")
        .Field("id", &BindingCallbackEvent::id, "ID of the callback being invoked")
        .Field("parameters", &BindingCallbackEvent::parameters, "Callback parameters")
        .Description("Represents the parameters of a call to a provided callback.")
        .Tag(kBuiltinTag);

    RegisterStruct<BindingGenericAsyncEvent>(registry, "BindingGenericAsyncEvent")
        .Field("asyncToken", &BindingGenericAsyncEvent::asyncToken, "Asynchronous operation token")
        .Field("data", &BindingGenericAsyncEvent::data, "Event data")
        .Description("Represents generic data for an asynchronous event.")
        .Tag(kBuiltinTag)
        .Tag(kAsyncTag);

    RegisterStruct<BindingAsyncFailureEvent>(registry, "BindingAsyncFailureEvent")
        .Field("asyncToken", &BindingAsyncFailureEvent::asyncToken, "Asynchronous operation token")
        .Field("error", &BindingAsyncFailureEvent::error, "Error message")
        .Description("Represents a failed asynchronous operation.")
        .Tag(kBuiltinTag)
        .Tag(kAsyncTag);

    RegisterStruct<BindingAsyncCancelEvent>(registry, "BindingAsyncCancelEvent")
        .Field("asyncToken", &BindingAsyncCancelEvent::asyncToken, "Asynchronous operation token")
        .Description("Represents a cancelled asynchronous operation.")
        .Tag(kBuiltinTag)
        .Tag(kAsyncTag);
}

}  // namespace

void RegisterBuiltins(BindingRegistry& registry) {
    if (registry.BuiltinsRegistered()) registry.RemoveEvents();
    RegisterHelpTypes(registry);
    RegisterAsyncTypes(registry);
    EventRecord callback;
    callback.name = "OnCallback";
    callback.payload = DescribeNative<BindingCallbackEvent>(registry);
    callback.description = "Fired when a callback is invoked.";
    callback.tags.emplace_back(kBuiltinTag);
    registry.AddEvent(std::move(callback));
    registry.SetBuiltinsRegistered();
}

}  // namespace Zarn::Binding
