#pragma once

#include <cstdint>

// Flag-bit helpers; bits count from 0, the least significant. Every routine
// raises a QuadrelError tagged "basBitAccess.<routine>" on a bad argument.
namespace quadrel::basBitAccess {

uint8_t U8BitValue(int bit);
int U8BitRead(uint8_t value, int bit);
uint8_t U8BitFieldRead(uint8_t value, int lowestBit, int width);
void U8BitSet(uint8_t& value, int bit);
int16_t U16BitValue(int bit);
void U16BitSet(int16_t& value, int bit);

} // namespace quadrel::basBitAccess
