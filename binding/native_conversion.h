// Moves native values to and from BindingProperty values, driven by the records of a BindingRegistry.
//
//   Assign(registry, input, native, name, result)   value -> native; lenient in documented ways (numbers
//                                                   from text, enumerators by name or number)
//   Convert(registry, native, output, result)       native -> value; never coerces
//
// T may be bool, a fixed-width integer, float, double, std::string, std::vector<std::uint8_t> (a blob),
// BindingProperty (any value), a registered enum or struct, std::vector<T>, std::map<std::string, T> (a
// structure with one field per entry) or std::optional of a registered struct (absent converts to empty;
// a non-empty input is assigned into the engaged optional); anything else fails to compile.
//
//   AssignTakingDocuments(registry, input, native, name, result)
//   ConvertTakingDocuments(registry, native, output, result)
//                                                   the same for a registered struct, except that its
//                                                   top-level BindingProperty fields are moved, not
//                                                   copied: events carry whole documents of many
//                                                   kilobytes. The source's documents are left empty
//                                                   or replaced by a placeholder.
//
// Both report into the BindingResult they are given and do nothing when it has already failed, so a chain
// of conversions reports its first failure. A failed Assign may leave a structure partly assigned: fields
// before the failing one keep their new values. `name` is the name used in messages; fields are named by
// their key and vector or map elements by the container's name. Callable from any thread; the registry
// locks its own indexes.
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "binding/binding_property.h"
#include "binding/binding_registry.h"
#include "binding/binding_result.h"
#include "binding/detail/conversion_rules.h"
#include "binding/detail/native_category.h"
#include "binding/field_record.h"
#include "binding/native_type_kind.h"
#include "binding/static_type.h"
#include "binding/type_descriptor.h"

namespace Zarn::Binding {

// The conversion rules of one native type. Assign and Convert receive the type's descriptor, whose
// records (for enumerations and structures) the registry has attached.
template <typename T>
struct NativeTraits {
    static constexpr detail::NativeCategory kCategory = detail::CategoryOf<T>();

    static constexpr NativeTypeKind Kind() {
        using detail::NativeCategory;
        if constexpr (kCategory == NativeCategory::Bool) return NativeTypeKind::Bool;
        if constexpr (kCategory == NativeCategory::SignedInteger) {
            return sizeof(T) == 1   ? NativeTypeKind::Int8
                   : sizeof(T) == 2 ? NativeTypeKind::Int16
                   : sizeof(T) == 4 ? NativeTypeKind::Int32
                                    : NativeTypeKind::Int64;
        }
        if constexpr (kCategory == NativeCategory::UnsignedInteger) {
            return sizeof(T) == 1   ? NativeTypeKind::UInt8
                   : sizeof(T) == 2 ? NativeTypeKind::UInt16
                   : sizeof(T) == 4 ? NativeTypeKind::UInt32
                                    : NativeTypeKind::UInt64;
        }
        if constexpr (kCategory == NativeCategory::FloatingPoint) {
            return sizeof(T) == sizeof(float) ? NativeTypeKind::Float : NativeTypeKind::Double;
        }
        if constexpr (kCategory == NativeCategory::String) return NativeTypeKind::String;
        if constexpr (kCategory == NativeCategory::Blob) return NativeTypeKind::Blob;
        if constexpr (kCategory == NativeCategory::Object) return NativeTypeKind::Object;
        if constexpr (kCategory == NativeCategory::Enum) return NativeTypeKind::Enum;
        if constexpr (kCategory == NativeCategory::Struct || kCategory == NativeCategory::Optional) {
            return NativeTypeKind::Struct;
        }
        if constexpr (kCategory == NativeCategory::Vector) return NativeTypeKind::Vector;
        if constexpr (kCategory == NativeCategory::Map) return NativeTypeKind::Map;
        return NativeTypeKind::None;
    }

    // The descriptor without records; BindingRegistry::AttachRecords or registration adds them.
    static TypeDescriptor Describe() {
        detail::CheckSupported<T>();
        using detail::NativeCategory;
        if constexpr (kCategory == NativeCategory::Enum) {
            return TypeDescriptor::Enum(StaticType::Of<T>());
        } else if constexpr (kCategory == NativeCategory::Struct) {
            return TypeDescriptor::Struct(StaticType::Of<T>());
        } else if constexpr (kCategory == NativeCategory::Optional) {
            return NativeTraits<typename T::value_type>::Describe();
        } else if constexpr (kCategory == NativeCategory::Vector) {
            return TypeDescriptor::Vector(NativeTraits<typename T::value_type>::Describe());
        } else if constexpr (kCategory == NativeCategory::Map) {
            return TypeDescriptor::Map(NativeTraits<typename T::mapped_type>::Describe());
        } else {
            return TypeDescriptor(Kind());
        }
    }

    static void Assign(const BindingRegistry& registry, const TypeDescriptor& type,
                       const BindingProperty& input, T& native, std::string_view name,
                       BindingResult& result) {
        using detail::NativeCategory;
        if (result.Failed()) return;
        if constexpr (kCategory == NativeCategory::Bool) {
            detail::AssignBool(input, native, name, result);
        } else if constexpr (kCategory == NativeCategory::SignedInteger) {
            std::int64_t value = 0;
            detail::AssignSignedInteger(input, value, std::numeric_limits<T>::min(),
                                        std::numeric_limits<T>::max(), Kind(), name, result);
            if (result.Succeeded()) native = static_cast<T>(value);
        } else if constexpr (kCategory == NativeCategory::UnsignedInteger) {
            std::uint64_t value = 0;
            detail::AssignUnsignedInteger(input, value, std::numeric_limits<T>::max(), Kind(), name, result);
            if (result.Succeeded()) native = static_cast<T>(value);
        } else if constexpr (kCategory == NativeCategory::FloatingPoint) {
            double value = 0;
            detail::AssignFloatingPoint(input, value, std::numeric_limits<T>::max(), Kind(), name, result);
            if (result.Succeeded()) native = static_cast<T>(value);
        } else if constexpr (kCategory == NativeCategory::String) {
            detail::AssignString(registry, input, native, name, result);
        } else if constexpr (kCategory == NativeCategory::Blob) {
            detail::AssignBlob(input, native, name, result);
        } else if constexpr (kCategory == NativeCategory::Object) {
            detail::AssignObject(input, native, result);
        } else if constexpr (kCategory == NativeCategory::Enum) {
            std::int32_t value = 0;
            detail::AssignEnumValue(type, input, value, name, result);
            if (result.Succeeded()) native = static_cast<T>(value);
        } else if constexpr (kCategory == NativeCategory::Struct) {
            detail::AssignStruct(registry, type, input, &native, name, result);
        } else if constexpr (kCategory == NativeCategory::Optional) {
            // Absence (null) is a valid value of an optional.
            if (input.Kind() == BindingKind::Empty) {
                native.reset();
                return;
            }
            if (!native) native.emplace();
            NativeTraits<typename T::value_type>::Assign(registry, type, input, *native, name, result);
        } else if constexpr (kCategory == NativeCategory::Vector) {
            AssignVector(registry, type, input, native, name, result);
        } else if constexpr (kCategory == NativeCategory::Map) {
            AssignMap(registry, type, input, native, name, result);
        }
    }

    static void Convert(const BindingRegistry& registry, const TypeDescriptor& type, const T& native,
                        BindingProperty& output, BindingResult& result) {
        using detail::NativeCategory;
        if (result.Failed()) return;
        if constexpr (kCategory == NativeCategory::Bool) {
            output.SetBool(native);
        } else if constexpr (kCategory == NativeCategory::SignedInteger) {
            output.SetSigned(native);
        } else if constexpr (kCategory == NativeCategory::UnsignedInteger) {
            output.SetUnsigned(native);
        } else if constexpr (kCategory == NativeCategory::FloatingPoint) {
            output.SetFloat(native);
        } else if constexpr (kCategory == NativeCategory::String) {
            output.SetString(std::string_view(native));
        } else if constexpr (kCategory == NativeCategory::Blob) {
            output.SetBlob(native);
        } else if constexpr (kCategory == NativeCategory::Object) {
            output = native;
        } else if constexpr (kCategory == NativeCategory::Enum) {
            output.SetEnum(static_cast<std::int32_t>(native), StaticType::Of<T>().Id());
        } else if constexpr (kCategory == NativeCategory::Struct) {
            detail::ConvertStruct(registry, type, &native, output, result);
        } else if constexpr (kCategory == NativeCategory::Optional) {
            if (!native) {
                output.Reset();
                return;
            }
            NativeTraits<typename T::value_type>::Convert(registry, type, *native, output, result);
        } else if constexpr (kCategory == NativeCategory::Vector) {
            output.Reset();
            output.MakeCollection();
            output.Reserve(native.size() < kMaxCollectionReserve ? native.size() : kMaxCollectionReserve);
            using Element = typename T::value_type;
            for (const Element& element : native) {
                if (result.Failed()) return;
                NativeTraits<Element>::Convert(registry, *type.Element(), element, output.AppendElement(),
                                               result);
            }
        } else if constexpr (kCategory == NativeCategory::Map) {
            output.Reset();
            output.MakeStructure();
            using Element = typename T::mapped_type;
            for (const auto& [key, element] : native) {
                if (result.Failed()) return;
                NativeTraits<Element>::Convert(registry, *type.Element(), element, output.WriteField(key),
                                               result);
            }
        }
    }

    // Whether the value converts to one an omit-when-default field leaves out.
    static bool IsDefault(const BindingRegistry& registry, const TypeDescriptor& type, const T& native) {
        using detail::NativeCategory;
        if constexpr (kCategory == NativeCategory::Bool) {
            return !native;
        } else if constexpr (kCategory == NativeCategory::SignedInteger ||
                             kCategory == NativeCategory::UnsignedInteger) {
            return native == 0;
        } else if constexpr (kCategory == NativeCategory::FloatingPoint) {
            return native == 0;  // a NaN is kept
        } else if constexpr (kCategory == NativeCategory::Enum) {
            return static_cast<std::int32_t>(native) == 0;
        } else if constexpr (kCategory == NativeCategory::Object) {
            return detail::IsDefaultValue(native);
        } else if constexpr (kCategory == NativeCategory::Struct) {
            return detail::IsDefaultStruct(registry, type, &native);
        } else if constexpr (kCategory == NativeCategory::Optional) {
            return !native || NativeTraits<typename T::value_type>::IsDefault(registry, type, *native);
        } else {
            return native.empty();
        }
    }

private:
    static void AssignVector(const BindingRegistry& registry, const TypeDescriptor& type,
                             const BindingProperty& input, T& native, std::string_view name,
                             BindingResult& result) {
        using Element = typename T::value_type;
        native.clear();
        if (input.Kind() != BindingKind::Collection) return detail::FailNotCollection(name, result);
        native.resize(input.Size());
        std::size_t index = 0;
        for (const BindingProperty& element : input.Elements()) {
            if (result.Failed()) return;
            if (element.Kind() != BindingKind::Empty) {
                if constexpr (std::is_same_v<Element, bool>) {
                    bool value = false;
                    NativeTraits<bool>::Assign(registry, *type.Element(), element, value, name, result);
                    native[index] = value;
                } else {
                    NativeTraits<Element>::Assign(registry, *type.Element(), element, native[index], name,
                                                  result);
                }
            }
            ++index;
        }
    }

    static void AssignMap(const BindingRegistry& registry, const TypeDescriptor& type,
                          const BindingProperty& input, T& native, std::string_view name,
                          BindingResult& result) {
        using Element = typename T::mapped_type;
        native.clear();
        if (input.Kind() != BindingKind::Structure) {
            return detail::FailNotStructure(NativeTypeKindName(NativeTypeKind::Map), name, result);
        }
        for (const BindingField& field : input.Fields()) {
            if (result.Failed()) return;
            // Fields come in key order, which is the map's order: each entry goes at the end.
            Element& element = native.try_emplace(native.end(), std::string(field.Name()))->second;
            if (field.Value().Kind() != BindingKind::Empty) {
                NativeTraits<Element>::Assign(registry, *type.Element(), field.Value(), element, name,
                                              result);
            }
        }
    }
};

// The converter a FieldRecord holds for a member of type T.
template <typename T>
struct ErasedConverter {
    static void Assign(const BindingRegistry& registry, const TypeDescriptor& type,
                       const BindingProperty& input, void* native, std::string_view name,
                       BindingResult& result) {
        NativeTraits<T>::Assign(registry, type, input, *static_cast<T*>(native), name, result);
    }
    static void Convert(const BindingRegistry& registry, const TypeDescriptor& type, const void* native,
                        BindingProperty& output, BindingResult& result) {
        NativeTraits<T>::Convert(registry, type, *static_cast<const T*>(native), output, result);
    }
    static bool IsDefault(const BindingRegistry& registry, const TypeDescriptor& type, const void* native) {
        return NativeTraits<T>::IsDefault(registry, type, *static_cast<const T*>(native));
    }
};

template <typename T>
constexpr NativeConverter ConverterOf() {
    return {&ErasedConverter<T>::Assign, &ErasedConverter<T>::Convert, &ErasedConverter<T>::IsDefault};
}

// The descriptor of T with the registry's records attached.
template <typename T>
TypeDescriptor DescribeNative(const BindingRegistry& registry) {
    TypeDescriptor type = NativeTraits<T>::Describe();
    registry.AttachRecords(type);
    return type;
}

template <typename T>
void Assign(const BindingRegistry& registry, const BindingProperty& input, T& native, std::string_view name,
            BindingResult& result) {
    if (result.Failed()) return;
    NativeTraits<T>::Assign(registry, DescribeNative<T>(registry), input, native, name, result);
}

template <typename T>
void Convert(const BindingRegistry& registry, const T& native, BindingProperty& output,
             BindingResult& result) {
    if (result.Failed()) return;
    NativeTraits<T>::Convert(registry, DescribeNative<T>(registry), native, output, result);
}

template <typename T>
void AssignTakingDocuments(const BindingRegistry& registry, BindingProperty& input, T& native,
                           std::string_view name, BindingResult& result) {
    static_assert(detail::IsStructCandidate<T>(), "AssignTakingDocuments needs a registered struct");
    if (result.Failed()) return;
    detail::AssignStructTakingDocuments(registry, DescribeNative<T>(registry), input, &native, name, result);
}

template <typename T>
void ConvertTakingDocuments(const BindingRegistry& registry, T& native, BindingProperty& output,
                            BindingResult& result) {
    static_assert(detail::IsStructCandidate<T>(), "ConvertTakingDocuments needs a registered struct");
    if (result.Failed()) return;
    detail::ConvertStructTakingDocuments(registry, DescribeNative<T>(registry), &native, output, result);
}

}  // namespace Zarn::Binding
