#include "link/CommandSenders.h"

#include "link/CommandCodes.h"

namespace quadrel {

void CommandSenders::CmdSetVideoSwitch(uint8_t id, uint8_t output, uint8_t input,
                                       int32_t priority) {
    Send(id, kCmdSetVideoSwitch, output, input, priority);
}

void CommandSenders::CmdSetAudioSwitch(uint8_t id, uint8_t output, uint8_t input,
                                       int32_t priority) {
    Send(id, kCmdSetAudioSwitch, output, input, priority);
}

void CommandSenders::CmdSaveVideoMemory(uint8_t id, uint8_t data0, uint8_t location,
                                        int32_t priority) {
    Send(id, kCmdSaveVideoMemory, data0, location, priority);
}

void CommandSenders::CmdSaveAudioMemory(uint8_t id, uint8_t data0, uint8_t location,
                                        int32_t priority) {
    Send(id, kCmdSaveAudioMemory, data0, location, priority);
}

void CommandSenders::CmdLoadVideoMemory(uint8_t id, uint8_t data0, uint8_t location,
                                        int32_t priority) {
    Send(id, kCmdLoadVideoMemory, data0, location, priority);
}

void CommandSenders::CmdLoadAudioMemory(uint8_t id, uint8_t data0, uint8_t location,
                                        int32_t priority) {
    Send(id, kCmdLoadAudioMemory, data0, location, priority);
}

void CommandSenders::CmdGetVideoSwitch(uint8_t id, uint8_t output, uint8_t location,
                                       int32_t priority) {
    Send(id, kCmdGetVideoSwitch, output, location, priority);
}

void CommandSenders::CmdGetAudioSwitch(uint8_t id, uint8_t output, uint8_t location,
                                       int32_t priority) {
    Send(id, kCmdGetAudioSwitch, output, location, priority);
}

void CommandSenders::CmdSetMute(uint8_t id, uint8_t output, uint8_t mute, int32_t priority) {
    Send(id, kCmdSetMute, output, mute, priority);
}

void CommandSenders::CmdGetMute(uint8_t id, uint8_t output, uint8_t location, int32_t priority) {
    Send(id, kCmdGetMute, output, location, priority);
}

void CommandSenders::CmdSetVolumnLevel(uint8_t id, uint8_t output, uint8_t level,
                                       int32_t priority) {
    Send(id, kCmdSetVolumnLevel, output, level, priority);
}

void CommandSenders::CmdGetVolumnLevel(uint8_t id, uint8_t output, uint8_t location,
                                       int32_t priority) {
    Send(id, kCmdGetVolumnLevel, output, location, priority);
}

void CommandSenders::CmdSetBassLevel(uint8_t id, uint8_t output, uint8_t level, int32_t priority) {
    Send(id, kCmdSetBassLevel, output, level, priority);
}

void CommandSenders::CmdGetBassLevel(uint8_t id, uint8_t output, uint8_t location,
                                     int32_t priority) {
    Send(id, kCmdGetBassLevel, output, location, priority);
}

void CommandSenders::CmdSetTrebleLevel(uint8_t id, uint8_t output, uint8_t level,
                                       int32_t priority) {
    Send(id, kCmdSetTrebleLevel, output, level, priority);
}

void CommandSenders::CmdGetTrebleLevel(uint8_t id, uint8_t output, uint8_t location,
                                       int32_t priority) {
    Send(id, kCmdGetTrebleLevel, output, location, priority);
}

void CommandSenders::CmdSetSubwooferLevel(uint8_t id, uint8_t output, uint8_t level,
                                          int32_t priority) {
    Send(id, kCmdSetSubwooferLevel, output, level, priority);
}

void CommandSenders::CmdGetSubwooferLevel(uint8_t id, uint8_t output, uint8_t location,
                                          int32_t priority) {
    Send(id, kCmdGetSubwooferLevel, output, location, priority);
}

void CommandSenders::CmdSetDelayLow(uint8_t id, uint8_t output, uint8_t low, int32_t priority) {
    Send(id, kCmdSetDelayLow, output, low, priority);
}

void CommandSenders::CmdGetDelayLow(uint8_t id, uint8_t output, uint8_t location,
                                    int32_t priority) {
    Send(id, kCmdGetDelayLow, output, location, priority);
}

void CommandSenders::CmdSetDelayHigh(uint8_t id, uint8_t output, uint8_t high, int32_t priority) {
    Send(id, kCmdSetDelayHigh, output, high, priority);
}

void CommandSenders::CmdGetDelayHigh(uint8_t id, uint8_t output, uint8_t location,
                                     int32_t priority) {
    Send(id, kCmdGetDelayHigh, output, location, priority);
}

void CommandSenders::CmdSetEdidType(uint8_t id, uint8_t input, uint8_t type, int32_t priority) {
    Send(id, kCmdSetEdidType, input, type, priority);
}

void CommandSenders::CmdGetVideoInputPlug(uint8_t id, uint8_t input, int32_t priority) {
    Send(id, kCmdGetVideoInputPlug, input, 0, priority);
}

void CommandSenders::CmdGetAudioInputPlug(uint8_t id, uint8_t input, int32_t priority) {
    Send(id, kCmdGetAudioInputPlug, input, 0, priority);
}

void CommandSenders::CmdGetVideoOutputPlug(uint8_t id, uint8_t output, int32_t priority) {
    Send(id, kCmdGetVideoOutputPlug, output, 0, priority);
}

void CommandSenders::CmdGetAudioOutputPlug(uint8_t id, uint8_t output, int32_t priority) {
    Send(id, kCmdGetAudioOutputPlug, output, 0, priority);
}

void CommandSenders::CmdGetEdidType(uint8_t id, uint8_t input, int32_t priority) {
    Send(id, kCmdGetEdidType, input, 0, priority);
}

void CommandSenders::CmdGetFirmwareVersion(uint8_t id, int32_t priority) {
    Send(id, kCmdGetFirmwareVersion, 0, 0, priority);
}

void CommandSenders::CmdGetUnitInfo(uint8_t id, uint8_t page, int32_t priority) {
    Send(id, kCmdGetUnitInfo, page, 0, priority);
}

bool CommandSenders::CmdSetDelayLevel(uint8_t id, uint8_t output, int32_t level, int32_t priority) {
    if (level < 0 || level > 0xFFFF) {
        return false;
    }
    CmdSetDelayHigh(id, output, static_cast<uint8_t>(level / 256), priority);
    CmdSetDelayLow(id, output, static_cast<uint8_t>(level % 256), priority);
    return true;
}

void CommandSenders::CmdGetDelayLevel(uint8_t id, uint8_t output, uint8_t location,
                                      int32_t priority) {
    CmdGetDelayLow(id, output, location, priority);
    CmdGetDelayHigh(id, output, location, priority);
}

} // namespace quadrel
