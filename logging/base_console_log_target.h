// The common base of the built-in targets that print lines to a console-like channel (standard error,
// standard output, the debugger's output). It only fixes their settings at construction and offers the
// stream writing they share.
#pragma once

#include <cstdio>
#include <string_view>

#include "logging/log_target.h"

namespace Zarn::Logging {

class BaseConsoleLogTarget : public LogTarget {
public:
    // The line format of the built-in consoles except standard output.
    static constexpr std::string_view kConsoleLineFormat = "#E(#T): #L| #M";

protected:
    using LogTarget::LogTarget;

    // Writes the whole line in one call so that a stream shared with other writers keeps it together.
    static void WriteToStream(std::FILE* stream, std::string_view line, bool flush);
};

}  // namespace Zarn::Logging
