#include "link/PortOpening.h"
#include "link/qt/QtSerialPort.h"
#include "support/FakeSerialPort.h"
#include "support/Pty.h"
#include "support/TempFolders.h"

#include <QSerialPort>

#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace std::chrono_literals;
using quadrel::test::FakeSerialPort;
using quadrel::test::Pty;
using quadrel::test::TempFolders;
using quadrel::test::WaitFor;

TEST(PortTimeouts, WriteConstantFollowsBufferAndRate) {
    FakeSerialPort port;
    EXPECT_EQ(PortSettingsText(19200), "19200,n,8,1");
    EXPECT_FALSE(SetPortTimeouts(port)); // not open

    ASSERT_TRUE(OpenCommPort(port, 1, 9600));
    EXPECT_EQ(port.settings(), "9600,n,8,1");
    EXPECT_EQ(port.timeouts.writeTotalTimeoutConstant, 1000u);
    EXPECT_EQ(port.timeouts.readIntervalTimeout, 1u);
    EXPECT_EQ(port.timeouts.readTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(port.timeouts.readTotalTimeoutConstant, 1u);
    EXPECT_EQ(port.timeouts.writeTotalTimeoutMultiplier, 1u);

    ASSERT_TRUE(OpenCommPort(port, 1, 19200));
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

TEST_F(RealPort, BusyPortFailsAndStaysClosed) {
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
}

TEST_F(RealPort, MissingPortFails) {
    EXPECT_FALSE(OpenCommPort(port, 8, 9600));
    EXPECT_FALSE(port.isOpen());
}

TEST_F(RealPort, HangUpClosesThePortOnceAndTheProgramGoesOn) {
    ASSERT_TRUE(OpenCommPort(port, 7, 9600));
    int lost = 0;
    int received = 0;
    port.setHandlers({[&] { ++received; }, {}, [&] { ++lost; }});
    pty.hangUp();
    EXPECT_TRUE(WaitFor([&] { return !port.isOpen(); }, 3s));
    EXPECT_TRUE(WaitFor([&] { return lost == 1; }, 3s));
    // No storm of notifications afterwards, and writing is harmless.
    port.write(Bytes{1, 2, 3});
    WaitFor([] { return false; }, 300ms);
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(port.isOpen());
    EXPECT_LT(received, 5);
}
