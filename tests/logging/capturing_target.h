// Test targets that keep what the logger hands them, and a fixture that gives every test a logger in
// its start-up state.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "logging/log_target.h"
#include "logging/logger.h"

namespace Zarn::Logging::Testing {

// Keeps each formatted line.
class CapturingTarget : public LogTarget {
public:
    explicit CapturingTarget(const LogTargetSettings& settings = {}) : LogTarget(settings) {}
    ~CapturingTarget() override { Detach(); }

    std::string_view ClassName() const override { return "CapturingTarget"; }

    std::vector<std::string> Lines() const {
        std::lock_guard lock(Lock());
        return lines_;
    }

protected:
    void WriteLine(std::string_view line) override { lines_.emplace_back(line); }

private:
    std::vector<std::string> lines_;
};

struct KeptRecord {
    std::int32_t level;
    GroupMask groups;
    std::string message;
};

// Keeps the records themselves, before any line format.
class RecordingTarget : public LogTarget {
public:
    explicit RecordingTarget(const LogTargetSettings& settings = {}) : LogTarget(settings) {}
    ~RecordingTarget() override { Detach(); }

    std::string_view ClassName() const override { return "RecordingTarget"; }

    std::vector<KeptRecord> Records() const {
        std::lock_guard lock(Lock());
        return records_;
    }

protected:
    void Output(const LogRecord& record) override {
        records_.push_back({record.level, record.groups, std::string(record.message)});
    }

private:
    std::vector<KeptRecord> records_;
};

class LoggerTest : public ::testing::Test {
protected:
    void SetUp() override { Logger::Instance().ResetToDefaults(); }
    void TearDown() override { Logger::Instance().ResetToDefaults(); }
};

}  // namespace Zarn::Logging::Testing
