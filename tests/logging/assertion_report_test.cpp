#include "logging/assertion_report.h"

#include <gtest/gtest.h>

#include "tests/death_test_style.h"
#include "tests/logging/capturing_target.h"

namespace Zarn::Logging {
namespace {

using Testing::LoggerTest;
using Testing::RecordingTarget;

TEST(AssertionText, PartsAppearOnlyWhenGiven) {
    struct Case {
        const char* expression;
        const char* description;
        const char* file;
        int line;
        const char* function;
        const char* expected;
    };
    const Case cases[] = {
        {"x > 0", "must be positive", "a.cpp", 12, "Run",
         "Assertion failed!\n\nFile: a.cpp\nLine: 12\n\nFunction: Run\n\nExpression: x > 0\n\n"
         "Description: must be positive"},
        {"ALE-EECF0606", "", "", 0, "", "Assertion failed!\n\nExpression: ALE-EECF0606"},
        {"", "", "a.cpp", 0, "", "Assertion failed!\n\nFile: a.cpp\n"},
        {"", "", "", 7, "Run", "Assertion failed!\n\nLine: 7\n\nFunction: Run\n\n"},
        {"", "why", "", 0, "", "Assertion failed!\n\n\n\nDescription: why"},
        {"", "", "", 0, "", "Assertion failed!\n\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AssertionText(c.expression, c.description, c.file, c.line, c.function), c.expected);
}

TEST_F(LoggerTest, AssertionIsLoggedAsADebugErrorVerbatim) {
    RecordingTarget target;
    target.Register();
    testing::internal::CaptureStderr();
    ReportAssertion("100% %d", "", "f.cpp", 3, "");
    std::string stderrText = testing::internal::GetCapturedStderr();

    auto records = target.Records();
    ASSERT_EQ(records.size(), 1u);
    const auto& record = records[0];
    EXPECT_EQ(record.level, kLevelError);
    EXPECT_EQ(record.groups, kGroupDbg);
    EXPECT_EQ(record.message, "Assertion failed!\n\nFile: f.cpp\nLine: 3\n\nExpression: 100% %d");
    EXPECT_NE(stderrText.find(" ERROR| Assertion failed!"), std::string::npos);
    EXPECT_EQ(Logger::Instance().ErrorCount(), 1u);
}

TEST(ReportFatal, ReportsTheCodeAndEndsTheProcess) {
    ::Zarn::Testing::UseThreadSafeDeathTestsWherePossible();
    EXPECT_DEATH(ReportFatal("ALE-EECF0606", "incompatible host"),
                 "Expression: ALE-EECF0606\n\nDescription: incompatible host");
}

}  // namespace
}  // namespace Zarn::Logging
