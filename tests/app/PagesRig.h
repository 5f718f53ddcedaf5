#pragma once

#include "app/SwitchView.h"
#include "app/UnitPane.h"
#include "control/AudioPage.h"
#include "control/AudioViewRelay.h"
#include "control/VideoPage.h"
#include "control/VideoViewRelay.h"
#include "link/VirtualClock.h"
#include "model/QuadrelCore.h"
#include "model/ViewsHub.h"
#include "support/CoreHarness.h"
#include "support/NullViewParts.h"
#include "support/QtPrinters.h"

#include <QApplication>
#include <QPushButton>

#include <cstdio>
#include <string>
#include <vector>

namespace quadrel::test {

// The real core on a scripted port in virtual time, drawing on the real switch
// view, unit pane and pages (through relays, bound before they are built).
struct PagesRig {
    VirtualClock clock;
    FakeSerialPort port;
    TraceRecorder trace;
    NullFrame frame;
    AudioViewRelay audioRelay;
    VideoViewRelay videoRelay;
    ViewsHub hub{sw, audioRelay, videoRelay, pane, frame};
    QuadrelCore core{port, clock, trace, hub};
    SwitchView sw{core, hub, clock};
    UnitPane pane{core, hub};
    AudioPage audio{core, clock, frame};
    VideoPage video{core, frame};

    PagesRig() {
        port.clock = &clock;
        port.open(1, QStringLiteral("9600,n,8,1"));
        audioRelay.setTarget(&audio);
        videoRelay.setTarget(&video);
        core.status.timRequestStatus().stop(); // the poll only where a test wants it
        audio.resize(700, 640);
        video.resize(700, 520);
        audio.show();
        video.show();
    }

    // Registers a connected unit with `caps` as its information replies would.
    UnitRef Register(uint8_t id, int inputs, int outputs, const UnitCaps& caps = UnitCaps(),
                     const QString& name = QString()) {
        QRD_INFO scratch;
        const UnitRef u = AddUnitRecord(scratch, id, inputs, outputs, caps);
        const UnitRef unit = core.model.AddOrUpdateUnit(
            id, name.isEmpty() ? u->sName() : name, true, caps.memories, inputs, outputs, 128, true,
            u->objAudioINFO(), u->objVideoINFO(), u->objPlugINFO(), u->objFirmwareVersion(), hub);
        unit->setblExtendedRead(true); // its extended block read too
        hub.ShowUnitRow(*unit);
        return unit;
    }
    // Registers and selects a unit and lays the views out as its read does;
    // every value in the tables counts as one the unit reported.
    UnitRef Show(uint8_t id, int inputs, int outputs, const UnitCaps& caps = UnitCaps()) {
        UnitRef unit = Register(id, inputs, outputs, caps);
        core.model.objSelectedUnit = unit;
        for (int n = 1; n <= outputs; ++n) {
            core.model.AudioOutputs[n].reported.bits = 0xFF;
        }
        for (int n = 1; n <= inputs; ++n) {
            core.model.VideoInputs[n].reported.bits = 0xFF;
        }
        if (caps.delay) {
            hub.Setup_SelectedDelayRange(caps.maxDelayTime, caps.delayUnit);
        }
        hub.Enable_QRD(false);
        hub.Setup_AllViews();
        hub.Enable_QRD(true);
        QApplication::processEvents(); // lay the pages out
        return unit;
    }

    // Every request written since the last call, then every one waiting, as
    // "code:data0:data1".
    std::vector<std::string> Requests() {
        std::vector<std::string> out;
        return WaitingFrames(core.link.queue, WrittenFrames(port, seen_, out));
    }
    // Forgets what was written so far and drops every waiting request.
    void Forget() {
        core.link.queue.ClearQueue();
        seen_ = port.writes.size();
    }
    // The frame on the line and every frame waiting, in order.
    std::vector<std::string> Line() const {
        std::vector<std::string> out;
        if (core.link.queue.IsWaitingForAnswer()) {
            const SEND_PACKET& c = core.link.queue.CurrentCommand();
            out.push_back(FrameText(c.bCommand, c.data(0), c.data(1)));
        }
        return WaitingFrames(core.link.queue, out);
    }

    // Answers the awaited request: an acknowledgement for a setting, else `payload`.
    void Reply(const Bytes& payload = {}) { ReplyOn(port, core.link.queue, payload); }
    // Acknowledges settings until a query is awaited (or nothing is).
    void AckSettings() {
        while (core.link.queue.IsWaitingForAnswer() && IsSetCommand(Awaited())) {
            Reply();
        }
    }
    // Acknowledges the settings, then answers the query after them with `payload`.
    void Answer(const Bytes& payload) {
        AckSettings();
        Reply(payload);
    }
    uint8_t Awaited() const { return core.link.queue.CurrentCommand().bCommand; }

    template <typename W = QWidget> W* Find(const QString& name) { return sw.findChild<W*>(name); }
    QPushButton* Input(int c) {
        return Find<QPushButton>(QStringLiteral("chkSwitchInput_%1").arg(c));
    }
    QPushButton* Output(int row) {
        return Find<QPushButton>(QStringLiteral("chkSwitchOutput_%1").arg(row));
    }

private:
    size_t seen_ = 0;
};

} // namespace quadrel::test
