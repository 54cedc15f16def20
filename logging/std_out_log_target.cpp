#include "logging/std_out_log_target.h"

namespace Zarn::Logging {

LogTargetSettings StdOutLogTarget::DefaultSettings() { return {kLevelWarn, kGroupGen, kGroupDbg, "#M"}; }

StdOutLogTarget::StdOutLogTarget() : BaseConsoleLogTarget(DefaultSettings()) {}

void StdOutLogTarget::Flush() { std::fflush(stdout); }

void StdOutLogTarget::WriteLine(std::string_view line) { WriteToStream(stdout, line, flushEachLine_); }

}  // namespace Zarn::Logging
