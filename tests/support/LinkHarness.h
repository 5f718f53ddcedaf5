#pragma once

#include "link/ReplySink.h"
#include "link/VirtualClock.h"
#include "link/basCommunication.h"
#include "model/basQRD.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingViews.h"

#include <cstdio>
#include <string>
#include <vector>

namespace quadrel::test {

// Counts what the trace was given.
struct TraceRecorder : LinkTrace {
    std::vector<Bytes> sent;
    std::vector<Bytes> received;
    void LogSend(const Bytes& b) override { sent.push_back(b); }
    void LogRecv(const Bytes& b) override { received.push_back(b); }
};

// Busy flags with no side effects: enough for the link on its own.
struct FlagsOnly : BusyFlags {
    bool loading = false, memory = false, scanning = false;
    void SetLoadingStatus(bool on) override { loading = on; }
    void SetLoadingMemory(bool on) override { memory = on; }
    void SetScanning(bool on) override { scanning = on; }
    bool blScanning() const override { return scanning; }
};

// Writes down which handler the parser chose, with the payload, and takes
// the reply (acknowledges) unless told not to.
struct ReplyRecorder : ReplySink {
    explicit ReplyRecorder(basCommunication& link) : link(link) {}
    basCommunication& link;
    std::vector<std::string> calls;
    std::vector<Bytes> payloads;
    bool acknowledge = true;

    void Took(const std::string& name) {
        calls.push_back(name);
        const RECV_PACKET& p = link.receiver.packet();
        payloads.push_back(
            Bytes(p.bData.begin(),
                  p.bData.begin() +
                      std::min<size_t>(p.bData.size(), static_cast<size_t>(p.iDataLength))));
        if (acknowledge) {
            link.queue.AcknowledgeCommand();
        }
    }
    static std::string K(SignalKind k) { return k == SignalKind::Video ? "video" : "audio"; }
    void ReplySwitchStatus(SignalKind k) override { Took("ReplySwitchStatus " + K(k)); }
    void ReplyInputPlugStatus(SignalKind k) override { Took("ReplyInputPlugStatus " + K(k)); }
    void ReplyOutputPlugStatus(SignalKind k) override { Took("ReplyOutputPlugStatus " + K(k)); }
    void ReplyMuteStatus() override { Took("ReplyMuteStatus"); }
    void ReplyVolumnLevel() override { Took("ReplyVolumnLevel"); }
    void ReplyBassLevel() override { Took("ReplyBassLevel"); }
    void ReplyTrebleLevel() override { Took("ReplyTrebleLevel"); }
    void ReplySubwooferLevel() override { Took("ReplySubwooferLevel"); }
    void ReplyDelayTime(DelayPart p) override {
        Took(p == DelayPart::Low ? "ReplyDelayTime low" : "ReplyDelayTime high");
    }
    void ReplyEdidType() override { Took("ReplyEdidType"); }
    void ReplyFirmwareVersion() override { Took("ReplyFirmwareVersion"); }
    void ReplyUnitInfo() override { Took("ReplyUnitInfo"); }
    void ReplyExtendedInfo() override { Took("ReplyExtendedInfo"); }
};

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

// The link on a scripted port in virtual time, with recording fakes around it
// (and the trace given, or a recording one).
struct LinkHarness {
    VirtualClock clock;
    FakeSerialPort port;
    TraceRecorder trace;
    basQRD model;
    RecordingViews views;
    FlagsOnly busy;
    basCommunication link;
    ReplyRecorder replies{link};
    std::vector<uint8_t> infoRequests;

    explicit LinkHarness(LinkTrace* tracing = nullptr)
        : link(port, clock, tracing != nullptr ? *tracing : trace, model) {
        port.clock = &clock;
        port.open(1, QStringLiteral("9600,n,8,1"));
        link.queue.attach(busy, views, [this](uint8_t id) { infoRequests.push_back(id); });
        link.receiver.setReplySink(replies);
    }

    // Adds a connected record for `id`, 8 by 8, optionally selected.
    UnitRef AddUnit(uint8_t id, bool select = false) {
        const UnitRef unit = AddUnitRecord(model.objUnits(), id, 8, 8);
        if (select) {
            model.objSelectedUnit = unit;
        }
        return unit;
    }
};

} // namespace quadrel::test
