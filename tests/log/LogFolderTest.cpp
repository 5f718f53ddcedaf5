// The daily log file is a convenience: whatever stands in its way, the line
// is lost without a word and the program goes on at once.
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
    QDateTime LocalNow() const override { return QDateTime(QDate(2012, 1, 11), QTime(9, 5, 7)); }
};

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

TEST(LogFolder, FileWhereTheFolderShouldBeIsLeftAlone) {
    QTemporaryDir dir;
    QFile file(dir.path() + "/LOG");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a folder");
    file.close();
    WriteTwoLines(dir.path());
    EXPECT_TRUE(QFileInfo(dir.path() + "/LOG").isFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "not a folder");
}

TEST(LogFolder, FolderOrPipeWhereTheDailyFileShouldBeIsLeftAlone) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("LOG/EVENT20120111"));
    WriteTwoLines(dir.path());
    EXPECT_TRUE(QFileInfo(dir.path() + kDaily).isDir());

    // Opening a pipe that nobody reads would wait for ever.
    QTemporaryDir other;
    ASSERT_TRUE(QDir(other.path()).mkdir("LOG"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(other.path() + kDaily).constData(), 0600), 0);
    WriteTwoLines(other.path());
    EXPECT_FALSE(QFileInfo(other.path() + kDaily).isFile());
}

// Run by ReadOnlyFolderLosesTheLine as an ordinary user.
TEST(LogFolder, DISABLED_WriteIntoTheFolderGiven) {
    WriteTwoLines(qEnvironmentVariable("QUADREL_PROGRAM_FOLDER"));
}

TEST(LogFolder, ReadOnlyFolderLosesTheLine) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("LOG"));
    OpenToOthers(dir.path());
    ASSERT_TRUE(QFile::setPermissions(dir.path() + "/LOG", QFile::ReadOwner | QFile::ExeOwner |
                                                               QFile::ReadOther | QFile::ExeOther));
    if (RunningAsRoot()) {
        EXPECT_EQ(RunTestAsNobody("LogFolder.DISABLED_WriteIntoTheFolderGiven",
                                  {"QUADREL_PROGRAM_FOLDER=" + dir.path()}),
                  0);
    } else {
        WriteTwoLines(dir.path());
    }
    EXPECT_FALSE(QFile::exists(dir.path() + kDaily));

    // The same folder made writable takes the lines: the refusal was real.
    ASSERT_TRUE(QFile::setPermissions(dir.path() + "/LOG",
                                      QFile::permissions(dir.path()) | QFile::WriteOther));
    if (RunningAsRoot()) {
        EXPECT_EQ(RunTestAsNobody("LogFolder.DISABLED_WriteIntoTheFolderGiven",
                                  {"QUADREL_PROGRAM_FOLDER=" + dir.path()}),
                  0);
    } else {
        WriteTwoLines(dir.path());
    }
    EXPECT_TRUE(QFile::exists(dir.path() + kDaily));
}
