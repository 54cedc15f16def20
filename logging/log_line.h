// Turns a record into one output line according to a target's line format, and the two text forms of a
// record's time. Pure functions apart from what the directives read (program name, group names, clock,
// thread id); safe on any thread.
//
// Directives: #D date and time, #E program name, #G group names joined by ";", #H seconds since the
// logger's clock started, #L level name, #M message, #T thread id; "#" and any other character prints
// that character; a "#" that ends the format ends it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "logging/log_record.h"
#include "platform/clock.h"

namespace Zarn::Logging {

inline constexpr std::size_t kLineBufferSize = 4096;

// Writes the line into `buffer` and returns its length. The line always ends with exactly one line feed
// (a message already ending in one gets no second), is NUL-terminated, and is at most
// kLineBufferSize - 1 bytes long: output stops once fewer than 2 bytes of the buffer remain, and a line
// cut there gives up its last character to the line feed.
std::size_t FormatLogLine(std::string_view format, const LogRecord& record, char (&buffer)[kLineBufferSize]);

// "2024-03-05T07:08:09.012", as printed by #D.
std::string FormatLogTime(const Platform::LocalTime& time);
// "2024-03-05T07-08-09": the same time without milliseconds and usable in a file name.
std::string FormatFileNameTime(const Platform::LocalTime& time);

}  // namespace Zarn::Logging
