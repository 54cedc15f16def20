// Matching a request path against a function's path template ({name} one segment, {+name} the
// rest of the path, {#name} a "#" and what follows), as the host does to find the function a call
// goes to.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace Zarn::Host::detail {

// The number of characters the placeholders captured when the whole path matches, each
// placeholder taking as few as it can from the left; nothing when it does not match.
std::optional<std::size_t> MatchPathTemplate(std::string_view pathTemplate, std::string_view path);

}  // namespace Zarn::Host::detail
