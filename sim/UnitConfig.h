#pragma once

#include "sim/FaultConfig.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quadrel::sim {

// The four kinds of plug detection a unit may have.
enum class PlugKind { VideoInput, AudioInput, VideoOutput, AudioOutput };

// A plug change at a fixed time after the emulator started.
struct PlugEvent {
    int atMs = 0;
    PlugKind kind = PlugKind::VideoInput;
    int port = 1;
    bool plugged = true;
};

// Identity and abilities of one emulated unit: what its information replies
// report and what its commands accept.
struct UnitConfig {
    uint8_t id = 0;
    std::string name = "Quadrel unit";
    int inputs = 4;   // 1..255
    int outputs = 4;  // 1..255
    int memories = 4; // 0..15

    bool audio = true;
    bool video = true;
    bool extendedInfo = true;

    bool volume = true; // volume and mute
    bool bass = true;
    bool treble = true;
    bool subwoofer = true;
    bool delay = true;
    int delayStepMs = 5;     // 5 or 10
    int maxDelayTenths = 10; // largest delay in units of 100 ms, 0..255

    bool edidSelect = true;
    bool videoInputPlug = true;
    bool audioInputPlug = true;
    bool videoOutputPlug = true;
    bool audioOutputPlug = true;

    bool firmwareReadable = true;
    uint8_t firmwareMajor = 1; // 0..15
    uint8_t firmwareMinor = 0; // 0..15
    uint8_t firmwareRevision = 0;
    bool longFrames = false; // takes request frames of 254 data bytes

    // Plug motion: a random change every `plugPeriodMs` (0: none), and
    // changes at fixed times.
    int plugPeriodMs = 0;
    std::vector<PlugEvent> plugSchedule;

    // Faults of this unit; without them the line's faults apply.
    std::optional<FaultConfig> faults;

    int maxDelayLevel() const { return maxDelayTenths * 100 / delayStepMs; }
};

} // namespace quadrel::sim
