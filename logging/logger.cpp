#include "logging/logger.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "logging/detail/target_filter.h"
#include "platform/clock.h"
#include "platform/process.h"

namespace Zarn::Logging {

namespace {

std::atomic<HostLogFunction> hostLogFunction = nullptr;

constexpr std::uint32_t kSlotUsed = 0x80000000u;
constexpr std::string_view kPredefinedGroups[] = {"DBG", "GEN", "XTR", "PRF", "MEM", "DSK", "NET", "TST"};

std::uint32_t PackGroupName(std::string_view name) {
    std::uint32_t packed = kSlotUsed | static_cast<std::uint32_t>(name.size()) << 24;
    for (std::size_t i = 0; i < name.size(); ++i)
        packed |= static_cast<std::uint32_t>(static_cast<unsigned char>(name[i])) << (8 * i);
    return packed;
}

std::string UnpackGroupName(std::uint32_t packed) {
    if ((packed & kSlotUsed) == 0) return "???";
    std::string name((packed >> 24) & 3, '\0');
    for (std::size_t i = 0; i < name.size(); ++i) name[i] = static_cast<char>((packed >> (8 * i)) & 0xFF);
    return name;
}

}  // namespace

void Log(std::int32_t level, GroupMask groups, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    LogV(level, groups, format, arguments);
    va_end(arguments);
}

void LogV(std::int32_t level, GroupMask groups, const char* format, va_list arguments) {
    if (format == nullptr) return;
    if (HostLogFunction host = hostLogFunction.load()) {
        va_list copy;
        va_copy(copy, arguments);
        host(level, groups, format, copy);
        va_end(copy);
    }
    Logger& logger = Logger::Instance();
    if (!logger.Accepts(level, groups)) return;

    char message[kMaxMessageBytes + 1];
    if (std::vsnprintf(message, sizeof message, format, arguments) < 0) message[0] = '\0';
    LogRecord record;
    record.time = Platform::CurrentLocalTime();
    record.level = level;
    record.groups = groups;
    record.message = std::string_view(message, std::strlen(message));
    logger.Dispatch(record);
}

void InstallHostLogFunction(HostLogFunction function) { hostLogFunction = function; }

void ClearHostLogFunction() { hostLogFunction = nullptr; }

Logger& Logger::Instance() {
    // Never destroyed: targets and late log calls during process exit may still reach it.
    static Logger* const instance = new Logger();
    return *instance;
}

Logger::Logger() {
    ResetGroups();
    std::string name = Platform::FileNamePart(Platform::ProgramFilePath());
    if (!name.empty()) programName_ = name;
    clockFrequency_ = std::max<std::int64_t>(Platform::PerformanceFrequency(), 1);
    clockStart_ = Platform::PerformanceCounter();
    Add(stdErr_);
    Add(debugger_);
}

void Logger::ResetGroups() {
    for (std::size_t i = 0; i < kGroupSlots; ++i)
        groupSlots_[i] = i < std::size(kPredefinedGroups) ? PackGroupName(kPredefinedGroups[i]) : 0;
}

bool Logger::Accepts(std::int32_t level, GroupMask groups) const {
    return !muted_ && level >= minimumLevel_ && (groups & disabledGroups_) == 0;
}

void Logger::Dispatch(const LogRecord& record) {
    std::lock_guard lock(mutex_);
    if (record.level == kLevelWarn) ++warnings_;
    if (record.level == kLevelError) ++errors_;
    // By index: a target's write may log again on this thread and change the list.
    for (std::size_t i = 0; i < targets_.size(); ++i) {
        Entry entry = targets_[i];
        const LogTargetFunctions& functions = *entry.functions;
        if (!detail::PassesTargetFilter(record.level, record.groups, functions.getMinimumLevel(entry.target),
                                        functions.getEnabledGroups(entry.target),
                                        functions.getDisabledGroups(entry.target)))
            continue;
        functions.write(entry.target, record);
    }
}

GroupMask Logger::AddGroup(std::string_view name) {
    name = name.substr(0, 3);
    if (name.empty()) return 0;
    std::uint32_t packed = PackGroupName(name);
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < kGroupSlots; ++i) {
        std::uint32_t slot = groupSlots_[i];
        if (slot == packed) return GroupMask{1} << i;
        if ((slot & kSlotUsed) == 0) {
            groupSlots_[i] = packed;
            return GroupMask{1} << i;
        }
    }
    return 0;
}

std::string Logger::GroupName(unsigned bit) const {
    return bit < kGroupSlots ? UnpackGroupName(groupSlots_[bit]) : std::string("???");
}

std::string Logger::GroupNames(GroupMask groups) const {
    std::string names;
    for (unsigned bit = 0; bit < kGroupSlots; ++bit) {
        if ((groups & (GroupMask{1} << bit)) == 0) continue;
        if (!names.empty()) names += ';';
        names += GroupName(bit);
    }
    return names;
}

std::uint32_t Logger::WarningCount() const {
    std::lock_guard lock(mutex_);
    return warnings_;
}

std::uint64_t Logger::ErrorCount() const {
    std::lock_guard lock(mutex_);
    return errors_;
}

std::int64_t Logger::ElapsedMilliseconds() const {
    std::int64_t ticks = Platform::PerformanceCounter() - clockStart_;
    return ticks / clockFrequency_ * 1000 + ticks % clockFrequency_ * 1000 / clockFrequency_;
}

bool Logger::Add(LogTarget& target) {
    std::lock_guard lock(mutex_);
    std::lock_guard targetLock(target.mutex_);
    if (target.registered_) return false;
    targets_.push_back({&target, &LogTarget::Functions()});
    target.registered_ = true;
    return true;
}

bool Logger::Remove(LogTarget& target) {
    std::lock_guard lock(mutex_);
    std::lock_guard targetLock(target.mutex_);
    if (!target.registered_) return false;
    std::erase_if(targets_, [&](const Entry& entry) { return entry.target == &target; });
    target.registered_ = false;
    return true;
}

std::vector<LogTarget*> Logger::Targets() const {
    std::lock_guard lock(mutex_);
    std::vector<LogTarget*> targets;
    for (const Entry& entry : targets_) targets.push_back(entry.target);
    return targets;
}

LogTarget* Logger::FindTarget(std::string_view className) const {
    std::lock_guard lock(mutex_);
    for (const Entry& entry : targets_)
        if (entry.target->ClassName() == className) return entry.target;
    return nullptr;
}

void Logger::ResetToDefaults() {
    std::lock_guard lock(mutex_);
    for (const Entry& entry : targets_) {
        std::lock_guard targetLock(entry.target->mutex_);
        entry.target->registered_ = false;
    }
    targets_.clear();
    muted_ = false;
    minimumLevel_ = kDefaultMinimumLevel;
    disabledGroups_ = kDefaultDisabledGroups;
    ResetGroups();
    warnings_ = 0;
    errors_ = 0;
    stdErr_.ApplySettings(StdErrLogTarget::DefaultSettings());
    stdOut_.ApplySettings(StdOutLogTarget::DefaultSettings());
    stdOut_.SetFlushEachLine(false);
    debugger_.ApplySettings(DebuggerConsoleLogTarget::DefaultSettings());
    Add(stdErr_);
    Add(debugger_);
    ClearHostLogFunction();
}

}  // namespace Zarn::Logging
