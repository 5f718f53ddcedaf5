#include "link/qt/QtTimer.h"
#include "support/Pty.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quadrel;
using namespace std::chrono;
using quadrel::test::WaitFor;

// The production timer keeps its own deadline rather than a QTimer's: it must
// still tick as one would, restarted for every byte, stopped for every answer.
TEST(QtTimer, RestartedStoppedAndRepeatingTickAsAQTimerWould) {
    QtTimer restarted(milliseconds(200)), stopped(milliseconds(5)), repeating(milliseconds(20));
    std::vector<steady_clock::time_point> ticks;
    int stoppedTicks = 0, repeats = 0;
    restarted.setOnTick([&] {
        ticks.push_back(steady_clock::now());
        restarted.stop();
    });
    stopped.setOnTick([&] { ++stoppedTicks; });
    repeating.setOnTick([&] { ++repeats; });
    stopped.start();
    stopped.stop();
    stopped.start();
    stopped.setInterval(milliseconds(60000)); // counts the new interval from now
    repeating.start();
    restarted.start();
    // Restarted often for longer than its interval: it never comes due.
    auto last = steady_clock::now();
    const auto end = last + milliseconds(400);
    WaitFor(
        [&] {
            if (steady_clock::now() - last >= milliseconds(5)) {
                restarted.start();
                last = steady_clock::now();
            }
            return steady_clock::now() >= end;
        },
        seconds(5));
    EXPECT_TRUE(ticks.empty());
    // Left alone, it comes due once, a whole interval after the last restart.
    ASSERT_TRUE(WaitFor([&] { return !ticks.empty(); }, seconds(5)));
    EXPECT_GE(ticks[0] - last, milliseconds(200));
    EXPECT_FALSE(restarted.isActive());
    EXPECT_EQ(stoppedTicks, 0);
    EXPECT_TRUE(stopped.isActive());
    EXPECT_GE(repeats, 10);
    EXPECT_TRUE(repeating.isActive());
    // After a stall of the event loop longer than its interval, the next two
    // ticks are still an interval apart.
    std::vector<steady_clock::time_point> after;
    repeating.setOnTick([&] { after.push_back(steady_clock::now()); });
    const auto stall = steady_clock::now() + milliseconds(70);
    while (steady_clock::now() < stall) {
    }
    ASSERT_TRUE(WaitFor([&] { return after.size() >= 2; }, seconds(5)));
    EXPECT_GE(after[1] - after[0], milliseconds(19));
    repeating.stop();
    const size_t before = after.size();
    restarted.start();
    ASSERT_TRUE(WaitFor([&] { return ticks.size() == 2; }, seconds(5)));
    EXPECT_EQ(after.size(), before);
}
