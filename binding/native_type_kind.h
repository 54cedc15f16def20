// The kinds of native types the registry describes, with the names conversion messages use ("native"
// names) and the names generated help uses. Composite kinds (vector, enum, struct, map) are named in full
// by TypeDescriptor, which fills in their element or record.
#pragma once

#include <cstdint>
#include <string_view>

namespace Zarn::Binding {

enum class NativeTypeKind : std::uint32_t {
    None = 0,  // no type: a function without a result
    Bool = 1,
    Int8 = 2,
    UInt8 = 3,
    Int16 = 4,
    UInt16 = 5,
    Int32 = 6,
    UInt32 = 7,
    Int64 = 8,
    UInt64 = 9,
    Float = 10,
    Double = 11,
    String = 12,
    Object = 13,  // any value, held as a BindingProperty
    Blob = 14,
    Vector = 15,
    Enum = 16,
    Struct = 17,
    Callback = 18,
    Map = 19,  // string keys
};

// "bool" ... "map"; "enum" and "struct" stand for a kind without a record; "" outside the table.
std::string_view NativeTypeKindName(NativeTypeKind kind);

// "bool" ... "bytearray"; for composites the pattern with "%1" where the element's help name or the
// record's name goes ("list[%1]", "L{%1}", "dict[%1]"); "" outside the table.
std::string_view NativeTypeKindHelpName(NativeTypeKind kind);

}  // namespace Zarn::Binding
