#include "sim/DemoLineup.h"

namespace quadrel::sim {

std::vector<UnitConfig> DemoLineup::Units() {
    // A large unit with both sections and every ability: every page scrolls.
    UnitConfig big;
    big.id = 1;
    big.name = "Main Hall 24x16";
    big.inputs = 24;
    big.outputs = 16;
    big.memories = 8;
    big.delayStepMs = 5;
    big.maxDelayTenths = 20;
    big.firmwareMajor = 2;
    big.firmwareMinor = 1;
    big.firmwareRevision = 10;
    big.longFrames = true;
    big.plugPeriodMs = 3000;

    // Audio only, without bass and subwoofer, delay in 10 ms steps.
    UnitConfig audio;
    audio.id = 2;
    audio.name = "Lounge Audio 8x4";
    audio.inputs = 8;
    audio.outputs = 4;
    audio.memories = 4;
    audio.video = false;
    audio.bass = false;
    audio.subwoofer = false;
    audio.delayStepMs = 10;
    audio.maxDelayTenths = 10;
    audio.edidSelect = false;
    audio.videoInputPlug = false;
    audio.videoOutputPlug = false;
    audio.firmwareMajor = 1;
    audio.firmwareMinor = 4;
    audio.firmwareRevision = 2;
    audio.plugPeriodMs = 5000;

    // Video only, with EDID select.
    UnitConfig video;
    video.id = 5;
    video.name = "Projection 6x2";
    video.inputs = 6;
    video.outputs = 2;
    video.memories = 2;
    video.audio = false;
    video.volume = video.bass = video.treble = video.subwoofer = video.delay = false;
    video.audioInputPlug = false;
    video.audioOutputPlug = false;
    video.firmwareMajor = 1;
    video.firmwareMinor = 0;
    video.firmwareRevision = 7;
    video.plugPeriodMs = 7000;

    return {big, audio, video};
}

} // namespace quadrel::sim
