#include "link/PortOpening.h"
#include "link/qt/QtSerialPort.h"
#include "support/AsNobody.h"
#include "support/FakeSerialPort.h"
#include "support/Pty.h"
#include "support/TempFolders.h"

#include <QDir>
#include <QFile>
#include <QSerialPort>

#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

TEST(PortTimeouts, WriteConstantFollowsBufferAndRate) {
    FakeSerialPort port;
    EXPECT_FALSE(SetPortTimeouts(port)); // not open
    ASSERT_TRUE(OpenCommPort(port, 1, 19200));
    EXPECT_EQ(port.settings(), "19200,n,8,1");
    EXPECT_EQ(port.timeouts.writeTotalTimeoutConstant, 1000u);
    port.bufferSize = 2048;
    ASSERT_TRUE(OpenCommPort(port, 1, 9600));
    EXPECT_EQ(port.timeouts.writeTotalTimeoutConstant, 3000u);

    // Below 10 baud there are no whole characters per second: refused, closed.
    EXPECT_FALSE(OpenCommPort(port, 1, 9));
    EXPECT_FALSE(port.isOpen());
    port.refuseOpen = true;
    EXPECT_FALSE(OpenCommPort(port, 1, 9600));
    EXPECT_FALSE(port.isOpen());
}

namespace {

QByteArray ReadWithoutEventLoop(int fd, int count) {
    QByteArray out;
    struct pollfd pfd {
        fd, POLLIN, 0
    };
    while (out.size() < count && ::poll(&pfd, 1, 2000) > 0) {
        char buffer[64];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        out.append(buffer, n);
    }
    return out;
}

} // namespace

class RealPort : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        tmp.addAlias(7, pty.slavePath());
        comm.GetExistPort();
    }
    TempFolders tmp;
    Pty pty;
    basCOMM comm{tmp.folders()};
    QtSerialPort port{comm};
};

TEST_F(RealPort, OpensRawAndReopensWithNewSettings) {
    ASSERT_TRUE(OpenCommPort(port, 7, 9600));
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.devicePath(), pty.slavePath());

    int received = 0;
    int drained = 0;
    port.setHandlers({[&] { ++received; }, [&] { ++drained; }, {}});
    port.write(Bytes{0x21, 0x12, 0x02, 0x32, 0x69});
    // The bytes leave within the call, with no turn of the event loop; the
    // drained notice comes from the loop, never from inside the call.
    EXPECT_EQ(drained, 0);
    EXPECT_EQ(ReadWithoutEventLoop(pty.masterFd(), 5), QByteArray::fromHex("2112023269"));
    EXPECT_TRUE(WaitFor([&] { return drained > 0; }, 2s));

    // Binary bytes arrive unchanged (no line discipline in the way).
    pty.write(QByteArray::fromHex("810d0a1103ff"));
    Bytes got;
    EXPECT_TRUE(WaitFor(
        [&] {
            const Bytes more = port.readAll();
            got.insert(got.end(), more.begin(), more.end());
            return got.size() >= 6;
        },
        2s));
    EXPECT_EQ(got, (Bytes{0x81, 0x0d, 0x0a, 0x11, 0x03, 0xff}));
    EXPECT_GT(received, 0);

    ASSERT_TRUE(OpenCommPort(port, 7, 19200));
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.settings(), "19200,n,8,1");
}

TEST_F(RealPort, BusyOrMissingPortFailsAndStaysClosed) {
    ASSERT_TRUE(OpenCommPort(port, 7, 9600));
    // Root ignores TIOCEXCL: another program holds the port through its lock.
    QSerialPort other(pty.slavePath());
    port.close();
    ASSERT_TRUE(other.open(QIODevice::ReadWrite));
    EXPECT_FALSE(OpenCommPort(port, 7, 9600));
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.lastError().isEmpty());
    // Still listed: a busy port is present.
    EXPECT_TRUE(comm.EnumSerPorts(7));
    other.close();
    EXPECT_TRUE(OpenCommPort(port, 7, 9600));
    port.close();
    EXPECT_FALSE(OpenCommPort(port, 8, 9600)); // no such port
    EXPECT_FALSE(port.isOpen());
}

// A port the user may not open is listed (it exists, as a busy port does),
// refused at open with the system's reason, never taken for "in use by
// another program", and nothing is left open.
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
