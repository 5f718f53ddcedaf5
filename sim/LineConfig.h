#pragma once

#include "sim/FaultConfig.h"

#include <chrono>
#include <cstdint>

namespace quadrel::sim {

// The shared serial line: speed, how long units think, and faults for all.
struct LineConfig {
    int baud = 9600;
    std::chrono::microseconds latency{2000}; // from a request's last byte to the answer
    uint64_t seed = 1;
    FaultConfig faults;
};

} // namespace quadrel::sim
