#pragma once

#include "sim/Scheduler.h"

#include <QObject>

#include <map>
#include <memory>

class QSocketNotifier;
class QTimer;

namespace quadrel::sim {

// Runs the emulated line in real time on the Qt event loop. Qt's timers count
// whole milliseconds, a tenth of a byte's time at 9600 baud rounded up on
// every hand-over; the calls here wait instead on one kernel timer (timerfd,
// on the monotonic clock) set to the earliest of them, so each runs within
// the event loop's wake-up of its time, never before it. Calls due together
// run in the order they were asked for.
class QtScheduler : public QObject, public Scheduler {
public:
    explicit QtScheduler(QObject* parent = nullptr);
    ~QtScheduler() override;

    TimePoint now() const override;
    uint64_t callAfter(Duration delay, std::function<void()> call) override;
    void cancel(uint64_t id) override;

private:
    struct Key {
        TimePoint due;
        uint64_t id; // ids grow, so calls due together keep their order
        bool operator<(const Key& o) const { return due != o.due ? due < o.due : id < o.id; }
    };

    void runDue();
    // Sets the kernel timer to the earliest call, if it is not set for it.
    void arm();

    int64_t originNs_ = 0;
    int timerFd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QTimer> fallback_; // only if the kernel gave no timer
    bool armed_ = false;
    TimePoint armedFor_{0};
    bool running_ = false;
    uint64_t nextId_ = 1;
    std::map<Key, std::function<void()>> calls_;
    std::map<uint64_t, TimePoint> dueOf_;
};

} // namespace quadrel::sim
