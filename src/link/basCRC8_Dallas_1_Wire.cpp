#include "link/basCRC8_Dallas_1_Wire.h"

#include "link/QuadrelError.h"

namespace quadrel::basCRC8_Dallas_1_Wire {

uint8_t CalculateCrc8(std::span<const uint8_t> bytes, int count, uint8_t initial) {
    return WithTag("basCRC8_Dallas_1_Wire.CalculateCrc8", [&] {
        if (count < 0 || static_cast<size_t>(count) > bytes.size()) {
            throw QuadrelError(kErrSubscriptRange, "Subscript out of range");
        }
        uint8_t crc = initial;
        for (int i = 0; i < count; ++i) {
            crc = kCrc8Table[static_cast<uint8_t>(crc ^ bytes[static_cast<size_t>(i)])];
        }
        return crc;
    });
}

} // namespace quadrel::basCRC8_Dallas_1_Wire
