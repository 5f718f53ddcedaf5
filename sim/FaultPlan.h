#pragma once

#include "link/Bytes.h"
#include "sim/FaultConfig.h"
#include "sim/Scheduler.h"
#include "sim/Unit.h"

#include <random>
#include <string>
#include <vector>

namespace quadrel::sim {

// How one answer travels: in pieces, each after a silence, or not at all.
struct Transmission {
    struct Piece {
        Scheduler::Duration gapBefore{0};
        Bytes bytes;
    };
    bool lost = false;
    Scheduler::Duration extraDelay{0};
    std::vector<Piece> pieces;
    Bytes frame;        // the answer frame as sent, noise left out
    std::string faults; // names of the faults applied, for the trace
};

// Builds the bytes of a unit's answer and applies the faults drawn for it.
// Every answer takes the same number of draws from the generator, whatever
// happens, so one seed gives the same faults for the same conversation.
class FaultPlan {
public:
    static Transmission Plan(const FaultConfig& faults, std::mt19937_64& rng, const Unit& unit,
                             uint8_t command, Answer answer);

    // [0x80 | id, CRC] or [0x80 | id, L, data..., CRC].
    static Bytes Frame(uint8_t id, const Answer& answer);
};

} // namespace quadrel::sim
