#include "link/qt/QtTimer.h"

#include <algorithm>

namespace quadrel {

QtTimer::QtTimer(std::chrono::milliseconds interval) : interval_(interval) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Due(); });
}

void QtTimer::setInterval(std::chrono::milliseconds interval) {
    interval_ = interval;
    // As a QTimer does: a running timer counts the new interval from now.
    if (active_) {
        start();
    }
}

void QtTimer::start() {
    active_ = true;
    deadline_ = Clock::now() + interval_;
    if (!timer_.isActive() || armedFor_ > deadline_) {
        Arm(deadline_);
    }
}

void QtTimer::Arm(Clock::time_point at) {
    // Whole milliseconds, rounded up: never early.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(at - Clock::now());
    armedFor_ = at;
    timer_.start(std::max(wait, std::chrono::milliseconds(0)));
}

void QtTimer::Due() {
    if (!active_) {
        return;
    }
    const Clock::time_point now = Clock::now();
    if (now < deadline_) {
        Arm(deadline_); // restarted since it was armed
        return;
    }
    // Ticks repeat every interval, counted from when this one was due; the
    // next is set before the tick, which may stop or restart the timer.
    deadline_ = std::max(deadline_ + interval_, now);
    Arm(deadline_);
    fire();
}

} // namespace quadrel
