#include "sim/QtScheduler.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace quadrel::sim::test {
namespace {

using namespace std::chrono_literals;

// The real-time line's clock: calls run in order of their time, ties in the
// order asked, never before their time, cancelled ones never; and not on the
// millisecond grid of Qt's timers, which made every hand-over up to 1 ms late.
TEST(QtSchedulerTest, RunsCallsInTimeOrderNeverEarlyAndWithoutMillisecondRounding) {
    QtScheduler scheduler;
    struct Ran {
        int tag;
        Scheduler::Duration late;
    };
    std::vector<Ran> ran;
    // Each non-zero delay is at least 0.5 ms off a whole millisecond.
    const std::vector<std::pair<int, Scheduler::Duration>> asked = {
        {1, 2500us}, {2, 300us}, {3, 300us}, {4, 0us}, {5, -50us}, {6, 1500us}};
    for (const auto& call : asked) {
        const int tag = call.first;
        const auto due = scheduler.now() + std::max(call.second, Scheduler::Duration::zero());
        scheduler.callAfter(call.second, [&, tag, due] {
            ran.push_back({tag, scheduler.now() - due});
        });
    }
    scheduler.cancel(scheduler.callAfter(1000us, [&] { ran.push_back({99, 0us}); }));
    scheduler.cancel(12345); // unknown: nothing happens

    QElapsedTimer waited;
    waited.start();
    while (ran.size() < asked.size() && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    std::vector<int> order;
    Scheduler::Duration leastLate = 1s;
    for (const Ran& r : ran) {
        order.push_back(r.tag);
        EXPECT_GE(r.late, 0us) << r.tag;
        if (r.tag != 4 && r.tag != 5) {
            leastLate = std::min(leastLate, r.late);
        }
    }
    EXPECT_EQ(order, (std::vector{4, 5, 2, 3, 6, 1}));
    EXPECT_LT(leastLate, 400us);
}

} // namespace
} // namespace quadrel::sim::test
