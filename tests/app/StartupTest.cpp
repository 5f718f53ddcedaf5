#include "AppRig.h"
#include "DialogAnswers.h"

#include "app/frmMain.h"
#include "app/frmOptions.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSerialPort>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

bool AnyWindowVisible() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible()) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(Startup, WithoutAnyPortOnlyTheMessageAppears) {
    AppRig rig;
    EXPECT_FALSE(rig.program().Main());
    EXPECT_EQ(rig.messages.texts, QStringList{"Can not found COM port"});
    EXPECT_EQ(rig.program().mainWindow(), nullptr);
    EXPECT_FALSE(AnyWindowVisible());
    EXPECT_FALSE(rig.SettingsWritten());
}

TEST(Startup, FirstRunAsksBeforeTheWindowAndCancelEndsWithoutSettings) {
    AppRig rig;
    rig.AddPort(3);
    rig.AddPort(5);
    DialogAnswers answers;
    bool mainWindowHidden = false;
    answers.Add([&](frmOptions& d) {
        mainWindowHidden = !rig.program().mainWindow()->isVisible();
        EXPECT_EQ(d.windowTitle(), "Options");
        EXPECT_EQ(d.cboPortNumber()->count(), 2);
        EXPECT_EQ(d.cboPortNumber()->currentText(), "COM3");
        EXPECT_EQ(d.cboPortNumber()->currentData().toInt(), 3);
        EXPECT_EQ(d.cboBaudRate()->currentText(), "9600");
        EXPECT_EQ(d.cboBaudRate()->itemData(1).toInt(), 19200);
        d.cmdCancel()->click();
    });
    EXPECT_FALSE(rig.program().Main());
    EXPECT_EQ(answers.shown(), 1);
    EXPECT_TRUE(mainWindowHidden);
    EXPECT_FALSE(AnyWindowVisible());
    EXPECT_FALSE(rig.fake.isOpen());
    EXPECT_FALSE(rig.SettingsWritten());
    EXPECT_EQ(rig.scans, 0);
    EXPECT_TRUE(rig.messages.texts.isEmpty());
}

TEST(Startup, FirstRunOkOpensThePortStoresItAndScans) {
    AppRig rig;
    rig.AddPort(3);
    DialogAnswers answers;
    answers.Add([](frmOptions& d) { d.cmdOK()->click(); });
    ASSERT_TRUE(rig.program().Main());
    EXPECT_TRUE(rig.fake.isOpen());
    EXPECT_EQ(rig.fake.portNumber(), 3);
    EXPECT_EQ(rig.fake.settings(), "9600,n,8,1");
    EXPECT_EQ(rig.Stored("PORT NUMBER"), "3");
    EXPECT_EQ(rig.Stored("BAUD RATE"), "9600");
    EXPECT_TRUE(rig.program().mainWindow()->isVisible());
    EXPECT_EQ(rig.scans, 1);
}

TEST(Startup, StoredPortThatVanishedIsReplacedAndAsked) {
    AppRig rig;
    rig.AddPort(3);
    rig.AddPort(5);
    rig.Store("PORT NUMBER", "9");
    rig.Store("BAUD RATE", "19200");
    DialogAnswers answers;
    answers.Add([](frmOptions& d) {
        EXPECT_EQ(d.cboPortNumber()->currentText(), "COM3");
        // The stored rate is valid, so the list opens on it.
        EXPECT_EQ(d.cboBaudRate()->currentText(), "19200");
        d.cmdCancel()->click();
    });
    EXPECT_FALSE(rig.program().Main());
    EXPECT_EQ(answers.shown(), 1);
    EXPECT_EQ(rig.Stored("PORT NUMBER"), "9");
}

TEST(Startup, StoredValuesOpenWithoutDialogAndLaterDialogKeepsTheRate) {
    AppRig rig;
    rig.AddPort(3);
    rig.AddPort(5);
    rig.Store("PORT NUMBER", "5");
    rig.Store("BAUD RATE", "19200");
    DialogAnswers answers;
    ASSERT_TRUE(rig.program().Main());
    EXPECT_EQ(answers.shown(), 0);
    EXPECT_EQ(rig.fake.portNumber(), 5);
    EXPECT_EQ(rig.fake.settings(), "19200,n,8,1");
    EXPECT_EQ(rig.scans, 1);

    // OK without touching anything keeps the line at 19200.
    answers.Add([](frmOptions& d) {
        EXPECT_EQ(d.cboPortNumber()->currentText(), "COM5");
        EXPECT_EQ(d.cboBaudRate()->currentText(), "19200");
        d.cmdOK()->click();
    });
    rig.program().mainWindow()->cmdOptions()->click();
    EXPECT_EQ(answers.shown(), 1);
    EXPECT_EQ(rig.fake.settings(), "19200,n,8,1");
    EXPECT_EQ(rig.Stored("BAUD RATE"), "19200");
    EXPECT_EQ(rig.scans, 2);
}

TEST(Startup, PortHeldByAnotherProgramIsReportedAndTheDialogStays) {
    AppRig rig;
    rig.AddPort(3);
    rig.AddPort(5);
    rig.UseRealPort();
    // Root ignores the terminal's exclusive mode; the lock file still holds.
    QSerialPort other(rig.DeviceOf(3));
    ASSERT_TRUE(other.open(QIODevice::ReadWrite));
    DialogAnswers answers;
    answers.Add([&](frmOptions& d) {
        rig.RemovePort(5); // the re-probe must notice
        d.cmdOK()->click();
        EXPECT_EQ(rig.messages.texts, QStringList{"Can not open COM3"});
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.cboPortNumber()->count(), 1);
        EXPECT_EQ(d.cboPortNumber()->currentText(), "COM3");
        EXPECT_FALSE(rig.port().isOpen());
        d.cmdCancel()->click();
    });
    EXPECT_FALSE(rig.program().Main());
    EXPECT_EQ(answers.shown(), 1);
    EXPECT_FALSE(rig.SettingsWritten());
}

TEST(Startup, UnreadableStoredValuesTakeTheDialogPath) {
    for (const auto& [port, rate] : std::vector<std::pair<QString, QString>>{
             {"COM3", "9600"}, {"3", "fast"}, {"65539", "9600"}, {"3", "9600.0"}}) {
        SCOPED_TRACE(port.toStdString() + " / " + rate.toStdString());
        AppRig rig;
        rig.AddPort(3);
        rig.Store("PORT NUMBER", port);
        rig.Store("BAUD RATE", rate);
        rig.Store("AUTO BAUDRATE", "maybe");
        DialogAnswers answers;
        answers.Add([](frmOptions& d) {
            EXPECT_EQ(d.cboPortNumber()->currentText(), "COM3");
            d.cmdCancel()->click();
        });
        EXPECT_FALSE(rig.program().Main());
        EXPECT_EQ(answers.shown(), 1);
        EXPECT_EQ(answers.unanswered(), 0);
    }
}

TEST(Startup, StoredPortThatFailsToOpenRunsOnAndSaysSo) {
    AppRig rig;
    rig.AddPort(4);
    rig.Store("PORT NUMBER", "4");
    rig.Store("BAUD RATE", "9600");
    rig.fake.refuseOpen = true;
    DialogAnswers answers;
    ASSERT_TRUE(rig.program().Main());
    EXPECT_EQ(answers.shown(), 0);
    EXPECT_TRUE(rig.messages.texts.isEmpty());
    EXPECT_TRUE(rig.program().mainWindow()->isVisible());
    const QLabel* status = rig.program().mainWindow()->lblPortStatus();
    EXPECT_TRUE(status->text().contains("COM4"));
    EXPECT_TRUE(status->text().contains("could not be opened"));
    EXPECT_TRUE(status->text().contains("choose a port in Options"));
    EXPECT_EQ(status->toolTip(), rig.DeviceOf(4));
}

TEST(Startup, RealPortOpensAtTheStoredRateAndItsLossIsShown) {
    AppRig rig;
    rig.AddPort(6);
    rig.Store("PORT NUMBER", "6");
    rig.Store("BAUD RATE", "19200");
    rig.UseRealPort();
    ASSERT_TRUE(rig.program().Main());
    EXPECT_TRUE(rig.port().isOpen());
    EXPECT_EQ(rig.port().settings(), "19200,n,8,1");
    const QLabel* status = rig.program().mainWindow()->lblPortStatus();
    EXPECT_TRUE(status->text().endsWith("open"));
    rig.pty(6).hangUp();
    EXPECT_TRUE(WaitFor([&] { return status->text().contains("lost"); }, 3s));
    EXPECT_FALSE(rig.port().isOpen());
}
