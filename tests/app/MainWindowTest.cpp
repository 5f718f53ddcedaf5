#include "AppRig.h"
#include "DialogAnswers.h"

#include "app/SwitchView.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "control/AudioPage.h"
#include "control/VideoPage.h"
#include "log/frmLog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

// A program that started on stored settings: port 5 open at 9600.
class Running : public ::testing::Test {
protected:
    void SetUp() override {
        rig.AddPort(3);
        rig.AddPort(5);
        rig.Store("PORT NUMBER", "5");
        rig.Store("BAUD RATE", "9600");
        rig.program().hooks().ReleaseModel = [this] { ++released; };
        rig.program().hooks().ClearUnitPane = [this] { ++cleared; };
        rig.program().hooks().cmdScan_Click = [this] { ++scanClicks; };
        ASSERT_TRUE(rig.program().Main());
        form = rig.program().mainWindow();
    }
    AppRig rig;
    frmMain* form = nullptr;
    int released = 0;
    int cleared = 0;
    int scanClicks = 0;
};

} // namespace

TEST_F(Running, FrameShowsCaptionTabsButtonsAndTimers) {
    EXPECT_EQ(form->windowTitle(), "Quadrel 2.2.01");
    EXPECT_EQ(frmMain::Caption("Quadrel", 10, 0, 123), "Quadrel 10.0.123");
    ASSERT_EQ(form->TabStrip1()->count(), 3);
    EXPECT_EQ(form->TabStrip1()->tabText(0), "Switch");
    EXPECT_EQ(form->TabStrip1()->tabText(1), "Audio");
    EXPECT_EQ(form->TabStrip1()->tabText(2), "Video");
    EXPECT_EQ(form->cmdExit()->text(), "E&xit");
    EXPECT_EQ(form->cmdScan()->text(), "S&can");
    EXPECT_EQ(form->cmdOptions()->text(), "&Options");
    for (QPushButton* b : {form->cmdExit(), form->cmdScan(), form->cmdOptions()}) {
        EXPECT_EQ(b->parentWidget(), form->Frame1());
    }
    EXPECT_EQ(rig.program().switchView()->iLastSwitchOutput(), -1);

    form->cmdScan()->click();
    EXPECT_EQ(scanClicks, 1);
}

TEST_F(Running, OnlyCtrlAltVOpensTheLogWindow) {
    QTest::keyClick(form, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(form, Qt::Key_V, Qt::AltModifier);
    QTest::keyClick(form, Qt::Key_V);
    EXPECT_EQ(form->logWindow(), nullptr);

    // Seen before the focused control; Shift does not matter.
    QTest::keyClick(form->cmdScan(), Qt::Key_V,
                    Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    ASSERT_NE(form->logWindow(), nullptr);
    EXPECT_TRUE(form->logWindow()->isVisible());
    EXPECT_EQ(form->logWindow()->windowTitle(), "TLY 通訊記錄");

    // The title bar only hides it.
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    static_cast<QObject*>(form->logWindow())->event(&close);
    EXPECT_FALSE(form->logWindow()->isVisible());
    frmLog* first = form->logWindow();
    QTest::keyClick(form, Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(form->logWindow(), first);
    EXPECT_TRUE(first->isVisible());
}

TEST_F(Running, TabsBringTheirPageToTheFront) {
    EXPECT_TRUE(form->picSwitchWindow()->isVisible());
    EXPECT_FALSE(form->picAudioWindow()->isVisible());
    QTest::mouseClick(form->TabStrip1(), Qt::LeftButton, {},
                      form->TabStrip1()->tabRect(1).center());
    EXPECT_TRUE(form->picAudioWindow()->isVisible());
    EXPECT_FALSE(form->picSwitchWindow()->isVisible());
    EXPECT_FALSE(form->picVideoWindow()->isVisible());
    form->TabStrip1_Click("Audio");
    form->TabStrip1_Click("Mixer");
    EXPECT_TRUE(form->picAudioWindow()->isVisible());
    EXPECT_FALSE(form->picVideoWindow()->isVisible());
    form->TabStrip1()->setCurrentIndex(2);
    EXPECT_TRUE(form->picVideoWindow()->isVisible());
    EXPECT_FALSE(form->picAudioWindow()->isVisible());
}

TEST_F(Running, ClosingTheMainWindowClosesTheLogWindowAndThePort) {
    form->ShowLogWindow();
    ASSERT_TRUE(form->logWindow()->isVisible());
    ASSERT_TRUE(rig.fake.isOpen());
    form->cmdExit()->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->logWindow()->isVisible());
    EXPECT_FALSE(rig.fake.isOpen());
    EXPECT_EQ(released, 1);
    // Nothing is saved at shutdown.
    EXPECT_EQ(rig.Stored("PORT NUMBER"), "5");
}

TEST_F(Running, StatusLineFollowsThePort) {
    const QLabel* status = form->lblPortStatus();
    EXPECT_TRUE(status->text().contains("COM5"));
    EXPECT_TRUE(status->text().contains("9600"));
    EXPECT_TRUE(status->text().endsWith("open"));
    EXPECT_EQ(status->toolTip(), rig.DeviceOf(5));

    rig.fake.loseLine();
    EXPECT_TRUE(status->text().contains("COM5"));
    EXPECT_TRUE(status->text().contains("lost"));
    EXPECT_TRUE(status->text().contains("choose a port in Options"));

    // Choosing a port again is the way back.
    DialogAnswers answers;
    answers.Add([](frmOptions& d) {
        d.cboBaudRate()->setCurrentIndex(1);
        d.cmdOK()->click();
    });
    form->cmdOptions()->click();
    EXPECT_TRUE(status->text().contains("19200"));
    EXPECT_TRUE(status->text().endsWith("open"));
}

TEST_F(Running, CancelInOptionsClearsTheUnitPaneOnlyWhenThePortIsClosed) {
    DialogAnswers answers;
    answers.Add([](frmOptions& d) { d.cmdCancel()->click(); });
    answers.Add([](frmOptions& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    answers.Add([](frmOptions& d) { d.close(); }); // title bar: no clearing
    form->cmdOptions()->click();
    EXPECT_EQ(cleared, 0);
    rig.fake.loseLine();
    form->cmdOptions()->click();
    EXPECT_EQ(cleared, 1);
    form->cmdOptions()->click();
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(answers.shown(), 3);
    EXPECT_EQ(rig.scans, 1); // the start-up scan only
}

TEST(StatusLine, TellsHowTheScanGoesAndWhyThePagesAreDisabled) {
    AppRig rig;
    sim::SimSerialPort& sim = rig.UseSimPort();
    sim::UnitConfig unit;
    unit.id = 1;
    unit.inputs = 64;
    unit.outputs = 64;
    sim.engine().addUnit(unit);
    rig.AddPort(200);
    rig.Store("PORT NUMBER", "200");
    rig.Store("BAUD RATE", "9600");
    QuadrelCore& core = rig.program().core();
    rig.program().hooks().SetScanning = [&core](bool on) { core.status.SetScanning(on); };
    ASSERT_TRUE(rig.program().Main());
    const QLabel* line = rig.program().mainWindow()->lblActivity();
    // The label follows once the handler that moved the scan has ended.
    ASSERT_TRUE(rig.time.advanceUntil(
        [&] { return core.link.queue.CurrentCommand().bID == 5 && core.status.blScanning(); },
        20s));
    QApplication::processEvents();
    EXPECT_EQ(line->text(), "Scanning ID 5 of 31: 1 unit found");
    ASSERT_TRUE(rig.time.advanceUntil([&] { return !core.status.IsBusy(); }, 60s));
    QApplication::processEvents();
    EXPECT_EQ(line->text(), "Scan ended: 1 unit found");
    SwitchView* sw = rig.program().switchView();
    EXPECT_NE(sw->CellKey(0), "NoANoV_UP");
    EXPECT_TRUE(rig.program().audioPage()->isEnabled());

    // A lost port disables the pages as a silent unit would, and says why.
    sim.loseLine();
    rig.time.advance(10ms);
    QApplication::processEvents();
    EXPECT_EQ(line->text(), "The port was lost: no unit can be reached");
    EXPECT_TRUE(rig.program().mainWindow()->lblPortStatus()->text().contains("lost"));
    EXPECT_EQ(sw->CellKey(0), "NoANoV_UP");
    EXPECT_FALSE(rig.program().audioPage()->isEnabled());
    EXPECT_FALSE(rig.program().videoPage()->isEnabled());
    EXPECT_EQ(sw->OutputSourceText(0), "");
}
