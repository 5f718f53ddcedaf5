#pragma once

#include "link/Timer.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace quadrel {

// Time that only moves when a test (or a simulation) says so. Timers made by
// it and one-shot calls scheduled on it fire in order of their due time, ties
// in order of scheduling, as advance() passes them.
class VirtualClock : public TimerFactory {
public:
    using Duration = std::chrono::microseconds;
    using TimePoint = Duration; // since the clock was made

    VirtualClock();
    ~VirtualClock() override;
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    TimePoint now() const override { return now_; }

    std::unique_ptr<Timer> createTimer(std::chrono::milliseconds interval) override;

    // Schedules `call` once, `delay` from now. Returns an id for cancel().
    uint64_t callAfter(Duration delay, std::function<void()> call);
    void cancel(uint64_t id);

    // Runs everything due up to now + span, then sets the time to now + span.
    void advance(Duration span);
    // Runs everything due up to `until` (absolute).
    void advanceTo(TimePoint until);
    // Runs the next due event, if any, moving the time to it. False when idle.
    bool runNext();
    // Advances until `done` holds or `limit` has passed; true when it held.
    bool advanceUntil(const std::function<bool()>& done, Duration limit);
    bool hasPending() const;
    // Back to time zero, as made. Only when nothing is scheduled (every timer
    // stopped), else a stopped timer could cancel a reused id; false then.
    bool Rewind();

private:
    class VirtualTimer;
    friend class VirtualTimer;

    struct Key {
        TimePoint due;
        uint64_t seq;
        bool operator<(const Key& o) const { return due != o.due ? due < o.due : seq < o.seq; }
    };

    uint64_t schedule(TimePoint due, std::function<void()> call);
    Key NextKey() { return Key{now_, nextSeq_++}; }
    // The earliest tick or call due; `timer` is set when it is a tick.
    bool Next(Key& key, VirtualTimer*& timer) const;
    void Run(const Key& key, VirtualTimer* timer);

    TimePoint now_{0};
    uint64_t nextSeq_ = 1;
    std::map<Key, std::function<void()>> events_;
    std::map<uint64_t, Key> byId_;
    // Timers keep their next tick themselves: ticking and restarting, which
    // the link does for every frame, then costs no allocation.
    std::vector<VirtualTimer*> timers_;
    std::shared_ptr<bool> alive_;
};

} // namespace quadrel
