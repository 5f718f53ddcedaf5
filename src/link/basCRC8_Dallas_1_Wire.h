#pragma once

#include <array>
#include <cstdint>
#include <span>

// CRC-8/MAXIM (Dallas 1-Wire): polynomial 0x31 reflected (0x8C), initial 0,
// no final exclusive-or. Every frame on the line ends with it.
namespace quadrel::basCRC8_Dallas_1_Wire {

using Crc8Table = std::array<uint8_t, 256>;

// Entry i is the CRC of the single byte i.
constexpr Crc8Table BuildCRC8Table() {
    Crc8Table table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1u) != 0 ? (crc >> 1) ^ 0x8Cu : crc >> 1;
        }
        table[i] = static_cast<uint8_t>(crc);
    }
    return table;
}

inline constexpr Crc8Table kCrc8Table = BuildCRC8Table();

// CRC of bytes[0 .. count-1] starting from `initial`. A count beyond the
// array raises kErrSubscriptRange tagged "basCRC8_Dallas_1_Wire.CalculateCrc8".
uint8_t CalculateCrc8(std::span<const uint8_t> bytes, int count, uint8_t initial = 0);

// The same without checks, for the receive path's hot loop.
inline uint8_t Crc8Update(uint8_t crc, uint8_t byte) {
    return kCrc8Table[static_cast<uint8_t>(crc ^ byte)];
}

} // namespace quadrel::basCRC8_Dallas_1_Wire
