#include "log/basLog.h"
#include "support/AsNobody.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace quadrel;
using namespace quadrel::test;

namespace {

class FixedClock : public LogClock {
public:
    QDateTime LocalNow() const override { return now; }
    QDateTime now{QDate(2012, 1, 11), QTime(9, 5, 7)};
};

class LineSink : public TraceSink {
public:
    void AppendTraceLine(const QString& text, TraceColour colour) override {
        lines << text;
        colours.push_back(colour);
    }
    void RemoveLeadingTrace(qsizetype) override {}
    QStringList lines;
    std::vector<TraceColour> colours;
};

QString Line(qsizetype length, char fill = 'x') {
    return QString(length, QLatin1Char(fill));
}

const QString kDaily = QStringLiteral("/LOG/EVENT20120111");

// Writes two lines into the program folder `folder` with the file switched on.
void WriteTwoLines(const QString& folder) {
    FixedClock clock;
    basLog log(folder + "/", clock);
    log.setBlWriteLogFile(true);
    log.LogSend({0x01, 0x02});
    log.LogEvent("second");
}

} // namespace

TEST(Trace, LinesInTheirDirectionOnlyWhileSwitchedOn) {
    FixedClock clock;
    LineSink sink;
    basLog log(QString(), clock);
    log.setSink(&sink);
    log.LogSend({0x01, 0x02});
    EXPECT_TRUE(log.txtLog().isEmpty());
    log.setBlShowTrace(true);
    log.LogSend({0x01, 0x02});
    log.LogRecv({0x81, 0xD2});
    EXPECT_EQ(log.txtLog(), "SEND 01 02 \r\nRECV 81 D2 \r\n");
    EXPECT_EQ(sink.lines, (QStringList{"SEND 01 02 ", "RECV 81 D2 "}));
    EXPECT_EQ(sink.colours, (std::vector{TraceColour::Send, TraceColour::Recv}));
}

TEST(Trace, TrimCutsThroughTheLastBreakWithinTheWindow) {
    FixedClock clock;
    basLog log(QString(), clock);
    log.setBlShowTrace(true);
    // 655 lines of 100 characters with their CR LF: 65,500 characters.
    for (int i = 0; i < 655; ++i) {
        log.ShowTrace(Line(98, static_cast<char>('a' + i % 26)), TraceColour::Send);
    }
    log.ShowTrace(Line(34, 'Z'), TraceColour::Recv); // 65,536 after it: no trim yet
    ASSERT_EQ(log.txtLog().size(), 65536);
    log.ShowTrace(Line(38, 'Y'), TraceColour::Recv);
    // The CR of line 163 is character 16,299, the last at or before 16,384:
    // everything up to it goes, its LF stays.
    EXPECT_EQ(log.txtLog().size(), 65536 - 16299 + 40);
    EXPECT_TRUE(log.txtLog().startsWith("\n" + Line(98, 'a' + 163 % 26)));

    // The second CR on character 16,384 (1-based), then on 16,385; no pair in
    // the window: through the first one after it, else 16,384.
    const QString tail = "\r\n" + Line(50000) + "\r\n";
    EXPECT_EQ(basLog::TrimLength(Line(100) + "\r\n" + Line(16281) + tail), 16384);
    EXPECT_EQ(basLog::TrimLength(Line(100) + "\r\n" + Line(16282) + tail), 101);
    EXPECT_EQ(basLog::TrimLength("\n" + Line(20000) + "\r\n" + Line(100) + "\r\n"), 20002);
    EXPECT_EQ(basLog::TrimLength(Line(30000)), 16384);

    // 5,500 bytes read in one event, then ordinary traffic, many times over:
    // one long line cannot stop the trim.
    for (int round = 0; round < 40; ++round) {
        log.LogRecv(Bytes(5500, 0x55));
        for (int i = 0; i < 200; ++i) {
            log.LogSend({0x21, 0x13, 0x00, 0x00, 0x5A});
        }
        ASSERT_LT(log.txtLog().size(), basLog::kTrimAt + 16510);
    }
}

TEST(LogFile, AppendsTimeStampedLinesToTheDailyFileOnlyWhenOn) {
    QTemporaryDir dir;
    FixedClock clock;
    basLog log(dir.path() + "/", clock);
    log.setBlWriteLogFile(true);
    log.LogSend({0x01}); // no LOG folder: lost quietly, none made
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
}

// The daily log file is a convenience: whatever stands in its way, the line
// is lost without a word and the program goes on at once. Opening a pipe that
// nobody reads would wait for ever.
TEST(LogFile, FileFolderOrPipeInTheWayIsLeftAlone) {
    QTemporaryDir file, folder, pipe;
    QFile notAFolder(file.path() + "/LOG");
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    notAFolder.write("not a folder");
    notAFolder.close();
    ASSERT_TRUE(QDir(folder.path()).mkpath("LOG/EVENT20120111"));
    ASSERT_TRUE(QDir(pipe.path()).mkdir("LOG"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe.path() + kDaily).constData(), 0600), 0);
    for (const QTemporaryDir* dir : {&file, &folder, &pipe}) {
        WriteTwoLines(dir->path());
    }
    ASSERT_TRUE(notAFolder.open(QIODevice::ReadOnly));
    EXPECT_EQ(notAFolder.readAll(), "not a folder");
    EXPECT_TRUE(QFileInfo(folder.path() + kDaily).isDir());
    EXPECT_FALSE(QFileInfo(pipe.path() + kDaily).isFile());
}

// Run by ReadOnlyFolderLosesTheLine as an ordinary user.
TEST(LogFile, DISABLED_WriteIntoTheFolderGiven) {
    WriteTwoLines(qEnvironmentVariable("QUADREL_PROGRAM_FOLDER"));
}

TEST(LogFile, ReadOnlyFolderLosesTheLine) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("LOG"));
    OpenToOthers(dir.path());
    const auto write = [&] {
        if (RunningAsRoot()) {
            EXPECT_EQ(RunTestAsNobody("LogFile.DISABLED_WriteIntoTheFolderGiven",
                                      {"QUADREL_PROGRAM_FOLDER=" + dir.path()}),
                      0);
        } else {
            WriteTwoLines(dir.path());
        }
    };
    ASSERT_TRUE(QFile::setPermissions(dir.path() + "/LOG", QFile::ReadOwner | QFile::ExeOwner |
                                                               QFile::ReadOther | QFile::ExeOther));
    write();
    EXPECT_FALSE(QFile::exists(dir.path() + kDaily));
    // The same folder made writable takes the lines: the refusal was real.
    ASSERT_TRUE(QFile::setPermissions(dir.path() + "/LOG",
                                      QFile::permissions(dir.path()) | QFile::WriteOther));
    write();
    EXPECT_TRUE(QFile::exists(dir.path() + kDaily));
}
