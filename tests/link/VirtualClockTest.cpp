#include "link/VirtualClock.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace std::chrono_literals;

TEST(VirtualClock, TimersAndCallsRunInOrderAndTimeRunsBackOnlyWhenNothingWaits) {
    VirtualClock clock;
    auto timer = clock.createTimer(300ms);
    std::vector<std::string> log;
    timer->setOnTick([&] { log.push_back("tick"); });
    timer->start();
    clock.advance(900ms);
    EXPECT_EQ(log.size(), 3u);
    // start() restarts the count; setEnabled(true) on a running timer does not.
    clock.advance(200ms);
    timer->start();
    clock.advance(200ms);
    timer->setEnabled(true);
    clock.advance(100ms);
    EXPECT_EQ(log.size(), 4u);

    // A tick may stop its own timer; a tick and a call due at the same time
    // run in the order they were scheduled.
    log.clear();
    timer->setOnTick([&] {
        log.push_back("tick");
        timer->stop();
    });
    timer->setInterval(100ms);
    timer->start();
    clock.callAfter(100ms, [&] { log.push_back("a"); });
    clock.callAfter(50ms, [&] { log.push_back("b"); });
    clock.cancel(clock.callAfter(60ms, [&] { log.push_back("never"); }));
    clock.advance(1s);
    EXPECT_EQ(log, (std::vector<std::string>{"b", "tick", "a"}));
    EXPECT_FALSE(timer->isActive());

    // Time runs back only when nothing waits (the fuzz rig's reset relies on it).
    timer->start();
    EXPECT_FALSE(clock.Rewind());
    timer->stop();
    EXPECT_TRUE(clock.Rewind());

    // A timer that outlives its clock is harmless.
    std::unique_ptr<Timer> orphan;
    {
        VirtualClock gone;
        orphan = gone.createTimer(10ms);
        orphan->start();
    }
    orphan->stop();
}
