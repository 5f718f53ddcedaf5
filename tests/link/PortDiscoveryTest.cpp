#include "link/PortOpening.h"
#include "link/basCOMM.h"
#include "link/qt/QtSerialPort.h"
#include "support/Pty.h"
#include "support/TempFolders.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace quadrel;
using quadrel::test::Pty;
using quadrel::test::TempFolders;

TEST(PortDiscovery, AliasesAndFixedMapIncludingBusyPorts) {
    TempFolders tmp;
    Pty p1, p3, p4, a, b, c;
    ASSERT_TRUE(p1.ok() && p3.ok() && p4.ok());
    tmp.addAlias(1, p1.slavePath());
    tmp.addAlias(3, p3.slavePath());
    tmp.addAlias(4, p4.slavePath());
    // Port 4 held by another program: the probe never opens, so it still counts.
    QFile holder(p4.slavePath());
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    // The fixed map needs the kernel's word: a real UART, no UART behind the
    // node, a USB adapter, and a node the kernel does not list.
    tmp.addFixedPort("ttyS4", a.slavePath(), 4);
    tmp.addFixedPort("ttyS5", b.slavePath(), 0);
    tmp.addFixedPort("ttyUSB2", c.slavePath());
    QFile::link(a.slavePath(), tmp.folders().devDir + "/ttyACM0");

    basCOMM comm(tmp.folders());
    comm.GetExistPort();
    EXPECT_EQ(comm.PortList(), (QStringList{"1", "3", "4", "5", "35"}));
    EXPECT_TRUE(comm.IsExistPort("3"));
    EXPECT_FALSE(comm.IsExistPort("2"));
    EXPECT_FALSE(comm.IsExistPort("03"));
    EXPECT_FALSE(comm.IsExistPort(""));
    EXPECT_EQ(comm.DevicePath(3), p3.slavePath());
    EXPECT_EQ(comm.DevicePath(5), tmp.folders().devDir + "/ttyS4");
    EXPECT_TRUE(comm.Description(3).contains("pseudo-terminal"));
    EXPECT_TRUE(comm.Description(35).contains("USB"));
    EXPECT_TRUE(comm.DevicePath(2).isEmpty());

    // An alias wins over the map, even when it leads nowhere.
    tmp.addAlias(5, tmp.root() + "/missing");
    comm.GetExistPort();
    EXPECT_EQ(comm.PortList(), (QStringList{"1", "3", "4", "35"}));
}

// An alias to anything but a terminal is no port; one that changed after the
// list was made fails to open at once and leaves nothing open.
TEST(PortDiscovery, AliasesToAnythingButATtyAreNotPortsAndFailToOpen) {
    TempFolders tmp;
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const QString fifo = tmp.root() + "/fifo";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile regular(tmp.root() + "/regular");
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();
    QDir(tmp.root()).mkdir("folder");
    // Opening a FIFO would block: the probe must not; /dev/null is a
    // character device, but no tty.
    const QStringList targets = {fifo, regular.fileName(), tmp.root() + "/folder",
                                 tmp.root() + "/nothing", "/dev/null"};
    for (int i = 0; i < targets.size(); ++i) {
        tmp.addAlias(100 + i, targets[i]);
    }
    tmp.addAlias(255, pty.slavePath());
    basCOMM comm(tmp.folders());
    comm.GetExistPort();
    EXPECT_EQ(comm.PortList(), (QStringList{"255"}));
    EXPECT_FALSE(comm.EnumSerPorts(0));
    EXPECT_FALSE(comm.EnumSerPorts(256));

    const QString alias = tmp.folders().aliasDir + "/com255";
    for (const QString& target : targets) {
        SCOPED_TRACE(target.toStdString());
        QFile::remove(alias);
        tmp.addAlias(255, pty.slavePath());
        comm.GetExistPort();
        ASSERT_TRUE(comm.PortList().contains("255"));
        QFile::remove(alias);
        tmp.addAlias(255, target);
        QtSerialPort port(comm);
        EXPECT_FALSE(OpenCommPort(port, 255, 9600));
        EXPECT_FALSE(port.isOpen());
        EXPECT_FALSE(port.lastError().isEmpty());
    }
}
