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
    FaultConfig faults{};
    // 0: each answer byte is handed over as it comes off the wire; N: in the
    // chunks of a USB adapter that holds input for up to N ms.
    int chunkMs = 0;
};

} // namespace quadrel::sim
