// The named arguments of an outgoing local request, collected as the fields of one structure
// value: each native value converted through the registry, a text as a string value; and
// optionally a body, sent as JSON. The first conversion failure is kept and reported when the
// request is made (nothing is sent then).
#pragma once

#include <optional>
#include <string_view>

#include "binding/binding_property.h"
#include "binding/binding_registry.h"
#include "binding/binding_result.h"
#include "binding/native_conversion.h"

namespace Zarn::Framework {

class RequestParameters {
public:
    RequestParameters() = default;
    explicit RequestParameters(const Binding::BindingRegistry& registry) : registry_(&registry) {}

    RequestParameters& AddText(std::string_view name, std::string_view text) {
        if (status_.Succeeded()) fields_.WriteField(name).SetString(text);
        return *this;
    }
    RequestParameters& AddValue(std::string_view name, const Binding::BindingProperty& value) {
        if (status_.Succeeded()) fields_.WriteField(name) = value;
        return *this;
    }
    // Needs the registry (the constructor's) for anything but texts and values.
    template <typename T>
    RequestParameters& Add(std::string_view name, const T& value) {
        if (!RequireRegistry()) return *this;
        Binding::Convert(*registry_, value, fields_.WriteField(name), status_);
        return *this;
    }
    // Every field of a registered record becomes one parameter.
    template <typename T>
    RequestParameters& AddFields(const T& record) {
        if (!RequireRegistry()) return *this;
        Binding::BindingProperty value;
        Binding::Convert(*registry_, record, value, status_);
        if (status_.Failed()) return *this;
        if (value.Kind() != Binding::BindingKind::Structure) {
            status_.Fail("Parameters must come from a structure");
            return *this;
        }
        for (const Binding::BindingField& field : value.Fields())
            fields_.WriteField(field.Name()) = field.Value();
        return *this;
    }

    // The request's body: the value written as JSON text, sent as "application/json".
    template <typename T>
    RequestParameters& SetBody(const T& value) {
        if (!RequireRegistry()) return *this;
        body_.emplace();
        Binding::Convert(*registry_, value, *body_, status_);
        return *this;
    }

    // A structure (or empty when nothing was added); its fields in key order are the parameters.
    const Binding::BindingProperty& Fields() const { return fields_; }
    // Null when the request has no body.
    const Binding::BindingProperty* Body() const { return body_ ? &*body_ : nullptr; }
    // The first failure of the conversions above.
    const Binding::BindingResult& Status() const { return status_; }

private:
    bool RequireRegistry() {
        if (status_.Failed()) return false;
        if (registry_ == nullptr) status_.Fail("No type registry to convert the parameter with");
        return status_.Succeeded();
    }

    const Binding::BindingRegistry* registry_ = nullptr;
    Binding::BindingProperty fields_;
    std::optional<Binding::BindingProperty> body_;
    Binding::BindingResult status_;
};

}  // namespace Zarn::Framework
