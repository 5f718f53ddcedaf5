#pragma once

#include <cstdint>
#include <vector>

namespace quadrel::sim {

// One audio output: what a unit keeps per output and what an audio preset stores.
struct AudioOutputState {
    uint8_t input = 0; // 0: nothing routed
    bool mute = false;
    uint8_t volume = 50;
    uint8_t bass = 50;
    uint8_t treble = 50;
    uint8_t subwoofer = 50;
    int delayLevel = 0; // in steps of the unit's delay step
};

// An audio preset holds every audio output; a video preset every video route.
struct AudioPreset {
    std::vector<AudioOutputState> outputs;
};
struct VideoPreset {
    std::vector<uint8_t> routes;
};

// The live state of a unit, vectors indexed by port number - 1.
struct UnitState {
    std::vector<uint8_t> videoRoutes;
    std::vector<AudioOutputState> audio;
    std::vector<uint8_t> edid; // per video input: 0 fixed, 1 output 1's
    std::vector<bool> videoInputPlugs;
    std::vector<bool> audioInputPlugs;
    std::vector<bool> videoOutputPlugs;
    std::vector<bool> audioOutputPlugs;
    std::vector<AudioPreset> audioPresets; // index location - 1
    std::vector<VideoPreset> videoPresets;
};

} // namespace quadrel::sim
