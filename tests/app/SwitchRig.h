#pragma once

#include "app/SwitchView.h"
#include "app/UnitPane.h"
#include "link/VirtualClock.h"
#include "link/basCRC8_Dallas_1_Wire.h"
#include "model/QuadrelCore.h"
#include "model/ViewsHub.h"
#include "support/FakeSerialPort.h"
#include "support/LinkHarness.h"
#include "support/NullViewParts.h"
#include "support/QtPrinters.h"

#include <QPushButton>

#include <cstdio>
#include <string>
#include <vector>

namespace quadrel::test {

// The real core on a scripted port in virtual time, drawing on the real
// switch view and unit pane; the audio and video pages and the frame are
// stand-ins. The hub is bound to the two widgets before they are built:
// nothing draws until the core is asked to.
struct SwitchRig {
    VirtualClock clock;
    FakeSerialPort port;
    TraceRecorder trace;
    NullAudioView audio;
    NullVideoView video;
    NullFrame frame;
    ViewsHub hub{sw, audio, video, pane, frame};
    QuadrelCore core{port, clock, trace, hub};
    SwitchView sw{core, hub, clock};
    UnitPane pane{core, hub};

    SwitchRig() { port.open(1, QStringLiteral("9600,n,8,1")); }

    struct Caps {
        bool audio = true;
        bool video = true;
        bool plugs = true;
        bool delay = false;
        bool firmware = false;
        int memories = 4;
    };

    // Registers a connected unit as its information replies would, selects
    // it, and disables, lays out and enables the views as its read does.
    UnitRef ShowUnit(uint8_t id, int inputs, int outputs, const Caps& caps) {
        UnitRef unit = Register(id, inputs, outputs, caps);
        core.model.objSelectedUnit = unit;
        hub.Enable_QRD(false);
        hub.Enable_QRD(true);
        hub.Setup_AllViews();
        return unit;
    }
    UnitRef ShowUnit(uint8_t id, int inputs, int outputs) {
        return ShowUnit(id, inputs, outputs, Caps{});
    }

    UnitRef Register(uint8_t id, int inputs, int outputs, const Caps& caps,
                     const QString& name = QString()) {
        auto a = std::make_shared<AUDIO_INFO>();
        a->setblEnabled(caps.audio);
        a->setblSupportDelayControl(caps.delay);
        a->setiDelayUnit(5);
        a->setiMaxDelayTime(2000);
        auto v = std::make_shared<VIDEO_INFO>();
        v->setblEnabled(caps.video);
        auto p = std::make_shared<PLUG_INFO>();
        p->setblSupportAudioInputPlugDetection(caps.plugs);
        p->setblSupportVideoInputPlugDetection(caps.plugs);
        p->setblSupportAudioOutputPlugDetection(caps.plugs);
        p->setblSupportVideoOutputPlugDetection(caps.plugs);
        auto f = std::make_shared<FIRMWARE_VERSION>();
        f->setblEnabled(caps.firmware);
        return core.model.AddOrUpdateUnit(
            id, name.isEmpty() ? QStringLiteral("Unit %1").arg(id) : name, true, caps.memories,
            inputs, outputs, 128, false, a, v, p, f, hub);
    }

    // Every request handed to the line so far and still waiting, in order,
    // as "code:data0:data1"; the written ones are forgotten.
    std::vector<std::string> Requests() {
        std::vector<std::string> out;
        for (; seen_ < port.writes.size(); ++seen_) {
            const Bytes& f = port.writes[seen_];
            out.push_back(
                Text(f.size() > 1 ? f[1] : 0, f.size() > 2 ? f[2] : 0, f.size() > 3 ? f[3] : 0));
        }
        for (const SEND_PACKET& p : core.link.queue.SendQueue()) {
            out.push_back(Text(p.bCommand, p.data(0), p.data(1)));
        }
        return out;
    }
    // Forgets what was written so far and drops every waiting request.
    void Forget() {
        core.link.queue.ClearQueue();
        seen_ = port.writes.size();
    }

    // Answers the awaited request: an acknowledgement for a setting, else a
    // reply carrying `payload`.
    void Reply(const Bytes& payload) {
        const uint8_t id = core.link.queue.CurrentCommand().bID;
        Bytes f = {static_cast<uint8_t>(0x80 | id)};
        if (!IsSetCommand(core.link.queue.CurrentCommand().bCommand)) {
            f.push_back(static_cast<uint8_t>(payload.size()));
            f.insert(f.end(), payload.begin(), payload.end());
        }
        f.push_back(basCRC8_Dallas_1_Wire::CalculateCrc8(f, static_cast<int>(f.size())));
        port.deliver(f);
    }
    uint8_t AwaitedCode() const { return core.link.queue.CurrentCommand().bCommand; }

    template <typename W = QWidget> W* Find(const QString& name) { return sw.findChild<W*>(name); }
    QPushButton* Input(int c) {
        return Find<QPushButton>(QStringLiteral("chkSwitchInput_%1").arg(c));
    }
    QPushButton* Output(int row) {
        return Find<QPushButton>(QStringLiteral("chkSwitchOutput_%1").arg(row));
    }

private:
    static std::string Text(int code, int d0, int d1) {
        char text[32];
        std::snprintf(text, sizeof text, "%02X:%d:%d", code, d0, d1);
        return text;
    }
    size_t seen_ = 0;
};

} // namespace quadrel::test
