// Built-in target writing to standard error; registered when the logger starts.
#pragma once

#include "logging/base_console_log_target.h"

namespace Zarn::Logging {

class StdErrLogTarget final : public BaseConsoleLogTarget {
public:
    // Format "#E(#T): #L| #M", enabled groups DBG, disabled groups GEN.
    static LogTargetSettings DefaultSettings();

    StdErrLogTarget();
    std::string_view ClassName() const override { return "StdErrLogTarget"; }
    void Flush() override;

protected:
    void WriteLine(std::string_view line) override;
};

}  // namespace Zarn::Logging
