#include "logging/std_err_log_target.h"

namespace Zarn::Logging {

LogTargetSettings StdErrLogTarget::DefaultSettings() {
    return {kLevelWarn, kGroupDbg, kGroupGen, std::string(kConsoleLineFormat)};
}

StdErrLogTarget::StdErrLogTarget() : BaseConsoleLogTarget(DefaultSettings()) {}

void StdErrLogTarget::Flush() { std::fflush(stderr); }

// Flushed every line: standard error may have been made buffered, and a report before an abort must
// not stay in a buffer.
void StdErrLogTarget::WriteLine(std::string_view line) { WriteToStream(stderr, line, true); }

}  // namespace Zarn::Logging
