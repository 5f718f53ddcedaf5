#pragma once

#include "link/Bytes.h"
#include "link/SendPacket.h"
#include "model/QRDSTA.h"

#include <cstdint>
#include <variant>
#include <vector>

namespace quadrel {

// Where SendCommand finds a unit's record (its frame size limit).
class UnitDirectory {
public:
    virtual ~UnitDirectory() = default;
    virtual UnitRef FindUnit(uint8_t id) const = 0;
};

// The transmit queue's entry point, as SendCommand sees it.
class FrameQueue {
public:
    virtual ~FrameQueue() = default;
    virtual bool QueueCommand(const SEND_PACKET& packet) = 0;
};

// One payload item: a single byte or a run of bytes.
using SendItem = std::variant<uint8_t, Bytes>;

// Largest payload per request frame for a reported length code: 0 gives 128,
// 1 gives 254, anything else 0.
int GetMaxCommandLB(int code);

// Builds request frames and hands them to the transmit queue.
class FrameBuilder {
public:
    FrameBuilder(const UnitDirectory& units, FrameQueue& queue) : units_(units), queue_(queue) {}

    // Splits the payload into frames of at most the unit's limit; a chunk of
    // exactly two bytes uses the short form, any other a length byte.
    void SendCommand(uint8_t id, uint8_t command, int32_t priority,
                     const std::vector<SendItem>& items);

    // The frames SendCommand would build, without queueing them.
    std::vector<SEND_PACKET> BuildFrames(uint8_t id, uint8_t command, int32_t priority,
                                         const std::vector<SendItem>& items) const;

private:
    int MaxPayloadFor(uint8_t id) const;
    // Builds the frames one by one and hands each to `take`.
    template <typename Take>
    void ForEachFrame(uint8_t id, uint8_t command, int32_t priority,
                      const std::vector<SendItem>& items, Take take) const;

    const UnitDirectory& units_;
    FrameQueue& queue_;
};

} // namespace quadrel
