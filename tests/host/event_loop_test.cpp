#include "host/event_loop.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace Zarn::Host {
namespace {

using ::testing::ElementsAre;

TEST(EventLoop, ATurnRunsDeliveriesThenDueTimersThenPostedWorkAndLeavesNewWorkForTheNext) {
    EventLoop loop;
    std::vector<std::string> ran;
    loop.Post([&] { ran.push_back("posted"); });
    loop.Schedule(0.0, [&] {
        ran.push_back("timer");
        loop.QueueDelivery([&] { ran.push_back("delivery added by the timer"); });
        loop.Schedule(0.0, [&] { ran.push_back("timer added by the timer"); });
    });
    loop.QueueDelivery([&] { ran.push_back("delivery"); });

    EXPECT_TRUE(loop.Turn());
    EXPECT_THAT(ran, ElementsAre("delivery", "timer", "posted"));
    EXPECT_TRUE(loop.Turn());
    EXPECT_THAT(ran, ElementsAre("delivery", "timer", "posted", "delivery added by the timer",
                                 "timer added by the timer"));
    EXPECT_FALSE(loop.Turn());
}

TEST(EventLoop, TimersFireInOrderOfDueTimeThenSchedulingAsVirtualTimeAdvances) {
    EventLoop loop;
    std::vector<std::string> fired;
    loop.Schedule(2.0, [&] { fired.push_back("a at 2"); });
    loop.Schedule(1.0, [&] {
        fired.push_back("b at 1");
        loop.Schedule(0.5, [&] { fired.push_back("d at 1.5"); });
    });
    loop.Schedule(1.0, [&] { fired.push_back("c at 1"); });
    loop.Schedule(-3.0, [&] { fired.push_back("e now"); });
    loop.Schedule(std::numeric_limits<double>::quiet_NaN(), [&] { fired.push_back("f now"); });

    EXPECT_TRUE(loop.RunUntilIdle());
    EXPECT_THAT(fired, ElementsAre("e now", "f now"));
    EXPECT_TRUE(loop.Advance(1.75));
    EXPECT_EQ(loop.Now(), 1.75);
    EXPECT_THAT(fired, ElementsAre("e now", "f now", "b at 1", "c at 1", "d at 1.5"));
    EXPECT_EQ(loop.NextDue(), 2.0);
    EXPECT_TRUE(loop.Advance(0.25));
    EXPECT_EQ(fired.back(), "a at 2");
    EXPECT_EQ(loop.PendingTimers(), 0u);
}

TEST(EventLoop, ANestedTurnTakesWhatIsPendingWhenItBeginsAndTheOuterTurnDoesNotRunItAgain) {
    EventLoop loop;
    std::vector<std::string> ran;
    loop.Post([&] {
        ran.push_back("outer");
        loop.Post([&] {
            ran.push_back("posted before the nested turn");
            loop.Post([&] { ran.push_back("posted by the nested turn"); });
        });
        loop.Turn();  // what a plugin's yield does
        ran.push_back("outer done");
    });
    loop.Post([&] { ran.push_back("second"); });

    loop.Turn();
    EXPECT_THAT(ran, ElementsAre("outer", "second", "posted before the nested turn", "outer done"));
    EXPECT_TRUE(loop.Turn());
    EXPECT_EQ(ran.back(), "posted by the nested turn");
    EXPECT_FALSE(loop.Turn());
}

TEST(EventLoop, RunUntilIdleGivesUpOnWorkThatNeverEnds) {
    EventLoop loop;
    std::function<void()> again = [&] { loop.Post(again); };
    loop.Post(again);
    EXPECT_FALSE(loop.RunUntilIdle(50));
    loop.Clear();
    EXPECT_TRUE(loop.RunUntilIdle(50));
}

TEST(EventLoop, RealClockAdvanceWaitsForDueTimers) {
    EventLoop loop(ClockMode::kReal);
    bool fired = false;
    loop.Schedule(0.02, [&] { fired = true; });
    EXPECT_TRUE(loop.RunUntilIdle());
    EXPECT_FALSE(fired);
    EXPECT_TRUE(loop.Advance(0.05));
    EXPECT_TRUE(fired);
    EXPECT_GE(loop.Now(), 0.05);
}

}  // namespace
}  // namespace Zarn::Host
