#include "link/PortOpening.h"
#include "link/basCOMM.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimer.h"
#include "support/FakeSerialPort.h"
#include "support/Pty.h"
#include "support/TempFolders.h"

#include <QDir>
#include <QFile>

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono;

// An alias changed to a non-terminal after listing fails to open at once.
TEST(PortDiscoveryAndOpening, AliasesFixedMapNonTtysRawBytesBothWaysAndWriteTimeouts) {
    TempFolders tmp;
    Pty p1, p3, p4, a, b, c;
    ASSERT_TRUE(p1.ok() && p3.ok() && p4.ok());
    tmp.addAlias(1, p1.slavePath());
    tmp.addAlias(3, p3.slavePath());
    tmp.addAlias(4, p4.slavePath());
    // Port 4 held by another program: the probe never opens, so it still counts.
    QFile holder(p4.slavePath());
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    // A real UART, no UART behind the node, a USB adapter, a node not listed.
    tmp.addFixedPort("ttyS4", a.slavePath(), 4);
    tmp.addFixedPort("ttyS5", b.slavePath(), 0);
    tmp.addFixedPort("ttyUSB2", c.slavePath());
    QFile::link(a.slavePath(), tmp.folders().devDir + "/ttyACM0");
    // Opening a FIFO would block: the probe must not; /dev/null is no tty.
    const QString fifo = tmp.root() + "/fifo";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile regular(tmp.root() + "/regular");
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();
    QDir(tmp.root()).mkdir("folder");
    const QStringList targets = {fifo, regular.fileName(), tmp.root() + "/folder",
                                 tmp.root() + "/nothing", "/dev/null"};
    for (int i = 0; i < targets.size(); ++i) {
        tmp.addAlias(100 + i, targets[i]);
    }

    basCOMM comm(tmp.folders());
    comm.GetExistPort();
    EXPECT_EQ(comm.PortList(), (QStringList{"1", "3", "4", "5", "35"}));
    EXPECT_TRUE(comm.IsExistPort("3"));
    EXPECT_FALSE(comm.IsExistPort("2") || comm.IsExistPort("03") || comm.IsExistPort(""));
    EXPECT_FALSE(comm.EnumSerPorts(0) || comm.EnumSerPorts(256));
    EXPECT_EQ(comm.DevicePath(3), p3.slavePath());
    EXPECT_EQ(comm.DevicePath(5), tmp.folders().devDir + "/ttyS4");
    EXPECT_TRUE(comm.DevicePath(2).isEmpty());
    tmp.addAlias(5, tmp.root() + "/missing");
    comm.GetExistPort();
    EXPECT_EQ(comm.PortList(), (QStringList{"1", "3", "4", "35"}));

    const QString alias = tmp.folders().aliasDir + "/com3";
    for (const QString& target : targets) {
        SCOPED_TRACE(target.toStdString());
        QFile::remove(alias);
        tmp.addAlias(3, target);
        QtSerialPort port(comm);
        EXPECT_FALSE(OpenCommPort(port, 3, 9600));
        EXPECT_FALSE(port.isOpen());
        EXPECT_FALSE(port.lastError().isEmpty());
    }
    QtSerialPort port(comm);
    ASSERT_TRUE(OpenCommPort(port, 1, 9600));
    EXPECT_EQ(port.devicePath(), p1.slavePath());
    int received = 0;
    int drained = 0;
    port.setHandlers({[&] { ++received; }, [&] { ++drained; }, {}});
    port.write(Bytes{0x21, 0x12, 0x02, 0x32, 0x69});
    // Written within the call; the drained notice comes later, from the loop.
    EXPECT_EQ(drained, 0);
    char out[16] = {};
    struct pollfd pfd {
        p1.masterFd(), POLLIN, 0
    };
    ASSERT_EQ(::poll(&pfd, 1, 2000), 1);
    EXPECT_EQ(QByteArray(out, ::read(p1.masterFd(), out, sizeof out)),
              QByteArray::fromHex("2112023269"));
    EXPECT_TRUE(WaitFor([&] { return drained > 0; }, 2s));

    // Binary bytes arrive unchanged (no line discipline in the way).
    ASSERT_EQ(::write(p1.masterFd(), "\x81\r\n\x11\x03\xff", 6), 6);
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
    ASSERT_TRUE(OpenCommPort(port, 1, 19200));
    EXPECT_EQ(port.settings(), "19200,n,8,1");

    // The write timeout follows buffer and rate; a bad rate is refused.
    FakeSerialPort fake;
    EXPECT_FALSE(SetPortTimeouts(fake)); // not open
    ASSERT_TRUE(OpenCommPort(fake, 1, 19200));
    EXPECT_EQ(fake.timeouts.writeTotalTimeoutConstant, 1000u);
    fake.bufferSize = 2048;
    ASSERT_TRUE(OpenCommPort(fake, 1, 9600));
    EXPECT_EQ(fake.timeouts.writeTotalTimeoutConstant, 3000u);
    // Below 10 baud there are no whole characters per second: refused, closed.
    EXPECT_FALSE(OpenCommPort(fake, 1, 9));
    EXPECT_FALSE(fake.isOpen());
    fake.refuseOpen = true;
    EXPECT_FALSE(OpenCommPort(fake, 1, 9600));
    EXPECT_FALSE(fake.isOpen());
}

// While the rest of a frame is on the wire the port does not watch the line;
// it takes what came in one notice a little before the last byte is due, and
// that byte still wakes it at once. A wait called off, or a line lost
// meanwhile, is noticed without it.
TEST(PortDiscoveryAndOpening, RestsWhileAFrameIsOnTheWireYetTheLastByteIsTakenAsItComes) {
    TempFolders tmp;
    Pty pty;
    ASSERT_TRUE(pty.ok());
    tmp.addAlias(1, pty.slavePath());
    basCOMM comm(tmp.folders());
    comm.GetExistPort();
    QtSerialPort port(comm);
    ASSERT_TRUE(OpenCommPort(port, 1, 9600));
    int received = 0;
    int lost = 0;
    port.setHandlers({[&] { ++received; }, {}, [&] { ++lost; }});
    const auto send = [&](const Bytes& b) {
        ASSERT_EQ(::write(pty.masterFd(), b.data(), b.size()), static_cast<ssize_t>(b.size()));
    };

    // 24 bytes at 9600 baud are due in 25 ms.
    const auto start = steady_clock::now();
    port.ExpectBytes(24);
    EXPECT_TRUE(port.isResting());
    send(Bytes(23, 0x55));
    int noticesWhileResting = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            noticesWhileResting = port.isResting() ? received : noticesWhileResting;
            return !port.isResting();
        },
        2s));
    EXPECT_GE(steady_clock::now() - start, 20ms);
    EXPECT_EQ(noticesWhileResting, 0);
    EXPECT_EQ(received, 1);
    EXPECT_EQ(port.readAll(), Bytes(23, 0x55));
    send({0x66});
    ASSERT_TRUE(WaitFor([&] { return received == 2; }, 2s));
    EXPECT_EQ(port.readAll(), Bytes{0x66});

    // Too short to rest; a rest called off hands over what waits.
    port.ExpectBytes(2);
    EXPECT_FALSE(port.isResting());
    port.ExpectBytes(24);
    send({0x01, 0x02});
    port.ExpectBytes(1);
    EXPECT_FALSE(port.isResting());
    ASSERT_TRUE(WaitFor([&] { return received == 3; }, 2s));
    EXPECT_EQ(port.readAll(), (Bytes{0x01, 0x02}));

    port.ExpectBytes(500);
    pty.hangUp();
    EXPECT_TRUE(WaitFor([&] { return lost > 0; }, 3s));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(lost, 1);
}

// The timer keeps its own deadline, yet ticks as a QTimer would.
TEST(QtTimer, RestartedStoppedAndRepeatingTickAsAQTimerWould) {
    QtTimer restarted(200ms), stopped(5ms), repeating(20ms);
    std::vector<steady_clock::time_point> ticks;
    int stoppedTicks = 0, repeats = 0;
    restarted.setOnTick([&] {
        ticks.push_back(steady_clock::now());
        restarted.stop();
    });
    stopped.setOnTick([&] { ++stoppedTicks; });
    repeating.setOnTick([&] { ++repeats; });
    stopped.start();
    stopped.stop();
    stopped.start();
    stopped.setInterval(60000ms); // counts the new interval from now
    repeating.start();
    restarted.start();
    // Restarted often for longer than its interval: it never comes due.
    auto last = steady_clock::now();
    const auto end = last + 400ms;
    WaitFor(
        [&] {
            if (steady_clock::now() - last >= 5ms) {
                restarted.start();
                last = steady_clock::now();
            }
            return steady_clock::now() >= end;
        },
        5s);
    EXPECT_TRUE(ticks.empty());
    // Left alone, it comes due once, a whole interval after the last restart.
    ASSERT_TRUE(WaitFor([&] { return !ticks.empty(); }, 5s));
    EXPECT_GE(ticks[0] - last, 200ms);
    EXPECT_FALSE(restarted.isActive());
    EXPECT_EQ(stoppedTicks, 0);
    EXPECT_TRUE(stopped.isActive());
    EXPECT_GE(repeats, 10);
    EXPECT_TRUE(repeating.isActive());
    // After a stall of the event loop, the next two ticks are an interval apart.
    std::vector<steady_clock::time_point> after;
    repeating.setOnTick([&] { after.push_back(steady_clock::now()); });
    const auto stall = steady_clock::now() + 70ms;
    while (steady_clock::now() < stall) {
    }
    ASSERT_TRUE(WaitFor([&] { return after.size() >= 2; }, 5s));
    EXPECT_GE(after[1] - after[0], 19ms);
    repeating.stop();
    const size_t before = after.size();
    restarted.start();
    ASSERT_TRUE(WaitFor([&] { return ticks.size() == 2; }, 5s));
    EXPECT_EQ(after.size(), before);
}
