#pragma once

#include "sim/ProtocolEngine.h"

#include <QString>

namespace quadrel::sim {

// One trace line of quadrel-sim --trace:
//   "    12.345678  in  21 12 02 32 69  unit 1"
// seconds since start, direction (in, out, ?? for bytes that are no request),
// the bytes in hex and what became of them.
class TraceFormat {
public:
    static QString Line(const LineEvent& event);
};

} // namespace quadrel::sim
