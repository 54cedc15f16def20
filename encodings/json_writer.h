// Writes a BindingProperty as JSON text: response and request bodies, event payloads. Any thread,
// no shared state.
//
// Compact without a line break text (or with an empty one); otherwise pretty, indented four spaces
// per level, with every "\n" replaced by the given line break text. An "empty" value at the top
// gives the empty text and null below it. Floats take the shortest form that reads back exactly
// and keep a fraction ("2.0"); a NaN or infinite float, which JSON cannot hold, is written as
// null so the text stays valid. Blobs are Base64 strings; enums are their registered name when
// `names` knows them, otherwise their number. Structure members come in key order. The value is
// walked with an explicit stack, so any depth can be written.
#pragma once

#include <string>
#include <string_view>

#include "binding/binding_property.h"
#include "binding/enumerator_names.h"

namespace Zarn::Encodings {

std::string WriteJson(const Binding::BindingProperty& value, const Binding::EnumeratorNames* names = nullptr,
                      std::string_view lineBreak = {});

}  // namespace Zarn::Encodings
