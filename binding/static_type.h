// Identity of a native type: a 32-bit id and a display name. StaticType::Of<T>() yields the one descriptor
// of T, made on first use (thread-safe) and never freed, so records and values may point at it for the
// life of the process. Registered records are indexed by the id, and enum values carry it.
//
// Ids: the built-in scalar types have fixed constants (FixedTypeId below); every other type takes the
// FNV-1a hash of its spelling, moved on to the next free hash in the rare case of a clash, so no two
// descriptors made by Of<T>() share an id, and none takes 0 or kUnindexedTypeId.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace Zarn::Binding {

class BindingProperty;

// A record registered with a descriptor of this id is found by name only, never by id.
inline constexpr std::uint32_t kUnindexedTypeId = 0x1BE7EF8E;

namespace detail {

// The type as the compiler spells it, cut out of the signature of this function.
template <typename T>
constexpr std::string_view TypeSpelling() {
    std::string_view signature = __PRETTY_FUNCTION__;
    const std::string_view marker = "T = ";
    const std::size_t start = signature.find(marker);
    if (start == std::string_view::npos) return signature;
    signature.remove_prefix(start + marker.size());
    int depth = 0;
    for (std::size_t i = 0; i < signature.size(); ++i) {
        const char c = signature[i];
        if (c == '<' || c == '(' || c == '[') ++depth;
        if (c == '>' || c == ')') --depth;
        if (c == ']' && depth-- == 0) return signature.substr(0, i);
        if (c == ';' && depth == 0) return signature.substr(0, i);
    }
    return signature;
}

// Fixed ids of the built-in native types; 0 means "hash the spelling".
template <typename T>
struct FixedTypeId : std::integral_constant<std::uint32_t, 0> {};
template <>
struct FixedTypeId<bool> : std::integral_constant<std::uint32_t, 0x4D580001> {};
template <>
struct FixedTypeId<std::int8_t> : std::integral_constant<std::uint32_t, 0x4D580002> {};
template <>
struct FixedTypeId<std::uint8_t> : std::integral_constant<std::uint32_t, 0x4D580003> {};
template <>
struct FixedTypeId<std::int16_t> : std::integral_constant<std::uint32_t, 0x4D580004> {};
template <>
struct FixedTypeId<std::uint16_t> : std::integral_constant<std::uint32_t, 0x4D580005> {};
template <>
struct FixedTypeId<std::int32_t> : std::integral_constant<std::uint32_t, 0x4D580006> {};
template <>
struct FixedTypeId<std::uint32_t> : std::integral_constant<std::uint32_t, 0x4D580007> {};
template <>
struct FixedTypeId<std::int64_t> : std::integral_constant<std::uint32_t, 0x4D580008> {};
template <>
struct FixedTypeId<std::uint64_t> : std::integral_constant<std::uint32_t, 0x4D580009> {};
template <>
struct FixedTypeId<float> : std::integral_constant<std::uint32_t, 0x4D58000A> {};
template <>
struct FixedTypeId<double> : std::integral_constant<std::uint32_t, 0x4D58000B> {};
template <>
struct FixedTypeId<std::string> : std::integral_constant<std::uint32_t, 0x4D58000C> {};
template <>
struct FixedTypeId<BindingProperty> : std::integral_constant<std::uint32_t, 0x4D58000D> {};
template <>
struct FixedTypeId<std::vector<std::uint8_t>> : std::integral_constant<std::uint32_t, 0x4D58000E> {};

inline constexpr std::array<std::uint32_t, 14> kFixedTypeIds = {
    0x4D580001, 0x4D580002, 0x4D580003, 0x4D580004, 0x4D580005, 0x4D580006, 0x4D580007,
    0x4D580008, 0x4D580009, 0x4D58000A, 0x4D58000B, 0x4D58000C, 0x4D58000D, 0x4D58000E};

}  // namespace detail

class StaticType {
public:
    // Hand-made descriptors (types the registry describes without a native counterpart, tests); the
    // caller keeps their ids unique. This form is named by its id: "#%08X".
    explicit StaticType(std::uint32_t id);
    // Named by the signature text "const char *__cdecl StaticType::Name<" + spelling + ">(void)".
    StaticType(std::uint32_t id, std::string_view typeSpelling);
    StaticType(const StaticType&) = delete;
    StaticType& operator=(const StaticType&) = delete;

    std::uint32_t Id() const { return id_; }
    // Printed whole wherever the type is named (messages, diagnostics).
    const char* Name() const { return name_; }

    template <typename T>
    static const StaticType& Of() {
        return Instance<std::remove_cv_t<T>>();
    }

private:
    template <typename T>
    static const StaticType& Instance() {
        static const StaticType* const instance =
            Make(detail::FixedTypeId<T>::value, detail::TypeSpelling<T>());
        return *instance;
    }
    static const StaticType* Make(std::uint32_t fixedId, std::string_view spelling);

    std::uint32_t id_;
    char idName_[10];
    std::string signature_;
    const char* name_;
};

}  // namespace Zarn::Binding
