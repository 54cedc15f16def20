#include "binding/field_record.h"

#include "binding/fnv1a.h"

namespace Zarn::Binding {

FieldRecord::FieldRecord(std::string key, std::string description, std::uint32_t offset,
                         const StaticType& staticType, TypeDescriptor type,
                         std::optional<TypeDescriptor> secondType, FieldFlags flags,
                         NativeConverter converter, const TypeRecord& owner, std::uint8_t extraFlags)
    : key_(std::move(key)),
      keyHash_(Fnv1a32(key_)),
      description_(std::move(description)),
      staticType_(&staticType),
      offset_(offset),
      type_(std::move(type)),
      secondType_(std::move(secondType)),
      flags_(flags),
      converter_(converter),
      owner_(&owner),
      extraFlags_(extraFlags) {}

}  // namespace Zarn::Binding
