// The base of every log target. The logger knows a target only through its table of plain functions
// (LogTargetFunctions); LogTarget implements that table, keeps the settings and serialises output under
// its own lock, and leaves the concrete target one or two hooks: ClassName() and WriteLine(), or Output()
// for a target that does not want the formatted line. Any thread may call any member.
//
// Lock order: the logger's lock before a target's lock. Registration therefore goes through the logger
// (which then takes the target's lock), never the other way round.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "logging/log_record.h"
#include "platform/mutex.h"

namespace Zarn::Logging {

class LogTarget;

inline constexpr std::string_view kDefaultLineFormat = "#D| #L| #G| #M";

struct LogTargetSettings {
    std::int32_t minimumLevel = kLevelWarn;
    GroupMask enabledGroups = 0;
    GroupMask disabledGroups = 0;
    std::string lineFormat{kDefaultLineFormat};
};

// What the logger stores per registered target and calls, in this order. The entry `flush` is never
// called by the logger; it lets whoever holds the table push buffered output out.
struct LogTargetFunctions {
    std::int32_t (*interfaceVersion)();
    void (*setMinimumLevel)(LogTarget* target, std::int32_t level);
    std::int32_t (*getMinimumLevel)(const LogTarget* target);
    void (*setGroups)(LogTarget* target, GroupMask enabled, GroupMask disabled);
    GroupMask (*getEnabledGroups)(const LogTarget* target);
    GroupMask (*getDisabledGroups)(const LogTarget* target);
    void (*flush)(LogTarget* target);
    std::string (*getLineFormat)(const LogTarget* target);
    bool (*registerTarget)(LogTarget* target);
    bool (*unregisterTarget)(LogTarget* target);
    bool (*getRegistered)(const LogTarget* target);
    void (*write)(LogTarget* target, const LogRecord& record);
};

inline constexpr std::int32_t kLogTargetInterfaceVersion = 1;

class LogTarget {
public:
    explicit LogTarget(const LogTargetSettings& settings = {});
    // Unregisters the target. A target that other threads may still be writing to must call Detach()
    // first thing in its own destructor, before its members go away.
    virtual ~LogTarget();
    LogTarget(const LogTarget&) = delete;
    LogTarget& operator=(const LogTarget&) = delete;

    // Removes the target from the logger; it may be registered again later.
    virtual void Detach();
    virtual std::string_view ClassName() const = 0;
    virtual std::string LineFormat() const;
    // Takes the target's lock and hands the record to Output().
    virtual void Write(const LogRecord& record);
    virtual void Flush();

    void SetMinimumLevel(std::int32_t level);
    std::int32_t MinimumLevel() const;
    // Stores as enabled only the enabled bits that are not also disabled.
    void SetGroups(GroupMask enabled, GroupMask disabled);
    GroupMask EnabledGroups() const;
    GroupMask DisabledGroups() const;
    void SetLineFormat(std::string_view format);
    // Replaces every setting at once, so that no write sees half of them.
    void ApplySettings(const LogTargetSettings& settings);
    LogTargetSettings Settings() const;

    // Adds the target to the logger's list (once); false when it was already there.
    bool Register();
    // False when it was not registered.
    bool Unregister();
    bool IsRegistered() const;

    // Whether a record of this level and these groups passes the target's own filter.
    bool Accepts(std::int32_t level, GroupMask groups) const;

    static const LogTargetFunctions& Functions();

protected:
    // Called with the target's lock held. The default formats the line with the target's line format
    // and passes it to WriteLine().
    virtual void Output(const LogRecord& record);
    // Called with the target's lock held; `line` ends with one line feed and line.data() is
    // NUL-terminated.
    virtual void WriteLine(std::string_view line);

    Platform::Mutex& Lock() const { return mutex_; }

private:
    friend class Logger;

    mutable Platform::Mutex mutex_;
    LogTargetSettings settings_;
    bool registered_ = false;
};

// Replaces the target's settings under its lock, then registers it if it is not registered yet.
void ConfigureTarget(LogTarget& target, const LogTargetSettings& settings);

}  // namespace Zarn::Logging
