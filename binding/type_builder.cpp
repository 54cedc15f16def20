#include "binding/type_builder.h"

#include <mutex>

#include "binding/binding_registry.h"
#include "binding/type_record.h"

namespace Zarn::Binding {

TypeBuilder& TypeBuilder::AddField(std::string_view key, std::string_view description, std::uint32_t offset,
                                   const StaticType& staticType, TypeDescriptor type,
                                   std::optional<TypeDescriptor> secondType, FieldFlags flags,
                                   NativeConverter converter, std::uint8_t extraFlags) {
    if (Existing()) return *this;
    std::lock_guard lock(registry_->mutex_);
    registry_->AttachRecordsLocked(type);
    if (secondType) registry_->AttachRecordsLocked(*secondType);
    record_->fields_.emplace_back(std::string(key), std::string(description), offset, staticType,
                                  std::move(type), std::move(secondType), flags, converter, *record_,
                                  extraFlags);
    return *this;
}

TypeBuilder& TypeBuilder::AddValue(std::string_view name, std::int32_t value, std::string_view description) {
    if (Existing()) return *this;
    std::lock_guard lock(registry_->mutex_);
    EnumeratorRecord& enumerator = record_->values_[std::string(name)];
    enumerator.value = value;
    enumerator.name = std::string(name);
    enumerator.description = std::string(description);
    enumerator.owner = record_;
    return *this;
}

TypeBuilder& TypeBuilder::AddTag(std::string_view tag) {
    if (Existing() || tag.empty()) return *this;
    record_->tags_.emplace_back(tag);
    return *this;
}

TypeBuilder& TypeBuilder::SetDescription(std::string_view description) {
    if (Existing() || description.empty()) return *this;
    record_->description_ = std::string(description);
    return *this;
}

TypeBuilder& TypeBuilder::SetNameSpace(std::string_view nameSpace) {
    if (Existing() || nameSpace.empty()) return *this;
    record_->nameSpace_ = std::string(nameSpace);
    return *this;
}

}  // namespace Zarn::Binding
