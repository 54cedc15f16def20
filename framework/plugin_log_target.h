// The log target through which the plugin's log lines reach the host: each record's level and
// message text go to the host's `log` service, without the line format (the host writes its own
// line around them). Installed once per process by the first module's `initialize`; the logger
// calls it under its lock on whatever thread logs, which for the plugin is the host's thread.
#pragma once

#include <string_view>

#include "logging/log_target.h"
#include "mox/plugin_abi.h"

namespace Zarn::Framework {

class PluginLogTarget final : public Logging::LogTarget {
public:
    static constexpr std::string_view kClassName = "PluginLogTarget";

    explicit PluginLogTarget(const HostServices* services);
    ~PluginLogTarget() override;

    std::string_view ClassName() const override { return kClassName; }

protected:
    void Output(const Logging::LogRecord& record) override;

private:
    const HostServices* services_;
};

}  // namespace Zarn::Framework
