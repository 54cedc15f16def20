// Fills in one TypeRecord right after BindingRegistry::BeginRegistration. The first registration of a
// name wins: a builder for a name that was already taken is marked existing and ignores every call, so
// registering a type twice leaves the first record exactly as it was. Most code uses the typed front end
// in record_registration.h, which derives offsets, types and converters from member pointers.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "binding/field_record.h"

namespace Zarn::Binding {

class BindingRegistry;
class StaticType;
class TypeRecord;

class TypeBuilder {
public:
    TypeBuilder(BindingRegistry& registry, TypeRecord* record) : registry_(&registry), record_(record) {}

    bool Existing() const { return record_ == nullptr; }
    // The record being built; null for an existing name (find the kept one with FindByName).
    const TypeRecord* Record() const { return record_; }

    TypeBuilder& AddField(std::string_view key, std::string_view description, std::uint32_t offset,
                          const StaticType& staticType, TypeDescriptor type,
                          std::optional<TypeDescriptor> secondType, FieldFlags flags,
                          NativeConverter converter, std::uint8_t extraFlags = 0);
    // An existing name is overwritten with the new value and description.
    TypeBuilder& AddValue(std::string_view name, std::int32_t value, std::string_view description);
    // Empty texts are ignored.
    TypeBuilder& AddTag(std::string_view tag);
    TypeBuilder& SetDescription(std::string_view description);
    TypeBuilder& SetNameSpace(std::string_view nameSpace);

private:
    BindingRegistry* registry_;
    TypeRecord* record_;
};

}  // namespace Zarn::Binding
