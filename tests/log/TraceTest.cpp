// The trace, its trim, the daily log file, the lines in words, the log window.
#include "link/CommandCodes.h"
#include "log/FrameWords.h"
#include "log/HeldTrace.h"
#include "log/TraceFiguresView.h"
#include "log/basLog.h"
#include "log/frmLog.h"
#include "model/ProgramState.h"
#include "support/CoreHarness.h"
#include "support/QtPrinters.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

class FixedClock : public LogClock {
public:
    QDateTime LocalNow() const override { return now; }
    QDateTime now{QDate(2012, 1, 11), QTime(9, 5, 7)};
};

// The local time of a line as the line's virtual time goes on.
class LineClock : public LogClock {
public:
    explicit LineClock(const VirtualClock& clock) : clock_(clock) {}
    QDateTime LocalNow() const override {
        return QDateTime(QDate(2026, 12, 8), QTime(21, 40, 12, 345))
            .addMSecs(std::chrono::duration_cast<std::chrono::milliseconds>(clock_.now()).count());
    }

private:
    const VirtualClock& clock_;
};

struct Lines : TraceSink {
    QStringList lines;
    void AppendTraceLine(const QString& text, TraceColour) override { lines << text; }
    void RemoveLeadingTrace(qsizetype) override {}
    void ClearTrace() override { lines.clear(); }
    // The lines without their times.
    QStringList Bare() const {
        return QStringList(lines).replaceInStrings(
            QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d "), "");
    }
};

QString Line(qsizetype length, char fill = 'x') {
    return QString(length, QLatin1Char(fill));
}

const QString kDaily = QStringLiteral("/LOG/EVENT20120111");

SEND_PACKET Packet(uint8_t id, uint8_t code, uint8_t d0, uint8_t d1) {
    SEND_PACKET p;
    p.bID = id;
    p.bCommand = code;
    p.bData = {d0, d1};
    p.lPriority = 1;
    return p;
}

// The whole core, its trace held over each arrival as the program holds it.
struct TracedCore {
    VirtualClock clock;
    LineClock lineClock{clock};
    Lines sink;
    basLog log{QString(), lineClock};
    HeldTrace held{log};
    FakeSerialPort port;
    RecordingViews views;
    QuadrelCore core{port, clock, held, views};

    TracedCore() {
        port.clock = &clock;
        port.open(1, QStringLiteral("9600,n,8,1"));
        log.setSink(&sink);
        log.setBlShowTrace(true);
        log.setShowWords(true);
    }
    void Deliver(const Bytes& bytes) {
        const HeldTrace::Held holding(held);
        port.deliver(bytes);
    }
};

} // namespace

TEST(Trace, LinesWhileOnHeldWhilePausedClearedSavedWithAHeadAndTrimmed) {
    FixedClock clock;
    Lines sink;
    basLog log(QString(), clock);
    log.setSink(&sink);
    log.LogSend({0x01, 0x02});
    EXPECT_TRUE(log.txtLog().isEmpty());
    log.setBlShowTrace(true);
    log.LogSend({0x01, 0x02});
    EXPECT_EQ(log.txtLog(), "09:05:07.000 SEND 01 02 \r\n");
    EXPECT_EQ(sink.lines, QStringList{"09:05:07.000 SEND 01 02 "});

    log.setPaused(true);
    log.LogSend({0x03});
    EXPECT_EQ(sink.lines.size(), 1);
    log.setPaused(false);
    EXPECT_EQ(sink.lines.last(), "09:05:07.000 SEND 03 ");

    QTemporaryDir dir;
    const QString path = dir.filePath("trace.txt");
    log.setLineDescription([] { return QStringLiteral("COM7 at 9600 baud"); });
    ASSERT_TRUE(log.SaveTrace(path, "2.2.1"));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()),
              "Quadrel 2.2.1 trace saved 2012-01-11 09:05:07\r\nCOM7 at 9600 baud\r\n\r\n" +
                  log.txtLog());
    EXPECT_FALSE(log.SaveTrace(dir.filePath("no/such/folder/trace.txt"), "2.2.1"));
    log.ClearTrace();
    EXPECT_TRUE(sink.lines.isEmpty());
    EXPECT_TRUE(log.txtLog().isEmpty());

    // 655 lines of 100 characters with their CR LF: 65,500 characters.
    for (int i = 0; i < 655; ++i) {
        log.ShowTrace(Line(98, static_cast<char>('a' + i % 26)), TraceColour::Send);
    }
    log.ShowTrace(Line(34, 'Z'), TraceColour::Recv); // 65,536 after it: no trim yet
    ASSERT_EQ(log.txtLog().size(), 65536);
    log.ShowTrace(Line(38, 'Y'), TraceColour::Recv);
    // Up to the CR of line 163 (16,299, the last at or before 16,384) goes; its LF stays.
    EXPECT_EQ(log.txtLog().size(), 65536 - 16299 + 40);
    EXPECT_TRUE(log.txtLog().startsWith("\n" + Line(98, 'a' + 163 % 26)));

    // The CR on 16,384 (1-based), then on 16,385; no pair in the window.
    const QString tail = "\r\n" + Line(50000) + "\r\n";
    EXPECT_EQ(basLog::TrimLength(Line(100) + "\r\n" + Line(16281) + tail), 16384);
    EXPECT_EQ(basLog::TrimLength(Line(100) + "\r\n" + Line(16282) + tail), 101);
    EXPECT_EQ(basLog::TrimLength("\n" + Line(20000) + "\r\n" + Line(100) + "\r\n"), 20002);
    EXPECT_EQ(basLog::TrimLength(Line(30000)), 16384);

    // One long line, many times over, cannot stop the trim.
    for (int round = 0; round < 40; ++round) {
        log.ShowTrace(Line(16500, 'L'), TraceColour::Recv);
        for (int i = 0; i < 200; ++i) {
            log.LogSend({0x21, 0x13, 0x00, 0x00, 0x5A});
        }
        ASSERT_LT(log.txtLog().size(), basLog::kTrimAt + 16510);
    }
}

// Whatever stands in the daily file's way (no LOG folder, a file, folder, pipe) loses the line.
TEST(LogFile, AppendsToTheDailyFileOnlyWhenOnAndLeavesWhatIsInTheWayAlone) {
    QTemporaryDir dir, file, folder, pipe;
    FixedClock clock;
    basLog log(dir.path() + "/", clock);
    log.setBlWriteLogFile(true);
    log.LogSend({0x01});
    EXPECT_FALSE(QDir(dir.path() + "/LOG").exists());
    ASSERT_TRUE(QDir(dir.path()).mkdir("LOG"));
    log.setBlWriteLogFile(false);
    log.LogSend({0x01, 0x02});
    log.setBlWriteLogFile(true);
    log.LogSend({0x01, 0x02});
    clock.now = clock.now.addSecs(3600 * 12);
    log.LogRecv({0x81});
    log.WriteLog("", "text");
    log.WriteLog("EVENT", "");
    QFile f(dir.path() + kDaily);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("09:05:07 SEND 01 02 \r\n21:05:07 RECV 81 \r\n"));
    clock.now = clock.now.addDays(1);
    log.LogEvent("next day");
    EXPECT_TRUE(QFile::exists(dir.path() + "/LOG/EVENT20120112"));

    QFile notAFolder(file.path() + "/LOG");
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    notAFolder.write("not a folder");
    notAFolder.close();
    ASSERT_TRUE(QDir(folder.path()).mkpath("LOG/EVENT20120111"));
    ASSERT_TRUE(QDir(pipe.path()).mkdir("LOG"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe.path() + kDaily).constData(), 0600), 0);
    for (const QTemporaryDir* in : {&file, &folder, &pipe}) {
        FixedClock day;
        basLog other(in->path() + "/", day);
        other.setBlWriteLogFile(true);
        other.LogSend({0x01, 0x02});
        other.LogEvent("second");
    }
    ASSERT_TRUE(notAFolder.open(QIODevice::ReadOnly));
    EXPECT_EQ(notAFolder.readAll(), "not a folder");
    EXPECT_TRUE(QFileInfo(folder.path() + kDaily).isDir());
    EXPECT_FALSE(QFileInfo(pipe.path() + kDaily).isFile());
}

TEST(FrameWords, RequestsAndRepliesWithTheirValues) {
    const std::vector<std::pair<SEND_PACKET, QString>> requests = {
        {Packet(1, kCmdSetVideoSwitch, 2, 3), "unit 01 set video route output 2 = input 3"},
        {Packet(1, kCmdSetAudioSwitch, 2, 0), "unit 01 disconnect audio route output 2"},
        {Packet(1, kCmdLoadAudioMemory, 0, 4), "unit 01 load audio preset 4"},
        {Packet(1, kCmdGetAudioSwitch, 5, 2), "unit 01 get audio route output 5, preset 2"},
        {Packet(1, kCmdGetAudioOutputPlug, 0, 0), "unit 01 get audio output plugs all outputs"},
        {Packet(0x1A, kCmdSetEdidType, 3, 1), "unit 1A set EDID input 3 = output 1"},
        {Packet(1, 0x2A, 1, 2), "unit 01 command 2A (1, 2)"},
    };
    for (const auto& [packet, words] : requests) {
        EXPECT_EQ(FrameWords::Request(packet), words);
    }
    const auto reply = [](uint8_t code, uint8_t d1, Bytes data, uint8_t d0 = 0) {
        Bytes frame(data.size() + 3, 0);
        frame[0] = 0x8A;
        frame[1] = static_cast<uint8_t>(data.size());
        std::copy(data.begin(), data.end(), frame.begin() + 2);
        return FrameWords::Answer(Packet(0x0A, code, d0, d1), frame);
    };
    EXPECT_EQ(reply(kCmdGetVolumnLevel, 0, {3, 40}), "unit 0A reply: volume of output 3 = 40");
    EXPECT_EQ(reply(kCmdGetVolumnLevel, 2, {1, 50, 2, 30, 3, 120}),
              "unit 0A reply: volume in preset 2 of outputs 1–3 = 50 30 120");
    EXPECT_EQ(reply(kCmdGetMute, 0, {2, 1, 7, 0}),
              "unit 0A reply: mute of output 2 = on, output 7 = off");
    EXPECT_EQ(reply(kCmdGetAudioSwitch, 0, {1, 4, 2, 0}),
              "unit 0A reply: audio input of outputs 1–2 = 4 none");
    EXPECT_EQ(reply(kCmdGetVideoInputPlug, 0, {}), "unit 0A reply: video input plugs: none");
    EXPECT_EQ(reply(kCmdGetFirmwareVersion, 0, {0x12, 3}), "unit 0A reply: firmware 1.2.3");
    EXPECT_EQ(reply(kCmdGetUnitInfo, 0, {0xE4, 4, 8, 'H', 'a', 'l', 'l'}),
              "unit 0A reply: information: \"Hall\", 8 inputs, 4 outputs, 4 presets, audio and "
              "video, extended block");
    // Delay is bit 6 of the audio abilities; bit 5 is no ability.
    EXPECT_EQ(reply(kCmdGetUnitInfo, 0, {0, 0, 0x41, 0, 20}, 1),
              "unit 0A reply: extended information: volume, delay (5 ms steps, up to 2000 ms)");
    EXPECT_EQ(reply(kCmdGetUnitInfo, 0, {0, 0, 0x21, 0, 20}, 1),
              "unit 0A reply: extended information: volume");
    EXPECT_EQ(FrameWords::Answer(Packet(0x0A, kCmdSetMute, 1, 1), {0x8A, 0x00}), "unit 0A ack");
    EXPECT_EQ(FrameWords::Dropped(DropReason::BufferFull, 513), "dropped 513 bytes: buffer full");
    EXPECT_EQ(FrameWords::IdRanges({0, 2, 3, 4, 0x1F}), "00, 02–04, 1F");
}

// A faulty line, as a field engineer reads it: one line per frame, each
// fault once with its reason, every reply with its values, times going on.
TEST(TraceLines, AFaultyLineReadsOneLinePerFrameWithReasonsValuesAndTimes) {
    TracedCore t;
    CoreHarness::Caps caps;
    AddUnitRecord(t.core.model.objUnits(), 0x0A, 4, 4, caps);
    t.core.model.objSelectedUnit = t.core.model.FindUnit(0x0A);
    t.core.status.timRequestStatus().stop(); // the polls here are the test's own
    CommandSenders& s = t.core.link.senders;

    // A reply in three pieces; then one with a spoilt checksum, repeated.
    s.CmdGetVolumnLevel(0x0A, 0, 0, 1);
    const Bytes volumes = WithCrc({0x8A, 0x08, 1, 50, 2, 30, 3, 40, 4, 40});
    t.clock.advance(20ms);
    t.Deliver(Bytes(volumes.begin(), volumes.begin() + 2));
    t.clock.advance(3ms);
    t.Deliver(Bytes(volumes.begin() + 2, volumes.begin() + 5));
    t.clock.advance(7ms);
    t.Deliver(Bytes(volumes.begin() + 5, volumes.end()));
    s.CmdGetBassLevel(0x0A, 0, 0, 1);
    Bytes spoilt = WithCrc({0x8A, 0x02, 1, 50});
    spoilt.back() ^= 0x01;
    t.Deliver(spoilt);
    t.clock.advance(300ms);
    t.Deliver(WithCrc({0x8A, 0x02, 1, 50}));
    t.clock.advance(700ms); // the line settles after an answer to a repeat
    // A value out of range: refused, and the link repeats the request.
    s.CmdGetTrebleLevel(0x0A, 0, 0, 1);
    t.Deliver(WithCrc({0x8A, 0x04, 1, 50, 3, 120}));
    t.clock.advance(300ms);
    t.Deliver(WithCrc({0x8A, 0x04, 1, 50, 3, 60}));
    t.clock.advance(700ms);
    // Noise while nothing is awaited, then an answer lost for good.
    t.Deliver({0x55, 0x55, 0x55});
    s.CmdSetMute(0x0A, 1, 1, 0);
    t.clock.advance(1000ms);
    // An empty ID, probed: no fault.
    s.CmdGetUnitInfo(3, 0, 1);
    t.clock.advance(2000ms);
    t.log.FlushWords();

    EXPECT_EQ(t.sink.Bare(),
              (QStringList{"SEND 2A 13 00 00 C5 ",
                           "     unit 0A get volume all outputs, live",
                           "RECV 8A 08 01 32 02 1E 03 28 04 28 D2 ",
                           "     unit 0A reply: volume of outputs 1–4 = 50 30 40 40",
                           "SEND 2A 15 00 00 14 ",
                           "     unit 0A get bass all outputs, live",
                           "RECV dropped 5 bytes: bad checksum  8A 02 01 32 4A ",
                           "SEND 2A 15 00 00 14  unit 0A repeat 2 of 3",
                           "RECV 8A 02 01 32 4B ",
                           "     unit 0A reply: bass of output 1 = 50",
                           "SEND 2A 17 00 00 5B ",
                           "     unit 0A get treble all outputs, live",
                           "RECV 8A 04 01 32 03 78 4B ",
                           "     unit 0A reply: treble of output 1 = 50, output 3 = 120",
                           "     unit 0A reply refused: treble 120 of output 3 is outside 0–100",
                           "SEND 2A 17 00 00 5B  unit 0A repeat 2 of 3",
                           "RECV 8A 04 01 32 03 3C 6C ",
                           "     unit 0A reply: treble of output 1 = 50, output 3 = 60",
                           "RECV dropped 3 bytes: no request waiting  55 55 55 ",
                           "SEND 2A 10 01 01 BB ",
                           "     unit 0A set mute output 1 = on",
                           "SEND 2A 10 01 01 BB  unit 0A repeat 2 of 3",
                           "SEND 2A 10 01 01 BB  unit 0A repeat 3 of 3",
                           "     unit 0A given up after 3 tries",
                           "SEND 23 3F 00 00 79 ",
                           "     unit 03 get information",
                           "SEND 23 3F 00 00 79  unit 03 repeat 2 of 3",
                           "SEND 23 3F 00 00 79  unit 03 repeat 3 of 3",
                           "     no unit at ID 03"}))
        << t.sink.lines.join('\n').toStdString();
    // Times never go back, and count the line's milliseconds.
    QTime last(0, 0);
    for (const QString& line : t.sink.lines) {
        const QTime at = QTime::fromString(line.left(12), "HH:mm:ss.zzz");
        ASSERT_TRUE(at.isValid()) << line.toStdString();
        EXPECT_GE(at, last) << line.toStdString();
        last = at;
    }
    EXPECT_TRUE(t.sink.lines[2].startsWith("21:40:12.375 RECV")) << t.sink.lines[2].toStdString();

    const TraceFigures& f = t.log.figures();
    const UnitFigures& unit = f.unit(0x0A);
    EXPECT_EQ((std::array{unit.requests, unit.answers, unit.refused, unit.repeats, unit.givenUp,
                          unit.droppedBytes}),
              (std::array{4, 3, 1, 4, 1, 5}));
    EXPECT_EQ(f.droppedIdle(), 3);
    EXPECT_EQ(f.UnitsShown(), std::vector<uint8_t>{0x0A});
    EXPECT_EQ(f.EmptyIds(), std::vector<uint8_t>{3});

    // Pieces on request; polls left out keep their faults.
    t.core.model.FindUnit(0x0A)->setblConnected(true);
    t.sink.lines.clear();
    t.log.setHidePolls(true);
    t.log.setShowPieces(true);
    s.CmdGetMute(0x0A, 2, 0, 1);
    const Bytes mute = WithCrc({0x8A, 0x02, 2, 0});
    t.Deliver({mute[0]});
    t.Deliver({mute[1], mute[2], mute[3]});
    t.Deliver({mute[4]});
    t.clock.advance(700ms);
    s.CmdGetMute(0x0A, 0, 0, 2);
    t.Deliver({0x8A, 0x04, 1, 0, 3});
    t.clock.advance(300ms);
    EXPECT_EQ(t.sink.Bare(),
              (QStringList{"SEND 2A 11 02 00 1B ", "     unit 0A get mute output 2, live",
                           "piece 8A ", "piece 02 02 00 ", "piece 1C ", "RECV 8A 02 02 00 1C ",
                           "     unit 0A reply: mute of output 2 = off",
                           "RECV dropped 5 bytes: frame time-out  8A 04 01 00 03 ",
                           "SEND 2A 11 00 00 8A  unit 0A repeat 2 of 3"}))
        << t.sink.lines.join('\n').toStdString();
}

TEST(LogWindow, RunStopCloseTextInBatchesAcrossTrimsFiguresAndChoicesKept) {
    QTemporaryDir folder;
    ProgramState state(folder.filePath("state.ini"));
    FixedClock clock;
    basLog log{QString(), clock};
    log.setState(&state);
    auto form = std::make_unique<frmLog>(log);
    EXPECT_EQ(form->windowTitle(), "Quadrel communication log");
    QAction* run = form->ToolbarButton("Run");
    QAction* stop = form->ToolbarButton("Stop");
    ASSERT_TRUE(run && stop);
    const auto enabled = [&] {
        return std::array{form->mnuRun()->isEnabled(), run->isEnabled(),
                          form->mnuStop()->isEnabled(), stop->isEnabled()};
    };
    EXPECT_EQ(enabled(), (std::array{true, true, false, false}));
    run->trigger();
    EXPECT_TRUE(log.blShowTrace());
    EXPECT_EQ(enabled(), (std::array{false, false, true, true}));
    form->Toolbar1_ButtonClick("Pause");
    EXPECT_TRUE(log.blShowTrace());
    form->mnuStop()->trigger();
    EXPECT_FALSE(log.blShowTrace());
    EXPECT_EQ(enabled(), (std::array{true, true, false, false}));

    // Hidden, the window collects; its box fills at the next tick once shown.
    form->show();
    form->EnableLog(true);
    log.LogSend({0x01, 0x02});
    // Closed from the title bar, straight to the handler: sendEvent would clear the flag.
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    static_cast<QObject&>(*form).event(&close);
    EXPECT_FALSE(form->isVisible());
    log.LogSend({0x81, 0xD2});
    EXPECT_TRUE(form->txtLog()->toPlainText().isEmpty());
    form->show();
    EXPECT_EQ(form->txtLog()->toPlainText(),
              "09:05:07.000 SEND 01 02 \n09:05:07.000 SEND 81 D2 \n");
    EXPECT_FALSE(form->mnuRun()->isEnabled());
    form->Unload();

    for (int i = 0; i < 6000; ++i) {
        log.ShowTrace(Line(1 + (i * 7) % 120, static_cast<char>('a' + i % 26)),
                      i % 3 == 0 ? TraceColour::Send : TraceColour::Recv);
        if (i % 700 == 0) {
            form->FlushLines();
        }
    }
    log.ShowTrace(Line(20000, 'L'), TraceColour::Recv); // one long line
    for (int i = 0; i < 3000; ++i) {
        log.LogSend({0x21, 0x3F, 0x00, 0x00, 0xF1});
    }
    form->FlushLines();
    QString held = log.txtLog();
    if (held.startsWith('\n')) {
        held.remove(0, 1);
    }
    EXPECT_EQ(form->txtLog()->toPlainText().replace("\n", "\r\n"), held);
    EXPECT_LT(log.txtLog().size(), basLog::kTrimAt);

    // The figures: the unit that answered as a row, the empty ID apart.
    form->show();
    log.LogRequest(Packet(1, kCmdGetMute, 0, 0));
    log.LogAnswer(Packet(1, kCmdGetMute, 0, 0), {0x81, 0x00, 0x00});
    SEND_PACKET probe = Packet(2, kCmdGetUnitInfo, 0, 0);
    log.LogRequest(probe);
    log.LogRepeat(probe, 2);
    log.LogGiveUp(probe);
    form->FlushLines();
    const QTableWidget* table = form->figures()->tblFigures();
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 0)->text(), "01");
    EXPECT_EQ(table->item(0, 2)->text(), "1");
    EXPECT_EQ(form->figures()->lblApart()->text(), "Counted since 09:05:07; No unit at 02");

    // The View choices come back at the next start; the running state does not.
    EXPECT_FALSE(form->mnuWords()->isChecked());
    EXPECT_TRUE(form->mnuToolBar()->isChecked());
    form->mnuWords()->setChecked(true);
    form->mnuPieces()->setChecked(true);
    form->mnuToolBar()->setChecked(false);
    form->mnuFigures()->setChecked(false);
    form.reset();
    state.SetValue("LogWindow/HidePolls", "garbage");
    basLog again{QString(), clock};
    again.setState(&state);
    frmLog next(again);
    EXPECT_TRUE(next.mnuWords()->isChecked());
    EXPECT_TRUE(again.showWords());
    EXPECT_TRUE(again.showPieces());
    EXPECT_FALSE(next.mnuHidePolls()->isChecked());
    EXPECT_FALSE(next.mnuToolBar()->isChecked());
    EXPECT_FALSE(next.Toolbar1()->isVisibleTo(&next));
    EXPECT_FALSE(next.mnuFigures()->isChecked());
    EXPECT_FALSE(again.blShowTrace());
}
