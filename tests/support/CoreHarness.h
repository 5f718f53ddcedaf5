#pragma once

#include "link/VirtualClock.h"
#include "link/basCRC8_Dallas_1_Wire.h"
#include "model/QuadrelCore.h"
#include "support/FakeSerialPort.h"
#include "support/LinkHarness.h"
#include "support/RecordingViews.h"

#include <cstdio>
#include <string>
#include <vector>

namespace quadrel::test {

// Capabilities of a test unit; the defaults have everything.
struct UnitCaps {
    bool audio = true;
    bool video = true;
    bool volume = true, bass = true, treble = true, subwoofer = true, delay = true;
    int delayUnit = 5;
    int maxDelayTime = 5000;
    bool edid = true;
    bool firmware = true;
    bool plugs = true;
    int memories = 4;
};

// A connected unit record with `caps`, as its information replies would leave it.
inline UnitRef AddUnitRecord(QRD_INFO& units, uint8_t id, int inputs, int outputs,
                             const UnitCaps& caps = UnitCaps()) {
    auto audio = std::make_shared<AUDIO_INFO>();
    audio->setblEnabled(caps.audio);
    audio->setblSupportVolumnControl(caps.volume);
    audio->setblSupportBassControl(caps.bass);
    audio->setblSupportTrebleControl(caps.treble);
    audio->setblSupportSubwooferControl(caps.subwoofer);
    audio->setblSupportDelayControl(caps.delay);
    audio->setiDelayUnit(caps.delayUnit);
    audio->setiMaxDelayTime(caps.maxDelayTime);
    audio->setlMaxDelayLevel(caps.delayUnit > 0 ? caps.maxDelayTime / caps.delayUnit : 0);
    auto video = std::make_shared<VIDEO_INFO>();
    video->setblEnabled(caps.video);
    video->setblSupportEdidTypeSelect(caps.edid);
    auto plug = std::make_shared<PLUG_INFO>();
    plug->setblSupportAudioInputPlugDetection(caps.plugs);
    plug->setblSupportAudioOutputPlugDetection(caps.plugs);
    plug->setblSupportVideoInputPlugDetection(caps.plugs);
    plug->setblSupportVideoOutputPlugDetection(caps.plugs);
    auto firmware = std::make_shared<FIRMWARE_VERSION>();
    firmware->setblEnabled(caps.firmware);
    return units.Add(id, QStringLiteral("Unit %1").arg(id), true, caps.memories, inputs, outputs,
                     128, true, audio, video, plug, firmware, QString::number(id));
}

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

// The whole core on a scripted port in virtual time, with recording views.
struct CoreHarness {
    VirtualClock clock;
    FakeSerialPort port;
    TraceRecorder trace;
    RecordingViews views;
    QuadrelCore core{port, clock, trace, views};

    CoreHarness() { port.open(1, QStringLiteral("9600,n,8,1")); }

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

    // Answers the awaited request with `payload` as a reply (or an ack when
    // the payload is empty and the request is a setting).
    void Reply(const Bytes& payload) {
        const uint8_t id = core.link.queue.CurrentCommand().bID;
        Bytes frame = {static_cast<uint8_t>(0x80 | id)};
        if (!IsSetCommand(core.link.queue.CurrentCommand().bCommand)) {
            frame.push_back(static_cast<uint8_t>(payload.size()));
            frame.insert(frame.end(), payload.begin(), payload.end());
        }
        frame.push_back(
            basCRC8_Dallas_1_Wire::CalculateCrc8(frame, static_cast<int>(frame.size())));
        port.deliver(frame);
    }

private:
    size_t seen_ = 0;
};

} // namespace quadrel::test
