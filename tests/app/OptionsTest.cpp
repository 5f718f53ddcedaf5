#include "AppRig.h"

#include "app/ImageKeys.h"
#include "app/frmOptions.h"
#include "model/PortSettings.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;

namespace {

// The dialog on its own, over a line with ports 3 and 5.
class Options : public ::testing::Test {
protected:
    void SetUp() override {
        rig.AddPort(3);
        rig.AddPort(5);
        line().comm().GetExistPort();
        line().comm().GetValidBaudRate();
    }
    ComLine& line() { return rig.program().line(); }
    AppRig rig;
};

} // namespace

TEST_F(Options, CaptionsAndEntries) {
    line().iPortNumber = 5;
    frmOptions d(line(), {});
    EXPECT_EQ(d.windowTitle(), "Options");
    EXPECT_EQ(d.TabStrip1()->tabText(0), "COM");
    EXPECT_EQ(d.Label1()->text(), "&Port number :");
    EXPECT_EQ(d.Label2()->text(), "&Baud rate :");
    EXPECT_EQ(d.cmdOK()->text(), "OK");
    EXPECT_TRUE(d.cmdOK()->isDefault());
    EXPECT_EQ(d.cmdCancel()->text(), "Cancel");
    ASSERT_EQ(d.cboPortNumber()->count(), 2);
    EXPECT_EQ(d.cboPortNumber()->itemText(1), "COM5");
    EXPECT_EQ(d.cboPortNumber()->itemData(1).toInt(), 5);
    EXPECT_EQ(d.cboPortNumber()->itemData(1, Qt::ToolTipRole).toString().split('\n').first(),
              rig.DeviceOf(5));
    EXPECT_EQ(d.cboPortNumber()->currentIndex(), 1);
    EXPECT_EQ(d.cboBaudRate()->itemData(1).toInt(), 19200);
}

TEST_F(Options, BaudListOpensOnTheRateInUseElseTheFirst) {
    line().iPortNumber = 3;
    line().lBaudRate = 19200;
    EXPECT_EQ(frmOptions(line(), {}).cboBaudRate()->currentText(), "19200");
    line().lBaudRate = 4800;
    EXPECT_EQ(frmOptions(line(), {}).cboBaudRate()->currentText(), "9600");
}

TEST_F(Options, OkIsDisabledWhileAListHasNoSelection) {
    line().iPortNumber = 7; // not among the ports
    frmOptions d(line(), {});
    EXPECT_EQ(d.cboPortNumber()->currentIndex(), -1);
    EXPECT_FALSE(d.cmdOK()->isEnabled());
    d.cboPortNumber()->setCurrentIndex(0);
    EXPECT_TRUE(d.cmdOK()->isEnabled());

    // A failed open after which the re-probe finds no port at all.
    rig.fake.refuseOpen = true;
    rig.RemovePort(3);
    rig.RemovePort(5);
    d.cmdOK()->click();
    EXPECT_EQ(rig.messages.texts, QStringList{"Can not open COM3"});
    EXPECT_EQ(d.cboPortNumber()->count(), 0);
    EXPECT_FALSE(d.cmdOK()->isEnabled());
    d.cmdOK_Click(); // reads no missing entry, reports nothing
    EXPECT_EQ(rig.messages.texts.size(), 1);
    EXPECT_TRUE(d.blOptionsCancelled());
    EXPECT_EQ(line().iPortNumber, 7);
    EXPECT_FALSE(rig.SettingsWritten());
}

TEST_F(Options, AFailedOpenKeepsThePortTriedSoASecondOkTriesItAgain) {
    line().iPortNumber = 3;
    line().lBaudRate = 9600;
    frmOptions d(line(), {});
    d.cboPortNumber()->setCurrentIndex(1); // COM5
    rig.fake.refuseOpen = true;
    d.cmdOK()->click();
    EXPECT_EQ(rig.messages.texts, QStringList{"Can not open COM5"});
    EXPECT_EQ(d.cboPortNumber()->currentText(), "COM5");
    rig.fake.refuseOpen = false;
    d.cmdOK()->click();
    EXPECT_EQ(line().iPortNumber, 5);
    EXPECT_EQ(rig.Stored("PORT NUMBER"), "5");
}

TEST(PortSettingsRead, OnlyWholeNumbersThatFitCount) {
    EXPECT_EQ(PortSettings::ParseInt16("7"), 7);
    EXPECT_EQ(PortSettings::ParseInt16("-1"), -1);
    EXPECT_EQ(PortSettings::ParseInt16("32768"), std::nullopt);
    EXPECT_EQ(PortSettings::ParseInt16("COM3"), std::nullopt);
    EXPECT_EQ(PortSettings::ParseInt16("3.0"), std::nullopt);
    EXPECT_EQ(PortSettings::ParseInt32("2147483648"), std::nullopt);
    EXPECT_EQ(PortSettings::ParseInt32("0x4B00"), std::nullopt);
    EXPECT_EQ(PortSettings::ParseBool("True"), true);
    EXPECT_EQ(PortSettings::ParseBool("-1"), true);
    EXPECT_EQ(PortSettings::ParseBool("yes"), std::nullopt);
}

TEST(PortSettingsFile, WritesDecimalTextInGroupCom) {
    QTemporaryDir dir;
    const QString file = dir.path() + "/Quadrel/Quadrel.conf";
    PortSettings settings(file);
    EXPECT_EQ(settings.Read().iPortNumber, 0);
    EXPECT_EQ(settings.Read().lBaudRate, 0);
    EXPECT_FALSE(settings.Read().blAutoBaudRate);
    settings.Write(12, 19200);
    QFile raw(file);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray text = raw.readAll();
    EXPECT_TRUE(text.contains("[COM]"));
    EXPECT_TRUE(text.contains("=12\n"));
    EXPECT_TRUE(text.contains("=19200\n"));
    EXPECT_FALSE(text.contains("AUTO"));
    EXPECT_EQ(settings.Read().iPortNumber, 12);
    EXPECT_EQ(settings.Read().lBaudRate, 19200);
}
