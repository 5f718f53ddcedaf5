#pragma once

#include "link/Timer.h"

#include <QObject>
#include <QTimer>

namespace quadrel {

// The production timer: a precise QTimer (the coarse kind may fire 5 % early).
class QtTimer : public Timer {
public:
    explicit QtTimer(std::chrono::milliseconds interval);

    void setInterval(std::chrono::milliseconds interval) override { timer_.setInterval(interval); }
    std::chrono::milliseconds interval() const override { return timer_.intervalAsDuration(); }
    void start() override { timer_.start(); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

class QtTimerFactory : public TimerFactory {
public:
    std::unique_ptr<Timer> createTimer(std::chrono::milliseconds interval) override {
        return std::make_unique<QtTimer>(interval);
    }
};

} // namespace quadrel
