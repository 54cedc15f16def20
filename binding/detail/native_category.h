// Sorts a native type into the kinds the conversions support, and stops the build with a message naming
// the mistake when a type is not one of them.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "binding/native_type_kind.h"

namespace Zarn::Binding {

class BindingProperty;

namespace detail {

enum class NativeCategory {
    Unsupported,
    Bool,
    SignedInteger,
    UnsignedInteger,
    FloatingPoint,
    String,
    Blob,
    Object,
    Enum,
    Struct,
    Vector,
    Map,
    Optional,
};

template <typename T, template <typename...> class Template>
struct IsSpecializationOf : std::false_type {};
template <template <typename...> class Template, typename... Args>
struct IsSpecializationOf<Template<Args...>, Template> : std::true_type {};
template <typename T, template <typename...> class Template>
inline constexpr bool kIsSpecializationOf = IsSpecializationOf<T, Template>::value;

template <typename T>
struct IsStdArray : std::false_type {};
template <typename T, std::size_t N>
struct IsStdArray<std::array<T, N>> : std::true_type {};

template <typename T>
inline constexpr bool kIsCharacter =
    std::is_same_v<T, char> || std::is_same_v<T, wchar_t> || std::is_same_v<T, char8_t> ||
    std::is_same_v<T, char16_t> || std::is_same_v<T, char32_t>;

// Library classes that are easy to mistake for something the conversions handle.
template <typename T>
inline constexpr bool kIsUnsupportedLibraryClass =
    kIsSpecializationOf<T, std::list> || kIsSpecializationOf<T, std::deque> ||
    kIsSpecializationOf<T, std::set> || kIsSpecializationOf<T, std::multiset> ||
    kIsSpecializationOf<T, std::unordered_map> || kIsSpecializationOf<T, std::unordered_set> ||
    kIsSpecializationOf<T, std::multimap> || kIsSpecializationOf<T, std::pair> ||
    kIsSpecializationOf<T, std::tuple> || kIsSpecializationOf<T, std::unique_ptr> ||
    kIsSpecializationOf<T, std::shared_ptr> || kIsSpecializationOf<T, std::basic_string> ||
    kIsSpecializationOf<T, std::basic_string_view> || IsStdArray<T>::value;

template <typename T>
constexpr NativeCategory CategoryOf() {
    if constexpr (std::is_same_v<T, bool>) {
        return NativeCategory::Bool;
    } else if constexpr (std::is_integral_v<T> && !kIsCharacter<T>) {
        return std::is_signed_v<T> ? NativeCategory::SignedInteger : NativeCategory::UnsignedInteger;
    } else if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>) {
        return NativeCategory::FloatingPoint;
    } else if constexpr (std::is_same_v<T, std::string>) {
        return NativeCategory::String;
    } else if constexpr (std::is_same_v<T, std::vector<std::uint8_t>>) {
        return NativeCategory::Blob;
    } else if constexpr (std::is_same_v<T, BindingProperty>) {
        return NativeCategory::Object;
    } else if constexpr (std::is_enum_v<T>) {
        return NativeCategory::Enum;
    } else if constexpr (kIsSpecializationOf<T, std::vector>) {
        return NativeCategory::Vector;
    } else if constexpr (kIsSpecializationOf<T, std::map>) {
        return NativeCategory::Map;
    } else if constexpr (kIsSpecializationOf<T, std::optional>) {
        return NativeCategory::Optional;
    } else if constexpr (std::is_class_v<T> && !kIsUnsupportedLibraryClass<T>) {
        return NativeCategory::Struct;
    } else {
        return NativeCategory::Unsupported;
    }
}

template <typename T>
constexpr bool IsStructCandidate() {
    return CategoryOf<T>() == NativeCategory::Struct;
}

// Fails the build, with a message that names the mistake, for a type the conversions cannot handle.
template <typename T>
constexpr void CheckSupported() {
    static_assert(!std::is_pointer_v<T> && !std::is_member_pointer_v<T>,
                  "binding: pointer members cannot be converted; hold the value itself");
    static_assert(!std::is_reference_v<T>, "binding: reference members cannot be converted");
    static_assert(!std::is_const_v<T>, "binding: const members cannot be assigned");
    static_assert(!kIsCharacter<T>,
                  "binding: character types are ambiguous; use std::int8_t, std::uint8_t or std::string");
    static_assert(!std::is_same_v<T, long double>, "binding: long double is not supported; use double");
    static_assert(!std::is_array_v<T>, "binding: C arrays are not supported; use std::vector");
    static_assert(!std::is_union_v<T>, "binding: unions cannot be converted");
    if constexpr (kIsSpecializationOf<T, std::map>) {
        static_assert(std::is_same_v<typename T::key_type, std::string>,
                      "binding: a std::map member must have std::string keys");
    }
    if constexpr (kIsSpecializationOf<T, std::optional>) {
        static_assert(IsStructCandidate<typename T::value_type>(),
                      "binding: std::optional is supported around a registered struct only");
    }
    static_assert(CategoryOf<T>() != NativeCategory::Unsupported || std::is_pointer_v<T> || kIsCharacter<T> ||
                      std::is_same_v<T, long double> || std::is_array_v<T> || std::is_union_v<T>,
                  "binding: unsupported type; use bool, a fixed-width integer, float, double, std::string, "
                  "std::vector<std::uint8_t>, BindingProperty, a registered enum or struct, std::vector<T>, "
                  "std::map<std::string, T> or std::optional<registered struct>");
    if constexpr (CategoryOf<T>() == NativeCategory::Struct) {
        static_assert(
            std::is_default_constructible_v<T>,
            "binding: a registered struct must be default-constructible (vectors and optionals of it "
            "are filled with default elements)");
    }
}

}  // namespace detail
}  // namespace Zarn::Binding
