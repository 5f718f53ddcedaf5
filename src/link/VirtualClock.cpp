#include "link/VirtualClock.h"

#include <algorithm>

namespace quadrel {

class VirtualClock::VirtualTimer : public Timer {
public:
    VirtualTimer(VirtualClock& clock, std::chrono::milliseconds interval)
        : clock_(clock), alive_(clock.alive_), interval_(interval) {
        clock_.timers_.push_back(this);
    }
    ~VirtualTimer() override {
        if (*alive_) {
            std::erase(clock_.timers_, this);
        }
    }

    void setInterval(std::chrono::milliseconds interval) override {
        interval_ = interval;
        if (isActive()) {
            start();
        }
    }
    std::chrono::milliseconds interval() const override { return interval_; }

    void start() override {
        active_ = true;
        arm();
    }
    void stop() override {
        active_ = false;
        armed_ = false;
    }
    bool isActive() const override { return active_; }

    bool armed() const { return armed_; }
    const Key& due() const { return due_; }
    void Tick() {
        // Re-arm first: the tick may stop or restart the timer itself.
        arm();
        fire();
    }

private:
    void arm() {
        due_ = clock_.NextKey();
        due_.due += std::max(interval_, std::chrono::milliseconds::zero());
        armed_ = true;
    }

    VirtualClock& clock_;
    std::shared_ptr<bool> alive_;
    std::chrono::milliseconds interval_;
    bool active_ = false;
    bool armed_ = false;
    Key due_{};
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

bool VirtualClock::Next(Key& key, VirtualTimer*& timer) const {
    timer = nullptr;
    bool found = !events_.empty();
    if (found) {
        key = events_.begin()->first;
    }
    for (VirtualTimer* t : timers_) {
        if (t->armed() && (!found || t->due() < key)) {
            key = t->due();
            timer = t;
            found = true;
        }
    }
    return found;
}

bool VirtualClock::hasPending() const {
    Key key{};
    VirtualTimer* timer = nullptr;
    return Next(key, timer);
}

void VirtualClock::Run(const Key& key, VirtualTimer* timer) {
    if (key.due > now_) {
        now_ = key.due;
    }
    if (timer != nullptr) {
        timer->Tick();
        return;
    }
    auto it = events_.begin();
    std::function<void()> call = std::move(it->second);
    events_.erase(it);
    byId_.erase(key.seq);
    call();
}

bool VirtualClock::runNext() {
    Key key{};
    VirtualTimer* timer = nullptr;
    if (!Next(key, timer)) {
        return false;
    }
    Run(key, timer);
    return true;
}

void VirtualClock::advanceTo(TimePoint until) {
    Key key{};
    VirtualTimer* timer = nullptr;
    while (Next(key, timer) && key.due <= until) {
        Run(key, timer);
    }
    if (until > now_) {
        now_ = until;
    }
}

void VirtualClock::advance(Duration span) {
    advanceTo(now_ + span);
}

bool VirtualClock::Rewind() {
    if (hasPending()) {
        return false;
    }
    now_ = TimePoint{0};
    nextSeq_ = 1;
    return true;
}

bool VirtualClock::advanceUntil(const std::function<bool()>& done, Duration limit) {
    const TimePoint until = now_ + limit;
    Key key{};
    VirtualTimer* timer = nullptr;
    while (!done()) {
        if (!Next(key, timer) || key.due > until) {
            now_ = until;
            return done();
        }
        Run(key, timer);
    }
    return true;
}

} // namespace quadrel
