#include "link/VirtualClock.h"

namespace quadrel {

class VirtualClock::VirtualTimer : public Timer {
public:
    VirtualTimer(VirtualClock& clock, std::chrono::milliseconds interval)
        : clock_(clock), alive_(clock.alive_), interval_(interval) {}
    ~VirtualTimer() override { stop(); }

    void setInterval(std::chrono::milliseconds interval) override {
        interval_ = interval;
        if (isActive()) {
            start();
        }
    }
    std::chrono::milliseconds interval() const override { return interval_; }

    void start() override {
        stop();
        active_ = true;
        arm();
    }
    void stop() override {
        active_ = false;
        if (pending_ != 0 && *alive_) {
            clock_.cancel(pending_);
        }
        pending_ = 0;
    }
    bool isActive() const override { return active_; }

private:
    void arm() {
        pending_ = clock_.callAfter(interval_, [this] {
            pending_ = 0;
            // Re-arm first: the tick may stop or restart the timer itself.
            arm();
            fire();
        });
    }

    VirtualClock& clock_;
    std::shared_ptr<bool> alive_;
    std::chrono::milliseconds interval_;
    bool active_ = false;
    uint64_t pending_ = 0;
};

VirtualClock::VirtualClock() : alive_(std::make_shared<bool>(true)) {}

VirtualClock::~VirtualClock() {
    *alive_ = false;
}

std::unique_ptr<Timer> VirtualClock::createTimer(std::chrono::milliseconds interval) {
    return std::make_unique<VirtualTimer>(*this, interval);
}

uint64_t VirtualClock::schedule(TimePoint due, std::function<void()> call) {
    const uint64_t id = nextSeq_++;
    const Key key{due, id};
    events_.emplace(key, std::move(call));
    byId_.emplace(id, key);
    return id;
}

uint64_t VirtualClock::callAfter(Duration delay, std::function<void()> call) {
    if (delay < Duration::zero()) {
        delay = Duration::zero();
    }
    return schedule(now_ + delay, std::move(call));
}

void VirtualClock::cancel(uint64_t id) {
    auto it = byId_.find(id);
    if (it == byId_.end()) {
        return;
    }
    events_.erase(it->second);
    byId_.erase(it);
}

bool VirtualClock::runNext() {
    if (events_.empty()) {
        return false;
    }
    auto it = events_.begin();
    const Key key = it->first;
    std::function<void()> call = std::move(it->second);
    events_.erase(it);
    byId_.erase(key.seq);
    if (key.due > now_) {
        now_ = key.due;
    }
    call();
    return true;
}

void VirtualClock::advanceTo(TimePoint until) {
    while (!events_.empty() && events_.begin()->first.due <= until) {
        runNext();
    }
    if (until > now_) {
        now_ = until;
    }
}

void VirtualClock::advance(Duration span) {
    advanceTo(now_ + span);
}

bool VirtualClock::Rewind() {
    if (!events_.empty()) {
        return false;
    }
    now_ = TimePoint{0};
    nextSeq_ = 1;
    return true;
}

bool VirtualClock::advanceUntil(const std::function<bool()>& done, Duration limit) {
    const TimePoint until = now_ + limit;
    while (!done()) {
        if (events_.empty() || events_.begin()->first.due > until) {
            now_ = until;
            return done();
        }
        runNext();
    }
    return true;
}

} // namespace quadrel
