// A port behind an alias that the user may not open: listed (it exists, as a
// busy port does), refused at open with the system's reason, never taken for
// "in use by another program", and nothing left open.
#include "link/PortOpening.h"
#include "link/basCOMM.h"
#include "link/qt/QtSerialPort.h"
#include "support/AsNobody.h"
#include "support/Pty.h"
#include "support/TempFolders.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

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
