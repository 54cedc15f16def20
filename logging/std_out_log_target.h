// Built-in target writing bare messages to standard output; not registered when the logger starts.
#pragma once

#include <atomic>

#include "logging/base_console_log_target.h"

namespace Zarn::Logging {

class StdOutLogTarget final : public BaseConsoleLogTarget {
public:
    // Format "#M", enabled groups GEN, disabled groups DBG.
    static LogTargetSettings DefaultSettings();

    StdOutLogTarget();
    std::string_view ClassName() const override { return "StdOutLogTarget"; }
    void Flush() override;

    // When set, standard output is flushed after each line (off by default).
    void SetFlushEachLine(bool flush) { flushEachLine_ = flush; }
    bool FlushEachLine() const { return flushEachLine_; }

protected:
    void WriteLine(std::string_view line) override;

private:
    std::atomic<bool> flushEachLine_ = false;
};

}  // namespace Zarn::Logging
