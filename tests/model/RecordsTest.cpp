// The status tables and the views hub.
#include "log/HeldTrace.h"
#include "model/QRD_INFO.h"
#include "model/QuadrelCore.h"
#include "model/ViewsHub.h"
#include "sim/SimSerialPort.h"
#include "support/LinkHarness.h"
#include "support/NullViewParts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quadrel;
using namespace quadrel::test;

namespace {

// Each call as "routine:a:b", and how many frames had been written by then.
struct Parts : NullSwitchView, NullAudioView, NullVideoView, NullUnitPane {
    std::vector<std::string> calls;
    const std::vector<Bytes>* sent = nullptr;
    std::vector<size_t> sentBefore;
    void Add(const char* what, int a = 0, int b = 0) {
        calls.push_back(std::string(what) + ":" + std::to_string(a) + ":" + std::to_string(b));
        sentBefore.push_back(sent != nullptr ? sent->size() : 0);
    }
    void Setup_SwitchView() override { Add("switch layout"); }
    void Enable_SwitchControl(bool on) override { Add("switch enable", on); }
    void Setup_AudioOutputScroll() override { Add("audio layout"); }
    void Enable_AudioControl(bool on) override { Add("audio enable", on); }
    void Setup_VideoInputScroll() override { Add("video layout"); }
    void Enable_VideoControl(bool on) override { Add("video enable", on); }
    void Enable_lstQRD(bool on) override { Add("list enable", on); }
    void Enable_fraMemory(bool on) override { Add("memory enable", on); }
    void Draw_Crosspoint(int i, int o) override { Add("cross", i, o); }
    void Draw_InputPlug(SignalKind k, int i) override { Add("in", static_cast<int>(k), i); }
    void Draw_OutputPlug(SignalKind k, int o) override { Add("out", static_cast<int>(k), o); }
    void Draw_AudioOutputMute(int o) override { Add("mute", o); }
    void Draw_AudioOutputDelayTime(int o) override { Add("delay", o); }
    void ShowUnitRow(const QRDSTA& unit) override { Add("row", unit.bID()); }
};

// Every call of the link's trace, and how many frames were on the line first.
struct TraceLines : TraceRecorder {
    explicit TraceLines(const sim::SimSerialPort& port) : port(port) {}
    const sim::SimSerialPort& port;
    std::vector<std::string> lines;
    size_t writtenFirst = 0;
    void Add(const char* what, const Bytes& bytes, int n = 0) {
        lines.push_back(what + std::to_string(n) + std::string(bytes.begin(), bytes.end()));
    }
    void LogSend(const Bytes& b) override {
        sent.push_back(b);
        Add("send", b);
        // Written already when the line ends with it (or with a repeat of it).
        const Bytes& line = port.written();
        writtenFirst += line.size() >= b.size() && std::equal(b.rbegin(), b.rend(), line.rbegin());
    }
    void LogRecv(const Bytes& b) override { Add("recv", b); }
    void LogRequest(const SEND_PACKET& r) override { Add("request", r.bFrame); }
    void LogAnswer(const SEND_PACKET& r, const Bytes& f) override {
        Add("request", r.bFrame);
        Add("answer", f);
    }
    void LogRepeat(const SEND_PACKET& r, int n) override { Add("repeat", r.bFrame, n); }
    void LogGiveUp(const SEND_PACKET& r) override { Add("give up", r.bFrame); }
    void LogDrop(DropReason why, int n) override {
        Add("drop", {}, static_cast<int>(why) * 1000 + n);
    }
};

// The core on emulated units, its arrivals holding the hub and trace (or not) as the program does.
struct HubOnLine {
    explicit HubOnLine(bool held) {
        parts.sent = &trace.sent;
        if (held) {
            port.setHandlers({[this] {
                                  const ViewsHub::Held hold(hub);
                                  const HeldTrace::Held tracing(heldTrace);
                                  core.link.receiver.ProcessReceivedData();
                              },
                              [this] { core.link.queue.SendNextCommand(); },
                              [this] { core.link.PortLost(); }});
            later->setOnTick([this] {
                later->stop();
                hub.RunWaiting();
            });
            hub.setLater([this] { later->setEnabled(true); });
        }
        for (const uint8_t id : {0, 5}) {
            sim::UnitConfig unit;
            unit.id = id;
            unit.inputs = unit.outputs = 12;
            port.engine().addUnit(unit);
        }
        port.open(1, QStringLiteral("19200,n,8,1"));
        core.status.SetScanning(true);
        clock.advance(std::chrono::seconds(60)); // the scan, the read, a few polls
    }
    VirtualClock clock;
    sim::SimSerialPort port{clock};
    TraceLines trace{port};
    HeldTrace heldTrace{trace};
    Parts parts;
    NullFrame frame;
    ViewsHub hub{parts, parts, parts, parts, frame};
    QuadrelCore core{port, clock, heldTrace, hub};
    std::unique_ptr<Timer> later = clock.createTimer(std::chrono::milliseconds(1));
};

} // namespace

TEST(ViewsHub, SpanningRoutinesInOrderHeldOnesWaitAndEachPortIsDrawnOnce) {
    Parts log;
    NullFrame frame;
    ViewsHub hub(log, log, log, log, frame);
    hub.Setup_AllViews();
    hub.Enable_QRD(true);
    EXPECT_EQ(log.calls,
              (std::vector<std::string>{"switch layout:0:0", "audio layout:0:0", "video layout:0:0",
                                        "list enable:1:0", "switch enable:1:0", "audio enable:1:0",
                                        "video enable:1:0", "memory enable:1:0"}));
    log.calls.clear();
    {
        const ViewsHub::Held hold(hub);
        hub.Draw_Crosspoint(1, 2);
        hub.Draw_AudioOutputMute(2);
        hub.Draw_Crosspoint(1, 2); // waits already
        hub.Enable_lstQRD(false);
        hub.Draw_Crosspoint(1, 2); // may show what the enabling changed
        hub.RestartSelectedRedraw(AudioValue::Bass);
        {
            const ViewsHub::Held inner(hub);
            hub.Draw_AudioOutputMute(2);
        }
        log.Add("frame written", 0);
        EXPECT_EQ(log.calls, (std::vector<std::string>{"frame written:0:0"}));
        // A question first tells what waits.
        EXPECT_TRUE(hub.IsSelectedRedrawRunning(AudioValue::Bass));
        EXPECT_FALSE(hub.IsSelectedRedrawRunning(AudioValue::Delay));
        hub.Draw_AudioOutputDelayTime(3);
    }
    hub.Draw_InputPlug(SignalKind::Video, 4); // not held: at once
    // Asked to wait for the event loop, it draws when told to, or before anything else.
    int asked = 0;
    hub.setLater([&asked] { ++asked; });
    {
        const ViewsHub::Held hold(hub);
        hub.Draw_VideoInput(5); // a part not logged
        hub.Draw_Crosspoint(6, 7);
    }
    EXPECT_EQ(asked, 1);
    hub.Draw_AudioOutputMute(8);
    {
        const ViewsHub::Held hold(hub);
        hub.Draw_Crosspoint(9, 9);
    }
    EXPECT_EQ(asked, 2);
    // More ports than a first table holds, each drawn twice: drawn once.
    {
        const ViewsHub::Held hold(hub);
        for (int repeat = 0; repeat < 2; ++repeat) {
            for (int o = 10; o < 265; ++o) {
                hub.Draw_AudioOutputDelayTime(o);
            }
        }
    }
    hub.RunWaiting();
    std::vector<std::string> expected{
        "frame written:0:0", "cross:1:2", "mute:2:0",  "list enable:0:0", "cross:1:2", "mute:2:0",
        "delay:3:0",         "in:0:4",    "cross:6:7", "mute:8:0",        "cross:9:9"};
    for (int o = 10; o < 265; ++o) {
        expected.push_back("delay:" + std::to_string(o) + ":0");
    }
    EXPECT_EQ(log.calls, expected);
}

TEST(ViewsHub, HeldDrawingLeavesTheLineAsItWasAndDrawsEveryPort) {
    HubOnLine plain(false);
    HubOnLine held(true);
    EXPECT_EQ(held.trace.sent, plain.trace.sent);
    EXPECT_GT(held.trace.sent.size(), 200u);
    // The same trace, line for line; held, it comes after the frame an answer released.
    EXPECT_EQ(held.trace.lines, plain.trace.lines);
    EXPECT_LT(plain.trace.writtenFirst, plain.trace.sent.size() / 10);
    // (Frames after a time-out, such as the scan's next probe, come from the timer.)
    EXPECT_GT(held.trace.writtenFirst, held.trace.sent.size() * 3 / 4);
    // A port drawn twice for one reply is drawn once; held, after the frame released.
    std::vector<std::string> once;
    std::vector<size_t> sentBefore;
    for (size_t i = 0; i < plain.parts.calls.size(); ++i) {
        if (i == 0 || plain.parts.calls[i] != plain.parts.calls[i - 1] ||
            plain.parts.sentBefore[i] != plain.parts.sentBefore[i - 1]) {
            once.push_back(plain.parts.calls[i]);
            sentBefore.push_back(plain.parts.sentBefore[i]);
        }
    }
    EXPECT_LT(once.size(), plain.parts.calls.size());
    ASSERT_EQ(held.parts.calls, once);
    EXPECT_GT(once.size(), 200u);
    size_t later = 0;
    for (size_t i = 0; i < once.size(); ++i) {
        EXPECT_GE(held.parts.sentBefore[i], sentBefore[i]) << once[i];
        later += held.parts.sentBefore[i] > sentBefore[i] ? 1 : 0;
    }
    EXPECT_GT(later, once.size() * 9 / 10);
}

TEST(StatusTables, PortBoundsRoutingAndClearing) {
    basQRD model;
    RecordingViews views;
    // A replaced collection outlives a reply still holding one of its units.
    const UnitRef unit = model.objUnits().Add(4, "n", true, 0, 1, 1, 128, false, nullptr, nullptr,
                                              nullptr, nullptr, QStringLiteral("4"));
    model.ReplaceUnits();
    EXPECT_EQ(model.objUnits().Count(), 0);
    EXPECT_EQ(unit->bID(), 4);
    EXPECT_THROW(model.AudioOutputs[0], std::out_of_range);
    EXPECT_THROW(model.VideoInputs[256], std::out_of_range);
    EXPECT_THROW(model.Crosspoints[0][1], std::out_of_range);

    // A route moves the crosspoint flag of its own kind only.
    model.SetAudioRoute(2, 5, views);
    model.SetVideoRoute(2, 5, views);
    model.SetAudioRoute(2, 3, views);
    EXPECT_FALSE(model.Crosspoints[5][2].blAudio);
    EXPECT_TRUE(model.Crosspoints[5][2].blVideo);
    EXPECT_TRUE(model.Crosspoints[3][2].blAudio);
    model.SetAudioRoute(2, 0, views);
    EXPECT_FALSE(model.Crosspoints[3][2].blAudio);
    EXPECT_EQ(model.AudioOutputs[2].iInputPort, 0);
    EXPECT_EQ(views.Matching("Draw_Crosspoint"),
              (std::vector<std::string>{"Draw_Crosspoint(5,2)", "Draw_Crosspoint(5,2)",
                                        "Draw_Crosspoint(5,2)", "Draw_Crosspoint(3,2)",
                                        "Draw_Crosspoint(3,2)", "Draw_Crosspoint(0,2)"}));

    // A clear empties the live tables, also after an earlier clear; presets stay.
    model.AudioOutputs[255].iVolumnLevel = 9;
    model.Crosspoints[255][255].blAudio = true;
    model.MemoryAudioOutputs[3].bDelayLevelLow = 0xE8;
    model.ClearUnitStatus();
    EXPECT_EQ(model.AudioOutputs[255].iVolumnLevel, 0);
    EXPECT_FALSE(model.Crosspoints[255][255].blAudio);
    EXPECT_EQ(model.MemoryAudioOutputs[3].bDelayLevelLow, 0xE8);
    model.ClearUnitStatus(); // clean tables stay clean
    model.SetVideoRoute(7, 200, views);
    model.VideoInputSelect[1].blSelected = true;
    model.ClearUnitStatus();
    const basQRD& read = model;
    EXPECT_FALSE(read.Crosspoints[200][7].blVideo);
    EXPECT_EQ(read.VideoOutputs[7].iInputPort, 0);
    EXPECT_FALSE(read.VideoInputSelect[1].blSelected);
    model.Reset();
    EXPECT_EQ(read.MemoryAudioOutputs[3].bDelayLevelLow, 0);
}
