#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>

#include "platform/clock.h"
#include "platform/memory.h"
#include "platform/mutex.h"
#include "platform/process.h"

namespace Zarn::Platform {
namespace {

TEST(FileNamePart, TakesWhatFollowsTheLastSeparator) {
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {R"(C:\Games\Client\Host.exe)", "Host.exe"},
        {"/usr/bin/mox-host", "mox-host"},
        {R"(C:\mixed/dir\name.exe)", "name.exe"},
        {"plain", "plain"},
        {"trailing/", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FileNamePart(c.path), c.expected) << c.path;
}

TEST(ProgramFilePath, NamesThisTestExecutable) {
    EXPECT_EQ(FileNamePart(ProgramFilePath()), "platform_tests");
}

TEST(Mutex, IsRecursiveLikeACriticalSection) {
    Mutex mutex;
    std::lock_guard outer(mutex);
    EXPECT_TRUE(mutex.try_lock());
    mutex.unlock();
    bool otherThreadGotIt = true;
    std::thread([&] { otherThreadGotIt = mutex.try_lock(); }).join();
    EXPECT_FALSE(otherThreadGotIt);
}

TEST(Clock, LocalTimeFieldsAreInRange) {
    LocalTime now = CurrentLocalTime();
    EXPECT_GE(now.year, 2020);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12);
    EXPECT_TRUE(now.day >= 1 && now.day <= 31);
    EXPECT_TRUE(now.hour >= 0 && now.hour <= 23);
    EXPECT_TRUE(now.minute >= 0 && now.minute <= 59);
    EXPECT_TRUE(now.second >= 0 && now.second <= 60);
    EXPECT_TRUE(now.millisecond >= 0 && now.millisecond <= 999);
}

TEST(Clock, PerformanceCounterNeverGoesBack) {
    EXPECT_GT(PerformanceFrequency(), 0);
    std::int64_t previous = PerformanceCounter();
    for (int i = 0; i < 1000; ++i) {
        std::int64_t next = PerformanceCounter();
        EXPECT_GE(next, previous);
        previous = next;
    }
}

TEST(ThreadId, DiffersBetweenLiveThreads) {
    std::uintptr_t mine = CurrentThreadId();
    std::uintptr_t other = 0;
    std::thread([&] { other = CurrentThreadId(); }).join();
    EXPECT_NE(mine, other);
    EXPECT_EQ(mine, CurrentThreadId());
}

TEST(AllocationUsableSize, CoversTheRequestedSize) {
    EXPECT_EQ(AllocationUsableSize(nullptr), 0u);
    void* block = std::malloc(100);
    EXPECT_GE(AllocationUsableSize(block), 100u);
    std::free(block);
}

}  // namespace
}  // namespace Zarn::Platform
