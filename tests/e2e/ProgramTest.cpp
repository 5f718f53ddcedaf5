// The shipped program against quadrel-sim on a pseudo-terminal: what goes
// over the line, read from the emulator's own trace. The line-ups put units
// at IDs 0 and 1 so nothing waits out more than one silent ID in real time.
#include "SimProcess.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace quadrel::test;

namespace {

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

class Program : public ::testing::Test {
protected:
    void TearDown() override {
        for (QProcess* p : {&app_, &bridge_, &server_}) {
            SimProcess::End(*p);
        }
        sim_.Stop();
    }
    void StartApp(const SimProcess& folders) {
        app_.setProcessEnvironment(folders.env());
        app_.start(QStringLiteral(QUADREL_APP_PATH), {});
        ASSERT_TRUE(app_.waitForStarted(5000));
    }
    // Starts socat with `args` and waits for `ready` in its log.
    void StartSocat(QProcess& p, const QStringList& args, const QString& ready) {
        const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
        ASSERT_FALSE(socat.isEmpty()) << "socat is needed; scripts/deps.sh installs it";
        p.start(socat, QStringList{"-d", "-d"} + args);
        ASSERT_TRUE(p.waitForStarted(5000));
        log_.clear();
        ASSERT_TRUE(WaitFor(
            [&] {
                log_ += QString::fromUtf8(p.readAllStandardError());
                return log_.contains(QRegularExpression(ready));
            },
            5s))
            << log_.toStdString();
    }
    // How often `frame` went over the line so far.
    qsizetype Count(const QString& frame) { return sim_.Requests().count(frame); }

    SimProcess sim_;
    QProcess app_;
    QProcess server_;
    QProcess bridge_;
    QString log_;
};

} // namespace

// Through a serial device server, as many racks reach their units: the
// emulator's pseudo-terminal served on a loopback TCP port by one socat (the
// device server or ser2net), and the port alias the program opens made by a
// second socat, exactly as the README tells operators to.
TEST_F(Program, ReadsTheFirstUnitInStepOrderThroughATcpBridgeAndOutlivesTheServer) {
    ASSERT_TRUE(sim_.Start(170, {"--baud", "9600", "--unit", "id=0,inputs=8,outputs=4,name=Stage",
                                 "--unit", "id=1,inputs=4,outputs=4"}));
    const QString pty = QFileInfo(sim_.aliasDir() + "/com170").symLinkTarget();
    ASSERT_TRUE(pty.startsWith("/dev/pts/")) << pty.toStdString();
    ASSERT_NO_FATAL_FAILURE(StartSocat(
        server_, {"tcp-listen:0,bind=127.0.0.1,reuseaddr", "FILE:" + pty + ",raw,echo=0"},
        "listening on .*:\\d+"));
    const QString tcp = QRegularExpression("listening on .*:(\\d+)").match(log_).captured(1);
    SimProcess desk; // only the operator's folders: its emulator never starts
    QDir().mkpath(desk.aliasDir());
    const QString alias = desk.aliasDir() + "/com171";
    ASSERT_NO_FATAL_FAILURE(
        StartSocat(bridge_, {"pty,link=" + alias + ",raw,echo=0", "tcp:127.0.0.1:" + tcp},
                   "starting data transfer loop"));
    ASSERT_TRUE(desk.WriteSettings(171, 9600));
    ASSERT_NO_FATAL_FAILURE(StartApp(desk));

    // The probe of ID 0, its extended information, then its status from the
    // switch maps to the EDID types; then ID 1 answers its first probe, so
    // the scan moves on to ID 2 without the retries a silent ID gets.
    QStringList expected = {SimProcess::Frame(0, 0x3F, 0, 0), SimProcess::Frame(0, 0x3F, 1, 0)};
    for (uint8_t code : {0x08, 0x07, 0x31, 0x0A, 0x09, 0x0C, 0x0B, 0x11, 0x13, 0x15, 0x17, 0x19,
                         0x1D, 0x1F, 0x21}) {
        expected << SimProcess::Frame(0, code, 0, 0);
    }
    const QString probe1 = SimProcess::Frame(1, 0x3F, 0, 0);
    const QString probe2 = SimProcess::Frame(2, 0x3F, 0, 0);
    ASSERT_TRUE(sim_.WaitForRequest(probe2, 20s)) << sim_.trace().toStdString();
    const QStringList requests = sim_.Requests();
    EXPECT_EQ(requests.mid(0, expected.size()), expected);
    EXPECT_EQ(requests.count(probe1), 1);
    EXPECT_EQ(requests.indexOf(probe2), requests.indexOf(probe1) + 1);
    EXPECT_FALSE(sim_.AnswerTo(probe1).isEmpty()); // answers crossed both bridges back
    // Every request so far reached a unit: none was garbled on the way.
    EXPECT_FALSE(sim_.trace().contains(QStringLiteral(" ?? "))) << sim_.trace().toStdString();

    // The server drops the connection, as a rebooted converter would; the
    // bridge then ends and takes its pseudo-terminal with it.
    server_.terminate();
    ASSERT_TRUE(server_.waitForFinished(5000));
    ASSERT_TRUE(bridge_.waitForFinished(5000));
    EXPECT_FALSE(QFileInfo::exists(alias));
    // The program keeps running, and quietly: one spinning on the dead port
    // would use the whole window's CPU time.
    const long long before = CpuTicks(app_.processId());
    EXPECT_FALSE(app_.waitForFinished(2000));
    const long long used = CpuTicks(app_.processId()) - before;
    EXPECT_EQ(app_.state(), QProcess::Running);
    EXPECT_GE(before, 0);
    EXPECT_LT(used, sysconf(_SC_CLK_TCK)) << "CPU ticks in 2 s: " << used;
}

// Another device chatters and some answers come late, so requests are
// repeated; SIGTERM ends the program, which then opens the port again at
// once. A port that vanishes under it is the bridge's test.
TEST_F(Program, ReadAndPollRunThroughChatterAndSigtermEndsIt) {
    ASSERT_TRUE(sim_.WriteSettings(154, 9600));
    // A unit at every ID, so the scan needs no silent ID's time-outs.
    QStringList args = {"--seed", "5", "--faults", "chatter=1,chatter-ms=150,late=0.1"};
    for (int id = 0; id < 32; ++id) {
        args << "--unit" << QStringLiteral("id=%1,inputs=8,outputs=4").arg(id);
    }
    ASSERT_TRUE(sim_.Start(154, args));
    ASSERT_NO_FATAL_FAILURE(StartApp(sim_));
    // Unit 0's read ends with its EDID query, the scan with ID 31's probe.
    for (const QString& frame :
         {SimProcess::Frame(0, 0x21, 0, 0), SimProcess::Frame(31, 0x3F, 0, 0)}) {
        ASSERT_TRUE(sim_.WaitForRequest(frame, 30s)) << sim_.trace().toStdString();
    }
    EXPECT_TRUE(sim_.trace().contains("chatter"));
    EXPECT_TRUE(sim_.trace().contains("late"));
    // Then the poll asks unit 0 for its routes again and again.
    const QString routes = SimProcess::Frame(0, 0x08, 0, 0);
    const qsizetype polls = Count(routes);
    EXPECT_TRUE(WaitFor([&] { return Count(routes) >= polls + 3; }, 20s))
        << sim_.trace().toStdString();

    app_.terminate();
    ASSERT_TRUE(app_.waitForFinished(5000));
    EXPECT_EQ(app_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app_.exitCode(), 0);
    // The port is closed, its lock gone: the program opens it again at once.
    ASSERT_NO_FATAL_FAILURE(StartApp(sim_));
    const QString probe = SimProcess::Frame(0, 0x3F, 0, 0);
    const qsizetype probes = Count(probe);
    EXPECT_TRUE(WaitFor([&] { return Count(probe) > probes; }, 15s));
}

// The next start asks the unit the last one found first, and has it read
// within 3 s at 9600 baud rather than after the silent IDs before it.
TEST_F(Program, TheNextStartReadsTheUnitLastSeenFirstWithinThreeSeconds) {
    ASSERT_TRUE(sim_.WriteSettings(155, 9600));
    ASSERT_TRUE(sim_.Start(155, {"--unit", "id=5,inputs=8,outputs=8"}));
    const QString probe = SimProcess::Frame(5, 0x3F, 0, 0);
    const QString readThrough = SimProcess::Frame(5, 0x21, 0, 0); // its EDID closes the read
    ASSERT_NO_FATAL_FAILURE(StartApp(sim_));
    ASSERT_TRUE(sim_.WaitForRequest(readThrough, 20s)) << sim_.trace().toStdString();
    EXPECT_EQ(sim_.Requests().indexOf(probe), 5 * 3); // three tries of each ID before it
    app_.terminate();
    ASSERT_TRUE(app_.waitForFinished(5000));

    const qsizetype before = sim_.Requests().size();
    QElapsedTimer start;
    start.start();
    ASSERT_NO_FATAL_FAILURE(StartApp(sim_));
    ASSERT_TRUE(WaitFor([&] { return sim_.Requests().mid(before).contains(readThrough); }, 10s))
        << sim_.trace().toStdString();
    EXPECT_LT(start.elapsed(), 3000);
    EXPECT_EQ(sim_.Requests().value(before), probe);
}

TEST(ProgramArguments, HelpAndVersionPrintAndEndWithoutADisplay) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        env.remove(QString::fromLatin1(name));
    }
    for (const auto& [argument, expected] :
         {std::pair{"--version", "Quadrel 2.2.01\n"}, std::pair{"--help", "Usage: quadrel"}}) {
        QProcess app;
        app.setProcessEnvironment(env);
        app.start(QStringLiteral(QUADREL_APP_PATH), {QString::fromLatin1(argument)});
        ASSERT_TRUE(app.waitForFinished(10000)) << argument;
        EXPECT_EQ(app.exitStatus(), QProcess::NormalExit) << argument;
        EXPECT_EQ(app.exitCode(), 0) << argument;
        EXPECT_TRUE(app.readAllStandardOutput().contains(expected)) << argument;
    }
}

// Ended by the desktop (a logout's SIGTERM) while the start-up Options
// dialog asks for a port: the program ends, it does not wait for the dialog.
TEST_F(Program, SigtermWithTheStartUpDialogOpenEndsTheProgram) {
    ASSERT_TRUE(sim_.Start(162, {"--unit", "id=0"}));
    ASSERT_TRUE(sim_.WriteSettings(99, 9600)); // no such port: Options is asked
    StartApp(sim_);
    // The dialog is up once the program waits without using the processor.
    long long before = -1;
    int still = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            const long long now = CpuTicks(app_.processId());
            still = now > 0 && now == before ? still + 1 : 0;
            before = now;
            QThread::msleep(150);
            return still >= 3;
        },
        15s));
    ::kill(static_cast<pid_t>(app_.processId()), SIGTERM);
    EXPECT_TRUE(app_.waitForFinished(3000));
    EXPECT_EQ(app_.exitStatus(), QProcess::NormalExit);
}
