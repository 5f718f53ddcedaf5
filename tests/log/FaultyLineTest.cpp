// The log window on a faulty line: the core against the in-process emulator
// with seeded faults, in virtual time. What the window's figures say must
// agree with what the emulator reports having done to the answers.
#include "log/basLog.h"
#include "log/frmLog.h"
#include "model/QuadrelCore.h"
#include "sim/SimSerialPort.h"
#include "support/RecordingViews.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace std::chrono_literals;

namespace {

struct NoClock : LogClock {
    QDateTime LocalNow() const override { return {}; }
};

// What the emulator did to the answers of each unit.
struct Done {
    int lost = 0, corrupt = 0, noise = 0;
};

} // namespace

TEST(FaultyLine, TheWindowsFiguresAgreeWithTheEmulator) {
    NoClock noClock;
    VirtualClock clock;
    sim::SimSerialPort port(
        clock,
        {.baud = 19200, .seed = 7, .faults = {.lost = 0.05, .corrupt = 0.05, .noise = 0.05}});
    basLog log(QString(), noClock);
    test::RecordingViews views;
    QuadrelCore core(port, clock, log, views);
    frmLog form(log);
    std::array<Done, 32> done{};
    bool secondPiece = false;
    port.engine().setTrace([&done, &secondPiece](const sim::LineEvent& e) {
        if (e.kind != sim::LineEvent::Kind::Answer || e.note.rfind("unit ", 0) != 0) {
            return;
        }
        Done& d = done[static_cast<size_t>(std::stoi(e.note.substr(5)) & 0x1F)];
        // A noisy answer comes in two pieces with the same note: count once.
        const bool noisePiece = e.note.find("noise") != std::string::npos;
        if (noisePiece && secondPiece) {
            secondPiece = false;
            return;
        }
        secondPiece = noisePiece;
        d.lost += e.note.find("lost") != std::string::npos;
        d.corrupt += e.note.find("corrupt") != std::string::npos;
        d.noise += noisePiece;
    });
    for (uint8_t id : {1, 2}) {
        sim::UnitConfig unit;
        unit.id = id;
        port.engine().addUnit(unit);
    }
    port.open(200, QStringLiteral("19200,n,8,1"));
    form.mnuRun()->trigger();
    form.mnuWords()->setChecked(true);

    // A scan, then two minutes of the once-a-second poll of unit 1.
    core.status.SetScanning(true);
    ASSERT_TRUE(clock.advanceUntil([&] { return !core.status.IsBusy(); }, 120s));
    clock.advance(120s);
    // Let the last exchange end: an answer spoilt just now is repeated later.
    core.status.timRequestStatus().stop();
    clock.advance(2s);
    log.FlushWords();

    const auto& figures = log.words().figures();
    const Done& one = done[1];
    EXPECT_GT(one.lost + one.corrupt, 5) << "the seed should give the line some faults";
    EXPECT_GE(figures[1].repeats + figures[1].givenUp, one.lost + one.corrupt);
    int dropped = log.words().droppedIdle();
    int bursts = 0;
    for (size_t id = 0; id < 32; ++id) {
        dropped += figures[id].dropped;
        bursts += done[id].noise;
    }
    EXPECT_GT(bursts, 0);
    EXPECT_GE(dropped, bursts);
    // The status bar shows the same figures.
    EXPECT_EQ(form.lblFigures()->text(), log.words().FiguresText());
    EXPECT_TRUE(form.lblFigures()->text().startsWith(
        QStringLiteral("unit 00: 1 requests, 2 repeats, 1 give-ups, 0 dropped")))
        << form.lblFigures()->text().toStdString();
    // Words lines with their time stamps in the window, after the hex lines.
    const QString text = form.txtLog()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral(" ms  unit 01 repeat 2 of 3")));
    EXPECT_TRUE(form.lblFigures()->text().contains(
        QStringLiteral("unit 31: 1 requests, 2 repeats, 1 give-ups, 0 dropped")));

    core.status.timRequestStatus().start();
    // Hiding the poll leaves its requests out; clearing empties the text and
    // starts the figures afresh.
    form.mnuHidePolls()->setChecked(true);
    form.mnuClear()->trigger();
    EXPECT_TRUE(form.txtLog()->toPlainText().isEmpty());
    clock.advance(10s);
    EXPECT_FALSE(form.txtLog()->toPlainText().contains(QStringLiteral("get mute")));
    EXPECT_TRUE(form.lblFigures()->text().startsWith(QStringLiteral("unit 01: ")))
        << form.lblFigures()->text().toStdString();
}
