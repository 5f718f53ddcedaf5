// The trace in words: every request kind decoded, and every kind of answer
// and dropped input as the real link reports it, in virtual time.
#include "link/CommandCodes.h"
#include "link/basCRC8_Dallas_1_Wire.h"
#include "log/FrameWords.h"
#include "log/basLog.h"
#include "support/LinkHarness.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace std::chrono_literals;

namespace {

struct Lines : TraceSink {
    QStringList lines;
    QString figures;
    void AppendTraceLine(const QString& text, TraceColour) override { lines << text; }
    void RemoveLeadingTrace(qsizetype) override {}
    void ClearTrace() override { lines.clear(); }
    void ShowFigures(const QString& text) override { figures = text; }
    // The words lines without their time stamps.
    QStringList Words() const {
        return lines.filter(" ms  ").replaceInStrings(QRegularExpression("^ *\\d+ ms  "), "");
    }
};

Bytes Framed(Bytes frame) {
    frame.push_back(basCRC8_Dallas_1_Wire::CalculateCrc8(frame, static_cast<int>(frame.size())));
    return frame;
}

SEND_PACKET Packet(uint8_t id, uint8_t code, uint8_t d0, uint8_t d1, int32_t priority = 1) {
    SEND_PACKET p;
    p.bID = id;
    p.bCommand = code;
    p.bData = {d0, d1};
    p.lPriority = priority;
    return p;
}

// The link on a scripted port with the real trace behind it.
struct WordsHarness {
    explicit WordsHarness(const QString& folder = {}, bool words = true) : log(folder, day) {
        port.open(1, QStringLiteral("9600,n,8,1"));
        link.queue.attach(busy, views, [](uint8_t) {});
        link.receiver.setReplySink(replies);
        log.setSink(&sink);
        log.setBlShowTrace(true);
        log.setShowWords(words);
        log.setElapsed([this] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(clock.now()).count();
        });
    }
    struct Day : LogClock {
        QDateTime LocalNow() const override { return {QDate(2026, 1, 2), QTime(3, 4, 5)}; }
    } day;
    Lines sink;
    VirtualClock clock;
    test::FakeSerialPort port;
    basLog log;
    basQRD model;
    test::RecordingViews views;
    test::FlagsOnly busy;
    basCommunication link{port, clock, log, model};
    test::ReplyRecorder replies{link};
};

} // namespace

TEST(FrameWords, EveryRequestKind) {
    const std::vector<std::pair<SEND_PACKET, QString>> cases = {
        {Packet(1, kCmdSetVideoSwitch, 2, 3), "unit 01 set video route output 2 = input 3"},
        {Packet(1, kCmdSetAudioSwitch, 2, 0), "unit 01 disconnect audio route output 2"},
        {Packet(1, kCmdLoadAudioMemory, 0, 4), "unit 01 load audio preset 4"},
        {Packet(1, kCmdGetAudioSwitch, 5, 2), "unit 01 get audio route output 5, preset 2"},
        {Packet(1, kCmdGetAudioInputPlug, 3, 0), "unit 01 get audio input plugs input 3"},
        {Packet(1, kCmdGetAudioOutputPlug, 0, 0), "unit 01 get audio output plugs all outputs"},
        {Packet(1, kCmdSetMute, 2, 1), "unit 01 set mute output 2 = on"},
        {Packet(1, kCmdGetSubwooferLevel, 0, 0), "unit 01 get subwoofer all outputs, live"},
        {Packet(1, kCmdSetDelayHigh, 1, 1), "unit 01 set delay high byte output 1 = 1"},
        {Packet(1, kCmdGetDelayLow, 0, 0), "unit 01 get delay low byte all outputs, live"},
        {Packet(1, kCmdSetEdidType, 3, 1), "unit 01 set EDID input 3 = output 1"},
        {Packet(31, kCmdGetUnitInfo, 0, 0), "unit 31 get information"},
        {Packet(5, kCmdGetUnitInfo, 1, 0), "unit 05 get extended information"},
        {Packet(1, 0x2A, 1, 2), "unit 01 command 2A (1, 2)"},
    };
    for (const auto& [packet, words] : cases) {
        EXPECT_EQ(FrameWords::Request(packet), words);
    }
    EXPECT_EQ(FrameWords::Dropped(DropReason::BufferFull, 513), "dropped 513 bytes: buffer full");
}

TEST(TraceWords, AnswersRepeatsAndEveryDropAsTheLinkReportsThem) {
    WordsHarness h;
    CommandSenders& s = h.link.senders;
    // An acknowledged setting, a paired reply, firmware, both information pages.
    s.CmdSetVolumnLevel(1, 2, 50, 0);
    h.port.deliver(Framed({0x81}));
    s.CmdGetVolumnLevel(1, 0, 0, 1);
    h.port.deliver(Framed({0x81, 0x04, 1, 50, 2, 30}));
    s.CmdGetFirmwareVersion(1, 1);
    h.port.deliver(Framed({0x81, 0x02, 0x12, 0x03}));
    s.CmdGetUnitInfo(1, 0, 1);
    h.port.deliver(Framed({0x81, 0x04, 0x28, 4, 8, 'A'}));
    s.CmdGetUnitInfo(1, 1, 1);
    h.port.deliver(Framed({0x81, 0x05, 0x81, 0x80, 0x4F, 0x0F, 5}));
    // Input while nothing is awaited; then from the wrong unit, with a bad CRC.
    h.port.deliver({0x55});
    s.CmdGetMute(1, 0, 0, 1);
    h.port.deliver({0x82});
    Bytes spoilt = Framed({0x81, 0x00});
    spoilt.back() ^= 0x01;
    h.port.deliver(spoilt);
    h.port.deliver(Framed({0x81, 0x02, 1, 0}));
    // A length that does not fit, and an answer with address bit 7 clear.
    s.CmdGetFirmwareVersion(1, 1);
    h.port.deliver({0x81, 0x03});
    h.port.deliver(Framed({0x01}));
    h.port.deliver(Framed({0x81, 0x02, 0x12, 0x03}));
    // A frame cut short, then silence: two repeats and the give-up.
    s.CmdSetMute(1, 1, 1, 0);
    h.port.deliver({0x81});
    h.clock.advance(1000ms);

    EXPECT_EQ(h.sink.Words(), (QStringList{
                                  "unit 01 set volume output 2 = 50",
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
                                  "unit 01 given up",
                              }))
        << h.sink.lines.join('\n').toStdString();
    // Time stamps count milliseconds: the give-up comes 900 ms after the request.
    EXPECT_TRUE(h.sink.lines.last().startsWith("     900 ms  "))
        << h.sink.lines.last().toStdString();
    EXPECT_EQ(h.sink.figures,
              "unit 01: 8 requests, 2 repeats, 1 give-ups, 5 dropped  |  idle line: 1 dropped");
}

TEST(TraceWords, WindowOptionsLeaveTheHexLinesAndTheLogFileAlone) {
    QTemporaryDir program;
    ASSERT_TRUE(QDir(program.path()).mkdir("LOG"));
    auto run = [&](bool words, bool hidePolls) {
        WordsHarness h(program.path(), words);
        h.log.setBlWriteLogFile(true);
        h.log.setHidePolls(hidePolls);
        h.link.senders.CmdSetMute(1, 1, 1, 0);
        h.port.deliver(Framed({0x81}));
        h.link.senders.CmdGetMute(1, 0, 0, 2); // a poll
        h.port.deliver(Framed({0x81, 0x02, 1, 1}));
        return h.sink.lines;
    };
    const QStringList plain = run(false, false);
    const QStringList worded = run(true, false);
    const QStringList hidden = run(true, true);
    EXPECT_EQ(plain.size(), 4);
    EXPECT_EQ(worded.size(), 8);
    EXPECT_EQ(worded.filter(QRegularExpression("^(SEND|RECV) ")), plain);
    EXPECT_EQ(hidden.size(), 4); // the setting, its answer, and their words
    EXPECT_TRUE(hidden[0].startsWith("SEND 21 10 01 01"));
    // The log file took the same twelve hex lines over three runs, nothing else.
    QFile file(program.path() + "/LOG/EVENT20260102");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList fileLines =
        QString::fromLocal8Bit(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    EXPECT_EQ(fileLines.size(), 12);
    EXPECT_EQ(fileLines.filter(QRegularExpression("^03:04:05 (SEND|RECV) ")), fileLines);
}

TEST(TraceWords, PauseHoldsLinesClearEmptiesAndSaveWritesWhatIsShown) {
    WordsHarness h;
    h.log.setPaused(true);
    h.link.senders.CmdSetMute(1, 1, 1, 0);
    h.port.deliver(Framed({0x81}));
    EXPECT_TRUE(h.sink.lines.isEmpty());
    EXPECT_TRUE(h.log.txtLog().isEmpty());
    h.log.setPaused(false);
    ASSERT_EQ(h.sink.lines.size(), 4);
    EXPECT_TRUE(h.sink.lines[0].startsWith("SEND "));

    QTemporaryDir dir;
    const QString path = dir.filePath("trace.txt");
    ASSERT_TRUE(h.log.SaveTrace(path));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), h.log.txtLog());
    EXPECT_FALSE(h.log.SaveTrace(dir.filePath("no/such/folder/trace.txt")));

    h.log.ClearTrace();
    EXPECT_TRUE(h.sink.lines.isEmpty());
    EXPECT_TRUE(h.log.txtLog().isEmpty());
    EXPECT_EQ(h.sink.figures, "");
}
