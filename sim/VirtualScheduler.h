#pragma once

#include "link/VirtualClock.h"
#include "sim/Scheduler.h"

namespace quadrel::sim {

// Runs the emulated line on a test's virtual clock.
class VirtualScheduler : public Scheduler {
public:
    explicit VirtualScheduler(VirtualClock& clock) : clock_(clock) {}

    TimePoint now() const override { return clock_.now(); }
    uint64_t callAfter(Duration delay, std::function<void()> call) override {
        return clock_.callAfter(delay, std::move(call));
    }
    void cancel(uint64_t id) override { clock_.cancel(id); }

private:
    VirtualClock& clock_;
};

} // namespace quadrel::sim
