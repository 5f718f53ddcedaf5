// The real program on the real port layer keeps the line going by itself
// when its port vanishes and comes back. A port switched during a scan and a
// unit silent and back are the core's and the window's tests, in virtual time.
#include "ProgramOnSim.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace std::chrono_literals;
using namespace quadrel::test;

TEST(LineRecovery, APortThatVanishesIsOpenedAndScannedAgainWhenItComesBack) {
    SimProcess sim;
    const QStringList args = {"--baud", "19200", "--unit", "id=0,inputs=4,outputs=4"};
    ASSERT_TRUE(sim.Start(172, args));
    ASSERT_TRUE(sim.WriteSettings(172, 19200));
    ProgramOnSim program(sim);
    ASSERT_TRUE(program.StartAndStopScan());
    sim.Stop();
    ASSERT_TRUE(WaitFor([&] { return !program.port().isOpen(); }, 5s));
    EXPECT_TRUE(program->line().status().Text().contains("opened again when it comes back"));

    ASSERT_TRUE(sim.Start(172, args));
    QElapsedTimer back;
    back.start();
    ASSERT_TRUE(sim.WaitForRequest(SimProcess::Frame(0, 0x3F, 0, 0), 5s));
    EXPECT_LT(back.elapsed(), 5000);
    EXPECT_TRUE(program.port().isOpen());
    ASSERT_TRUE(
        WaitFor([&] { return IsUnitConnected(program.core().model.objSelectedUnit); }, 10s));
}
