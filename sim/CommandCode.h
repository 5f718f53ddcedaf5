#pragma once

#include <cstdint>

namespace quadrel::sim {

// The request codes a unit knows; odd codes of a pair concern video, even audio.
enum CommandCode : uint8_t {
    kSetVideoSwitch = 0x01,
    kSetAudioSwitch = 0x02,
    kSaveVideoMemory = 0x03,
    kSaveAudioMemory = 0x04,
    kLoadVideoMemory = 0x05,
    kLoadAudioMemory = 0x06,
    kGetVideoSwitch = 0x07,
    kGetAudioSwitch = 0x08,
    kGetVideoInputPlug = 0x09,
    kGetAudioInputPlug = 0x0A,
    kGetVideoOutputPlug = 0x0B,
    kGetAudioOutputPlug = 0x0C,
    kSetMute = 0x10,
    kGetMute = 0x11,
    kSetVolume = 0x12,
    kGetVolume = 0x13,
    kSetBass = 0x14,
    kGetBass = 0x15,
    kSetTreble = 0x16,
    kGetTreble = 0x17,
    kSetSubwoofer = 0x18,
    kGetSubwoofer = 0x19,
    kSetDelayLow = 0x1C,
    kGetDelayLow = 0x1D,
    kSetDelayHigh = 0x1E,
    kGetDelayHigh = 0x1F,
    kSetEdidType = 0x20,
    kGetEdidType = 0x21,
    kGetFirmwareVersion = 0x31,
    kGetUnitInfo = 0x3F,
};

} // namespace quadrel::sim
