#include "link/qt/QtTimer.h"

#include <algorithm>

namespace quadrel {

QtTimer::QtTimer(std::chrono::milliseconds interval) : interval_(interval) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { due(); });
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
        arm(deadline_);
    }
}

void QtTimer::arm(Clock::time_point at) {
    // Whole milliseconds, rounded up: never early.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(at - Clock::now());
    armedFor_ = at;
    timer_.start(std::max(wait, std::chrono::milliseconds(0)));
}

void QtTimer::due() {
    if (!active_) {
        return;
    }
    const Clock::time_point now = Clock::now();
    if (now < deadline_) {
        arm(deadline_); // restarted since it was armed
        return;
    }
    // Ticks repeat every interval, counted from when this one was due, or
    // from now after a stall longer than that, as a QTimer's do: never two
    // at once. The tick may stop or restart the timer; only a timer still
    // running on the old count is armed again, so a tick that stops it
    // costs no wake-up an interval later.
    deadline_ += interval_;
    if (deadline_ <= now) {
        deadline_ = now + interval_;
    }
    fire();
    if (active_ && !timer_.isActive()) {
        arm(deadline_);
    }
}

void QtTimer::stop() {
    // A stopped timer left armed would wake the event loop for nothing when
    // it comes due: idle polling would pay a wake-up for every answer that
    // stopped a time-out.
    active_ = false;
    timer_.stop();
}

} // namespace quadrel
