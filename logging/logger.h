// The process-wide logger and the log entry point used throughout the system.
//
// Log(level, groups, format, ...) runs, in order: the host log function if one is installed; creation of
// the logger on first use; the logger's filter (muted, minimum level, globally disabled groups); printf
// formatting into at most kMaxMessageBytes and the time stamp; then, under the logger's lock, the
// warning and error counters and the fan-out to every registered target whose own filter passes.
// Any thread may log. The logger is created on first use and never destroyed.
//
// Host log function: a host embedding the library may install one function that receives every log
// call first, with the caller's level, group mask, format and arguments, before (and regardless of) the
// logger's filter. It must not keep the va_list past its return. Install it once at start-up;
// installing or clearing it while other threads log is safe, but a call already in flight may still
// reach the previous function.
#pragma once

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "logging/debugger_console_log_target.h"
#include "logging/log_record.h"
#include "logging/log_target.h"
#include "logging/std_err_log_target.h"
#include "logging/std_out_log_target.h"
#include "platform/mutex.h"

#if defined(__GNUC__)
#define MOX_PRINTF_FORMAT(formatIndex, firstArgument) \
    __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define MOX_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

namespace Zarn::Logging {

void Log(std::int32_t level, GroupMask groups, const char* format, ...) MOX_PRINTF_FORMAT(3, 4);
void LogV(std::int32_t level, GroupMask groups, const char* format, va_list arguments)
    MOX_PRINTF_FORMAT(3, 0);

using HostLogFunction = void (*)(std::int32_t level, GroupMask groups, const char* format, va_list arguments);
void InstallHostLogFunction(HostLogFunction function);
void ClearHostLogFunction();

class Logger {
public:
    static constexpr std::int32_t kDefaultMinimumLevel = kLevelWarn;
    static constexpr GroupMask kDefaultDisabledGroups = kGroupXtr;
    static constexpr std::size_t kGroupSlots = 64;

    static Logger& Instance();

    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    void SetMuted(bool muted) { muted_ = muted; }
    bool Muted() const { return muted_; }
    void SetMinimumLevel(std::int32_t level) { minimumLevel_ = level; }
    std::int32_t MinimumLevel() const { return minimumLevel_; }
    void SetDisabledGroups(GroupMask groups) { disabledGroups_ = groups; }
    GroupMask DisabledGroups() const { return disabledGroups_; }

    // The logger's own filter, applied before a message is formatted.
    bool Accepts(std::int32_t level, GroupMask groups) const;
    // Counts the record and writes it to every registered target that accepts it, in registration order.
    void Dispatch(const LogRecord& record);

    // The bit of the group named by the first three characters of `name`, entering it in the next free
    // slot when it is new. 0 for an empty name or when all 64 slots are taken.
    GroupMask AddGroup(std::string_view name);
    // The slot's name, "???" while it is unused.
    std::string GroupName(unsigned bit) const;
    // The names of the mask's groups, lowest bit first, joined by ";".
    std::string GroupNames(GroupMask groups) const;

    // The executable's file name, "<unknown>" when the system cannot tell.
    const std::string& ProgramName() const { return programName_; }

    std::uint32_t WarningCount() const;
    std::uint64_t ErrorCount() const;

    // Time since the logger's high-resolution clock started.
    std::int64_t ElapsedMilliseconds() const;

    // Registration in the logger's list; used by LogTarget::Register and Unregister.
    bool Add(LogTarget& target);
    bool Remove(LogTarget& target);
    std::vector<LogTarget*> Targets() const;
    // The first registered target of that class name, or null.
    LogTarget* FindTarget(std::string_view className) const;

    StdErrLogTarget& StdErrTarget() { return stdErr_; }
    StdOutLogTarget& StdOutTarget() { return stdOut_; }
    DebuggerConsoleLogTarget& DebuggerTarget() { return debugger_; }

    // Back to the state right after start: default filter, predefined groups only, counters at zero,
    // built-in targets with their default settings and registration, every other target unregistered,
    // no host log function. Meant for tests and tools that must not leak settings between runs.
    void ResetToDefaults();

private:
    struct Entry {
        LogTarget* target;
        const LogTargetFunctions* functions;
    };

    Logger();
    void ResetGroups();

    mutable Platform::Mutex mutex_;
    std::vector<Entry> targets_;
    std::atomic<bool> muted_ = false;
    std::atomic<std::int32_t> minimumLevel_ = kDefaultMinimumLevel;
    std::atomic<GroupMask> disabledGroups_ = kDefaultDisabledGroups;
    // Each slot packs up to three characters, their count and a used flag, so that line formatting can
    // read names without the logger's lock.
    std::atomic<std::uint32_t> groupSlots_[kGroupSlots];
    std::string programName_ = "<unknown>";
    std::uint32_t warnings_ = 0;
    std::uint64_t errors_ = 0;
    std::int64_t clockStart_ = 0;
    std::int64_t clockFrequency_ = 1;
    StdErrLogTarget stdErr_;
    StdOutLogTarget stdOut_;
    DebuggerConsoleLogTarget debugger_;
};

}  // namespace Zarn::Logging
