// The program reaching its units through a serial device server, as many
// racks do, all on the loopback address: quadrel-sim's pseudo-terminal is
// served on a TCP port by one socat (standing in for the device server or
// ser2net), and a second socat makes the port alias comN that the program
// opens, exactly as the README tells operators to. Units at IDs 0 and 1
// answer the first probes, so only the first silent ID is waited out.
#include "link/Bytes.h"
#include "link/basCRC8_Dallas_1_Wire.h"
#include "support/Pty.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace std::chrono_literals;
using quadrel::test::WaitFor;

namespace {

constexpr int kSimPort = 170;    // the emulator's own alias, in the rack's folder
constexpr int kBridgePort = 171; // the alias the program uses, made by socat

// A TCP port on the loopback address that nothing listens on right now.
int FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    int port = -1;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
        port = ntohs(addr.sin_port);
    }
    ::close(fd);
    return port;
}

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

// A request as the emulator's trace prints it.
QString Frame(uint8_t id, uint8_t code, uint8_t d0, uint8_t d1) {
    const quadrel::Bytes f = {static_cast<uint8_t>(0x20 | id), code, d0, d1};
    const uint8_t crc = quadrel::basCRC8_Dallas_1_Wire::CalculateCrc8(f, 4);
    QStringList parts;
    for (uint8_t b : {f[0], f[1], f[2], f[3], crc}) {
        parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    }
    return parts.join(QLatin1Char(' '));
}

class SerialServer : public ::testing::Test {
protected:
    void SetUp() override {
        socat_ = QStandardPaths::findExecutable(QStringLiteral("socat"));
        ASSERT_FALSE(socat_.isEmpty()) << "socat is needed; scripts/deps.sh installs it";
        QDir(rack_.path()).mkpath(QStringLiteral("Quadrel"));
        QDir(config_.path()).mkpath(QStringLiteral("Quadrel/ports"));
    }
    void TearDown() override {
        for (QProcess* p : {&app_, &bridge_, &server_, &sim_}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(5000)) {
                    p->kill();
                    p->waitForFinished(2000);
                }
            }
        }
    }

    static QProcessEnvironment Env(const QString& configHome) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
        env.insert(QStringLiteral("XDG_STATE_HOME"), configHome + QStringLiteral("/state"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }

    // The units in the rack, on a pseudo-terminal of their own.
    void StartSim() {
        sim_.setProcessEnvironment(Env(rack_.path()));
        sim_.start(QStringLiteral(QUADREL_SIM_PATH),
                   {"--trace", "--port", QString::number(kSimPort), "--baud", "9600", "--unit",
                    "id=0,inputs=8,outputs=4,name=Stage", "--unit", "id=1,inputs=4,outputs=4"});
        ASSERT_TRUE(sim_.waitForStarted(5000));
        const QString alias = rack_.path() + QStringLiteral("/Quadrel/ports/com%1").arg(kSimPort);
        ASSERT_TRUE(WaitFor([&] { return QFileInfo(alias).isSymLink(); }, 5s));
        simPty_ = QFileInfo(alias).symLinkTarget();
        ASSERT_TRUE(simPty_.startsWith(QStringLiteral("/dev/pts/"))) << simPty_.toStdString();
    }

    // The device server: the line on a loopback TCP port. A port taken
    // between our look and socat's bind makes socat end; then try another.
    void StartServer() {
        for (int attempt = 0; attempt < 5; ++attempt) {
            tcpPort_ = FreeLoopbackPort();
            ASSERT_GT(tcpPort_, 0);
            serverLog_.clear();
            server_.start(socat_,
                          {"-d", "-d",
                           QStringLiteral("tcp-listen:%1,bind=127.0.0.1,reuseaddr").arg(tcpPort_),
                           QStringLiteral("FILE:%1,raw,echo=0").arg(simPty_)});
            ASSERT_TRUE(server_.waitForStarted(5000));
            const bool listening = WaitFor(
                [&] {
                    serverLog_ += QString::fromUtf8(server_.readAllStandardError());
                    return serverLog_.contains(QStringLiteral("listening on")) ||
                           server_.state() == QProcess::NotRunning;
                },
                5s);
            if (listening && server_.state() == QProcess::Running) {
                return;
            }
            server_.waitForFinished(2000);
        }
        FAIL() << "socat did not listen on the loopback address: " << serverLog_.toStdString();
    }

    // The operator's end: a pseudo-terminal alias connected to the server.
    void StartBridge() {
        const QString alias =
            config_.path() + QStringLiteral("/Quadrel/ports/com%1").arg(kBridgePort);
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
        QFile conf(config_.path() + QStringLiteral("/Quadrel/Quadrel.conf"));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write(QStringLiteral("[COM]\nPORT%20NUMBER=%1\nBAUD%20RATE=9600\n")
                       .arg(kBridgePort)
                       .toUtf8());
        conf.close();
        app_.setProcessEnvironment(Env(config_.path()));
        app_.start(QStringLiteral(QUADREL_APP_PATH), {});
        ASSERT_TRUE(app_.waitForStarted(5000));
    }

    // The emulator's trace: the requests it heard, and the answers it sent.
    void ReadTrace() { trace_ += QString::fromUtf8(sim_.readAllStandardOutput()); }
    QStringList Lines(const QString& direction) {
        ReadTrace();
        const QRegularExpression line(
            QStringLiteral("^\\s*[0-9.]+\\s+%1\\s+([0-9A-F ]+?)\\s\\s").arg(direction));
        QStringList out;
        for (const QString& l : trace_.split('\n')) {
            const auto m = line.match(l);
            if (m.hasMatch()) {
                out << m.captured(1).trimmed();
            }
        }
        return out;
    }

    QTemporaryDir rack_;
    QTemporaryDir config_;
    QString socat_;
    QString simPty_;
    int tcpPort_ = -1;
    QString serverLog_;
    QProcess sim_;
    QProcess server_;
    QProcess bridge_;
    QProcess app_;
    QString trace_;
};

} // namespace

TEST_F(SerialServer, ScanThroughTheTcpBridgeFindsTheUnits) {
    ASSERT_NO_FATAL_FAILURE(StartSim());
    ASSERT_NO_FATAL_FAILURE(StartServer());
    ASSERT_NO_FATAL_FAILURE(StartBridge());
    ASSERT_NO_FATAL_FAILURE(StartApp());

    // Unit 0 is found: the program asks for its extended information and
    // reads it. Unit 1 is found too: its first probe is answered, so the scan
    // moves on to ID 2 without the retries a silent ID gets.
    const QString probe1 = Frame(1, 0x3F, 0, 0);
    const QString probe2 = Frame(2, 0x3F, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return Lines("in").contains(probe2); }, 20s)) << trace_.toStdString();
    const QStringList requests = Lines("in");
    ASSERT_GE(requests.size(), 2);
    EXPECT_EQ(requests.mid(0, 2), (QStringList{Frame(0, 0x3F, 0, 0), Frame(0, 0x3F, 1, 0)}));
    EXPECT_EQ(requests.count(probe1), 1);
    EXPECT_EQ(requests.indexOf(probe2), requests.indexOf(probe1) + 1);
    // Every request so far reached a unit: none was garbled on the way.
    for (const QString& l : trace_.split('\n')) {
        EXPECT_FALSE(l.contains(QStringLiteral(" ?? "))) << l.toStdString();
    }
    // Answers crossed both bridges back to the program.
    EXPECT_GE(Lines("out").size(), 2);
    EXPECT_EQ(app_.state(), QProcess::Running);
}

TEST_F(SerialServer, DeviceServerGoneLeavesTheProgramRunning) {
    ASSERT_NO_FATAL_FAILURE(StartSim());
    ASSERT_NO_FATAL_FAILURE(StartServer());
    ASSERT_NO_FATAL_FAILURE(StartBridge());
    ASSERT_NO_FATAL_FAILURE(StartApp());
    ASSERT_TRUE(WaitFor([&] { return Lines("in").contains(Frame(0, 0x3F, 1, 0)); }, 20s))
        << trace_.toStdString();

    // The server drops the connection, as a rebooted converter would; the
    // bridge then ends and takes its pseudo-terminal with it.
    server_.terminate();
    ASSERT_TRUE(server_.waitForFinished(5000));
    ASSERT_TRUE(bridge_.waitForFinished(5000));
    EXPECT_FALSE(QFileInfo::exists(config_.path() +
                                   QStringLiteral("/Quadrel/ports/com%1").arg(kBridgePort)));
    // It keeps running, and quietly: a program spinning on the dead port
    // would use the whole window's CPU time.
    const long long before = CpuTicks(app_.processId());
    EXPECT_FALSE(app_.waitForFinished(2000));
    const long long used = CpuTicks(app_.processId()) - before;
    EXPECT_EQ(app_.state(), QProcess::Running);
    EXPECT_GE(before, 0);
    EXPECT_LT(used, sysconf(_SC_CLK_TCK)) << "CPU ticks in 2 s: " << used;
}
