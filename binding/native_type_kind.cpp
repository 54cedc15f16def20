#include "binding/native_type_kind.h"

namespace Zarn::Binding {
namespace {

struct KindNames {
    std::string_view native;
    std::string_view help;
};

constexpr KindNames kNames[] = {
    {"", ""},
    {"bool", "bool"},
    {"int8", "int8"},
    {"uint8", "uint8"},
    {"int16", "int16"},
    {"uint16", "uint16"},
    {"int32", "int32"},
    {"uint32", "uint32"},
    {"int64", "int64"},
    {"uint64", "uint64"},
    {"float", "float"},
    {"double", "double"},
    {"string", "string"},
    {"object", "object"},
    {"blob", "bytearray"},
    {"vector", "list[%1]"},
    {"enum", "L{%1}"},
    {"struct", "L{%1}"},
    {"callback", "callback"},
    {"map", "dict[%1]"},
};

const KindNames& NamesOf(NativeTypeKind kind) {
    const auto index = static_cast<std::uint32_t>(kind);
    return index < std::size(kNames) ? kNames[index] : kNames[0];
}

}  // namespace

std::string_view NativeTypeKindName(NativeTypeKind kind) { return NamesOf(kind).native; }

std::string_view NativeTypeKindHelpName(NativeTypeKind kind) { return NamesOf(kind).help; }

}  // namespace Zarn::Binding
