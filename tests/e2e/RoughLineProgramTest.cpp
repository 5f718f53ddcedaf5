// The shipped program against quadrel-sim on a line where another device
// chatters and some answers come late, so requests are repeated.
#include "SimProcess.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using quadrel::test::SimProcess;
using quadrel::test::WaitFor;

TEST(RoughLineProgram, ReadCompletesAndThePollRunsThroughChatter) {
    SimProcess sim;
    ASSERT_TRUE(sim.WriteSettings(154, 9600));
    // A unit at every ID, so the scan needs no silent ID's time-outs.
    QStringList args = {"--seed", "5", "--faults", "chatter=1,chatter-ms=150,late=0.1"};
    for (int id = 0; id < 32; ++id) {
        args << "--unit" << QStringLiteral("id=%1,inputs=8,outputs=4").arg(id);
    }
    ASSERT_TRUE(sim.Start(154, args));
    QProcess app;
    app.setProcessEnvironment(sim.env());
    app.start(QStringLiteral(QUADREL_APP_PATH), {});
    ASSERT_TRUE(app.waitForStarted(5000));

    // Unit 0's read ends with its EDID query, the scan with ID 31's probe.
    ASSERT_TRUE(sim.WaitForRequest(SimProcess::Frame(0, 0x21, 0, 0), 30s))
        << sim.trace().toStdString();
    ASSERT_TRUE(sim.WaitForRequest(SimProcess::Frame(31, 0x3F, 0, 0), 30s))
        << sim.trace().toStdString();
    EXPECT_TRUE(sim.trace().contains("chatter"));
    EXPECT_TRUE(sim.trace().contains("late"));
    // Then the poll asks unit 0 for its routes again and again.
    const QString routes = SimProcess::Frame(0, 0x08, 0, 0);
    const qsizetype before = sim.Requests().count(routes);
    EXPECT_TRUE(WaitFor([&] { return sim.Requests().count(routes) >= before + 3; }, 20s))
        << sim.trace().toStdString();

    app.terminate();
    if (!app.waitForFinished(5000)) {
        app.kill();
        app.waitForFinished(2000);
    }
}
