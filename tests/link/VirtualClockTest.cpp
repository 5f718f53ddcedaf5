#include "link/VirtualClock.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace std::chrono_literals;

TEST(VirtualClock, TimersRepeatRestartAndStop) {
    VirtualClock clock;
    auto timer = clock.createTimer(300ms);
    int ticks = 0;
    timer->setOnTick([&] { ++ticks; });
    timer->start();
    clock.advance(299ms);
    EXPECT_EQ(ticks, 0);
    clock.advance(1ms);
    EXPECT_EQ(ticks, 1);
    clock.advance(600ms);
    EXPECT_EQ(ticks, 3);

    // start() restarts the count; setEnabled(true) on a running timer does not.
    clock.advance(200ms);
    timer->start();
    clock.advance(200ms);
    EXPECT_EQ(ticks, 3);
    timer->setEnabled(true);
    clock.advance(100ms);
    EXPECT_EQ(ticks, 4);

    timer->setEnabled(false);
    clock.advance(5s);
    EXPECT_EQ(ticks, 4);
    EXPECT_FALSE(timer->isActive());
}

TEST(VirtualClock, TickMayStopItsOwnTimerAndOneShotsKeepOrder) {
    VirtualClock clock;
    auto timer = clock.createTimer(100ms);
    std::vector<std::string> log;
    timer->setOnTick([&] {
        log.push_back("tick");
        timer->stop();
    });
    timer->start();
    clock.callAfter(100ms, [&] { log.push_back("a"); });
    clock.callAfter(50ms, [&] { log.push_back("b"); });
    const uint64_t dropped = clock.callAfter(60ms, [&] { log.push_back("never"); });
    clock.cancel(dropped);
    clock.advance(1s);
    EXPECT_EQ(log, (std::vector<std::string>{"b", "tick", "a"}));
    EXPECT_EQ(clock.now(), std::chrono::microseconds(1s));

    // A tick and a call due at the same time run in the order they were
    // scheduled; time runs back only when nothing waits.
    log.clear();
    timer->setInterval(50ms);
    timer->start();
    clock.callAfter(50ms, [&] { log.push_back("call"); });
    clock.advance(50ms);
    EXPECT_EQ(log, (std::vector<std::string>{"tick", "call"}));
    timer->start();
    EXPECT_TRUE(clock.hasPending());
    EXPECT_FALSE(clock.Rewind());
    timer->stop();
    EXPECT_TRUE(clock.Rewind());
    EXPECT_EQ(clock.now(), std::chrono::microseconds(0));
    clock.advance(1s);

    bool flag = false;
    clock.callAfter(250ms, [&] { flag = true; });
    EXPECT_TRUE(clock.advanceUntil([&] { return flag; }, 1s));
    EXPECT_EQ(clock.now(), std::chrono::microseconds(1250ms));
    EXPECT_FALSE(clock.advanceUntil([] { return false; }, 10ms));
}

TEST(VirtualClock, TimerOutlivingItsClockIsHarmless) {
    std::unique_ptr<Timer> timer;
    {
        VirtualClock clock;
        timer = clock.createTimer(10ms);
        timer->start();
    }
    timer->stop();
    SUCCEED();
}
