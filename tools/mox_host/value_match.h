// Whether a value seen from the plugin matches what a scenario expects: objects match when every
// expected key matches (a subset), arrays element by element with the same length, scalars when
// equal (numbers by value, whatever their kind). Mismatches are described by their path.
#pragma once

#include <string>

#include "binding/binding_property.h"

namespace Zarn::MoxHost {

// On a mismatch `detail` names where and what differs ("teams[0].isWinningTeam: expected true,
// got false").
bool ValueMatches(const Binding::BindingProperty& expected, const Binding::BindingProperty& actual,
                  std::string& detail);

}  // namespace Zarn::MoxHost
