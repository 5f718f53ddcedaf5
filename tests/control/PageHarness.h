#pragma once

#include "control/AudioPage.h"
#include "control/AudioViewRelay.h"
#include "control/VideoPage.h"
#include "control/VideoViewRelay.h"
#include "link/VirtualClock.h"
#include "link/basCRC8_Dallas_1_Wire.h"
#include "model/QuadrelCore.h"
#include "model/ViewsHub.h"
#include "support/CoreHarness.h"
#include "support/NullViewParts.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quadrel::test {

// The real core on a scripted port in virtual time, drawing on the two pages.
struct PageHarness {
    VirtualClock clock;
    FakeSerialPort port;
    TraceRecorder trace;
    NullSwitchView sw;
    NullUnitPane pane;
    NullFrame frame;
    AudioViewRelay audioRelay; // the hub comes before the pages
    VideoViewRelay videoRelay;
    ViewsHub hub{sw, audioRelay, videoRelay, pane, frame};
    QuadrelCore core{port, clock, trace, hub};
    AudioPage audio{core, clock, frame};
    VideoPage video{core, frame};

    PageHarness() {
        port.open(1, QStringLiteral("9600,n,8,1"));
        audioRelay.setTarget(&audio);
        videoRelay.setTarget(&video);
        core.status.timRequestStatus().stop(); // the poll only where a test wants it
        audio.resize(700, 640);
        video.resize(700, 520);
        audio.show();
        video.show();
    }

    // A connected unit, selected and shown as the layout refresh and
    // Enable_QRD would show it.
    UnitRef Show(uint8_t id, int inputs, int outputs, const UnitCaps& caps = UnitCaps()) {
        UnitRef unit = AddUnitRecord(core.model.objUnits(), id, inputs, outputs, caps);
        core.model.objSelectedUnit = unit;
        if (caps.delay) {
            hub.Setup_SelectedDelayRange(caps.maxDelayTime, caps.delayUnit);
        }
        hub.Setup_AllViews();
        hub.Enable_QRD(true);
        QApplication::processEvents(); // lay the pages out
        return unit;
    }

    // The frame on the line and every frame waiting, in order.
    std::vector<std::string> Line() const {
        std::vector<std::string> out;
        if (core.link.queue.IsWaitingForAnswer()) {
            const SEND_PACKET& c = core.link.queue.CurrentCommand();
            out.push_back(Text({0, c.bCommand, c.data(0), c.data(1)}));
        }
        for (const SEND_PACKET& p : core.link.queue.SendQueue()) {
            out.push_back(Text({0, p.bCommand, p.data(0), p.data(1)}));
        }
        return out;
    }

    // Answers the awaited request: an acknowledgement for a setting, else a
    // reply carrying `payload`.
    void Reply(const Bytes& payload = {}) {
        const SEND_PACKET& c = core.link.queue.CurrentCommand();
        Bytes frame = {static_cast<uint8_t>(0x80 | c.bID)};
        if (!IsSetCommand(c.bCommand)) {
            frame.push_back(static_cast<uint8_t>(payload.size()));
            frame.insert(frame.end(), payload.begin(), payload.end());
        }
        frame.push_back(
            basCRC8_Dallas_1_Wire::CalculateCrc8(frame, static_cast<int>(frame.size())));
        port.deliver(frame);
    }
    // Acknowledges settings until a query is awaited (or nothing is).
    void AckSettings() {
        while (core.link.queue.IsWaitingForAnswer() &&
               IsSetCommand(core.link.queue.CurrentCommand().bCommand)) {
            Reply();
        }
    }
    uint8_t Awaited() const { return core.link.queue.CurrentCommand().bCommand; }

    // A click on a port's check box with the given button and modifiers.
    static void Click(QWidget* box, Qt::KeyboardModifiers mods = Qt::NoModifier,
                      Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(box, button, mods, QPoint(6, box->height() / 2));
    }

    // One notch of the wheel over the middle of `w` (up when `up`), as from
    // the mouse so that it travels up to the containers. True when taken.
    static bool Wheel(QWidget* w, bool up) {
        const QPointF at(w->width() / 2.0, w->height() / 2.0);
        QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, up ? 120 : -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        e.ignore();
        QSpontaneKeyEvent::setSpontaneous(&e);
        QApplication::instance()->notify(w, &e);
        return e.isAccepted();
    }

    // Keys pressed on the focused box of a page's panels, and where each
    // step leaves the focus (the box's caption) and the scroll bar.
    struct KeyStep {
        Qt::Key key;
        int times;
        const char* focus;
        int scroll;
    };
    static void RunKeys(QWidget& page, const QScrollBar& bar, const std::vector<KeyStep>& steps) {
        for (const KeyStep& s : steps) {
            for (int i = 0; i < s.times; ++i) {
                QTest::keyClick(page.focusWidget(), s.key);
            }
            const auto* box = qobject_cast<QAbstractButton*>(page.focusWidget());
            EXPECT_EQ(box ? box->text().toStdString() : "no box", s.focus)
                << QTest::toString(s.key) << " x" << s.times;
            EXPECT_EQ(bar.value(), s.scroll) << QTest::toString(s.key) << " x" << s.times;
        }
    }

private:
    static std::string Text(const Bytes& f) {
        char text[32];
        std::snprintf(text, sizeof text, "%02X:%d:%d", f.size() > 1 ? f[1] : 0,
                      f.size() > 2 ? f[2] : 0, f.size() > 3 ? f[3] : 0);
        return text;
    }
};

} // namespace quadrel::test
