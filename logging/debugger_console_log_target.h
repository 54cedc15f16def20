// Built-in target writing to an attached debugger's output (nothing where the system has no such
// channel); registered when the logger starts.
#pragma once

#include "logging/base_console_log_target.h"

namespace Zarn::Logging {

class DebuggerConsoleLogTarget final : public BaseConsoleLogTarget {
public:
    // Format "#E(#T): #L| #M", enabled groups DBG, no disabled groups.
    static LogTargetSettings DefaultSettings();

    DebuggerConsoleLogTarget();
    std::string_view ClassName() const override { return "DebuggerConsoleLogTarget"; }

protected:
    void WriteLine(std::string_view line) override;
};

}  // namespace Zarn::Logging
