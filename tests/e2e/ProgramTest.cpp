// The shipped program against quadrel-sim on a pseudo-terminal: what goes
// over the line, read from the emulator's own trace. The line-up puts a unit
// at ID 0 so nothing waits out the silent IDs of a scan in real time.
#include "SimProcess.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using quadrel::test::SimProcess;

namespace {

class Program : public ::testing::Test {
protected:
    void TearDown() override {
        if (app_.state() != QProcess::NotRunning) {
            app_.terminate();
            if (!app_.waitForFinished(5000)) {
                app_.kill();
                app_.waitForFinished(2000);
            }
        }
        sim_.Stop();
    }
    void StartApp() {
        app_.setProcessEnvironment(sim_.env());
        app_.start(QStringLiteral(QUADREL_APP_PATH), {});
        ASSERT_TRUE(app_.waitForStarted(5000));
    }

    SimProcess sim_;
    QProcess app_;
};

} // namespace

TEST_F(Program, ScansTheLineAndReadsTheFirstUnitInStepOrder) {
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
}

TEST_F(Program, EmulatorGoneMeansNoCrashAndNoSpin) {
    ASSERT_TRUE(sim_.WriteSettings(151, 9600));
    ASSERT_TRUE(sim_.Start(151, {"--unit", "id=0,inputs=4,outputs=4"}));
    StartApp();
    ASSERT_TRUE(sim_.WaitForRequest(SimProcess::Frame(0, 0x3F, 0, 0), 15s));
    sim_.Stop();
    // The program sees its port vanish and keeps running, quietly.
    EXPECT_FALSE(app_.waitForFinished(2000));
    EXPECT_EQ(app_.state(), QProcess::Running);
}

TEST_F(Program, EndsCleanlyOnSigtermAndLeavesThePortFree) {
    ASSERT_TRUE(sim_.WriteSettings(152, 9600));
    ASSERT_TRUE(sim_.Start(152, {"--unit", "id=0,inputs=4,outputs=4"}));
    StartApp();
    ASSERT_TRUE(sim_.WaitForRequest(SimProcess::Frame(0, 0x3F, 0, 0), 15s));
    app_.terminate();
    ASSERT_TRUE(app_.waitForFinished(5000));
    EXPECT_EQ(app_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app_.exitCode(), 0);
    // The port is closed, its lock gone: the program opens it again at once.
    StartApp();
    const int probes = static_cast<int>(sim_.Requests().count(SimProcess::Frame(0, 0x3F, 0, 0)));
    EXPECT_TRUE(quadrel::test::WaitFor(
        [&] { return sim_.Requests().count(SimProcess::Frame(0, 0x3F, 0, 0)) > probes; }, 15s));
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
