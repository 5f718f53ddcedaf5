// Port aliases that lead somewhere unusable. One the user may not open is
// listed (it exists, as a busy port does), refused at open with the system's
// reason, never taken for "in use by another program", and nothing is left
// open.
#include "link/PortOpening.h"
#include "link/basCOMM.h"
#include "link/qt/QtSerialPort.h"
#include "support/AsNobody.h"
#include "support/Pty.h"
#include "support/TempFolders.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace quadrel;
using namespace quadrel::test;

namespace {

// The subject: port 7 of the folders under `root`, as this process's user.
void OpenPortSeven(const QString& root, bool expectOpen) {
    PortFolders f;
    f.aliasDir = root + QStringLiteral("/ports");
    f.devDir = root + QStringLiteral("/dev");
    f.sysTtyDir = root + QStringLiteral("/sys/class/tty");
    basCOMM comm(f);
    comm.GetExistPort();
    EXPECT_EQ(comm.PortList(), QStringList{"7"});
    QtSerialPort port(comm);
    EXPECT_EQ(OpenCommPort(port, 7, 9600), expectOpen) << port.lastError().toStdString();
    EXPECT_EQ(port.isOpen(), expectOpen);
    if (!expectOpen) {
        EXPECT_FALSE(port.lastError().isEmpty());
        EXPECT_NE(port.lastError(), "in use by another program");
    }
}

// A lock file that a killed root process left for this terminal's number
// would refuse nobody for another reason; the terminal is new, so any lock
// for its path is stale.
void RemoveStaleLocks(const QString& device) {
    const QString tail = QString(device).replace(QLatin1Char('/'), QLatin1Char('_'));
    for (const QString folder : {"/var/lock", "/run/lock", "/tmp"}) {
        for (const QString& name : QDir(folder).entryList({"LCK..*"}, QDir::Files)) {
            if (name.endsWith(tail) || tail.endsWith(name.mid(5))) {
                QFile::remove(folder + QLatin1Char('/') + name);
            }
        }
    }
}

} // namespace

// Run by PortPermission.RefusedPortIsListedButNotOpened as an ordinary user.
TEST(PortPermission, DISABLED_OpenPortSeven) {
    OpenPortSeven(qEnvironmentVariable("QUADREL_PORT_ROOT"),
                  qEnvironmentVariable("QUADREL_EXPECT") == QLatin1String("open"));
}

TEST(PortPermission, RefusedPortIsListedButNotOpened) {
    TempFolders tmp;
    Pty pty;
    ASSERT_TRUE(pty.ok());
    tmp.addAlias(7, pty.slavePath());
    OpenToOthers(tmp.folders().aliasDir);
    OpenToOthers(tmp.folders().sysTtyDir);
    OpenToOthers(tmp.folders().devDir);
    const QString device = pty.slavePath();
    const QFile::Permissions before = QFile::permissions(device);
    RemoveStaleLocks(device);
    auto run = [&](const char* expect) {
        if (RunningAsRoot()) {
            return RunTestAsNobody(
                "PortPermission.DISABLED_OpenPortSeven",
                {"QUADREL_PORT_ROOT=" + tmp.root(), QStringLiteral("QUADREL_EXPECT=") + expect});
        }
        // An ordinary user already meets the permission bits.
        OpenPortSeven(tmp.root(), QLatin1String(expect) == QLatin1String("open"));
        return 0;
    };

    ASSERT_TRUE(QFile::setPermissions(device, QFile::ReadOwner | QFile::WriteOwner));
    EXPECT_EQ(run("refused"), 0);

    // Opened to everyone, the same port opens: the refusal was the permission.
    ASSERT_TRUE(QFile::setPermissions(device, QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ReadOther | QFile::WriteOther));
    EXPECT_EQ(run("open"), 0);
    QFile::setPermissions(device, before);
}

// The alias changed after the list was made: whatever it leads to now, the
// open fails at once and leaves nothing open.
TEST(PortAlias, AliasThatNoLongerLeadsToATerminalFailsToOpen) {
    TempFolders tmp;
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const QString alias = tmp.folders().aliasDir + QStringLiteral("/com7");
    const QString fifo = tmp.root() + QStringLiteral("/fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile regular(tmp.root() + QStringLiteral("/regular"));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();
    QDir(tmp.root()).mkdir(QStringLiteral("folder"));

    for (const QString& target :
         {fifo, regular.fileName(), tmp.root() + QStringLiteral("/folder"),
          tmp.root() + QStringLiteral("/nothing"), QStringLiteral("/dev/null")}) {
        SCOPED_TRACE(target.toStdString());
        QFile::remove(alias);
        tmp.addAlias(7, pty.slavePath());
        basCOMM comm(tmp.folders());
        comm.GetExistPort();
        ASSERT_EQ(comm.PortList(), QStringList{"7"});
        QFile::remove(alias);
        tmp.addAlias(7, target);
        QtSerialPort port(comm);
        EXPECT_FALSE(OpenCommPort(port, 7, 9600));
        EXPECT_FALSE(port.isOpen());
        EXPECT_FALSE(port.lastError().isEmpty());
    }
}
