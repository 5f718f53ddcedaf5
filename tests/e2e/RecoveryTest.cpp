// The real program on the real port layer keeps the line going by itself
// when its port vanishes and comes back. A port switched during a scan and a
// unit silent and back are the core's and the window's tests, in virtual time.
#include "ProgramOnSim.h"
#include "app/RecordingMessages.h"
#include "app/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace std::chrono_literals;
using quadrel::test::SimProcess;
using quadrel::test::WaitFor;

namespace {

struct Quiet {
    test::RecordingMessages messages;
};

// The program on `sim`'s folders, set to `port`.
struct Program : Quiet, quadrel::test::ProgramOnSim {
    Program(SimProcess& sim, int port, int baud)
        : ProgramOnSim(Configured(sim, port, baud), messages) {}
    static SimProcess& Configured(SimProcess& sim, int port, int baud) {
        EXPECT_TRUE(sim.WriteSettings(port, baud));
        return sim;
    }
};

} // namespace

TEST(LineRecovery, APortThatVanishesIsOpenedAndScannedAgainWhenItComesBack) {
    SimProcess sim;
    const QStringList args = {"--baud", "19200", "--unit", "id=0,inputs=4,outputs=4"};
    ASSERT_TRUE(sim.Start(172, args));
    Program program(sim, 172, 19200);
    ASSERT_TRUE(program->Main());
    ASSERT_TRUE(WaitFor([&] { return program.core().model.objSelectedUnit != nullptr; }, 15s));
    program->mainWindow()->cmdScan()->click(); // stop the scan: the poll runs
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
