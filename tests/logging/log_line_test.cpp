#include "logging/log_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

#include "platform/process.h"
#include "tests/logging/capturing_target.h"

namespace Zarn::Logging {
namespace {

using Testing::LoggerTest;

LogRecord FixedRecord(std::string_view message, std::int32_t level = kLevelWarn,
                      GroupMask groups = kGroupDbg | kGroupGen) {
    LogRecord record;
    record.time = {2024, 3, 5, 7, 8, 9, 12};
    record.level = level;
    record.groups = groups;
    record.message = message;
    return record;
}

std::string Line(std::string_view format, const LogRecord& record) {
    char buffer[kLineBufferSize];
    std::size_t length = FormatLogLine(format, record, buffer);
    EXPECT_EQ(buffer[length], '\0');
    return std::string(buffer, length);
}

TEST_F(LoggerTest, LineFormatDirectives) {
    char thread[32];
    std::snprintf(thread, sizeof thread, "%p", reinterpret_cast<void*>(Platform::CurrentThreadId()));
    struct Case {
        std::string_view format;
        std::string_view message;
        std::string expected;
    };
    const Case cases[] = {
        {"#D| #L| #G| #M", "hello", "2024-03-05T07:08:09.012|   WARN| DBG;GEN| hello\n"},
        {"#E(#T): #L| #M", "hello", "logging_tests(" + std::string(thread) + "):   WARN| hello\n"},
        {"##L", "hello", "#L\n"},
        {"#M#", "hello", "hello\n"},
        {"a#xb#%", "hello", "axb%\n"},
        {"", "hello", "\n"},
        {"#M", "ends with a line feed\n", "ends with a line feed\n"},
        {"#M|", "inner\n", "inner\n|\n"},
        {"#M", "", "\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Line(c.format, FixedRecord(c.message)), c.expected) << c.format;
}

TEST_F(LoggerTest, LevelAndGroupNames) {
    struct Case {
        std::int32_t level;
        GroupMask groups;
        std::string expected;
    };
    GroupMask local = Logger::Instance().AddGroup("LOC");
    const Case cases[] = {
        {kLevelOkay, 0, "  OKAY||\n"},
        {kLevelWarn, kGroupXtr, "  WARN|XTR|\n"},
        {kLevelError, kGroupTst | kGroupPrf | local, " ERROR|PRF;TST;LOC|\n"},
        {kLevelAlways, GroupMask{1} << 63, "ALWAYS|???|\n"},
        {7, 0, "     7||\n"},
        {-1, 0, "    -1||\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Line("#L|#G|", FixedRecord("", c.level, c.groups)), c.expected);
}

TEST_F(LoggerTest, ElapsedTimeDirective) {
    EXPECT_TRUE(std::regex_match(Line("#H", FixedRecord("")), std::regex("[0-9]{6}\\.[0-9]{3}\n")));
}

TEST_F(LoggerTest, LineStopsAtTheBufferAndStillEndsWithOneLineFeed) {
    struct Case {
        std::string_view format;
        std::size_t messageLength;
        std::size_t lineLength;
    };
    const Case cases[] = {
        {"#M", 4093, 4094},  // fits with its line feed
        {"#M", 4094, 4095},  // the line feed takes the last byte before the terminator
        {"#M", 4095, 4095},  // cut: the last character gives way to the line feed
        {"#M", 5000, 4095}, {"#L #M!", 5000, 4095},
    };
    for (const Case& c : cases) {
        std::string message(c.messageLength, 'x');
        std::string line = Line(c.format, FixedRecord(message));
        ASSERT_EQ(line.size(), c.lineLength) << c.format << " " << c.messageLength;
        EXPECT_EQ(line.back(), '\n');
        EXPECT_NE(line[line.size() - 2], '\n');
        EXPECT_EQ(line.find('!'), std::string::npos);
    }
}

TEST(LogTime, TextForms) {
    Platform::LocalTime time{2024, 12, 31, 23, 5, 9, 7};
    EXPECT_EQ(FormatLogTime(time), "2024-12-31T23:05:09.007");
    EXPECT_EQ(FormatFileNameTime(time), "2024-12-31T23-05-09");
}

}  // namespace
}  // namespace Zarn::Logging
