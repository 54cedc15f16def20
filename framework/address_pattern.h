// Resource address patterns for observers that watch a family of resources: "*" stands for a
// run of characters within one path segment (no "/"), at least one when it ends the pattern.
// /mox-x/v1/items/* matches /mox-x/v1/items/42 but not /mox-x/v1/items/42/detail or
// /mox-x/v1/items/. Pure function; any thread.
#pragma once

#include <string_view>

namespace Zarn::Framework {

bool MatchesAddressPattern(std::string_view pattern, std::string_view address);

}  // namespace Zarn::Framework
