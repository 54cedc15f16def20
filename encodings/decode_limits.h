// The bounds every decoder enforces on untrusted input. They sit far above any real payload
// (request bodies and statistics documents nest fewer than ten levels) and keep a hostile body
// from exhausting the stack, the memory or the time of the host's thread.
#pragma once

#include <cstddef>

#include "binding/binding_property.h"

namespace Zarn::Encodings {

// Open collections and structures at any moment of a decode; a top-level container is level 1.
// The same bound as for host records, so every decoded value can be copied and flattened.
inline constexpr std::size_t kMaxDecodeDepth = Binding::kMaxNestingDepth;

// Values copied through YAML anchors and aliases in one document (each anchored node is copied
// once into the anchor table and once per alias). Exponential alias chains ("billion laughs")
// pass it after a few levels and fail instead of exhausting memory.
inline constexpr std::size_t kMaxYamlAliasCopies = 1'000'000;

}  // namespace Zarn::Encodings
