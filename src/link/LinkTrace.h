#pragma once

#include "link/Bytes.h"
#include "link/SendPacket.h"

#include <QString>

#include <cstdint>

namespace quadrel {

// Why the receive path dropped input.
enum class DropReason {
    BadChecksum,  // the CRC did not match
    WrongUnit,    // a unit other than the one asked answered
    NoRequest,    // nothing was awaited
    FrameTimeout, // the rest of the frame did not come within 200 ms
    BufferFull,   // a frame longer than the receive buffer
    BadLength,    // a length byte that does not fit the request
    Refused,      // an answer with its address bit 7 clear
    Early,        // began before the awaited request was all on the line
    Duplicate,    // the answer just taken, sent again
};

// Where the link reports the bytes it writes and reads; the trace log
// implements it. Frames are reported once, as written or as read.
class LinkTrace {
public:
    virtual ~LinkTrace() = default;
    virtual void LogSend(const Bytes& bytes) = 0;
    virtual void LogRecv(const Bytes& bytes) = 0;

    // What the link made of the line, for a trace in words; the hexadecimal
    // trace takes none of it. A request as it is first written (before its
    // bytes reach LogSend), an answer taken whole, a repeat (attempt 2 or 3),
    // a unit given up, and input dropped.
    virtual void LogRequest(const SEND_PACKET&) {}
    virtual void LogAnswer(const SEND_PACKET& /*request*/, const Bytes& /*frame*/) {}
    virtual void LogRepeat(const SEND_PACKET& /*request*/, int /*attempt*/) {}
    virtual void LogGiveUp(const SEND_PACKET& /*request*/) {}
    virtual void LogDrop(DropReason, int /*bytes*/) {}
    // A reply taken off the line whose handler would not take it (a value
    // out of range): the request stays unanswered and is repeated. `reason`
    // is plain English, as every trace line.
    virtual void LogRefused(const SEND_PACKET& /*request*/, const QString& /*reason*/) {}

    // Whether anything listens at all: while not, a trace that only passes
    // reports on may skip them, and their copies.
    virtual bool Listening() const { return true; }
};

} // namespace quadrel
