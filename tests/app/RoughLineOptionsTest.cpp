// The options dialog changes the line under a running scan: the program on
// two emulated lines, in virtual time.
#include "AppRig.h"
#include "DialogAnswers.h"

#include "app/frmMain.h"
#include "app/frmOptions.h"

#include <QComboBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

TEST(OptionsDuringAScan, OkScansTheNewLineFromIdZeroAndCancelLeavesNoScan) {
    AppRig rig;
    sim::SimSerialPort& sim = rig.UseSimPort(); // COM200: no unit
    sim::UnitConfig unit;
    unit.id = 2;
    sim.addLine(7).addUnit(unit);
    sim.setRefusedPort(9);
    for (int port : {7, 9, 200}) {
        rig.AddPort(port);
    }
    rig.Store("PORT NUMBER", "200");
    rig.Store("BAUD RATE", "9600");
    QuadrelCore& core = rig.program().core();
    rig.program().hooks().SetScanning = [&core](bool on) { core.status.SetScanning(on); };
    ASSERT_TRUE(rig.program().Main());
    frmMain* form = rig.program().mainWindow();
    rig.time.advance(3s); // IDs 0 to 2 given up, 3 awaited
    ASSERT_TRUE(core.status.blScanning());

    const auto choose = [](frmOptions& d, int port) {
        d.cboPortNumber()->setCurrentIndex(d.cboPortNumber()->findData(port));
        d.cmdOK()->click();
    };
    DialogAnswers answers;
    answers.Add([&](frmOptions& d) { choose(d, 7); });
    form->cmdOptions()->click();
    ASSERT_EQ(sim.portNumber(), 7);
    ASSERT_TRUE(rig.time.advanceUntil([&] { return !core.status.IsBusy(); }, 60s));
    ASSERT_TRUE(core.model.objSelectedUnit);
    EXPECT_EQ(core.model.objSelectedUnit->bID(), 2);
    EXPECT_TRUE(IsUnitConnected(core.model.objSelectedUnit));
    // The poll runs on: unit 2 is asked again and again.
    const size_t before = sim.written().size();
    rig.time.advance(3s);
    const Bytes& written = sim.written();
    ASSERT_GT(written.size(), before + 5 * 5);
    EXPECT_EQ(written[written.size() - 5], 0x22);

    // A scan, then OK on a port that does not open and Cancel: the port is
    // closed and no scan is left running.
    core.status.SetScanning(true);
    rig.time.advance(1s);
    answers.Add([&](frmOptions& d) {
        choose(d, 9);
        d.cmdCancel()->click();
    });
    form->cmdOptions()->click();
    EXPECT_EQ(rig.messages.texts.back(), "Can not open COM9");
    EXPECT_FALSE(sim.isOpen());
    EXPECT_FALSE(core.status.IsBusy());
    EXPECT_EQ(answers.unanswered(), 0);
}
