// Start-up and the options dialog: stored, missing and bad settings and ports.
#include "AppRig.h"

#include "app/NetworkPage.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "model/PortSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

bool AnyWindowVisible() {
    const QWidgetList all = QApplication::topLevelWidgets();
    return std::any_of(all.begin(), all.end(), [](QWidget* w) { return w->isVisible(); });
}

QByteArray Garbage(int size) { // the same bytes every run
    QByteArray g(size, '\0');
    for (int i = 0; i < size; ++i) {
        g[i] = static_cast<char>((static_cast<uint32_t>(i) * 2654435761u) >> 11);
    }
    return g;
}

} // namespace

TEST(Startup, NoPortOnlySaysSoAndAFirstRunAsksCancelEndsOkOpensStoresAndScans) {
    {
        AppRig rig;
        EXPECT_FALSE(rig.program().Main());
        EXPECT_EQ(rig.messages.texts, QStringList{"Can not find COM port"});
        EXPECT_FALSE(AnyWindowVisible());
        EXPECT_FALSE(rig.SettingsWritten());
        frmOptions empty(rig.program().line(), {}); // no port: OK reads no missing entry
        empty.cmdOK_Click();
        EXPECT_EQ(rig.messages.texts.size(), 1);
        EXPECT_TRUE(empty.blOptionsCancelled());
    }
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok);
        AppRig rig;
        rig.AddPort(3);
        rig.AddPort(5);
        DialogAnswers answers;
        answers.Add([&](frmOptions& d) {
            EXPECT_FALSE(rig.program().mainWindow()->isVisible());
            EXPECT_EQ(d.cboPortNumber()->count(), 2);
            EXPECT_EQ(d.cboPortNumber()->currentText(), "COM3");
            EXPECT_EQ(d.cboBaudRate()->currentText(), "9600");
            (ok ? d.cmdOK() : d.cmdCancel())->click();
        });
        EXPECT_EQ(rig.program().Main(), ok);
        EXPECT_EQ(answers.shown(), 1);
        EXPECT_EQ(AnyWindowVisible(), ok);
        EXPECT_EQ(rig.fake.isOpen(), ok);
        EXPECT_EQ(rig.scans, ok ? 1 : 0);
        EXPECT_TRUE(rig.messages.texts.isEmpty());
        if (!ok) {
            EXPECT_FALSE(rig.SettingsWritten());
            continue;
        }
        EXPECT_EQ(rig.fake.portNumber(), 3);
        EXPECT_EQ(rig.fake.settings(), "9600,n,8,1");
        const QByteArray text = ReadAll(rig.settingsFile());
        EXPECT_TRUE(text.contains("[COM]") && text.contains("=3\n") && text.contains("=9600\n"))
            << text.toStdString();
        EXPECT_FALSE(text.contains("AUTO"));
    }
}

// Start-up offers a stored rate where it is valid.
TEST(Startup, UnusableSettingsAskForAPortAndCancelLeavesTheFileAlone) {
    const auto com = [](const char* port, const char* rate) {
        return QByteArray("[COM]\nPORT%20NUMBER=") + port + "\nBAUD%20RATE=" + rate + "\n";
    };
    const struct {
        const char* what;
        QByteArray content;
        const char* rate;
        bool damaged = false; // said before Options asks; nothing in it is used
    } cases[] = {
        {"port vanished", com("9", "19200"), "19200"},
        {"port as a name", com("COM3", "9600") + "AUTO%20BAUDRATE=maybe\n", "9600"},
        {"rate as a word", com("3", "fast"), "9600"},
        {"port past 16 bits", com("65539", "9600"), "9600"},
        {"rate with a fraction", com("3", "9600.0"), "9600"},
        {"huge numbers", com("99999999999999999999999999", "1e400"), "9600"},
        {"negative numbers", com("-3", "-9600"), "9600"},
        {"zeros", com("0", "0"), "9600"},
        {"port past the last", com("256", "9600"), "9600"},
        {"no group", "PORT%20NUMBER=3\nBAUD%20RATE=9600\n", "9600"},
        {"empty", QByteArray(), "9600"},
        {"garbage", Garbage(4096), "9600", true},
        {"garbage in the group", "[COM]\n" + Garbage(600) + "\nPORT%20NUMBER=\x01\x02\n", "9600"},
        {"one endless line", QByteArray(2 * 1024 * 1024, 'x'), "9600", true},
        {"sound but over 1 MiB",
         "[COM]\nPORT%20NUMBER=5\nBAUD%20RATE=19200\n" + QByteArray(1100 * 1024, '\n'), "9600",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AppRig rig;
        rig.AddPort(3);
        rig.AddPort(5);
        ASSERT_TRUE(WriteAll(rig.settingsFile(), c.content));
        DialogAnswers answers;
        answers.Add([&](frmOptions& d) {
            EXPECT_EQ(d.cboPortNumber()->currentText(), "COM3");
            EXPECT_EQ(d.cboBaudRate()->currentText(), c.rate);
            d.cmdCancel()->click();
        });
        EXPECT_FALSE(rig.program().Main());
        EXPECT_EQ(answers.shown(), 1);
        EXPECT_FALSE(rig.fake.isOpen());
        EXPECT_EQ(ReadAll(rig.settingsFile()), c.content);
        if (c.damaged) {
            ASSERT_EQ(rig.messages.texts.size(), 1);
            EXPECT_TRUE(rig.messages.texts[0].startsWith("The settings file " + rig.settingsFile() +
                                                         " is damaged ("))
                << rig.messages.texts[0].toStdString();
        } else {
            EXPECT_TRUE(rig.messages.texts.isEmpty());
        }
    }
    EXPECT_EQ(PortSettings::ParseInt32("0x4B00"), std::nullopt);
    EXPECT_EQ(PortSettings::ParseBool("True"), true);
    EXPECT_EQ(PortSettings::ParseBool("-1"), true);
}

// A file that is there but cannot be read is not a first start: the operator
// is told which and why before Options asks. OK then uses the port, says that
// it cannot be stored, and leaves the file alone.
TEST(Startup, ASettingsFileThatCannotBeReadIsSaidBeforeOptionsAsks) {
    const struct {
        const char* what;
        std::function<bool(const QString&)> make;
        const char* why;
        const char* whyNotStored;
    } cases[] = {
        {"a folder in its place", [](const QString& f) { return QDir().mkpath(f); },
         "it is a folder", "it is a folder"},
        {"a file in its folder's place",
         [](const QString& f) {
             QFile folder(QFileInfo(f).path());
             return folder.open(QIODevice::WriteOnly);
         },
         "Not a directory", "is not a folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AppRig rig;
        rig.AddPort(3);
        ASSERT_TRUE(c.make(rig.settingsFile()));
        DialogAnswers answers;
        answers.Add([&](frmOptions& d) {
            EXPECT_EQ(rig.messages.texts.size(), 1); // before the dialog
            d.cmdOK()->click();
        });
        EXPECT_TRUE(rig.program().Main());
        EXPECT_EQ(answers.shown(), 1);
        EXPECT_EQ(rig.fake.portNumber(), 3);
        ASSERT_EQ(rig.messages.texts.size(), 2);
        EXPECT_EQ(rig.messages.texts[0], QStringLiteral("The settings file %1 cannot be read (%2). "
                                                        "The port and baud rate in it are not "
                                                        "used: choose them in Options.")
                                             .arg(rig.settingsFile(), c.why));
        const QString& notStored = rig.messages.texts[1];
        EXPECT_TRUE(notStored.startsWith("COM3 at 9600 baud is in use now, but the choice could "
                                         "not be stored in " +
                                         rig.settingsFile() + " (") &&
                    notStored.contains(c.whyNotStored) &&
                    notStored.endsWith("). The next start will not use it."))
            << notStored.toStdString();
        EXPECT_EQ(PortSettings(rig.settingsFile()).Read().file,
                  PortSettings::FileState::Unreadable);
    }
}

// OK with a file that cannot be written: the port is used for this run, the
// operator is told, and the old file, with the old port, is there next time.
TEST(Startup, AChoiceThatCannotBeStoredIsUsedAndSaidAndTheOldFileStays) {
    AppRig rig;
    // Readable, but no new file can be made beside it: its name is as long
    // as a name can be, so the write fails even for root.
    rig.setSettingsName(QString(255, 'q'));
    rig.AddPort(4);
    rig.AddPort(5);
    const QByteArray old = "[COM]\nPORT%20NUMBER=4\nBAUD%20RATE=9600\n";
    ASSERT_TRUE(WriteAll(rig.settingsFile(), old));

    ASSERT_TRUE(rig.program().Main());
    EXPECT_EQ(rig.fake.portNumber(), 4);
    EXPECT_TRUE(rig.messages.texts.isEmpty());
    DialogAnswers answers;
    answers.Add([&](frmOptions& d) {
        d.cboPortNumber()->setCurrentIndex(d.cboPortNumber()->findData(5));
        d.cboBaudRate()->setCurrentIndex(d.cboBaudRate()->findText("19200"));
        d.cmdOK()->click();
    });
    rig.program().mainWindow()->cmdOptions()->click();
    EXPECT_EQ(answers.shown(), 1);
    EXPECT_TRUE(rig.fake.isOpen());
    EXPECT_EQ(rig.fake.portNumber(), 5);
    EXPECT_EQ(rig.fake.settings(), "19200,n,8,1");
    ASSERT_EQ(rig.messages.texts.size(), 1);
    EXPECT_TRUE(rig.messages.texts[0].startsWith(
        "COM5 at 19200 baud is in use now, but the choice could not be stored in " +
        rig.settingsFile() + " ("))
        << rig.messages.texts[0].toStdString();
    EXPECT_EQ(ReadAll(rig.settingsFile()), old);

    rig.EndProgram();
    ASSERT_TRUE(rig.program().Main());
    EXPECT_EQ(rig.fake.portNumber(), 4);
    EXPECT_EQ(rig.fake.settings(), "9600,n,8,1");
}

// A stored port opens at its rate without a question; one that fails is
// shown. (A lost port is the main window's test; the adapter's loss, the link's.)
TEST(Startup, StoredPortOpensAtItsRateWithoutAskingAndOneThatFailsIsShown) {
    AppRig rig;
    rig.StorePort(4);
    rig.fake.refuseOpen = true;
    DialogAnswers answers; // any dialog would be cancelled, and Main() fail
    ASSERT_TRUE(rig.program().Main());
    EXPECT_EQ(answers.shown(), 0);
    EXPECT_TRUE(rig.messages.texts.isEmpty());
    EXPECT_TRUE(rig.program().mainWindow()->isVisible());
    EXPECT_TRUE(rig.program().mainWindow()->lblPortStatus()->text().contains(
        QRegularExpression("COM4.*could not be opened.*choose a port in Options")));

    rig.EndProgram();
    rig.StorePort(6, "19200");
    rig.fake.refuseOpen = false;
    ASSERT_TRUE(rig.program().Main());
    EXPECT_EQ(rig.fake.settings(), "19200,n,8,1");
    EXPECT_TRUE(rig.program().mainWindow()->lblPortStatus()->text().endsWith("open"));
}

// The options dialog changes the line under a running scan, on emulated lines.
TEST(OptionsDuringAScan, OkScansTheNewLineFromIdZeroAndCancelLeavesNoScan) {
    AppRig rig;
    sim::SimSerialPort& sim = rig.UseSimPort(); // COM200: no unit
    sim.addLine(7).addUnit(SimUnit(2, 4, 4));
    sim.setRefusedPort(9);
    rig.AddPort(7);
    rig.AddPort(9);
    QuadrelCore& core = rig.program().core();
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

    // OK on a port that does not open, then Cancel: closed, and no scan left.
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

    // Scan on the closed port opens it first, or says why it will not.
    sim.setRefusedPort(7);
    form->cmdScan()->click();
    EXPECT_FALSE(sim.isOpen());
    EXPECT_FALSE(core.status.IsBusy());
    EXPECT_TRUE(rig.program().line().status().Text().startsWith("COM7, 9600 baud: could not be "
                                                                "opened"))
        << rig.program().line().status().Text().toStdString();
    sim.setRefusedPort(0);
    form->cmdScan()->click();
    EXPECT_TRUE(sim.isOpen());
    EXPECT_EQ(sim.portNumber(), 7);
    EXPECT_TRUE(core.status.blScanning());
}

// A refused open reads the ports again and stays on the port tried, so a
// second OK opens and stores the operator's pick, never the port in use; a
// port gone meanwhile leaves none picked and OK off. Nothing is stored until
// a port opens.
TEST(Options, AFailedOpenKeepsThePortTriedOrOffersNoneOnceItIsGone) {
    struct Row {
        bool gone;
        const char* shown;
        bool ok;
        int after; // the port in use after a second OK
    };
    for (const Row& row : {Row{false, "COM5", true, 5}, Row{true, "", false, 3}}) {
        SCOPED_TRACE(row.gone);
        AppRig rig;
        rig.AddPort(3);
        rig.AddPort(5);
        ComLine& line = rig.program().line();
        line.comm().GetExistPort();
        line.comm().GetValidBaudRate();
        line.iPortNumber = 3;
        line.lBaudRate = 9600;
        frmOptions d(line, {});
        d.cboPortNumber()->setCurrentIndex(d.cboPortNumber()->findText("COM5"));
        rig.fake.refuseOpen = true;
        if (row.gone) {
            rig.RemovePort(5);
        }
        d.cmdOK()->click();
        EXPECT_EQ(rig.messages.texts, QStringList{"Can not open COM5"});
        EXPECT_EQ(d.cboPortNumber()->currentText(), row.shown);
        EXPECT_EQ(d.cmdOK()->isEnabled(), row.ok);
        EXPECT_FALSE(rig.SettingsWritten());
        rig.fake.refuseOpen = false;
        d.cmdOK()->click();
        EXPECT_EQ(line.iPortNumber, row.after);
        EXPECT_EQ(rig.SettingsWritten(), !row.gone);
    }
}

// The Network tab takes nothing it cannot serve: each refusal is said, and
// nothing is written.
TEST(Options, TheNetworkTabRefusesWhatCannotBeServed) {
    const struct {
        const char* address;
        int textPort;
        const char* certificate;
        const char* says;
    } rows[] = {
        {"127.0.0.1", 8480, "", "The HTTP API and the text protocol need ports of their own."},
        {"localhost", 8481, "", "localhost is not an IP address."},
        {"127.0.0.1", 8481, "cert.pem", "Encryption needs both a certificate and its key."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.says);
        AppRig rig;
        PortSettings settings(rig.settingsFile());
        NetworkPage page(settings, rig.settingsFile() + ".tokens", rig.messages, [] {});
        page.chkApi()->setChecked(true);
        page.chkText()->setChecked(true);
        page.txtAddress()->setText(row.address);
        for (QWidget* w : page.findChildren<QWidget*>()) { // the boxes have no getter
            if (w->accessibleName() == "Text protocol port") {
                w->setProperty("value", row.textPort);
            } else if (w->accessibleName() == "Certificate file (PEM)") {
                w->setProperty("text", QString::fromLatin1(row.certificate));
            }
        }
        EXPECT_FALSE(page.Apply());
        EXPECT_EQ(rig.messages.texts, QStringList{row.says});
        EXPECT_FALSE(rig.SettingsWritten());
    }
}
