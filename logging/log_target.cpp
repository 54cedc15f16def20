#include "logging/log_target.h"

#include <mutex>

#include "logging/detail/target_filter.h"
#include "logging/log_line.h"
#include "logging/logger.h"

namespace Zarn::Logging {

namespace {

const LogTargetFunctions kFunctions = {
    [] { return kLogTargetInterfaceVersion; },
    [](LogTarget* target, std::int32_t level) { target->SetMinimumLevel(level); },
    [](const LogTarget* target) { return target->MinimumLevel(); },
    [](LogTarget* target, GroupMask enabled, GroupMask disabled) { target->SetGroups(enabled, disabled); },
    [](const LogTarget* target) { return target->EnabledGroups(); },
    [](const LogTarget* target) { return target->DisabledGroups(); },
    [](LogTarget* target) { target->Flush(); },
    [](const LogTarget* target) { return target->LineFormat(); },
    [](LogTarget* target) { return target->Register(); },
    [](LogTarget* target) { return target->Unregister(); },
    [](const LogTarget* target) { return target->IsRegistered(); },
    [](LogTarget* target, const LogRecord& record) { target->Write(record); },
};

}  // namespace

LogTarget::LogTarget(const LogTargetSettings& settings) { ApplySettings(settings); }

LogTarget::~LogTarget() {
    // Checked first so that destroying a never-registered target does not create the logger.
    if (IsRegistered()) Logger::Instance().Remove(*this);
}

void LogTarget::Detach() { Unregister(); }

std::string LogTarget::LineFormat() const {
    std::lock_guard lock(mutex_);
    return settings_.lineFormat;
}

void LogTarget::Write(const LogRecord& record) {
    std::lock_guard lock(mutex_);
    Output(record);
}

void LogTarget::Flush() {}

void LogTarget::Output(const LogRecord& record) {
    char line[kLineBufferSize];
    std::size_t length = FormatLogLine(settings_.lineFormat, record, line);
    WriteLine(std::string_view(line, length));
}

void LogTarget::WriteLine(std::string_view) {}

void LogTarget::SetMinimumLevel(std::int32_t level) {
    std::lock_guard lock(mutex_);
    settings_.minimumLevel = level;
}

std::int32_t LogTarget::MinimumLevel() const {
    std::lock_guard lock(mutex_);
    return settings_.minimumLevel;
}

void LogTarget::SetGroups(GroupMask enabled, GroupMask disabled) {
    std::lock_guard lock(mutex_);
    settings_.enabledGroups = enabled & ~disabled;
    settings_.disabledGroups = disabled;
}

GroupMask LogTarget::EnabledGroups() const {
    std::lock_guard lock(mutex_);
    return settings_.enabledGroups;
}

GroupMask LogTarget::DisabledGroups() const {
    std::lock_guard lock(mutex_);
    return settings_.disabledGroups;
}

void LogTarget::SetLineFormat(std::string_view format) {
    std::lock_guard lock(mutex_);
    settings_.lineFormat = format;
}

void LogTarget::ApplySettings(const LogTargetSettings& settings) {
    std::lock_guard lock(mutex_);
    settings_.minimumLevel = settings.minimumLevel;
    settings_.enabledGroups = settings.enabledGroups & ~settings.disabledGroups;
    settings_.disabledGroups = settings.disabledGroups;
    settings_.lineFormat = settings.lineFormat;
}

LogTargetSettings LogTarget::Settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

bool LogTarget::Register() { return Logger::Instance().Add(*this); }

bool LogTarget::Unregister() {
    if (!IsRegistered()) return false;
    return Logger::Instance().Remove(*this);
}

bool LogTarget::IsRegistered() const {
    std::lock_guard lock(mutex_);
    return registered_;
}

bool LogTarget::Accepts(std::int32_t level, GroupMask groups) const {
    std::lock_guard lock(mutex_);
    return detail::PassesTargetFilter(level, groups, settings_.minimumLevel, settings_.enabledGroups,
                                      settings_.disabledGroups);
}

const LogTargetFunctions& LogTarget::Functions() { return kFunctions; }

void ConfigureTarget(LogTarget& target, const LogTargetSettings& settings) {
    target.ApplySettings(settings);
    if (!target.IsRegistered()) target.Register();
}

}  // namespace Zarn::Logging
