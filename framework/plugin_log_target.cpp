#include "framework/plugin_log_target.h"

#include <string>

namespace Zarn::Framework {

PluginLogTarget::PluginLogTarget(const HostServices* services) : services_(services) {}

// Detached first, so that no other thread's log call can still be inside Output.
PluginLogTarget::~PluginLogTarget() { Detach(); }

void PluginLogTarget::Output(const Logging::LogRecord& record) {
    if (services_ == nullptr || services_->log == nullptr) return;
    // A log call must never fail its caller: a text that cannot be copied is not written.
    try {
        const std::string text(record.message);
        services_->log(services_, static_cast<std::uint32_t>(record.level), text.c_str());
    } catch (...) {
    }
}

}  // namespace Zarn::Framework
