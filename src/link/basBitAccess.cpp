#include "link/basBitAccess.h"

#include "link/QuadrelError.h"

#include <array>

namespace quadrel::basBitAccess {
namespace {

constexpr std::array<uint8_t, 8> kU8Bits = {1, 2, 4, 8, 16, 32, 64, 128};

void CheckBit(int bit, int count) {
    if (bit < 0 || bit >= count) {
        throw QuadrelError(kErrSubscriptRange, "Subscript out of range");
    }
}

} // namespace

uint8_t U8BitValue(int bit) {
    return WithTag("basBitAccess.U8BitValue", [&] {
        CheckBit(bit, 8);
        return kU8Bits[static_cast<size_t>(bit)];
    });
}

int U8BitRead(uint8_t value, int bit) {
    return WithTag("basBitAccess.U8BitRead", [&] {
        CheckBit(bit, 8);
        return (value & kU8Bits[static_cast<size_t>(bit)]) != 0 ? 1 : 0;
    });
}

uint8_t U8BitFieldRead(uint8_t value, int lowestBit, int width) {
    // Shares the tag of U8BitRead, as it always has.
    return WithTag("basBitAccess.U8BitRead", [&] {
        CheckBit(lowestBit, 8);
        if (width < 1 || width > 7) {
            throw QuadrelError(kErrInvalidArgument, "Invalid procedure call or argument");
        }
        return static_cast<uint8_t>((value >> lowestBit) & ((1u << width) - 1u));
    });
}

void U8BitSet(uint8_t& value, int bit) {
    WithTag("basBitAccess.U8BitSet", [&] {
        CheckBit(bit, 8);
        value = static_cast<uint8_t>(value | kU8Bits[static_cast<size_t>(bit)]);
    });
}

int16_t U16BitValue(int bit) {
    return WithTag("basBitAccess.U16BitValue", [&] {
        CheckBit(bit, 16);
        return static_cast<int16_t>(static_cast<uint16_t>(1u << bit));
    });
}

void U16BitSet(int16_t& value, int bit) {
    WithTag("basBitAccess.U16BitSet", [&] {
        CheckBit(bit, 16);
        value = static_cast<int16_t>(static_cast<uint16_t>(value) | (1u << bit));
    });
}

} // namespace quadrel::basBitAccess
