#pragma once

#include "link/Bytes.h"
#include "sim/PlugMotion.h"
#include "sim/Scheduler.h"
#include "sim/UnitConfig.h"
#include "sim/UnitState.h"

#include <cstdint>
#include <map>
#include <optional>

namespace quadrel::sim {

// What a unit answers to one request: an acknowledgement (no data) or a reply.
struct Answer {
    bool reply = false;
    Bytes data;
};

// One emulated switcher: its abilities, its live state and presets, and what
// it does for each command. Requests it does not accept get no answer.
class Unit {
public:
    // Most ports one reply can list: its length byte counts at most 255 data bytes.
    static constexpr int kMaxPairs = 127;

    Unit(UnitConfig config, uint64_t seed);

    const UnitConfig& config() const { return config_; }
    uint8_t id() const { return config_.id; }
    UnitState& state() { return state_; }
    const UnitState& state() const { return state_; }

    // Carries out the request (command, data 0, data 1) received at `now`.
    std::optional<Answer> handle(uint8_t command, uint8_t d0, uint8_t d1, Scheduler::TimePoint now);

    // Puts a value outside its range into a reply to `command` (a fault);
    // `pick` chooses the pair.
    void spoilReply(uint8_t command, Bytes& data, uint32_t pick) const;

    // Applies the plug changes due up to `now`.
    void advancePlugs(Scheduler::TimePoint now);

private:
    using Answered = std::optional<Answer>;

    Answered acknowledge() const { return Answer{}; }
    Answered setRoute(bool video, uint8_t output, uint8_t input);
    Answered savePreset(bool video, uint8_t d0, uint8_t location);
    Answered loadPreset(bool video, uint8_t d0, uint8_t location);
    Answered setAudio(uint8_t command, uint8_t output, uint8_t value);
    Answered setEdid(uint8_t input, uint8_t type);
    Answered query(uint8_t command, uint8_t port, uint8_t location);
    Answered unitInfo(uint8_t page) const;
    Answered firmware() const;

    bool supports(uint8_t command) const;
    int portCount(uint8_t command) const;
    int value(uint8_t command, int port, uint8_t location) const;

    UnitConfig config_;
    UnitState state_;
    PlugMotion plugMotion_;
    std::map<uint8_t, int> nextWindow_; // per query code: first port of the next window
};

} // namespace quadrel::sim
