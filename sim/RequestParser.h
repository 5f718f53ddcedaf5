#pragma once

#include "link/Bytes.h"
#include "sim/Scheduler.h"

#include <cstdint>
#include <functional>

namespace quadrel::sim {

// One request frame as a unit hears it on the line.
struct RequestFrame {
    uint8_t id = 0;
    bool answerWanted = true; // address bit 7 clear
    uint8_t command = 0;
    Bytes data;
    Bytes raw; // the whole frame, CRC included
};

// Finds request frames in the bytes on the line, one byte at a time, as every
// unit on a shared line does. A byte that cannot start a frame, a frame with a
// wrong CRC, and a frame left unfinished for `kGap` are passed to onJunk; after
// a bad CRC the search starts again at the byte after the bad frame's first.
class RequestParser {
public:
    static constexpr Scheduler::Duration kGap{std::chrono::milliseconds(100)};

    std::function<void(const RequestFrame&)> onFrame;
    std::function<void(const Bytes&)> onJunk;

    void feed(uint8_t byte, Scheduler::TimePoint at);
    void feed(const Bytes& bytes, Scheduler::TimePoint at);

private:
    void push(uint8_t byte);
    size_t expectedLength() const;
    void junk(Bytes bytes);

    Bytes buffer_;
    Scheduler::TimePoint lastByte_{};
};

} // namespace quadrel::sim
