#include "AppRig.h"

#include "app/CrosspointCell.h"
#include "app/PortNaming.h"
#include "app/RestoreDialog.h"
#include "app/SwitchGrid.h"
#include "app/SwitchView.h"
#include "app/UnitPane.h"
#include "app/UnitSettingsUi.h"
#include "app/WindowFit.h"
#include "app/WindowPlacement.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "control/AudioPage.h"
#include "control/VideoPage.h"
#include "log/frmLog.h"
#include "model/NamesStore.h"
#include "model/UnitSettingsFile.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

// On a 1280 by 720 screen every page shows its controls uncut; Ctrl+Alt+V opens
// the one log window; the status line follows the port; Cancel in Options clears
// the unit pane only with the port closed; Exit closes all and leaves the
// settings alone.
TEST(MainWindow, FitsTheScreenTabsLogWindowStatusLineOptionsAndExit) {
    AppRig rig;
    rig.AddPort(3);
    rig.StorePort(5); // open at 9600
    int released = 0, cleared = 0;
    rig.program().hooks().ReleaseModel = [&] { ++released; };
    rig.program().hooks().ClearUnitPane = [&] { ++cleared; };
    ASSERT_TRUE(rig.program().Main());
    frmMain* form = rig.program().mainWindow();

    const QRect screen(0, 0, 1280, 720 - 32); // less a desktop panel
    const QRect place =
        WindowFit::FirstPlace(WindowPlacement::kPreferred, form->minimumSizeHint(), screen);
    EXPECT_TRUE(screen.contains(place.marginsAdded(WindowFit::kFrameAllowance)));
    form->setGeometry(place);
    QApplication::processEvents();
    EXPECT_EQ(form->size(), place.size()); // nothing in it asks for more
    const std::vector<const char*> pages[] = {
        {"picSwitchBackground", "cmdDisconnect", "scoSwitchInput"},
        {"chkSelAllAudioOutput", "chkSelectedMuteStatus", "sldSelectedDelayTime",
         "txtSelectedDelayTime", "scoAudioOutput"},
        {"fraSelectedVideoInput", "chkSelAllVideoInput", "picVideoInput_15"},
    };
    for (int i = 0; i < 3; ++i) {
        QTest::mouseClick(form->TabStrip1(), Qt::LeftButton, {},
                          form->TabStrip1()->tabRect(i).center());
        QApplication::processEvents();
        std::vector<QWidget*> shown = {form->cmdOptions(), form->cmdScan(), form->cmdExit(),
                                       form->lblPortStatus(), form->findChild<QWidget*>("lstQRD")};
        for (const char* name : pages[i]) {
            shown.push_back(form->findChild<QWidget*>(name));
            ASSERT_NE(shown.back(), nullptr) << name;
        }
        for (QWidget* w : shown) { // wholly inside the window, nothing covers or cuts it
            const QRect where(w->mapTo(form, QPoint(0, 0)), w->size());
            EXPECT_TRUE(w->isVisible() && form->rect().contains(where) &&
                        w->visibleRegion().boundingRect() == w->rect())
                << i << ": " << w->objectName().toStdString();
        }
    }

    EXPECT_EQ(form->logWindow(), nullptr);
    // Seen before the focused control; Shift does not matter.
    QTest::keyClick(form->cmdScan(), Qt::Key_V,
                    Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    ASSERT_NE(form->logWindow(), nullptr);
    EXPECT_TRUE(form->logWindow()->isVisible());
    frmLog* first = form->logWindow();
    first->hide(); // as the title bar's close does
    QTest::keyClick(form, Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(form->logWindow(), first);
    EXPECT_TRUE(first->isVisible());

    const QLabel* status = form->lblPortStatus();
    EXPECT_TRUE(status->text().contains(QRegularExpression("COM5.*9600.*open$")));
    EXPECT_EQ(status->toolTip(), rig.DeviceOf(5));
    DialogAnswers answers;
    answers.Add([](frmOptions& d) { d.cmdCancel()->click(); });
    answers.Add([](frmOptions& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    answers.Add([](frmOptions& d) { d.close(); });
    answers.Add([](frmOptions& d) {
        EXPECT_EQ(d.cboPortNumber()->currentText(), "COM5"); // the stored port offered
        d.cboBaudRate()->setCurrentIndex(1);
        d.cmdOK()->click();
    });
    form->cmdOptions()->click();
    EXPECT_EQ(cleared, 0);

    rig.fake.loseLine();
    EXPECT_TRUE(
        status->text().contains(QRegularExpression("COM5.*lost.*choose a port in Options")));
    form->cmdOptions()->click();
    EXPECT_EQ(cleared, 1);
    form->cmdOptions()->click();
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(rig.scans, 1); // the start-up scan only
    form->cmdOptions()->click();
    EXPECT_EQ(answers.shown(), 4);
    EXPECT_TRUE(status->text().contains(QRegularExpression("19200.*open$")));
    EXPECT_EQ(rig.Stored("BAUD RATE"), "19200");
    EXPECT_EQ(rig.scans, 2);

    form->cmdExit()->click();
    EXPECT_FALSE(form->isVisible() || first->isVisible() || rig.fake.isOpen());
    EXPECT_EQ(released, 1);
    EXPECT_EQ(rig.Stored("PORT NUMBER"), "5");

    // A damaged state file gives a first start (the page kept: the window state's test).
    rig.EndProgram();
    ASSERT_TRUE(
        WriteAll(rig.stateFile(), QByteArray("\x01\xff[Window\nGeometry=@Rect(\x02\0", 27)));
    ASSERT_TRUE(rig.program().Main());
    EXPECT_EQ(rig.program().mainWindow()->TabStrip1()->currentIndex(), 0);
}

namespace {

// What a tool tip shows, markup read as Qt reads it.
QString TipText(const QWidget* w) {
    QTextDocument doc;
    doc.setHtml(w->toolTip());
    return Qt::mightBeRichText(w->toolTip()) ? doc.toPlainText() : w->toolTip();
}

} // namespace

// Place, unit pane, page and maximized, as left at the end, come back at the
// next start; the settings file is not written for it.
TEST(WindowState, AsLeftAtTheEndComesBackAtTheNextStart) {
    AppRig rig;
    rig.StorePort(5);
    const QByteArray settingsBefore = ReadAll(rig.settingsFile());
    ASSERT_FALSE(settingsBefore.isEmpty());
    for (const bool maximized : {false, true}) {
        ASSERT_TRUE(rig.program().Main());
        frmMain* form = rig.program().mainWindow();
        const QRect left = form->geometry().adjusted(0, 0, -20, -30);
        form->setGeometry(left);
        QApplication::processEvents();
        const int pane = form->splPanes()->sizes().at(1) + 30;
        form->splPanes()->setSizes({form->splPanes()->height() - pane, pane});
        const int paneLeft = form->splPanes()->sizes().at(1);
        form->TabStrip1()->setCurrentIndex(maximized ? 2 : 1);
        if (maximized) {
            form->setWindowState(Qt::WindowMaximized);
        }
        rig.EndProgram();

        ASSERT_TRUE(rig.program().Main());
        form = rig.program().mainWindow();
        QApplication::processEvents();
        EXPECT_EQ(form->isMaximized(), maximized);
        EXPECT_EQ(form->TabStrip1()->currentIndex(), maximized ? 2 : 1);
        if (!maximized) {
            EXPECT_EQ(form->geometry(), left);
            EXPECT_EQ(form->splPanes()->sizes().at(1), paneLeft);
        }
        rig.EndProgram();
    }
    EXPECT_EQ(ReadAll(rig.settingsFile()), settingsBefore);
}

// On the emulator: the scan's account, unit settings saved, port names
// (another unit's, F2) shown as typed, a lost port.
TEST(OnTheEmulator, StatusLineUnitSettingsPortNamesAndALostPort) {
    AppRig rig;
    sim::SimSerialPort& sim = rig.UseSimPort();
    sim.engine().addUnit(SimUnit(1, 24, 16, "Main Hall 24x16"));
    NamesStore(rig.namesFile()).SetName({1, "Foyer 8x8", 8, 8}, {NameKind::Input, 1}, "Foyer PC");
    basMain& program = rig.program();
    QuadrelCore& core = program.core();
    program.DrawAfterFrames(1ms); // as the program draws: views and status line after frames
    ASSERT_TRUE(program.Main());
    frmMain* form = program.mainWindow();
    EXPECT_FALSE(form->cmdSaveSettings()->isEnabled());                 // with the unit controls
    ASSERT_TRUE(QTest::qWaitFor([&] { return core.status.IsBusy(); })); // after the first paint
    // An answer's change reaches the status line with the views' drawing.
    ASSERT_TRUE(rig.time.advanceUntil([&] { return core.model.FindUnit(1) != nullptr; }, 60s));
    rig.time.advance(1ms);
    QApplication::processEvents();
    EXPECT_EQ(form->lblActivity()->text(), "Scanning ID 1 of 31: 1 unit found");
    // Read through while the scan goes on: F2 on the list names the unit, in
    // an editor over its row's Name cell, below the list's header.
    ASSERT_TRUE(rig.time.advanceUntil(
        [&] { return !core.model.blLoadingStatus && !core.model.blLoadingMemory; }, 10s));
    rig.time.advance(1ms);
    QApplication::processEvents();
    ASSERT_TRUE(core.status.blScanning());
    QTreeWidget* list = program.unitPane()->lstQRD();
    QTest::keyClick(list, Qt::Key_F2);
    QLineEdit* editor = program.naming()->editor();
    ASSERT_NE(editor, nullptr);
    const QRect at(list->mapFrom(editor->parentWidget(), editor->pos()), editor->size());
    const QRect row = list->visualItemRect(program.unitPane()->FindUnitRow("QRD1"))
                          .translated(list->viewport()->mapTo(list, QPoint(0, 0)));
    EXPECT_GE(at.top(), list->header()->mapTo(list, QPoint(0, list->header()->height())).y());
    EXPECT_EQ(at.top(), row.top());
    EXPECT_EQ(at.left(), row.left() + list->header()->sectionPosition(1));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(program.naming()->editor(), nullptr);
    ASSERT_TRUE(rig.time.advanceUntil([&] { return !core.status.IsBusy(); }, 60s));
    rig.time.advance(1ms);
    QApplication::processEvents();
    EXPECT_EQ(form->lblActivity()->text(), "Scan ended: 1 unit found");

    UnitSettingsUi& ui = *program.unitSettings();
    QTemporaryDir dir;
    const QString path = dir.filePath("unit1.json");
    QStringList questions;
    ui.ask().fileName = [&](bool, const QString&) { return path; };
    ui.ask().yesNo = [&](const QString& q) {
        questions << q;
        return false;
    };
    // Saved as the operator would: once the views have drawn the unit's answers.
    ASSERT_TRUE(rig.time.advanceUntil(
        [&] {
            QApplication::processEvents();
            return form->cmdSaveSettings()->isEnabled();
        },
        10s));
    form->cmdSaveSettings()->click();
    ASSERT_TRUE(rig.time.advanceUntil(
        [&] { return !rig.messages.texts.isEmpty() && !ui.job().Running(); }, 60s));
    EXPECT_EQ(rig.messages.texts.last(), "Unit 1 saved to " + path + ".");
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].startsWith("Save the unit's 4 memory presets too?"));
    // One job at a time: a second save while the first runs is refused, unasked.
    ui.Save();
    ASSERT_TRUE(ui.job().Running());
    ui.Save();
    EXPECT_EQ(rig.messages.texts.last(),
              "Select a unit that answers, and wait until it has been read.");
    ASSERT_TRUE(rig.time.advanceUntil([&] { return !ui.job().Running(); }, 60s));
    EXPECT_EQ(questions.size(), 2);

    // Another unit's names: told, not shown.
    PortNaming& naming = *program.naming();
    auto* in1 = form->findChild<QPushButton*>("chkSwitchInput_0");
    EXPECT_TRUE(naming.bar()->isVisibleTo(form));
    EXPECT_EQ(naming.barText()->text(), "Unit 01 reports Main Hall 24x16, 24 in, 16 out; names "
                                        "were made for Foyer 8x8, 8 in, 8 out");
    EXPECT_EQ(in1->toolTip(), "");
    naming.asideButton()->click();
    EXPECT_FALSE(naming.bar()->isVisibleTo(form));
    NamesStore file(rig.namesFile());
    file.Load();
    ASSERT_EQ(file.entries().size(), 1u);
    EXPECT_TRUE(file.entries().front().aside);

    // F2 on input 1's button (the grid may have been fitted to the window
    // anew), markup, an ampersand and a bell typed; Enter.
    in1 = form->findChild<QPushButton*>("chkSwitchInput_0");
    QTest::keyClick(in1, Qt::Key_F2);
    ASSERT_NE(naming.editor(), nullptr);
    EXPECT_TRUE(naming.editor()->isVisible());
    naming.editor()->setText(QString("<b>Desk</b> & PC") + QChar(0x07));
    QTest::keyClick(naming.editor(), Qt::Key_Return);
    EXPECT_EQ(naming.editor(), nullptr);
    const QString kept = QString("<b>Desk</b> & PC") + QChar(0xFFFD);
    EXPECT_EQ(NameOf(naming.shown(), {NameKind::Input, 1}), kept);
    QTest::keyClick(in1, Qt::Key_F2); // Escape keeps nothing of an edit
    ASSERT_NE(naming.editor(), nullptr);
    naming.editor()->setText("Projector");
    QTest::keyClick(naming.editor(), Qt::Key_Escape);
    EXPECT_EQ(NameOf(naming.shown(), {NameKind::Input, 1}), kept);
    // Shown as typed: tool tip, the video panel's box (no shortcut of the &), the source.
    EXPECT_EQ(TipText(in1), "Input 1: " + kept);
    EXPECT_EQ(program.videoPage()->picVideoInput(0)->chkVideoInput()->text(),
              QString("Input 1 <b>Desk</b> && PC") + QChar(0xFFFD));
    core.model.SetAudioRoute(1, 1, program.views());
    core.model.SetVideoRoute(1, 1, program.views());
    auto* source = form->findChild<QLabel*>("lblOutputSource_0");
    EXPECT_EQ(source->textFormat(), Qt::PlainText);
    // Cut short at the label's fixed width, whole in the tool tip.
    EXPECT_TRUE(source->text().startsWith("AV <b>Des")) << source->text().toStdString();
    EXPECT_EQ(TipText(source),
              "Output 1: audio from " + kept + " (input 1), video from " + kept + " (input 1)");

    // A volume the unit would not take: not sent, and said in the status line and a box.
    AudioPage* audio = program.audioPage();
    QTest::mouseClick(audio->picAudioOutput(0)->chkAudioOutput(), Qt::LeftButton);
    auto* volume = form->findChild<QLineEdit*>("txtSelectedVolumnLevel");
    volume->selectAll();
    QTest::keyClicks(volume, "150");
    QTest::keyClick(volume, Qt::Key_Return);
    rig.time.advance(1ms);
    QApplication::processEvents();
    EXPECT_EQ(rig.messages.texts.last(), "Not sent: volume 150 is outside 0-100.");
    EXPECT_EQ(form->lblActivity()->text(), rig.messages.texts.last());

    // A lost port: the last routes stay in view, greyed and captioned as not
    // current. (Its status text is the scenario test's; the pages' is their own.)
    SwitchView* sw = program.switchView();
    const QString routed = sw->CellKey(0);
    EXPECT_NE(routed, "NoANoV_UP");
    EXPECT_EQ(sw->LastKnownCaption(), "");
    sim.loseLine();
    rig.time.advance(10ms);
    QApplication::processEvents();
    EXPECT_EQ(sw->CellKey(0), routed);
    EXPECT_FALSE(sw->grid().cell(0)->isEnabled());
    EXPECT_EQ(sw->LastKnownCaption(), "Not current: the port was lost");
    EXPECT_TRUE(sw->OutputSourceText(0).startsWith("AV"));

    rig.EndProgram(); // the name is there for the next start, for this unit on this line
    NamesStore next(rig.namesFile());
    next.Load();
    const UnitNames* hall = next.Exact({1, "Main Hall 24x16", 24, 16, 200});
    ASSERT_NE(hall, nullptr);
    EXPECT_EQ(hall->inputs, (std::map<int, QString>{{1, kept}}));
}

// Restore, from its button: a file of other firmware and with names lists both
// among the differences, nothing is set before Restore, the names only on request.
TEST(OnTheEmulator, RestoreListsFirmwareAndNamesAndSetsNothingBeforeTheOperatorAgrees) {
    AppRig rig;
    sim::SimSerialPort& sim = rig.UseSimPort();
    sim.engine().addUnit(SimUnit(1, 8, 4, "Hall"));
    basMain& program = rig.program();
    QuadrelCore& core = program.core();
    ASSERT_TRUE(program.Main());
    ASSERT_TRUE(rig.time.advanceUntil([&] { return core.model.FindUnit(1) != nullptr; }, 60s));
    ASSERT_TRUE(rig.time.advanceUntil([&] { return !core.status.IsBusy(); }, 60s));

    UnitSettingsUi& ui = *program.unitSettings();
    QTemporaryDir dir;
    const QString path = dir.filePath("hall.json");
    ui.ask().yesNo = [](const QString&) { return false; };
    ui.ask().fileName = [&](bool, const QString&) { return path; };
    ui.SaveTo(path);
    ASSERT_TRUE(rig.time.advanceUntil(
        [&] { return !rig.messages.texts.isEmpty() && !ui.job().Running(); }, 60s));
    QString error;
    std::optional<UnitSettings> file = UnitSettingsFile::Read(path, error);
    ASSERT_TRUE(file) << error.toStdString();
    file->unit.firmware = "9.9.9";
    file->names.inputs[2] = "Lectern";
    file->names.outputs[255] = "Kept for a larger unit";
    (*file->live.outputs.begin()).second.volume = 77;
    ASSERT_TRUE(UnitSettingsFile::Write(path, *file, error));

    sim::UnitState& unit = sim.engine().unit(1)->state();
    unit.edid[1] = 1;
    // The two settings that differ, so all a restore could set (only what
    // differs is sent: the restore job's test).
    using Live = std::pair<int, int>;
    const auto live = [&] { return Live(unit.audio[0].volume, unit.edid[1]); };
    QStringList rows;
    Live asked(-1, -1);
    bool agree = false;
    ui.ask().confirm = [&](const UnitSettingsJob::Outcome& prepared, const QString& name,
                           const std::vector<NameDifference>& names, bool& applyNames) {
        RestoreDialog dialog(prepared, name, names);
        rows.clear();
        for (int i = 0; i < dialog.lstDifferences()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = dialog.lstDifferences()->topLevelItem(i);
            rows << QStringList{row->text(0), row->text(1), row->text(2), row->text(3)}.join('|');
        }
        EXPECT_NE(dialog.chkApplyNames(), nullptr);
        EXPECT_FALSE(dialog.applyNames()); // only on request
        EXPECT_EQ(dialog.lblSummary()->textFormat(), Qt::PlainText);
        asked = live();
        applyNames = agree;
        return agree;
    };
    QPushButton* restore = program.mainWindow()->cmdRestoreSettings();
    QApplication::processEvents(); // the views drawn, as the operator sees them
    ASSERT_TRUE(restore->isEnabled());
    restore->click();
    rig.time.advanceUntil([&] { return asked.first >= 0 && !ui.job().Running(); }, 60s);
    EXPECT_EQ(rows,
              (QStringList{"Unit|firmware|1.0.0|9.9.9", "Input 2|name on this PC|(none)|Lectern",
                           "Output 255|name on this PC|(none)|Kept for a larger unit",
                           "Output 1|volume|50|77", "Input 2|EDID|output 1's|fixed"}));
    EXPECT_EQ(asked, Live(50, 1));
    rig.time.advance(2s);
    EXPECT_EQ(live(), Live(50, 1)); // Cancel: nothing at all
    EXPECT_EQ(program.naming()->shown(), UnitNames{});

    agree = true;
    const qsizetype messages = rig.messages.texts.size();
    ASSERT_TRUE(restore->isEnabled());
    restore->click();
    ASSERT_TRUE(rig.time.advanceUntil(
        [&] { return rig.messages.texts.size() > messages && !ui.job().Running(); }, 60s));
    EXPECT_EQ(rig.messages.texts.last(), "2 of 2 changes sent; the unit took every value.");
    EXPECT_EQ(asked, Live(50, 1));
    EXPECT_EQ(live(), Live(77, 0));
    EXPECT_EQ(program.naming()->shown(), file->names);
}
