#pragma once

#include "link/Timer.h"

#include <QObject>
#include <QTimer>

#include <chrono>

namespace quadrel {

// The production timer: a precise QTimer (the coarse kind may fire 5 % early).
//
// The link restarts its timers for every piece of an answer, and each start
// of a QTimer registers it with the event loop anew, on the way from an
// answer to the next frame. This one keeps the deadline itself: a restart to
// a later deadline leaves the QTimer as it is, which then waits out the rest
// when it comes due. A stop disarms it.
class QtTimer : public Timer {
public:
    explicit QtTimer(std::chrono::milliseconds interval);

    void setInterval(std::chrono::milliseconds interval) override;
    std::chrono::milliseconds interval() const override { return interval_; }
    void start() override;
    void stop() override;
    bool isActive() const override { return active_; }

private:
    using Clock = std::chrono::steady_clock;
    void arm(Clock::time_point at);
    void due();

    QTimer timer_;
    std::chrono::milliseconds interval_;
    bool active_ = false;
    Clock::time_point deadline_{}; // of the next tick, while active
    Clock::time_point armedFor_{}; // when the QTimer, while running, comes due
};

class QtTimerFactory : public TimerFactory {
public:
    std::unique_ptr<Timer> createTimer(std::chrono::milliseconds interval) override {
        return std::make_unique<QtTimer>(interval);
    }
    std::chrono::microseconds now() const override {
        return std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start_);
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace quadrel
