#include "logging/logger.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/process.h"
#include "tests/logging/capturing_target.h"

namespace Zarn::Logging {
namespace {

using Testing::CapturingTarget;
using Testing::LoggerTest;
using Testing::RecordingTarget;

std::string StdErrPrefix() {
    char thread[32];
    std::snprintf(thread, sizeof thread, "%p", reinterpret_cast<void*>(Platform::CurrentThreadId()));
    return "logging_tests(" + std::string(thread) + "): ";
}

TEST_F(LoggerTest, DefaultRoutingToTheBuiltInTargets) {
    struct Case {
        std::int32_t level;
        GroupMask groups;
        const char* stdErrLine;  // null when standard error gets nothing
        bool debuggerWants;
    };
    const Case cases[] = {
        {kLevelWarn, kGroupDbg, "  WARN| message\n", true},
        {kLevelWarn, 0, "  WARN| message\n", true},
        {kLevelError, kGroupGen, nullptr, false},
        {kLevelAlways, kGroupDbg | kGroupGen, nullptr, true},  // disabled beats enabled
        {kLevelAlways, kGroupNet, nullptr, false},
        {kLevelAlways, kGroupDbg | kGroupXtr, nullptr, false},  // dropped by the logger
        {kLevelOkay, kGroupDbg, nullptr, false},                // below the logger's minimum
    };
    Logger& logger = Logger::Instance();
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        Log(c.level, c.groups, "%s", "message");
        std::string captured = testing::internal::GetCapturedStderr();
        EXPECT_EQ(captured, c.stdErrLine ? StdErrPrefix() + c.stdErrLine : "") << c.level << "/" << c.groups;
        EXPECT_EQ(logger.Accepts(c.level, c.groups) && logger.DebuggerTarget().Accepts(c.level, c.groups),
                  c.debuggerWants)
            << c.level << "/" << c.groups;
    }
}

TEST_F(LoggerTest, StartsWithStdErrAndDebuggerRegisteredAndStdOutAvailable) {
    Logger& logger = Logger::Instance();
    std::vector<LogTarget*> expected = {&logger.StdErrTarget(), &logger.DebuggerTarget()};
    EXPECT_EQ(logger.Targets(), expected);
    EXPECT_EQ(logger.FindTarget("StdOutLogTarget"), nullptr);

    ASSERT_TRUE(logger.StdOutTarget().Register());
    EXPECT_EQ(logger.FindTarget("StdOutLogTarget"), &logger.StdOutTarget());
    testing::internal::CaptureStdout();
    Log(kLevelWarn, kGroupGen, "general %d", 1);
    Log(kLevelWarn, kGroupDbg, "debug %d", 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "general 1\n");
}

TEST_F(LoggerTest, LoggerFilterMutesLevelsAndGroups) {
    RecordingTarget target;
    ASSERT_TRUE(target.Register());
    Logger& logger = Logger::Instance();

    logger.SetMuted(true);
    Log(kLevelAlways, 0, "muted");
    logger.SetMuted(false);
    logger.SetMinimumLevel(kLevelError);
    Log(kLevelWarn, 0, "below the minimum");
    Log(kLevelError, 0, "at the minimum");
    logger.SetDisabledGroups(kGroupNet);
    Log(kLevelError, kGroupXtr, "XTR enabled again");
    Log(kLevelError, kGroupNet | kGroupDbg, "NET disabled");

    std::vector<std::string> messages;
    for (const auto& record : target.Records()) messages.push_back(record.message);
    EXPECT_EQ(messages, (std::vector<std::string>{"at the minimum", "XTR enabled again"}));
}

TEST_F(LoggerTest, TargetFilterOnLevelAndGroups) {
    LogTargetSettings settings;
    settings.minimumLevel = kLevelError;
    settings.enabledGroups = kGroupDbg | kGroupNet;
    settings.disabledGroups = kGroupNet | kGroupMem;
    RecordingTarget target(settings);
    EXPECT_EQ(target.EnabledGroups(), kGroupDbg) << "enabled keeps no disabled bit";
    ASSERT_TRUE(target.Register());

    struct Case {
        std::int32_t level;
        GroupMask groups;
        bool written;
    };
    const Case cases[] = {
        {kLevelError, kGroupDbg, true},
        {kLevelError, 0, true},  // no group: group settings do not apply
        {kLevelWarn, kGroupDbg, false},
        {kLevelError, kGroupGen, false},              // not among the enabled
        {kLevelError, kGroupDbg | kGroupMem, false},  // shares a disabled bit
        {kLevelError, kGroupNet, false},
    };
    for (const Case& c : cases)
        Log(c.level, c.groups, "%d/%llu", c.level, static_cast<unsigned long long>(c.groups));
    std::vector<std::string> expected, written;
    for (const Case& c : cases)
        if (c.written) expected.push_back(std::to_string(c.level) + "/" + std::to_string(c.groups));
    for (const auto& record : target.Records()) written.push_back(record.message);
    EXPECT_EQ(written, expected);
}

TEST_F(LoggerTest, CountsWarningsAndErrorsThatPassTheLoggerFilter) {
    Logger& logger = Logger::Instance();
    logger.SetMuted(true);
    Log(kLevelError, 0, "muted");
    logger.SetMuted(false);
    testing::internal::CaptureStderr();
    Log(kLevelWarn, kGroupGen, "no target takes it, still counted");
    Log(kLevelWarn, kGroupDbg, "warning");
    Log(kLevelError, kGroupDbg, "error");
    Log(kLevelError, kGroupXtr, "dropped by the logger");
    Log(kLevelAlways, kGroupDbg, "neither");
    Log(kLevelOkay, kGroupDbg, "below the minimum");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(logger.WarningCount(), 2u);
    EXPECT_EQ(logger.ErrorCount(), 1u);
}

TEST_F(LoggerTest, MessagesAreCutTo4095Bytes) {
    RecordingTarget target;
    ASSERT_TRUE(target.Register());
    std::string longText(5000, 'x');
    Log(kLevelWarn, kGroupGen, "%s", longText.c_str());
    auto records = target.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].message, std::string(4095, 'x'));
}

TEST_F(LoggerTest, AddGroupFillsFreeSlotsByThreeLetterName) {
    Logger& logger = Logger::Instance();
    EXPECT_EQ(logger.AddGroup("GEN"), kGroupGen);
    GroupMask local = logger.AddGroup("LOC");
    EXPECT_EQ(local, GroupMask{1} << 8);
    EXPECT_EQ(logger.AddGroup("LOC"), local);
    EXPECT_EQ(logger.AddGroup("LOCAL"), local) << "only the first three characters count";
    EXPECT_EQ(logger.GroupNames(local | kGroupDbg | (GroupMask{1} << 9)), "DBG;LOC;???");
    EXPECT_EQ(logger.AddGroup(""), 0u);

    std::set<GroupMask> bits = {local};
    for (int i = 9; i < 64; ++i) bits.insert(logger.AddGroup("g" + std::to_string(i)));
    EXPECT_EQ(bits.size(), 56u);
    EXPECT_EQ(logger.AddGroup("NEW"), 0u) << "no free slot left";
    EXPECT_EQ(logger.GroupName(63), "g63");

    logger.ResetToDefaults();
    EXPECT_EQ(logger.GroupName(8), "???");
}

TEST_F(LoggerTest, FunctionTableDrivesRegistrationAndSettings) {
    const LogTargetFunctions& table = LogTarget::Functions();
    CapturingTarget target;
    EXPECT_EQ(table.interfaceVersion(), 1);

    table.setMinimumLevel(&target, kLevelOkay);
    table.setGroups(&target, kGroupTst | kGroupPrf, kGroupPrf);
    EXPECT_EQ(table.getMinimumLevel(&target), kLevelOkay);
    EXPECT_EQ(table.getEnabledGroups(&target), kGroupTst);
    EXPECT_EQ(table.getDisabledGroups(&target), kGroupPrf);
    EXPECT_EQ(table.getLineFormat(&target), "#D| #L| #G| #M");

    EXPECT_TRUE(table.registerTarget(&target));
    EXPECT_FALSE(table.registerTarget(&target)) << "registered once only";
    EXPECT_TRUE(table.getRegistered(&target));
    Log(kLevelWarn, kGroupTst, "once");
    EXPECT_EQ(target.Lines().size(), 1u);
    EXPECT_TRUE(table.unregisterTarget(&target));
    EXPECT_FALSE(table.unregisterTarget(&target));
    Log(kLevelWarn, kGroupTst, "not registered");
    EXPECT_EQ(target.Lines().size(), 1u);
}

TEST_F(LoggerTest, ConfigureTargetReplacesSettingsAndRegistersOnce) {
    CapturingTarget target;
    LogTargetSettings settings{kLevelOkay, kGroupTst, 0, "#L|#M"};
    ConfigureTarget(target, settings);
    settings.lineFormat = "#M";
    ConfigureTarget(target, settings);
    Log(kLevelWarn, kGroupTst, "configured");
    EXPECT_EQ(target.Lines(), std::vector<std::string>{"configured\n"});
}

TEST_F(LoggerTest, TargetsAreWrittenInRegistrationOrder) {
    std::vector<std::string> order;
    struct Named : LogTarget {
        Named(std::vector<std::string>& order, std::string name) : order(order), name(std::move(name)) {}
        ~Named() override { Detach(); }
        std::string_view ClassName() const override { return "Named"; }
        void WriteLine(std::string_view) override { order.push_back(name); }
        std::vector<std::string>& order;
        std::string name;
    };
    Named second(order, "second"), first(order, "first");
    first.Register();
    second.Register();
    Log(kLevelWarn, kGroupGen, "x");
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second"}));
}

TEST_F(LoggerTest, DestroyedTargetLeavesTheList) {
    {
        CapturingTarget target;
        target.Register();
    }
    EXPECT_EQ(Logger::Instance().FindTarget("CapturingTarget"), nullptr);
    Log(kLevelWarn, kGroupGen, "no dangling target");
}

std::vector<std::string> hostCalls;

void RecordHostCall(std::int32_t level, GroupMask groups, const char* format, va_list arguments) {
    char text[64];
    std::vsnprintf(text, sizeof text, format, arguments);
    hostCalls.push_back(std::to_string(level) + "/" + std::to_string(groups) + "/" + text);
}

TEST_F(LoggerTest, HostLogFunctionSeesEveryCallFirst) {
    hostCalls.clear();
    RecordingTarget target;
    target.Register();
    InstallHostLogFunction(RecordHostCall);
    Logger::Instance().SetMuted(true);
    Log(kLevelOkay, kGroupXtr, "muted %d", 1);
    Logger::Instance().SetMuted(false);
    Log(kLevelWarn, kGroupGen, "seen %s", "twice");
    EXPECT_EQ(hostCalls, (std::vector<std::string>{"0/4/muted 1", "1/2/seen twice"}));
    auto records = target.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].message, "seen twice") << "the arguments survive the host's use";

    Logger::Instance().ResetToDefaults();
    Log(kLevelWarn, kGroupGen, "after reset");
    EXPECT_EQ(hostCalls.size(), 2u);
}

// Writes one character at a time, so lines could only interleave if the base's lock did not hold.
class CharByCharTarget : public LogTarget {
public:
    CharByCharTarget() : LogTarget(LogTargetSettings{kLevelOkay, kGroupTst, 0, "#M"}) {}
    ~CharByCharTarget() override { Detach(); }
    std::string_view ClassName() const override { return "CharByCharTarget"; }
    std::string text;

protected:
    void WriteLine(std::string_view line) override {
        for (std::size_t i = 0; i < line.size(); ++i) {
            text += line[i];
            if (i % 8 == 0) std::this_thread::yield();
        }
    }
};

TEST_F(LoggerTest, ConcurrentLinesNeverInterleave) {
    constexpr int kThreads = 8;
    constexpr int kLines = 2000;
    CharByCharTarget target;
    ASSERT_TRUE(target.Register());

    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&target, t] {
            std::string payload(24, static_cast<char>('a' + t));
            char message[64];
            for (int i = 0; i < kLines; ++i) {
                if (i % 2 == 0) {
                    Log(kLevelWarn, kGroupTst, "%d %05d %s", t, i, payload.c_str());
                    continue;
                }
                // Straight to the target, bypassing the logger's lock.
                std::snprintf(message, sizeof message, "%d %05d %s", t, i, payload.c_str());
                LogRecord record;
                record.level = kLevelWarn;
                record.groups = kGroupTst;
                record.message = message;
                LogTarget::Functions().write(&target, record);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();

    std::set<std::pair<int, int>> seen;
    std::size_t start = 0;
    int lines = 0;
    while (start < target.text.size()) {
        std::size_t end = target.text.find('\n', start);
        ASSERT_NE(end, std::string::npos);
        std::string line = target.text.substr(start, end - start);
        start = end + 1;
        ++lines;
        int t = -1, i = -1;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d %d", &t, &i), 2) << line;
        ASSERT_TRUE(t >= 0 && t < kThreads) << line;
        char expected[64];
        std::snprintf(expected, sizeof expected, "%d %05d %s", t, i, std::string(24, 'a' + t).c_str());
        ASSERT_EQ(line, expected);
        seen.insert({t, i});
    }
    EXPECT_EQ(lines, kThreads * kLines);
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kLines));
}

}  // namespace
}  // namespace Zarn::Logging
