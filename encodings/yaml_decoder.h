// Decodes one YAML document into a BindingProperty: bodies and arguments of local API calls sent
// as "application/x-yaml" or "text/x-yaml". Any thread, no shared state.
//
// Plain scalars are typed: the null words ("", "~", "null", "Null", "NULL") give "empty"; numbers
// that strtod reads whole give "float" when they have a fraction, else "signed" (negative) or
// "unsigned", with integers read exactly; the true/false words ("yes", "On", "n", ...) give
// "bool"; anything else, and every quoted scalar, is a "string". The tags !!str, !!int, !!float
// and !!bool are honoured, any other scalar tag is refused. Mapping keys must be string scalars.
// Aliases copy their anchor's value; cyclic, undefined and repeated anchors fail, and so do more
// than kMaxYamlAliasCopies values copied through anchors, nesting deeper than kMaxDecodeDepth and
// a second document. Positions in messages are 1-based, except libyaml's own (0-based).
#pragma once

#include <string_view>

#include "binding/binding_result.h"

namespace Zarn::Encodings {

Binding::BindingResult DecodeYaml(std::string_view text);

}  // namespace Zarn::Encodings
