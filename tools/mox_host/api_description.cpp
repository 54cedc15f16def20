#include "tools/mox_host/api_description.h"

#include "host/host_request.h"

namespace Zarn::MoxHost {

using Binding::BindingProperty;

namespace {

// Texts of the records are never null by contract; the host checked the arrays when it loaded them.
std::string_view Text(const char* text) { return text != nullptr ? text : ""; }

constexpr std::uint32_t kEnumerationKind = 16;

}  // namespace

BindingProperty DescribeApi(const ApiDescription& api) {
    BindingProperty description;
    BindingProperty& functions = description.WriteField("functions");
    functions.MakeCollection();
    for (std::uint32_t i = 0; i < api.functionCount; ++i) {
        const ApiFunctionRecord& record = api.functions[i];
        BindingProperty& function = functions.AppendElement();
        function.WriteField("name").SetString(Text(record.name));
        function.WriteField("method").SetString(record.method == kApiMethodCustom
                                                    ? Text(record.customMethod)
                                                    : Host::ApiMethodName(record.method));
        function.WriteField("path").SetString(Text(record.path));
    }
    BindingProperty& types = description.WriteField("types");
    types.MakeCollection();
    for (std::uint32_t i = 0; i < api.typeCount; ++i) {
        const ApiTypeRecord& record = api.types[i];
        BindingProperty& type = types.AppendElement();
        type.WriteField("name").SetString(Text(record.name));
        const bool enumeration = record.kind == kEnumerationKind;
        type.WriteField("kind").SetString(enumeration ? "enumeration" : "structure");
        BindingProperty& members = type.WriteField(enumeration ? "values" : "fields");
        members.MakeCollection();
        for (std::uint32_t m = 0; m < record.memberCount; ++m) {
            const ApiMemberRecord& member = record.members[m];
            if (enumeration) {
                BindingProperty& value = members.AppendElement();
                value.WriteField("name").SetString(Text(member.name));
                value.WriteField("value").SetSigned(member.value);
            } else {
                members.AppendElement().SetString(Text(member.name));
            }
        }
    }
    BindingProperty& events = description.WriteField("events");
    events.MakeCollection();
    for (std::uint32_t i = 0; i < api.eventCount; ++i) {
        BindingProperty& event = events.AppendElement();
        event.WriteField("name").SetString(Text(api.events[i].name));
        event.WriteField("payload").SetString(Text(api.events[i].payloadTypeName));
    }
    return description;
}

}  // namespace Zarn::MoxHost
