#pragma once

#include "link/FrameBuilder.h"

#include <cstdint>

namespace quadrel {

// One sender per command code: two data bytes, handed to SendCommand. The
// caller keeps values in range; nothing is checked here.
class CommandSenders {
public:
    explicit CommandSenders(FrameBuilder& builder) : builder_(builder) {}

    void CmdSetVideoSwitch(uint8_t id, uint8_t output, uint8_t input, int32_t priority);
    void CmdSetAudioSwitch(uint8_t id, uint8_t output, uint8_t input, int32_t priority);
    void CmdSaveVideoMemory(uint8_t id, uint8_t data0, uint8_t location, int32_t priority);
    void CmdSaveAudioMemory(uint8_t id, uint8_t data0, uint8_t location, int32_t priority);
    void CmdLoadVideoMemory(uint8_t id, uint8_t data0, uint8_t location, int32_t priority);
    void CmdLoadAudioMemory(uint8_t id, uint8_t data0, uint8_t location, int32_t priority);
    void CmdGetVideoSwitch(uint8_t id, uint8_t output, uint8_t location, int32_t priority);
    void CmdGetAudioSwitch(uint8_t id, uint8_t output, uint8_t location, int32_t priority);
    void CmdGetVideoInputPlug(uint8_t id, uint8_t input, int32_t priority);
    void CmdGetAudioInputPlug(uint8_t id, uint8_t input, int32_t priority);
    void CmdGetVideoOutputPlug(uint8_t id, uint8_t output, int32_t priority);
    void CmdGetAudioOutputPlug(uint8_t id, uint8_t output, int32_t priority);
    void CmdSetMute(uint8_t id, uint8_t output, uint8_t mute, int32_t priority);
    void CmdGetMute(uint8_t id, uint8_t output, uint8_t location, int32_t priority);
    void CmdSetVolumnLevel(uint8_t id, uint8_t output, uint8_t level, int32_t priority);
    void CmdGetVolumnLevel(uint8_t id, uint8_t output, uint8_t location, int32_t priority);
    void CmdSetBassLevel(uint8_t id, uint8_t output, uint8_t level, int32_t priority);
    void CmdGetBassLevel(uint8_t id, uint8_t output, uint8_t location, int32_t priority);
    void CmdSetTrebleLevel(uint8_t id, uint8_t output, uint8_t level, int32_t priority);
    void CmdGetTrebleLevel(uint8_t id, uint8_t output, uint8_t location, int32_t priority);
    void CmdSetSubwooferLevel(uint8_t id, uint8_t output, uint8_t level, int32_t priority);
    void CmdGetSubwooferLevel(uint8_t id, uint8_t output, uint8_t location, int32_t priority);
    void CmdSetDelayLow(uint8_t id, uint8_t output, uint8_t low, int32_t priority);
    void CmdGetDelayLow(uint8_t id, uint8_t output, uint8_t location, int32_t priority);
    void CmdSetDelayHigh(uint8_t id, uint8_t output, uint8_t high, int32_t priority);
    void CmdGetDelayHigh(uint8_t id, uint8_t output, uint8_t location, int32_t priority);
    void CmdSetEdidType(uint8_t id, uint8_t input, uint8_t type, int32_t priority);
    void CmdGetEdidType(uint8_t id, uint8_t input, int32_t priority);
    void CmdGetFirmwareVersion(uint8_t id, int32_t priority);
    void CmdGetUnitInfo(uint8_t id, uint8_t page, int32_t priority);

    // High byte first, then low byte. A level that does not fit 16 bits is
    // not sent at all: its bytes would name another delay. Returns whether
    // anything was sent.
    bool CmdSetDelayLevel(uint8_t id, uint8_t output, int32_t level, int32_t priority);
    // Low byte query first, then high: the high reply completes the value.
    void CmdGetDelayLevel(uint8_t id, uint8_t output, uint8_t location, int32_t priority);

private:
    void Send(uint8_t id, uint8_t code, uint8_t data0, uint8_t data1, int32_t priority) {
        builder_.SendCommand(id, code, priority, {data0, data1});
    }

    FrameBuilder& builder_;
};

} // namespace quadrel
