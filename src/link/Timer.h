#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace quadrel {

// A periodic timer as the core sees it: production uses QTimer, tests a
// virtual clock. Ticks repeat every interval while the timer is active.
class Timer {
public:
    virtual ~Timer() = default;

    virtual void setInterval(std::chrono::milliseconds interval) = 0;
    virtual std::chrono::milliseconds interval() const = 0;
    // Starts, or restarts, so the interval counts from now.
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

    // Enabling a running timer leaves its count alone; disabling stops it.
    void setEnabled(bool on) {
        if (!on) {
            stop();
        } else if (!isActive()) {
            start();
        }
    }

    void setOnTick(std::function<void()> onTick) { onTick_ = std::move(onTick); }

protected:
    void fire() {
        if (onTick_) {
            onTick_();
        }
    }

private:
    std::function<void()> onTick_;
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<Timer> createTimer(std::chrono::milliseconds interval) = 0;
    // Time since a fixed start, on the timers' clock: what a timer cannot
    // tell, such as whether bytes came while a request was still going out.
    virtual std::chrono::microseconds now() const = 0;
};

} // namespace quadrel
