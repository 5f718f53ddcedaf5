#include "log/basLog.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace quadrel;

namespace {

class FixedClock : public LogClock {
public:
    QDateTime LocalNow() const override { return now; }
    QDateTime now{QDate(2012, 1, 11), QTime(9, 5, 7)};
};

// Keeps lines the way a text document does: one character per line break.
class DocumentSink : public TraceSink {
public:
    void AppendTraceLine(const QString& text, TraceColour colour) override {
        shown += text + '\n';
        colours.push_back(colour);
    }
    void RemoveLeadingTrace(qsizetype count) override { shown.remove(0, count); }
    QString shown;
    std::vector<TraceColour> colours;
};

QString Line(qsizetype length, char fill = 'x') {
    return QString(length, QLatin1Char(fill));
}

class Trace : public ::testing::Test {
protected:
    void SetUp() override {
        log.setSink(&sink);
        log.setBlShowTrace(true);
    }
    // The operator sees exactly the lines the log holds; a LF left at the
    // start by a trim is not shown.
    void ExpectShownMatchesHeld() {
        QString held = log.txtLog();
        if (held.startsWith('\n')) {
            held.remove(0, 1);
        }
        EXPECT_EQ(QString(sink.shown).replace("\n", "\r\n"), held);
    }
    FixedClock clock;
    DocumentSink sink;
    basLog log{QString(), clock};
};

} // namespace

TEST_F(Trace, SendAndReceiveLinesInTheirColours) {
    log.LogSend({0x01, 0x02});
    log.LogRecv({0x81, 0xD2});
    EXPECT_EQ(log.txtLog(), "SEND 01 02 \r\nRECV 81 D2 \r\n");
    EXPECT_EQ(sink.shown, "SEND 01 02 \nRECV 81 D2 \n");
    EXPECT_EQ(sink.colours, (std::vector{TraceColour::Send, TraceColour::Recv}));
}

TEST_F(Trace, NothingWhileSwitchedOff) {
    log.setBlShowTrace(false);
    log.LogRecv({0x81, 0xD2});
    EXPECT_TRUE(log.txtLog().isEmpty());
    EXPECT_TRUE(sink.shown.isEmpty());
}

TEST_F(Trace, TrimCutsThroughTheLastBreakWithinTheWindow) {
    // 655 lines of 100 characters with their CR LF: 65,500 characters.
    for (int i = 0; i < 655; ++i) {
        log.ShowTrace(Line(98, static_cast<char>('a' + i % 26)), TraceColour::Send);
    }
    ASSERT_EQ(log.txtLog().size(), 65500);
    log.ShowTrace(Line(34, 'Z'), TraceColour::Recv); // 36 more: below the limit
    ASSERT_EQ(log.txtLog().size(), 65536);
    log.ShowTrace(Line(38, 'Y'), TraceColour::Recv); // 65,536 + 38 reaches it
    // The CR of line 164 sits at character 16,299, the last at or before
    // 16,384: everything up to it goes, its LF stays.
    EXPECT_EQ(log.txtLog().size(), 65536 - 16299 + 40);
    EXPECT_TRUE(log.txtLog().startsWith("\n" + Line(98, 'a' + 163 % 26)));
    EXPECT_TRUE(log.txtLog().endsWith(Line(38, 'Y') + "\r\n"));
    ExpectShownMatchesHeld();
}

TEST(TrimLength, APairCountsWhenItsCrIsWithinTheWindow) {
    // The second CR lands on character 16,384 (1-based), then on 16,385.
    const QString tail = "\r\n" + Line(50000) + "\r\n";
    EXPECT_EQ(basLog::TrimLength(Line(100) + "\r\n" + Line(16281) + tail), 16384);
    EXPECT_EQ(basLog::TrimLength(Line(100) + "\r\n" + Line(16282) + tail), 101);
    EXPECT_EQ(basLog::TrimLength("\r\n" + Line(60000)), 1);
}

TEST_F(Trace, OneLongLineCannotStopTheTrim) {
    // A line that ends past 16,384 after a leading LF: no CR LF in the window.
    const QString lone = "\n" + Line(20000) + "\r\n" + Line(100) + "\r\n";
    EXPECT_EQ(basLog::TrimLength(lone), 20002);
    EXPECT_EQ(basLog::TrimLength(Line(30000)), 16384);

    // 5,500 bytes read in one event, then ordinary traffic, many times over.
    const Bytes burst(5500, 0x55);
    for (int round = 0; round < 40; ++round) {
        log.LogRecv(burst);
        for (int i = 0; i < 200; ++i) {
            log.LogSend({0x21, 0x13, 0x00, 0x00, 0x5A});
        }
        ASSERT_LT(log.txtLog().size(), basLog::kTrimAt + 16510);
    }
    ExpectShownMatchesHeld();
}

TEST_F(Trace, WhatIsShownMatchesWhatIsHeldThroughManyTrims) {
    for (int i = 0; i < 20000; ++i) {
        log.ShowTrace(Line(5 + (i * 37) % 300), i % 3 ? TraceColour::Send : TraceColour::Recv);
    }
    EXPECT_LT(log.txtLog().size(), basLog::kTrimAt);
    EXPECT_GT(log.txtLog().size(), basLog::kTrimAt - basLog::kTrimWindow - 400);
    ExpectShownMatchesHeld();
}

TEST(LogFile, AppendsTimeStampedLinesToTheDailyFile) {
    QTemporaryDir dir;
    FixedClock clock;
    basLog log(dir.path(), clock);
    log.LogSend({0x01, 0x02}); // switched off: nothing
    ASSERT_TRUE(QDir(dir.path()).mkdir("LOG"));
    const QString file = dir.path() + "/LOG/EVENT20120111";
    log.LogSend({0x01, 0x02});
    EXPECT_FALSE(QFile::exists(file));

    log.setBlWriteLogFile(true);
    log.LogSend({0x01, 0x02});
    clock.now = clock.now.addSecs(3600 * 12);
    log.LogRecv({0x81});
    log.WriteLog("", "text");
    log.WriteLog("EVENT", "");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("09:05:07 SEND 01 02 \r\n21:05:07 RECV 81 \r\n"));

    clock.now = clock.now.addDays(1);
    log.LogEvent("next day");
    EXPECT_TRUE(QFile::exists(dir.path() + "/LOG/EVENT20120112"));
}

TEST(LogFile, AMissingFolderLosesTheLineQuietly) {
    QTemporaryDir dir;
    FixedClock clock;
    basLog log(dir.path() + "/", clock);
    log.setBlWriteLogFile(true);
    log.LogSend({0x01});
    EXPECT_FALSE(QDir(dir.path() + "/LOG").exists());
}
