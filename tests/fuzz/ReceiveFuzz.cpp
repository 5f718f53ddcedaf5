// Arbitrary bytes, in arbitrary pieces, with any request pending and any unit
// selected, into the receive path, the queue and the reply handlers.
//
// Input: byte 0 picks the selected unit (bit 5 set: none) and byte 1 the
// awaited request's code; byte 2 its data bytes (low two bits: data byte 0,
// high four: data byte 1, the memory location) and, with bit 2, a memory
// location chosen in the preset list (the same one with bit 3, else another). Then pieces: a length
// byte (low 6 bits; bit 7 also lets 250 ms of virtual time pass, bit 6 queues a fresh request)
// followed by that many bytes for the line.
#include "link/CommandCodes.h"
#include "support/CoreHarness.h"

#include <cstddef>
#include <cstdint>

using namespace quadrel;
using namespace std::chrono_literals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) {
        return 0;
    }
    test::CoreHarness h;
    h.AddUnit(1, 8, 8);
    h.AddUnit(2, 255, 255);
    if ((data[0] & 0x20) == 0) {
        h.Select(data[0] & 0x1F);
    }
    const uint8_t code = static_cast<uint8_t>(data[1] & 0x3F);
    const uint8_t id = static_cast<uint8_t>(data[0] & 0x03);
    const uint8_t d0 = static_cast<uint8_t>(data[2] & 0x03);
    const uint8_t d1 = static_cast<uint8_t>(data[2] >> 4);
    if ((data[2] & 0x04) != 0) {
        h.views.memoryLocation = (data[2] & 0x08) != 0 ? d1 : static_cast<uint8_t>(d1 + 1);
    }
    h.core.link.builder.SendCommand(id, code, static_cast<int32_t>(data[1] >> 6), {d0, d1});
    size_t i = 3;
    while (i < size) {
        const uint8_t head = data[i++];
        const size_t n = std::min<size_t>(head & 0x3F, size - i);
        if ((head & 0x40) != 0) {
            h.core.link.builder.SendCommand(id, static_cast<uint8_t>(head & 0x3F), 2,
                                            {uint8_t{0}, uint8_t{0}});
        }
        h.port.deliver(Bytes(data + i, data + i + n));
        i += n;
        if ((head & 0x80) != 0) {
            h.clock.advance(250ms);
        }
    }
    h.clock.advance(2s);
    return 0;
}
