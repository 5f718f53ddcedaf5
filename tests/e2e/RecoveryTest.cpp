// The real program on the real port layer keeps the line going by itself:
// a port switched in the middle of a scan, a port that vanishes and comes
// back, a unit that falls silent and answers again.
#include "ProgramOnSim.h"
#include "app/CrosspointCell.h"
#include "app/RecordingMessages.h"
#include "app/SwitchGrid.h"
#include "app/SwitchView.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

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

// Answers of unit `id` to the status queries since `from`.
qsizetype Asked(SimProcess& sim, qsizetype from, uint8_t id, uint8_t code) {
    return sim.Requests().mid(from).count(SimProcess::Frame(id, code, 0, 0));
}

} // namespace

TEST(LineRecovery, OptionsToAnotherPortWhileTheScanProbesReachesThePollOfTheNewLine) {
    SimProcess seven;
    SimProcess nine;
    nine.ShareFoldersOf(seven);
    ASSERT_TRUE(seven.Start(7, {"--unit", "id=30,silent=yes"}));
    ASSERT_TRUE(nine.Start(9, {"--unit", "id=2,inputs=8,outputs=8,memories=4"}));
    Program program(seven, 7, 9600);
    ASSERT_TRUE(program->Main());
    // While ID 2 is probed on port 7, Options picks port 9.
    ASSERT_TRUE(seven.WaitForRequest(SimProcess::Frame(2, 0x3F, 0, 0), 10s));
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<frmOptions*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->cboPortNumber()->setCurrentIndex(dialog->cboPortNumber()->findData(9));
        dialog->cmdOK()->click();
    });
    program->mainWindow()->cmdOptions()->click();
    ASSERT_EQ(program.port().portNumber(), 9);
    // Unit 2 is read through (its EDID closes the read), the scan ends, and
    // the poll asks its routes again and again.
    ASSERT_TRUE(nine.WaitForRequest(SimProcess::Frame(2, 0x21, 0, 0), 20s))
        << nine.trace().toStdString();
    ASSERT_TRUE(WaitFor([&] { return !program.core().status.IsBusy(); }, 60s));
    const qsizetype polled = nine.Requests().size();
    ASSERT_TRUE(WaitFor([&] { return Asked(nine, polled, 2, 0x07) >= 2; }, 5s));
    EXPECT_TRUE(IsUnitConnected(program.core().model.objSelectedUnit));
}

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

TEST(LineRecovery, AUnitSilentFor80SecondsIsPolledAgainWithin70SecondsOfItsReturn) {
    SimProcess sim;
    // Silent after its read and a few polls, for 80 s.
    ASSERT_TRUE(sim.Start(173, {"--baud", "19200", "--unit",
                                "id=0,inputs=4,outputs=4,silent-after=60,silent-for=80000"}));
    Program program(sim, 173, 19200);
    ASSERT_TRUE(program->Main());
    QuadrelCore& core = program.core();
    ASSERT_TRUE(WaitFor([&] { return core.model.objSelectedUnit != nullptr; }, 15s));
    const UnitRef unit = core.model.objSelectedUnit;
    ASSERT_TRUE(WaitFor([&] { return !unit->blConnected(); }, 60s));
    QElapsedTimer silent;
    silent.start();
    // Meanwhile its routes are kept and shown greyed, captioned as not
    // current, on pages that no longer act on it.
    EXPECT_EQ(core.model.AudioOutputs[2].iInputPort, 2);
    const SwitchView* sw = program->switchView();
    const CrosspointCell* cell = sw->grid().cell(*sw->CellShowing(2, 2));
    EXPECT_EQ(cell->key(), "OnAOnV_UP");
    EXPECT_FALSE(cell->isEnabled());
    EXPECT_EQ(sw->LastKnownCaption(), "Not current: unit 00 is not answering");
    EXPECT_TRUE(core.activity.Text().contains("asked again in the background"));
    ASSERT_TRUE(WaitFor([&] { return unit->blConnected() && !core.status.IsBusy(); }, 160s));
    EXPECT_LT(silent.elapsed(), (80 + 70) * 1000);
    EXPECT_TRUE(core.activity.Text().startsWith("Unit 00 answers again"));
    EXPECT_TRUE(cell->isEnabled());
    EXPECT_EQ(sw->LastKnownCaption(), "");
    const qsizetype polled = sim.Requests().size();
    EXPECT_TRUE(WaitFor([&] { return Asked(sim, polled, 0, 0x07) >= 1; }, 5s));
}
