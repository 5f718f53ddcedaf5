#pragma once

#include "link/Bytes.h"

namespace quadrel {

// Where the link reports the bytes it writes and reads; the trace log
// implements it. Frames are reported once, as written or as read.
class LinkTrace {
public:
    virtual ~LinkTrace() = default;
    virtual void LogSend(const Bytes& bytes) = 0;
    virtual void LogRecv(const Bytes& bytes) = 0;
};

} // namespace quadrel
