// The trace, its trim, the daily log file, the lines in words, the log window.
#include "link/CommandCodes.h"
#include "log/FrameWords.h"
#include "log/basLog.h"
#include "log/frmLog.h"
#include "support/LinkHarness.h"
#include "support/QtPrinters.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
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

struct Lines : TraceSink {
    QStringList lines;
    QString figures;
    void AppendTraceLine(const QString& text, TraceColour) override { lines << text; }
    void RemoveLeadingTrace(qsizetype) override {}
    void ClearTrace() override { lines.clear(); }
    void ShowFigures(const QString& text) override { figures = text; }
    QStringList Words() const {
        return lines.filter(" ms  ").replaceInStrings(QRegularExpression("^ *\\d+ ms  "), "");
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

struct TraceParts {
    FixedClock day;
    Lines sink;
    QTemporaryDir program;
    basLog log{program.path(), day};
};
struct WordsHarness : TraceParts, LinkHarness {
    WordsHarness() : LinkHarness(&log) {
        QDir(program.path()).mkdir("LOG");
        log.setSink(&sink);
        log.setBlShowTrace(true);
        log.setShowWords(true);
        log.setBlWriteLogFile(true);
        log.setElapsed([this] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(clock.now()).count();
        });
    }
};

void CloseFromTitleBar(QWidget& window) {
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    // Delivered straight to the handler: sendEvent would clear the flag.
    static_cast<QObject&>(window).event(&close);
}

} // namespace

TEST(Trace, LinesWhileOnHeldWhilePausedClearedSavedAndTrimmed) {
    FixedClock clock;
    Lines sink;
    basLog log(QString(), clock);
    log.setSink(&sink);
    log.LogSend({0x01, 0x02});
    EXPECT_TRUE(log.txtLog().isEmpty());
    log.setBlShowTrace(true);
    log.LogSend({0x01, 0x02});
    log.LogRecv({0x81, 0xD2});
    EXPECT_EQ(log.txtLog(), "SEND 01 02 \r\nRECV 81 D2 \r\n");
    EXPECT_EQ(sink.lines, (QStringList{"SEND 01 02 ", "RECV 81 D2 "}));

    log.setPaused(true);
    log.LogSend({0x03});
    EXPECT_EQ(sink.lines.size(), 2);
    log.setPaused(false);
    EXPECT_EQ(sink.lines.last(), "SEND 03 ");

    QTemporaryDir dir;
    const QString path = dir.filePath("trace.txt");
    ASSERT_TRUE(log.SaveTrace(path));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), log.txtLog());
    EXPECT_FALSE(log.SaveTrace(dir.filePath("no/such/folder/trace.txt")));
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

    // One long line (5,500 bytes read at once), many times over, cannot stop the trim.
    for (int round = 0; round < 40; ++round) {
        log.LogRecv(Bytes(5500, 0x55));
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

TEST(FrameWords, EveryRequestKind) {
    const std::vector<std::pair<SEND_PACKET, QString>> cases = {
        {Packet(1, kCmdSetVideoSwitch, 2, 3), "unit 01 set video route output 2 = input 3"},
        {Packet(1, kCmdSetAudioSwitch, 2, 0), "unit 01 disconnect audio route output 2"},
        {Packet(1, kCmdLoadAudioMemory, 0, 4), "unit 01 load audio preset 4"},
        {Packet(1, kCmdGetAudioSwitch, 5, 2), "unit 01 get audio route output 5, preset 2"},
        {Packet(1, kCmdGetAudioOutputPlug, 0, 0), "unit 01 get audio output plugs all outputs"},
        {Packet(1, kCmdSetDelayHigh, 1, 1), "unit 01 set delay high byte output 1 = 1"},
        {Packet(1, kCmdSetEdidType, 3, 1), "unit 01 set EDID input 3 = output 1"},
        {Packet(5, kCmdGetUnitInfo, 1, 0), "unit 05 get extended information"},
        {Packet(1, 0x2A, 1, 2), "unit 01 command 2A (1, 2)"},
    };
    for (const auto& [packet, words] : cases) {
        EXPECT_EQ(FrameWords::Request(packet), words);
    }
    EXPECT_EQ(FrameWords::Dropped(DropReason::BufferFull, 513), "dropped 513 bytes: buffer full");
}

TEST(TraceWords, AnswersRepeatsAndEveryDropAsTheLinkReportsThemAndTheFileHasNone) {
    WordsHarness h;
    CommandSenders& s = h.link.senders;
    s.CmdSetVolumnLevel(1, 2, 50, 0);
    h.port.deliver(WithCrc({0x81}));
    s.CmdGetVolumnLevel(1, 0, 0, 1);
    h.port.deliver(WithCrc({0x81, 0x04, 1, 50, 2, 30}));
    s.CmdGetFirmwareVersion(1, 1);
    h.port.deliver(WithCrc({0x81, 0x02, 0x12, 0x03}));
    s.CmdGetUnitInfo(1, 0, 1);
    h.port.deliver(WithCrc({0x81, 0x04, 0x28, 4, 8, 'A'}));
    s.CmdGetUnitInfo(1, 1, 1);
    h.port.deliver(WithCrc({0x81, 0x05, 0x81, 0x80, 0x4F, 0x0F, 5}));
    // Input while nothing is awaited; then from the wrong unit, with a bad CRC.
    h.port.deliver({0x55});
    s.CmdGetMute(1, 0, 0, 1);
    h.port.deliver({0x82});
    Bytes spoilt = WithCrc({0x81, 0x00});
    spoilt.back() ^= 0x01;
    h.port.deliver(spoilt);
    h.port.deliver(WithCrc({0x81, 0x02, 1, 0}));
    // A length that does not fit, and an answer with address bit 7 clear.
    s.CmdGetFirmwareVersion(1, 1);
    h.port.deliver({0x81, 0x03});
    h.port.deliver(WithCrc({0x01}));
    h.port.deliver(WithCrc({0x81, 0x02, 0x12, 0x03}));
    // A frame cut short, then silence: two repeats and the give-up.
    s.CmdSetMute(1, 1, 1, 0);
    h.port.deliver({0x81});
    h.clock.advance(1000ms);

    EXPECT_EQ(h.sink.Words(), (QStringList{"unit 01 set volume output 2 = 50",
                                           "unit 01 ack",
                                           "unit 01 get volume all outputs, live",
                                           "unit 01 reply: 2 pairs",
                                           "unit 01 get firmware version",
                                           "unit 01 reply: firmware 1.2.3",
                                           "unit 01 get information",
                                           "unit 01 reply: information, 8 inputs, 4 outputs",
                                           "unit 01 get extended information",
                                           "unit 01 reply: 5 bytes",
                                           "dropped 1 byte: no request waiting",
                                           "unit 01 get mute all outputs, live",
                                           "dropped 1 byte: wrong unit",
                                           "dropped 3 bytes: bad checksum",
                                           "unit 01 reply: 1 pair",
                                           "unit 01 get firmware version",
                                           "dropped 2 bytes: length does not fit the request",
                                           "dropped 2 bytes: refused by the unit",
                                           "unit 01 reply: firmware 1.2.3",
                                           "unit 01 set mute output 1 = on",
                                           "dropped 1 byte: frame time-out",
                                           "unit 01 repeat 2 of 3",
                                           "unit 01 repeat 3 of 3",
                                           "unit 01 given up"}))
        << h.sink.lines.join('\n').toStdString();
    // Time stamps count milliseconds: the give-up comes 900 ms after the request.
    EXPECT_TRUE(h.sink.lines.last().startsWith("     900 ms  "))
        << h.sink.lines.last().toStdString();
    EXPECT_EQ(h.sink.figures,
              "unit 01: 8 requests, 2 repeats, 1 give-ups, 5 dropped  |  idle line: 1 dropped");

    // Hidden polls leave the window, not the log file; the file has hex lines only.
    const qsizetype shown = h.sink.lines.size();
    h.log.setHidePolls(true);
    h.link.senders.CmdGetMute(1, 0, 0, 2);
    h.port.deliver(WithCrc({0x81, 0x02, 1, 1}));
    EXPECT_EQ(h.sink.lines.size(), shown);
    QStringList hex = h.sink.lines.filter(QRegularExpression("^(SEND|RECV) "));
    hex << "SEND 21 11 00 00 1E "
        << "RECV 81 02 01 01 83 ";
    QFile file(h.program.path() + kDaily);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(file.readAll()).split("\r\n", Qt::SkipEmptyParts),
              hex.replaceInStrings(QRegularExpression("^"), "09:05:07 "));

    // The window takes over the lines and shows the figures as they change.
    frmLog form(h.log);
    s.CmdSetMute(1, 1, 1, 0);
    h.clock.advance(1000ms);
    EXPECT_EQ(form.lblFigures()->text(), h.log.words().FiguresText());
    EXPECT_TRUE(form.lblFigures()->text().startsWith("unit 01: 10 requests, 4 repeats, 2 give-ups"))
        << form.lblFigures()->text().toStdString();
    form.mnuClear()->trigger(); // a clear starts the figures afresh
    EXPECT_FALSE(form.lblFigures()->text().contains("unit 01"));
}

TEST(LogWindow, RunStopCloseAndTextShownAcrossTrims) {
    FixedClock clock;
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
