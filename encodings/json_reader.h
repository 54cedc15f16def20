// Reads one JSON text into a BindingProperty. Used for request and response bodies, event
// payloads and statistics documents; any thread, no shared state.
//
// Strict RFC 8259 grammar. Numbers: an integer without sign that fits 64 bits gives "unsigned",
// a negative one that fits gives "signed", anything else "float" (parsed to the nearest double).
// A repeated object key keeps the later value. An empty or white-space text gives an "empty"
// value. Errors fail the result with "Error: <text> at offset <byte offset>."; nesting deeper than
// kMaxDecodeDepth is such an error.
#pragma once

#include <string_view>

#include "binding/binding_result.h"

namespace Zarn::Encodings {

Binding::BindingResult ReadJson(std::string_view text);

}  // namespace Zarn::Encodings
