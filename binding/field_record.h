// One field of a registered structure: its key, where it lives in the native structure, what type it is,
// how it converts, and the flags that shape conversion. Made by TypeBuilder::AddField while types are
// registered; read without locking afterwards.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "binding/type_descriptor.h"

namespace Zarn::Binding {

class BindingProperty;
class BindingRegistry;
class BindingResult;
class StaticType;
class TypeRecord;

enum class FieldFlags : std::uint32_t {
    kNone = 0,
    kOmitWhenDefault = 1,  // left out of the value when it converts to false, 0, 0.0, empty or size 0
    kRequired = 2,         // assigning from a structure without this field fails
};

constexpr FieldFlags operator|(FieldFlags a, FieldFlags b) {
    return static_cast<FieldFlags>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}
constexpr bool HasFlag(FieldFlags flags, FieldFlags flag) {
    return (static_cast<std::uint32_t>(flags) & static_cast<std::uint32_t>(flag)) != 0;
}

// Moves one native value of a fixed type to and from a BindingProperty. Both operations do nothing when
// the result has already failed, so the first failure of a structure or vector is the one reported.
// isDefault tells, without converting, whether the value would convert to one that an omit-when-default
// field leaves out (false, 0, 0.0, enumerator 0, empty, or size 0), so an omitted field is never
// written into the structure being built.
struct NativeConverter {
    void (*assign)(const BindingRegistry& registry, const TypeDescriptor& type, const BindingProperty& input,
                   void* native, std::string_view name, BindingResult& result);
    void (*convert)(const BindingRegistry& registry, const TypeDescriptor& type, const void* native,
                    BindingProperty& output, BindingResult& result);
    bool (*isDefault)(const BindingRegistry& registry, const TypeDescriptor& type, const void* native);
};

class FieldRecord {
public:
    FieldRecord(std::string key, std::string description, std::uint32_t offset, const StaticType& staticType,
                TypeDescriptor type, std::optional<TypeDescriptor> secondType, FieldFlags flags,
                NativeConverter converter, const TypeRecord& owner, std::uint8_t extraFlags);

    const std::string& Key() const { return key_; }
    std::uint32_t KeyHash() const { return keyHash_; }
    const std::string& Description() const { return description_; }
    std::uint32_t Offset() const { return offset_; }
    const StaticType& NativeType() const { return *staticType_; }
    const TypeDescriptor& Type() const { return type_; }
    const std::optional<TypeDescriptor>& SecondType() const { return secondType_; }
    FieldFlags Flags() const { return flags_; }
    bool OmitWhenDefault() const { return HasFlag(flags_, FieldFlags::kOmitWhenDefault); }
    bool Required() const { return HasFlag(flags_, FieldFlags::kRequired); }
    const NativeConverter& Converter() const { return converter_; }
    const TypeRecord& Owner() const { return *owner_; }
    std::uint8_t ExtraFlags() const { return extraFlags_; }

private:
    std::string key_;
    std::uint32_t keyHash_;
    std::string description_;
    const StaticType* staticType_;
    std::uint32_t offset_;
    TypeDescriptor type_;
    std::optional<TypeDescriptor> secondType_;
    FieldFlags flags_;
    NativeConverter converter_;
    const TypeRecord* owner_;
    std::uint8_t extraFlags_;
};

}  // namespace Zarn::Binding
