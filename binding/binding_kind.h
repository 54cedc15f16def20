// The kind of a BindingProperty and the name each kind has in messages.
#pragma once

#include <cstdint>

namespace Zarn::Binding {

enum class BindingKind : std::uint8_t {
    Empty = 0,  // no payload; also stands for null
    Bool = 1,
    Signed = 2,
    Unsigned = 3,
    Float = 4,
    String = 5,
    Blob = 6,
    Enum = 7,
    Collection = 8,
    Structure = 9,
};

// "empty", "bool", "signed", "unsigned", "float", "string", "blob", "enum", "collection",
// "structure"; "" for a value outside 0..9. The text is static.
const char* BindingKindName(BindingKind kind) noexcept;

}  // namespace Zarn::Binding
