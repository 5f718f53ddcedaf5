#include "service/UnlockGuard.h"

#include <algorithm>

namespace quadrel::service {

UnlockGuard::UnlockGuard(TimerFactory& timers, Check check)
    : check_(std::move(check)), timer_(timers.createTimer(kFirstWait)) {
    timer_->setOnTick([this] {
        timer_->stop();
        if (onReady_) {
            onReady_();
        }
    });
}

std::chrono::milliseconds UnlockGuard::wait() const {
    return timer_->isActive() ? timer_->interval() : std::chrono::milliseconds(0);
}

UnlockGuard::Result UnlockGuard::Try(const QString& password) {
    if (timer_->isActive()) {
        return Result::Waiting; // not even tried: a wait is a wait
    }
    if (check_ && check_(password)) {
        failures_ = 0;
        return Result::Accepted;
    }
    ++failures_;
    // 2^(failures - 1) seconds, without overflowing the shift.
    const int doublings = std::min(failures_ - 1, 20);
    const std::chrono::milliseconds wait = kFirstWait * (int64_t{1} << doublings);
    timer_->setInterval(std::min(wait, kLongestWait));
    timer_->start();
    return Result::Refused;
}

} // namespace quadrel::service
