// The per-target filter, shared by the logger's fan-out and LogTarget::Accepts so they cannot disagree.
#pragma once

#include <cstdint>

#include "logging/log_record.h"

namespace Zarn::Logging::detail {

inline bool PassesTargetFilter(std::int32_t level, GroupMask groups, std::int32_t minimumLevel,
                               GroupMask enabled, GroupMask disabled) {
    if (level < minimumLevel) return false;
    // A record without groups is not subject to the target's group settings.
    if (groups == 0) return true;
    if ((groups & disabled) != 0) return false;
    return enabled == 0 || (groups & enabled) != 0;
}

}  // namespace Zarn::Logging::detail
