#pragma once

#include "sim/Scheduler.h"
#include "sim/UnitConfig.h"
#include "sim/UnitState.h"

#include <random>

namespace quadrel::sim {

// Moves a unit's plugs as time passes: a random change every period and the
// changes scheduled for fixed times. Worked out when the unit is asked rather
// than on timers, so an idle line stays idle and virtual time needs no ticks.
class PlugMotion {
public:
    PlugMotion(const UnitConfig& config, uint32_t seed);

    void advance(const UnitConfig& config, UnitState& state, Scheduler::TimePoint now);

private:
    std::mt19937 rng_;
    std::vector<PlugEvent> schedule_; // by time
    int64_t periodsDone_ = 0;
    size_t eventsDone_ = 0;
};

} // namespace quadrel::sim
