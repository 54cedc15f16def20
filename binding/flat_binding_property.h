// Conversions between BindingProperty and the flat form exchanged with the host
// (FlatBindingProperty in mox/plugin_abi.h), and the release of what the plugin hands out.
// None of them recurses, so deeply nested input cannot exhaust the stack.
#pragma once

#include <string_view>

#include "binding/binding_property.h"
#include "binding/binding_result.h"
#include "mox/plugin_abi.h"

namespace Zarn::Binding {

class EnumeratorNames;

// Flat kind name of a tag, used in messages: "" for 0, "bool", "signed", "unsigned", "float",
// "string" for 5 and 6, "blob" for 7 and 8, "collection", "structure"; "" for any other tag.
const char* FlatKindName(std::uint32_t tag) noexcept;

// Writes `value` into `out`, releasing what `out` owned first. Kinds map empty 0, bool 1,
// signed 2, unsigned 3, float 4, string 6 (a malloc'd copy up to the first NUL byte), blob 8
// (a malloc'd copy), enum 6 with the registered name when `names` knows it, else 2 with the
// value sign-extended, collection 9, structure 10 (entries in key order, names copied and
// owned). A string, blob or container too large for its 32-bit count fails; `out` is then
// released (all zero).
BindingResult ToFlat(const BindingProperty& value, FlatBindingProperty& out,
                     const EnumeratorNames* names = nullptr);

// Reads a host record into `target`: tag 0 resets it, 1..4 set scalars, 5/6 strings (up to the
// NUL), 7/8 blobs (copied), 9 a collection, 10 a structure. Fails on any other tag with
// "Couldn't assign value to '<name>' of type object because the input is of an incompatible
// type '<flat kind name>'.", on a null array or text with a non-zero count, and on containers
// nested deeper than kMaxNestingDepth. `name` is used in messages at every level. Stops at the
// first failure; `target` may then be partly written.
BindingResult FromFlat(const FlatBindingProperty& flat, BindingProperty& target, std::string_view name);

// The same, reporting a failure in the host's error record: its previous message is released
// and the new one stored as an owned, malloc'd, NUL-terminated copy. Returns true on success
// (the record is then untouched).
bool FromFlat(const FlatBindingProperty& flat, BindingProperty& target, std::string_view name,
              FlatError& error);

// Frees what the record owns according to its tag (6 and 8 their buffer; 9 every element, then
// the array; 10 every owned name and every entry's value, then the array), then zeroes it.
// Borrowed tags 5 and 7 and unknown tags free nothing.
void ReleaseFlat(FlatBindingProperty& flat) noexcept;

// Frees an owned message and clears the record.
void ReleaseFlatError(FlatError& error) noexcept;

}  // namespace Zarn::Binding
