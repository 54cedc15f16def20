// The names under which the host delivers resource changes and LCDS messages to the plugin. The
// plugin subscribes to exact names, so the host must build them as the plugin's framework does;
// the host cannot link the framework, hence this small copy of its two rules. Pure functions.
#pragma once

#include <string>
#include <string_view>

namespace Zarn::MoxHost {

// "OnJsonApiEvent" joined by "_" with the address's non-empty pieces, at most four entries in all
// (six under "mox-platform-config").
std::string ResourceEventName(std::string_view address);
// "OnLcdsEvent_" and the type name with every "." replaced by "_".
std::string LcdsEventName(std::string_view typeName);

}  // namespace Zarn::MoxHost
