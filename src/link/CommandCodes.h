#pragma once

#include <cstdint>

namespace quadrel {

// Command codes on the line. Odd codes of the switch family are video, even
// codes audio.
enum Command : uint8_t {
    kCmdSetVideoSwitch = 0x01,
    kCmdSetAudioSwitch = 0x02,
    kCmdSaveVideoMemory = 0x03,
    kCmdSaveAudioMemory = 0x04,
    kCmdLoadVideoMemory = 0x05,
    kCmdLoadAudioMemory = 0x06,
    kCmdGetVideoSwitch = 0x07,
    kCmdGetAudioSwitch = 0x08,
    kCmdGetVideoInputPlug = 0x09,
    kCmdGetAudioInputPlug = 0x0A,
    kCmdGetVideoOutputPlug = 0x0B,
    kCmdGetAudioOutputPlug = 0x0C,
    kCmdSetMute = 0x10,
    kCmdGetMute = 0x11,
    kCmdSetVolumnLevel = 0x12,
    kCmdGetVolumnLevel = 0x13,
    kCmdSetBassLevel = 0x14,
    kCmdGetBassLevel = 0x15,
    kCmdSetTrebleLevel = 0x16,
    kCmdGetTrebleLevel = 0x17,
    kCmdSetSubwooferLevel = 0x18,
    kCmdGetSubwooferLevel = 0x19,
    kCmdSetDelayLow = 0x1C,
    kCmdGetDelayLow = 0x1D,
    kCmdSetDelayHigh = 0x1E,
    kCmdGetDelayHigh = 0x1F,
    kCmdSetEdidType = 0x20,
    kCmdGetEdidType = 0x21,
    kCmdGetFirmwareVersion = 0x31,
    kCmdGetUnitInfo = 0x3F,
};

enum class SignalKind { Video, Audio };
enum class DelayPart { Low, High };

// Requests answered by a two-byte acknowledgement (0x00 is reserved but
// counted here, as units treat it as a setting).
constexpr bool IsSetCommand(uint8_t code) {
    switch (code) {
    case 0x00:
    case kCmdSetVideoSwitch:
    case kCmdSetAudioSwitch:
    case kCmdSaveVideoMemory:
    case kCmdSaveAudioMemory:
    case kCmdLoadVideoMemory:
    case kCmdLoadAudioMemory:
    case kCmdSetMute:
    case kCmdSetVolumnLevel:
    case kCmdSetBassLevel:
    case kCmdSetTrebleLevel:
    case kCmdSetSubwooferLevel:
    case kCmdSetDelayLow:
    case kCmdSetDelayHigh:
    case kCmdSetEdidType:
        return true;
    default:
        return false;
    }
}

// Queries answered by (port, value) pairs: the reply length is even.
constexpr bool IsPairedQuery(uint8_t code) {
    switch (code) {
    case kCmdGetVideoSwitch:
    case kCmdGetAudioSwitch:
    case kCmdGetVideoInputPlug:
    case kCmdGetAudioInputPlug:
    case kCmdGetVideoOutputPlug:
    case kCmdGetAudioOutputPlug:
    case kCmdGetMute:
    case kCmdGetVolumnLevel:
    case kCmdGetBassLevel:
    case kCmdGetTrebleLevel:
    case kCmdGetSubwooferLevel:
    case kCmdGetDelayLow:
    case kCmdGetDelayHigh:
    case kCmdGetEdidType:
        return true;
    default:
        return false;
    }
}

} // namespace quadrel
