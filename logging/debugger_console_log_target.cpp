#include "logging/debugger_console_log_target.h"

#include "platform/debugger.h"

namespace Zarn::Logging {

LogTargetSettings DebuggerConsoleLogTarget::DefaultSettings() {
    return {kLevelWarn, kGroupDbg, 0, std::string(kConsoleLineFormat)};
}

DebuggerConsoleLogTarget::DebuggerConsoleLogTarget() : BaseConsoleLogTarget(DefaultSettings()) {}

void DebuggerConsoleLogTarget::WriteLine(std::string_view line) { Platform::DebuggerOutput(line.data()); }

}  // namespace Zarn::Logging
