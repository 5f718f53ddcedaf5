#pragma once

#include "link/Bytes.h"

#include <QString>

#include <cstdint>

// Hexadecimal text of values and byte runs, as the trace shows them.
namespace quadrel::basText {

// Upper-case hex without prefix, padded on the left with "0" to `width`; a
// longer result is returned whole. Negative values show their 32-bit pattern.
QString HexFixed(int32_t value, int width);

// Each byte as two hex digits followed by one blank, the last one included.
QString ByteArrayToHex(const Bytes& bytes);

} // namespace quadrel::basText
