#pragma once

#include "link/CommandCodes.h"

#include <cstdint>

namespace quadrel {

// The reply handlers, as the receive path dispatches to them by the code of
// the request that awaits the answer.
class ReplySink {
public:
    virtual ~ReplySink() = default;
    virtual void ReplySwitchStatus(SignalKind kind) = 0;
    virtual void ReplyInputPlugStatus(SignalKind kind) = 0;
    virtual void ReplyOutputPlugStatus(SignalKind kind) = 0;
    virtual void ReplyMuteStatus() = 0;
    virtual void ReplyVolumnLevel() = 0;
    virtual void ReplyBassLevel() = 0;
    virtual void ReplyTrebleLevel() = 0;
    virtual void ReplySubwooferLevel() = 0;
    virtual void ReplyDelayTime(DelayPart part) = 0;
    virtual void ReplyEdidType() = 0;
    virtual void ReplyFirmwareVersion() = 0;
    virtual void ReplyUnitInfo() = 0;
    virtual void ReplyExtendedInfo() = 0;
};

// The busy flags that the link clears when a unit stops answering.
class BusyFlags {
public:
    virtual ~BusyFlags() = default;
    virtual void SetLoadingStatus(bool on) = 0;
    virtual void SetLoadingMemory(bool on) = 0;
    virtual void SetScanning(bool on) = 0;
    virtual bool blScanning() const = 0;
    // The ID the running scan asks last: its answer or give-up ends the scan.
    virtual uint8_t LastProbeId() const { return 31; }
};

} // namespace quadrel
