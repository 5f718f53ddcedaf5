// The program reaching its units through a serial device server, as many
// racks do, all on the loopback address: quadrel-sim's pseudo-terminal is
// served on a TCP port by one socat (standing in for the device server or
// ser2net), and a second socat makes the port alias comN that the program
// opens, exactly as the README tells operators to. Units at IDs 0 and 1
// answer the first probes, so only the first silent ID is waited out.
#include "SimProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <chrono>
#include <unistd.h>

using namespace std::chrono_literals;
using quadrel::test::SimProcess;
using quadrel::test::WaitFor;

namespace {

constexpr int kSimPort = 170;    // the emulator's own alias, in the rack's folder
constexpr int kBridgePort = 171; // the alias the program uses, made by socat

// CPU time a process has used so far, in clock ticks (user and system).
long long CpuTicks(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return -1;
    }
    // The fields after the command name, which ends at the last ')'.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> f = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return f.size() > 12 ? f[11].toLongLong() + f[12].toLongLong() : -1;
}

class SerialServer : public ::testing::Test {
protected:
    void SetUp() override {
        socat_ = QStandardPaths::findExecutable(QStringLiteral("socat"));
        ASSERT_FALSE(socat_.isEmpty()) << "socat is needed; scripts/deps.sh installs it";
        QDir().mkpath(desk_.aliasDir());
    }
    void TearDown() override {
        for (QProcess* p : {&app_, &bridge_, &server_}) {
            SimProcess::End(*p);
        }
    }

    // The units in the rack, on a pseudo-terminal of their own.
    void StartSim() {
        ASSERT_TRUE(
            rack_.Start(kSimPort, {"--baud", "9600", "--unit", "id=0,inputs=8,outputs=4,name=Stage",
                                   "--unit", "id=1,inputs=4,outputs=4"}));
        simPty_ =
            QFileInfo(rack_.aliasDir() + QStringLiteral("/com%1").arg(kSimPort)).symLinkTarget();
        ASSERT_TRUE(simPty_.startsWith(QStringLiteral("/dev/pts/"))) << simPty_.toStdString();
    }

    // The device server: the line on a loopback TCP port that the system picks.
    void StartServer() {
        server_.start(socat_, {"-d", "-d", "tcp-listen:0,bind=127.0.0.1,reuseaddr",
                               QStringLiteral("FILE:%1,raw,echo=0").arg(simPty_)});
        ASSERT_TRUE(server_.waitForStarted(5000));
        static const QRegularExpression listening(QStringLiteral("listening on .*:(\\d+)"));
        QString log;
        ASSERT_TRUE(WaitFor(
            [&] {
                log += QString::fromUtf8(server_.readAllStandardError());
                return listening.match(log).hasMatch();
            },
            5s))
            << log.toStdString();
        tcpPort_ = listening.match(log).captured(1).toInt();
    }

    // The operator's end: a pseudo-terminal alias connected to the server.
    void StartBridge() {
        const QString alias = desk_.aliasDir() + QStringLiteral("/com%1").arg(kBridgePort);
        bridge_.start(socat_, {"-d", "-d", QStringLiteral("pty,link=%1,raw,echo=0").arg(alias),
                               QStringLiteral("tcp:127.0.0.1:%1").arg(tcpPort_)});
        ASSERT_TRUE(bridge_.waitForStarted(5000));
        QString log;
        ASSERT_TRUE(WaitFor(
            [&] {
                log += QString::fromUtf8(bridge_.readAllStandardError());
                return log.contains(QStringLiteral("starting data transfer loop"));
            },
            5s))
            << log.toStdString();
        ASSERT_TRUE(QFileInfo(alias).isSymLink());
    }

    void StartApp() {
        ASSERT_TRUE(desk_.WriteSettings(kBridgePort, 9600));
        app_.setProcessEnvironment(desk_.env());
        app_.start(QStringLiteral(QUADREL_APP_PATH), {});
        ASSERT_TRUE(app_.waitForStarted(5000));
    }

    SimProcess rack_; // the emulator and its trace
    SimProcess desk_; // only the operator's folders: its emulator never starts
    QString socat_;
    QString simPty_;
    int tcpPort_ = -1;
    QProcess server_;
    QProcess bridge_;
    QProcess app_;
};

} // namespace

TEST_F(SerialServer, ScanThroughTheTcpBridgeFindsTheUnitsAndTheServerGoneStopsNothing) {
    ASSERT_NO_FATAL_FAILURE(StartSim());
    ASSERT_NO_FATAL_FAILURE(StartServer());
    ASSERT_NO_FATAL_FAILURE(StartBridge());
    ASSERT_NO_FATAL_FAILURE(StartApp());

    // Unit 0 is found: the program asks for its extended information and
    // reads it. Unit 1 is found too: its first probe is answered, so the scan
    // moves on to ID 2 without the retries a silent ID gets.
    const QString probe1 = SimProcess::Frame(1, 0x3F, 0, 0);
    const QString probe2 = SimProcess::Frame(2, 0x3F, 0, 0);
    ASSERT_TRUE(rack_.WaitForRequest(probe2, 20s)) << rack_.trace().toStdString();
    const QStringList requests = rack_.Requests();
    ASSERT_GE(requests.size(), 2);
    EXPECT_EQ(requests.mid(0, 2),
              (QStringList{SimProcess::Frame(0, 0x3F, 0, 0), SimProcess::Frame(0, 0x3F, 1, 0)}));
    EXPECT_EQ(requests.count(probe1), 1);
    EXPECT_EQ(requests.indexOf(probe2), requests.indexOf(probe1) + 1);
    // Every request so far reached a unit: none was garbled on the way.
    for (const QString& l : rack_.trace().split('\n')) {
        EXPECT_FALSE(l.contains(QStringLiteral(" ?? "))) << l.toStdString();
    }
    // Answers crossed both bridges back to the program.
    EXPECT_FALSE(rack_.AnswerTo(probe1).isEmpty());

    // The server drops the connection, as a rebooted converter would; the
    // bridge then ends and takes its pseudo-terminal with it.
    server_.terminate();
    ASSERT_TRUE(server_.waitForFinished(5000));
    ASSERT_TRUE(bridge_.waitForFinished(5000));
    EXPECT_FALSE(QFileInfo::exists(desk_.aliasDir() + QStringLiteral("/com%1").arg(kBridgePort)));
    // It keeps running, and quietly: a program spinning on the dead port
    // would use the whole window's CPU time.
    const long long before = CpuTicks(app_.processId());
    EXPECT_FALSE(app_.waitForFinished(2000));
    const long long used = CpuTicks(app_.processId()) - before;
    EXPECT_EQ(app_.state(), QProcess::Running);
    EXPECT_GE(before, 0);
    EXPECT_LT(used, sysconf(_SC_CLK_TCK)) << "CPU ticks in 2 s: " << used;
}
