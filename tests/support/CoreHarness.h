#pragma once

#include "link/VirtualClock.h"
#include "model/QuadrelCore.h"
#include "support/FakeSerialPort.h"
#include "support/LinkHarness.h"
#include "support/RecordingViews.h"

#include <cstdio>
#include <string>
#include <vector>

namespace quadrel::test {

// A frame as "code:data0:data1".
inline std::string FrameText(int code, int data0, int data1) {
    char text[32];
    std::snprintf(text, sizeof text, "%02X:%d:%d", code, data0, data1);
    return text;
}
// Appends the frames written to `port` from `seen` on, and moves `seen` past them.
inline std::vector<std::string>& WrittenFrames(const FakeSerialPort& port, size_t& seen,
                                               std::vector<std::string>& out) {
    for (; seen < port.writes.size(); ++seen) {
        const Bytes& f = port.writes[seen];
        out.push_back(
            FrameText(f.size() > 1 ? f[1] : 0, f.size() > 2 ? f[2] : 0, f.size() > 3 ? f[3] : 0));
    }
    return out;
}
// Appends every frame waiting in `queue`, in order.
inline std::vector<std::string>& WaitingFrames(const TransmitQueue& queue,
                                               std::vector<std::string>& out) {
    for (const SEND_PACKET& p : queue.SendQueue()) {
        out.push_back(FrameText(p.bCommand, p.data(0), p.data(1)));
    }
    return out;
}

// Answers the request `queue` awaits on `port`: an acknowledgement for a
// setting, else `payload` as a reply.
inline void ReplyOn(FakeSerialPort& port, const TransmitQueue& queue, const Bytes& payload) {
    const SEND_PACKET& c = queue.CurrentCommand();
    Bytes f = {static_cast<uint8_t>(0x80 | c.bID)};
    if (!IsSetCommand(c.bCommand)) {
        f.push_back(static_cast<uint8_t>(payload.size()));
        f.insert(f.end(), payload.begin(), payload.end());
    }
    port.deliver(WithCrc(f));
}

// The whole core on a scripted port in virtual time, with recording views.
struct CoreHarness {
    VirtualClock clock;
    FakeSerialPort port;
    TraceRecorder trace;
    RecordingViews views;
    QuadrelCore core{port, clock, trace, views};

    CoreHarness() {
        port.clock = &clock;
        port.open(1, QStringLiteral("9600,n,8,1"));
    }

    using Caps = UnitCaps;

    // A connected unit record as its information replies would leave it.
    UnitRef AddUnit(uint8_t id, int inputs, int outputs, const Caps& caps = Caps()) {
        return AddUnitRecord(core.model.objUnits(), id, inputs, outputs, caps);
    }
    void Select(uint8_t id) { core.model.objSelectedUnit = core.model.FindUnit(id); }

    // Frames handed to the port since the last call, as "code:data0:data1".
    std::vector<std::string> Sent() {
        std::vector<std::string> out;
        return WrittenFrames(port, seen_, out);
    }
    // Every frame waiting in the queue, in order, as Sent() writes them.
    std::vector<std::string> Waiting() const {
        std::vector<std::string> out;
        return WaitingFrames(core.link.queue, out);
    }

    void Reply(const Bytes& payload) { ReplyOn(port, core.link.queue, payload); }

private:
    size_t seen_ = 0;
};

} // namespace quadrel::test
