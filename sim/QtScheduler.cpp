#include "sim/QtScheduler.h"

#include <QTimer>

namespace quadrel::sim {

QtScheduler::QtScheduler(QObject* parent) : QObject(parent) {
    elapsed_.start();
}

QtScheduler::~QtScheduler() {
    for (auto& [id, timer] : timers_) {
        delete timer;
    }
}

Scheduler::TimePoint QtScheduler::now() const {
    return std::chrono::duration_cast<Duration>(std::chrono::nanoseconds(elapsed_.nsecsElapsed()));
}

uint64_t QtScheduler::callAfter(Duration delay, std::function<void()> call) {
    const uint64_t id = nextId_++;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    // Timers count whole milliseconds: round up so nothing happens early.
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(std::max(delay, Duration::zero()));
    timer->setInterval(ms);
    connect(timer, &QTimer::timeout, this, [this, id, call = std::move(call)] {
        auto it = timers_.find(id);
        if (it == timers_.end()) {
            return;
        }
        it->second->deleteLater();
        timers_.erase(it);
        call();
    });
    timers_.emplace(id, timer);
    timer->start();
    return id;
}

void QtScheduler::cancel(uint64_t id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) {
        return;
    }
    it->second->stop();
    it->second->deleteLater();
    timers_.erase(it);
}

} // namespace quadrel::sim
