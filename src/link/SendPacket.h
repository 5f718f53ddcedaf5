#pragma once

#include "link/Bytes.h"

#include <cstddef>
#include <cstdint>

namespace quadrel {

// One request frame as it waits in the transmit queue. bCommand and bID hold
// the plain values, not the flagged bytes on the line, so the queue and the
// receive path can match on them.
struct SEND_PACKET {
    int32_t lPriority = 0;
    Bytes bFrame;
    int iFrameLength = 0;
    Bytes bData;
    int iDataLength = 0;
    uint8_t bCommand = 0;
    uint8_t bID = 0;
    // The job or operator's change the frame belongs to (0: none), and the
    // job's step; the queue tells the job when the frame is done with.
    uint32_t lTag = 0;
    int32_t lStep = -1;

    // Data byte 0 or 1 of the payload, 0 when the frame carries fewer bytes.
    uint8_t data(std::size_t index) const { return index < bData.size() ? bData[index] : 0; }
};

} // namespace quadrel
