#include "sim/FaultPlan.h"

#include "link/basCRC8_Dallas_1_Wire.h"

#include <algorithm>

namespace quadrel::sim {
namespace {

double Chance(std::mt19937_64& rng) {
    return static_cast<double>(rng() >> 11) * (1.0 / 9007199254740992.0);
}

void Note(std::string& text, const char* fault) {
    if (!text.empty()) {
        text += ',';
    }
    text += fault;
}

} // namespace

Bytes FaultPlan::Frame(uint8_t id, const Answer& answer) {
    Bytes frame;
    frame.reserve(answer.data.size() + 3);
    frame.push_back(static_cast<uint8_t>(0x80 | (id & 0x1F)));
    if (answer.reply) {
        frame.push_back(static_cast<uint8_t>(answer.data.size()));
        frame.insert(frame.end(), answer.data.begin(), answer.data.end());
    }
    frame.push_back(basCRC8_Dallas_1_Wire::CalculateCrc8(frame, static_cast<int>(frame.size())));
    return frame;
}

Transmission FaultPlan::Plan(const FaultConfig& f, std::mt19937_64& rng, const Unit& unit,
                             uint8_t command, Answer answer) {
    // Fixed order and number of draws: see the class comment.
    const double lost = Chance(rng);
    const double wrongId = Chance(rng);
    const double empty = Chance(rng);
    const double outOfRange = Chance(rng);
    const double corrupt = Chance(rng);
    const double noise = Chance(rng);
    const double split = Chance(rng);
    const double late = Chance(rng);
    const uint64_t pick = rng();
    const uint64_t corruptAt = rng();
    const uint64_t corruptBit = rng();
    Bytes noiseBytes;
    for (int i = 0; i < f.noiseBytes; ++i) {
        noiseBytes.push_back(static_cast<uint8_t>(rng()));
    }

    Transmission t;
    if (lost < f.lost) {
        t.lost = true;
        Note(t.faults, "lost");
        return t;
    }
    uint8_t id = unit.id();
    if (wrongId < f.wrongId) {
        id = static_cast<uint8_t>((id + 1) & 0x1F);
        Note(t.faults, "wrong-id");
    }
    if (answer.reply && empty < f.empty) {
        answer.data.clear();
        Note(t.faults, "empty");
    } else if (answer.reply && outOfRange < f.outOfRange) {
        unit.spoilReply(command, answer.data, static_cast<uint32_t>(pick));
        Note(t.faults, "out-of-range");
    }
    Bytes frame = Frame(id, answer);
    if (corrupt < f.corrupt) {
        frame[corruptAt % frame.size()] ^= static_cast<uint8_t>(1u << (corruptBit % 8));
        Note(t.faults, "corrupt");
    }
    t.frame = frame;
    if (noise < f.noise && !noiseBytes.empty()) {
        t.pieces.push_back({Scheduler::Duration::zero(), noiseBytes});
        Note(t.faults, "noise");
    }
    const Scheduler::Duration gap = std::chrono::milliseconds(f.splitGapMs);
    if (split < f.split && f.splitPieces > 1 && frame.size() > 1) {
        const size_t pieces = std::min(static_cast<size_t>(f.splitPieces), frame.size());
        size_t from = 0;
        for (size_t i = 0; i < pieces; ++i) {
            const size_t to = frame.size() * (i + 1) / pieces;
            t.pieces.push_back({i == 0 ? Scheduler::Duration::zero() : gap,
                                Bytes(frame.begin() + static_cast<long>(from),
                                      frame.begin() + static_cast<long>(to))});
            from = to;
        }
        Note(t.faults, "split");
    } else {
        t.pieces.push_back({Scheduler::Duration::zero(), frame});
    }
    if (late < f.late) {
        t.extraDelay = std::chrono::milliseconds(f.lateMs);
        Note(t.faults, "late");
    }
    return t;
}

} // namespace quadrel::sim
