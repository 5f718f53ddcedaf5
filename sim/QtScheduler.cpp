#include "sim/QtScheduler.h"

#include <QSocketNotifier>
#include <QTimer>

#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

namespace quadrel::sim {
namespace {

int64_t MonotonicNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

} // namespace

QtScheduler::QtScheduler(QObject* parent) : QObject(parent), originNs_(MonotonicNs()) {
    timerFd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (timerFd_ >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(timerFd_, QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { runDue(); });
        return;
    }
    // Out of descriptors: Qt's timer, late by up to a millisecond, still never early.
    fallback_ = std::make_unique<QTimer>();
    fallback_->setSingleShot(true);
    fallback_->setTimerType(Qt::PreciseTimer);
    connect(fallback_.get(), &QTimer::timeout, this, [this] { runDue(); });
}

QtScheduler::~QtScheduler() {
    notifier_.reset();
    if (timerFd_ >= 0) {
        ::close(timerFd_);
    }
}

Scheduler::TimePoint QtScheduler::now() const {
    // Truncated, so a call due at a microsecond runs only once the kernel
    // timer set for that microsecond has expired.
    return std::chrono::duration_cast<Duration>(
        std::chrono::nanoseconds(MonotonicNs() - originNs_));
}

uint64_t QtScheduler::callAfter(Duration delay, std::function<void()> call) {
    const uint64_t id = nextId_++;
    const TimePoint due = now() + std::max(delay, Duration::zero());
    calls_.emplace(Key{due, id}, std::move(call));
    dueOf_.emplace(id, due);
    if (!running_) {
        arm();
    }
    return id;
}

void QtScheduler::cancel(uint64_t id) {
    const auto it = dueOf_.find(id);
    if (it == dueOf_.end()) {
        return;
    }
    // The kernel timer stays set: if it was for this call, it wakes the loop
    // once for nothing and is set again for the next.
    calls_.erase(Key{it->second, id});
    dueOf_.erase(it);
}

void QtScheduler::runDue() {
    if (timerFd_ >= 0) {
        uint64_t expirations = 0;
        [[maybe_unused]] const ssize_t n = ::read(timerFd_, &expirations, sizeof expirations);
    }
    armed_ = false;
    running_ = true;
    // Calls asked for from here on wait for the next turn of the loop, so one
    // that asks for another at once cannot keep the pseudo-terminal unread.
    const uint64_t firstNew = nextId_;
    while (!calls_.empty()) {
        const auto it = calls_.begin();
        if (it->first.id >= firstNew || it->first.due > now()) {
            break;
        }
        std::function<void()> call = std::move(it->second);
        dueOf_.erase(it->first.id);
        calls_.erase(it);
        call();
    }
    running_ = false;
    arm();
}

void QtScheduler::arm() {
    if (calls_.empty()) {
        return;
    }
    const TimePoint first = calls_.begin()->first.due;
    if (armed_ && armedFor_ <= first) {
        return;
    }
    if (timerFd_ >= 0) {
        const int64_t at = originNs_ + first.count() * 1000;
        itimerspec spec{};
        spec.it_value.tv_sec = at / 1'000'000'000;
        spec.it_value.tv_nsec = at % 1'000'000'000;
        ::timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &spec, nullptr);
    } else {
        fallback_->start(std::chrono::ceil<std::chrono::milliseconds>(
            std::max(first - now(), Duration::zero())));
    }
    armed_ = true;
    armedFor_ = first;
}

} // namespace quadrel::sim
