// The non-template conversion rules behind native_conversion.h: one function per native kind, so the rules
// and their message texts live once, in native_conversion.cpp. Every function does nothing when the result
// has already failed, and leaves the native value untouched when it fails.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "binding/native_type_kind.h"

namespace Zarn::Binding {

class BindingProperty;
class BindingRegistry;
class BindingResult;
class TypeDescriptor;

namespace detail {

void AssignBool(const BindingProperty& input, bool& native, std::string_view name, BindingResult& result);
// [min, max] are the native type's limits; `kind` names the type in messages.
void AssignSignedInteger(const BindingProperty& input, std::int64_t& native, std::int64_t min,
                         std::int64_t max, NativeTypeKind kind, std::string_view name, BindingResult& result);
void AssignUnsignedInteger(const BindingProperty& input, std::uint64_t& native, std::uint64_t max,
                           NativeTypeKind kind, std::string_view name, BindingResult& result);
// `max` is the largest finite value of the native type.
void AssignFloatingPoint(const BindingProperty& input, double& native, double max, NativeTypeKind kind,
                         std::string_view name, BindingResult& result);
void AssignString(const BindingRegistry& registry, const BindingProperty& input, std::string& native,
                  std::string_view name, BindingResult& result);
void AssignBlob(const BindingProperty& input, std::vector<std::uint8_t>& native, std::string_view name,
                BindingResult& result);
void AssignObject(const BindingProperty& input, BindingProperty& native, BindingResult& result);
// `type` is an enumeration descriptor; its record lists the accepted values.
void AssignEnumValue(const TypeDescriptor& type, const BindingProperty& input, std::int32_t& native,
                     std::string_view name, BindingResult& result);
void AssignStruct(const BindingRegistry& registry, const TypeDescriptor& type, const BindingProperty& input,
                  void* native, std::string_view name, BindingResult& result);
void ConvertStruct(const BindingRegistry& registry, const TypeDescriptor& type, const void* native,
                   BindingProperty& output, BindingResult& result);
bool IsDefaultStruct(const BindingRegistry& registry, const TypeDescriptor& type, const void* native);
// AssignStruct and ConvertStruct that move the struct's top-level Object fields instead of copying them.
void AssignStructTakingDocuments(const BindingRegistry& registry, const TypeDescriptor& type,
                                 BindingProperty& input, void* native, std::string_view name,
                                 BindingResult& result);
void ConvertStructTakingDocuments(const BindingRegistry& registry, const TypeDescriptor& type, void* native,
                                  BindingProperty& output, BindingResult& result);
// Whether a value is one an omit-when-default field leaves out.
bool IsDefaultValue(const BindingProperty& value);

// Failures of the generic containers.
void FailNotCollection(std::string_view name, BindingResult& result);
void FailNotStructure(std::string_view typeName, std::string_view name, BindingResult& result);

}  // namespace detail
}  // namespace Zarn::Binding
