#include "framework/host_types.h"

#include "binding/binding_registry.h"
#include "binding/native_conversion.h"
#include "binding/record_registration.h"
#include "binding/static_type.h"

namespace Zarn::Framework {
namespace {

using Binding::BindingRegistry;
using Binding::StaticType;

constexpr std::string_view kNameSpace = "zclient";

template <typename Registration>
void Describe(Registration& registration, const std::vector<std::string>& tags) {
    registration.NameSpace(kNameSpace);
    for (const std::string& tag : tags) registration.Tag(tag);
}

// The two types whose ids are fixed constants rather than their native type's id.
template <typename S>
Binding::StructRegistration<S> RegisterStructWithId(BindingRegistry& registry, std::string_view name,
                                                    const StaticType& type) {
    return Binding::StructRegistration<S>(
        registry.BeginRegistration(static_cast<std::uint32_t>(sizeof(S)), name, type, false));
}

template <typename Payload>
void AddEvent(BindingRegistry& registry, std::string_view name, std::string_view description,
              const std::vector<std::string>& tags) {
    Binding::EventRecord event;
    event.name = name;
    event.nameSpace = kNameSpace;
    event.payload = Binding::DescribeNative<Payload>(registry);
    event.description = description;
    event.tags = tags;
    registry.AddEvent(std::move(event));
}

}  // namespace

void RegisterHostTypes(BindingRegistry& registry, const std::vector<std::string>& tags) {
    static const StaticType managerResourceType(kPluginManagerResourceTypeId);
    static const StaticType lcdsResponseType(kPluginLcdsResponseTypeId);

    auto managerState = Binding::RegisterEnum<PluginManagerState>(registry, "PluginManagerState");
    managerState.Value("NotReady", PluginManagerState::NotReady)
        .Value("PluginsInitialized", PluginManagerState::PluginsInitialized);
    Describe(managerState, tags);

    auto managerResource =
        RegisterStructWithId<PluginManagerResource>(registry, "PluginManagerResource", managerResourceType);
    managerResource.Field("state", &PluginManagerResource::state);
    Describe(managerResource, tags);

    auto eventType = Binding::RegisterEnum<PluginResourceEventType>(registry, "PluginResourceEventType");
    eventType.Value("Create", PluginResourceEventType::Create)
        .Value("Update", PluginResourceEventType::Update)
        .Value("Delete", PluginResourceEventType::Delete);
    Describe(eventType, tags);

    auto resourceEvent = Binding::RegisterStruct<PluginResourceEvent>(registry, "PluginResourceEvent");
    resourceEvent.Field("uri", &PluginResourceEvent::uri)
        .Field("eventType", &PluginResourceEvent::eventType)
        .Field("data", &PluginResourceEvent::data);
    Describe(resourceEvent, tags);

    auto lcdsEvent = Binding::RegisterStruct<PluginLcdsEvent>(registry, "PluginLcdsEvent");
    lcdsEvent.Field("clientId", &PluginLcdsEvent::clientId)
        .Field("subtopic", &PluginLcdsEvent::subtopic)
        .Field("typeName", &PluginLcdsEvent::typeName)
        .Field("body", &PluginLcdsEvent::body);
    Describe(lcdsEvent, tags);

    auto lcdsResponse =
        RegisterStructWithId<PluginLcdsResponse>(registry, "PluginLcdsResponse", lcdsResponseType);
    lcdsResponse.Field("typeName", &PluginLcdsResponse::typeName).Field("body", &PluginLcdsResponse::body);
    Describe(lcdsResponse, tags);

    auto proxyResponse =
        Binding::RegisterStruct<PluginServiceProxyResponse>(registry, "PluginServiceProxyResponse");
    proxyResponse.Field("uuid", &PluginServiceProxyResponse::uuid)
        .Field("serviceName", &PluginServiceProxyResponse::serviceName)
        .Field("methodName", &PluginServiceProxyResponse::methodName)
        .Field("payload", &PluginServiceProxyResponse::payload)
        .Field("status", &PluginServiceProxyResponse::status)
        .Field("error", &PluginServiceProxyResponse::error);
    Describe(proxyResponse, tags);

    AddEvent<PluginResourceEvent>(registry, "OnJsonApiEvent", "Fired when a resource is changed.", tags);
    AddEvent<PluginLcdsEvent>(registry, "OnLcdsEvent",
                              "Fired when a message is received over the LCDS connection.", tags);
    AddEvent<PluginServiceProxyResponse>(registry, "OnServiceProxyUuidEvent",
                                         "Fired when a uuid-based service proxy message is received.", tags);
    AddEvent<PluginServiceProxyResponse>(registry, "OnServiceProxyMethodEvent",
                                         "Fired when a method-based service proxy message is received.",
                                         tags);
    AddEvent<PluginServiceProxyResponse>(registry, "OnServiceProxyAsyncEvent",
                                         "Fired when an async service proxy message is received.", tags);
}

}  // namespace Zarn::Framework
