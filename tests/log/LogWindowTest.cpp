#include "log/basLog.h"
#include "log/frmLog.h"
#include "model/QuadrelCore.h"
#include "sim/SimSerialPort.h"
#include "support/QtPrinters.h"
#include "support/RecordingViews.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace std::chrono_literals;

namespace {

class NoClock : public LogClock {
public:
    QDateTime LocalNow() const override { return {}; }
};

// What the window system sends when the operator closes from the title bar.
void CloseFromTitleBar(QWidget& window) {
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    // Delivered straight to the handler: sendEvent would clear the flag.
    static_cast<QObject&>(window).event(&close);
}

} // namespace

// Run and Stop enable each other; closing from the title bar hides and the
// window keeps collecting; the text shown is the text held across trims.
TEST(LogWindow, RunStopCloseAndTextShownAcrossTrims) {
    NoClock clock;
    basLog log{QString(), clock};
    frmLog form{log};
    QAction* run = form.ToolbarButton("Run");
    QAction* stop = form.ToolbarButton("Stop");
    ASSERT_TRUE(run && stop);
    const auto enabled = [&] {
        return std::array{form.mnuRun()->isEnabled(), run->isEnabled(), form.mnuStop()->isEnabled(),
                          stop->isEnabled()};
    };
    EXPECT_EQ(enabled(), (std::array{true, true, false, false}));
    run->trigger();
    EXPECT_TRUE(log.blShowTrace());
    EXPECT_EQ(enabled(), (std::array{false, false, true, true}));
    form.Toolbar1_ButtonClick("Pause");
    EXPECT_TRUE(log.blShowTrace());
    form.mnuStop()->trigger();
    EXPECT_FALSE(log.blShowTrace());
    EXPECT_EQ(enabled(), (std::array{true, true, false, false}));

    form.show();
    form.EnableLog(true);
    log.LogSend({0x01, 0x02});
    CloseFromTitleBar(form);
    EXPECT_FALSE(form.isVisible());
    log.LogRecv({0x81, 0xD2});
    form.show();
    EXPECT_EQ(form.txtLog()->toPlainText(), "SEND 01 02 \nRECV 81 D2 \n");
    EXPECT_FALSE(form.mnuRun()->isEnabled());
    form.Unload();
    EXPECT_FALSE(form.isVisible());

    for (int i = 0; i < 6000; ++i) {
        log.LogRecv(Bytes(static_cast<size_t>(1 + (i * 7) % 40), static_cast<uint8_t>(i)));
    }
    log.LogRecv(Bytes(5500, 0xAA)); // one long line
    for (int i = 0; i < 3000; ++i) {
        log.LogSend({0x21, 0x3F, 0x00, 0x00, 0xF1});
    }
    QString held = log.txtLog();
    if (held.startsWith('\n')) {
        held.remove(0, 1);
    }
    EXPECT_EQ(form.txtLog()->toPlainText().replace("\n", "\r\n"), held);
    EXPECT_LT(log.txtLog().size(), basLog::kTrimAt);
}

// On a line with seeded faults the window's figures agree with what the
// emulator reports having done to the answers.
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
    // The answers of unit 1 that the emulator lost or spoilt (a noisy answer
    // comes in two pieces with the same note: counted once).
    int spoilt = 0;
    bool secondPiece = false;
    port.engine().setTrace([&](const sim::LineEvent& e) {
        if (e.kind != sim::LineEvent::Kind::Answer || e.note.rfind("unit 1 ", 0) != 0) {
            return;
        }
        const bool noise = e.note.find("noise") != std::string::npos;
        const bool rest = noise && secondPiece;
        secondPiece = noise && !rest;
        spoilt += !rest && (e.note.find("lost") != std::string::npos ||
                            e.note.find("corrupt") != std::string::npos);
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
    EXPECT_GT(spoilt, 5) << "the seed should give the line some faults";
    EXPECT_GE(figures[1].repeats + figures[1].givenUp, spoilt);
    int dropped = log.words().droppedIdle();
    for (size_t id = 0; id < 32; ++id) {
        dropped += figures[id].dropped;
    }
    EXPECT_GT(dropped, 0); // the bursts of noise
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
    // Hidden polls leave their requests out; a clear starts the figures afresh.
    form.mnuHidePolls()->setChecked(true);
    form.mnuClear()->trigger();
    EXPECT_TRUE(form.txtLog()->toPlainText().isEmpty());
    clock.advance(10s);
    EXPECT_FALSE(form.txtLog()->toPlainText().contains(QStringLiteral("get mute")));
    EXPECT_TRUE(form.lblFigures()->text().startsWith(QStringLiteral("unit 01: ")))
        << form.lblFigures()->text().toStdString();
}
