// What one log call becomes once it has passed the logger's filter: the stamped record that every
// target formats. Also the levels and the predefined group bits that callers pass to Log().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/clock.h"

namespace Zarn::Logging {

// Levels are plain 32-bit numbers so that callers and hosts may pass any value; these are the named ones.
enum LogLevel : std::int32_t {
    kLevelOkay = 0,
    kLevelWarn = 1,
    kLevelError = 2,
    kLevelAlways = 3,
};

// Bit i is the group in slot i of the logger's group table.
using GroupMask = std::uint64_t;

inline constexpr GroupMask kGroupDbg = GroupMask{1} << 0;
inline constexpr GroupMask kGroupGen = GroupMask{1} << 1;
inline constexpr GroupMask kGroupXtr = GroupMask{1} << 2;
inline constexpr GroupMask kGroupPrf = GroupMask{1} << 3;
inline constexpr GroupMask kGroupMem = GroupMask{1} << 4;
inline constexpr GroupMask kGroupDsk = GroupMask{1} << 5;
inline constexpr GroupMask kGroupNet = GroupMask{1} << 6;
inline constexpr GroupMask kGroupTst = GroupMask{1} << 7;

// The longest message text a record carries; longer printf output is cut.
inline constexpr std::size_t kMaxMessageBytes = 4095;

struct LogRecord {
    Platform::LocalTime time;
    std::int32_t level = kLevelOkay;
    GroupMask groups = 0;
    // Borrowed from the caller of the dispatch; valid only while the record is being written.
    std::string_view message;
};

// The six-character name printed for a level: "  OKAY", "  WARN", " ERROR", "ALWAYS". Levels without a
// name yield an empty view; the line formatter prints their number instead.
std::string_view LevelName(std::int32_t level);

}  // namespace Zarn::Logging
