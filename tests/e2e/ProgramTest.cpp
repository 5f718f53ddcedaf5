// The shipped program against quadrel-sim on a pseudo-terminal: what goes
// over the line, read from the emulator's own trace. The line-ups put a unit
// at ID 0 so nothing waits out the silent IDs of a scan in real time.
#include "SimProcess.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using quadrel::test::SimProcess;
using quadrel::test::WaitFor;

namespace {

class Program : public ::testing::Test {
protected:
    void TearDown() override {
        SimProcess::End(app_);
        sim_.Stop();
    }
    void StartApp() {
        app_.setProcessEnvironment(sim_.env());
        app_.start(QStringLiteral(QUADREL_APP_PATH), {});
        ASSERT_TRUE(app_.waitForStarted(5000));
    }
    // How often `frame` went over the line so far.
    qsizetype Count(const QString& frame) { return sim_.Requests().count(frame); }

    SimProcess sim_;
    QProcess app_;
};

} // namespace

TEST_F(Program, ReadsTheFirstUnitInStepOrderEndsOnSigtermAndOutlivesTheEmulator) {
    ASSERT_TRUE(sim_.WriteSettings(150, 19200));
    ASSERT_TRUE(sim_.Start(150, {"--baud", "19200", "--unit", "id=0,inputs=8,outputs=4,name=Stage",
                                 "--unit", "id=31,inputs=4,outputs=4"}));
    StartApp();
    // The probe of ID 0, its extended information, then its status from the
    // switch maps to the EDID types.
    QStringList expected = {SimProcess::Frame(0, 0x3F, 0, 0), SimProcess::Frame(0, 0x3F, 1, 0)};
    for (uint8_t code : {0x08, 0x07, 0x31, 0x0A, 0x09, 0x0C, 0x0B, 0x11, 0x13, 0x15, 0x17, 0x19,
                         0x1D, 0x1F, 0x21}) {
        expected << SimProcess::Frame(0, code, 0, 0);
    }
    ASSERT_TRUE(sim_.WaitForRequest(expected.last(), 15s)) << sim_.trace().toStdString();
    const QStringList seen = sim_.Requests();
    ASSERT_GE(seen.size(), expected.size());
    EXPECT_EQ(seen.mid(0, expected.size()), expected);
    // And then the scan goes on with ID 1.
    EXPECT_TRUE(sim_.WaitForRequest(SimProcess::Frame(1, 0x3F, 0, 0), 5s));

    app_.terminate();
    ASSERT_TRUE(app_.waitForFinished(5000));
    EXPECT_EQ(app_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app_.exitCode(), 0);
    // The port is closed, its lock gone: the program opens it again at once.
    StartApp();
    const qsizetype probes = Count(expected.first());
    EXPECT_TRUE(WaitFor([&] { return Count(expected.first()) > probes; }, 15s));

    // The emulator goes away: the program sees its port vanish and keeps
    // running, quietly.
    sim_.Stop();
    EXPECT_FALSE(app_.waitForFinished(2000));
    EXPECT_EQ(app_.state(), QProcess::Running);
}

// Another device chatters and some answers come late, so requests are repeated.
TEST_F(Program, ReadCompletesAndThePollRunsThroughChatter) {
    ASSERT_TRUE(sim_.WriteSettings(154, 9600));
    // A unit at every ID, so the scan needs no silent ID's time-outs.
    QStringList args = {"--seed", "5", "--faults", "chatter=1,chatter-ms=150,late=0.1"};
    for (int id = 0; id < 32; ++id) {
        args << "--unit" << QStringLiteral("id=%1,inputs=8,outputs=4").arg(id);
    }
    ASSERT_TRUE(sim_.Start(154, args));
    StartApp();
    // Unit 0's read ends with its EDID query, the scan with ID 31's probe.
    for (const QString& frame :
         {SimProcess::Frame(0, 0x21, 0, 0), SimProcess::Frame(31, 0x3F, 0, 0)}) {
        ASSERT_TRUE(sim_.WaitForRequest(frame, 30s)) << sim_.trace().toStdString();
    }
    EXPECT_TRUE(sim_.trace().contains("chatter"));
    EXPECT_TRUE(sim_.trace().contains("late"));
    // Then the poll asks unit 0 for its routes again and again.
    const QString routes = SimProcess::Frame(0, 0x08, 0, 0);
    const qsizetype before = Count(routes);
    EXPECT_TRUE(WaitFor([&] { return Count(routes) >= before + 3; }, 20s))
        << sim_.trace().toStdString();
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
