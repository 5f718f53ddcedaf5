#include "link/QuadrelError.h"
#include "link/basCOMM.h"
#include "support/Pty.h"
#include "support/TempFolders.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace quadrel;
using quadrel::test::Pty;
using quadrel::test::TempFolders;

TEST(PortDiscovery, AliasesAndFixedMapIncludingBusyPorts) {
    TempFolders tmp;
    Pty p1, p3, p4;
    ASSERT_TRUE(p1.ok() && p3.ok() && p4.ok());
    tmp.addAlias(1, p1.slavePath());
    tmp.addAlias(3, p3.slavePath());
    tmp.addAlias(4, p4.slavePath());
    // Port 4 held by another program: the probe never opens, so it still counts.
    QFile holder(p4.slavePath());
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));

    basCOMM comm(tmp.folders());
    comm.GetExistPort();
    EXPECT_EQ(comm.PortList(), (QStringList{"1", "3", "4"}));
    EXPECT_TRUE(comm.IsExistPort("3"));
    EXPECT_FALSE(comm.IsExistPort("2"));
    EXPECT_FALSE(comm.IsExistPort("03"));
    EXPECT_FALSE(comm.IsExistPort(""));
    EXPECT_EQ(comm.DevicePath(3), p3.slavePath());
    EXPECT_TRUE(comm.Description(3).contains("pseudo-terminal"));
    EXPECT_TRUE(comm.DevicePath(2).isEmpty());
}

TEST(PortDiscovery, FixedMapNeedsTheKernelsWord) {
    TempFolders tmp;
    Pty a, b, c;
    tmp.addFixedPort("ttyS0", a.slavePath(), 4); // port 1: a real UART
    tmp.addFixedPort("ttyS1", b.slavePath(), 0); // port 2: no UART behind the node
    tmp.addFixedPort("ttyUSB2", c.slavePath());  // port 35
    // A node the kernel does not list is not a port either.
    QFile::link(a.slavePath(), tmp.folders().devDir + "/ttyACM0");

    basCOMM comm(tmp.folders());
    comm.GetExistPort();
    EXPECT_EQ(comm.PortList(), (QStringList{"1", "35"}));
    EXPECT_EQ(comm.DevicePath(1), tmp.folders().devDir + "/ttyS0");
    EXPECT_TRUE(comm.Description(35).contains("USB"));

    // An alias wins over the map, even when it leads nowhere.
    tmp.addAlias(1, tmp.root() + "/missing");
    comm.GetExistPort();
    EXPECT_EQ(comm.PortList(), (QStringList{"35"}));
}

TEST(PortDiscovery, AliasesToAnythingButATtyAreNotPorts) {
    TempFolders tmp;
    const QString fifo = tmp.root() + "/fifo";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile regular(tmp.root() + "/regular");
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();
    QDir(tmp.root()).mkdir("folder");
    tmp.addAlias(100, fifo); // opening a FIFO would block: the probe must not
    tmp.addAlias(101, tmp.root() + "/regular");
    tmp.addAlias(102, tmp.root() + "/folder");
    tmp.addAlias(103, tmp.root() + "/nothing");
    tmp.addAlias(104, "/dev/null"); // a character device, but no tty
    Pty pty;
    tmp.addAlias(255, pty.slavePath());

    basCOMM comm(tmp.folders());
    comm.GetExistPort();
    EXPECT_EQ(comm.PortList(), (QStringList{"255"}));
    EXPECT_FALSE(comm.EnumSerPorts(0));
    EXPECT_FALSE(comm.EnumSerPorts(256));
    EXPECT_FALSE(comm.EnumSerPorts(-1));
}

TEST(PortDiscovery, BaudRatesAndAMissingListAnswerFalse) {
    TempFolders tmp;
    basCOMM comm(tmp.folders());
    EXPECT_FALSE(comm.IsValidBaudRate("9600")); // not built yet: no error, just false
    comm.GetValidBaudRate();
    EXPECT_EQ(comm.BaudRateList(), (QStringList{"9600", "19200"}));
    EXPECT_TRUE(comm.IsValidBaudRate("19200"));
    EXPECT_FALSE(comm.IsValidBaudRate("4800"));
    EXPECT_FALSE(comm.IsValidBaudRate("38400"));
    comm.GetExistPort();
    EXPECT_TRUE(comm.PortList().isEmpty());
}

TEST(PortDiscovery, DefaultAliasFolderFollowsXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/quadrel-xdg");
    EXPECT_EQ(PortFolders::FromEnvironment().aliasDir, "/tmp/quadrel-xdg/Quadrel/ports");
    EXPECT_EQ(PortFolders::FromEnvironment().devDir, "/dev");
    if (saved.isNull()) {
        qunsetenv("XDG_CONFIG_HOME");
    } else {
        qputenv("XDG_CONFIG_HOME", saved);
    }
}
