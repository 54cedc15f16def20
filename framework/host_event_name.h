// The names under which the host delivers events. A plugin can only subscribe to exact names, so
// a resource address and an LCDS message type are each mapped to the one name the host uses for
// them. Pure functions; any thread.
#pragma once

#include <string>
#include <string_view>

namespace Zarn::Framework {

// "OnJsonApiEvent" joined by "_" with the address's non-empty pieces between "/", keeping at most
// four entries in all (six when the first piece is "mox-platform-config", whose resources the
// host announces two levels deeper): /mox-a/v1/b/c gives OnJsonApiEvent_mox-a_v1_b.
std::string ResourceEventName(std::string_view address);

// "OnLcdsEvent_" and the type name with every "." replaced by "_".
std::string LcdsEventName(std::string_view typeName);

}  // namespace Zarn::Framework
