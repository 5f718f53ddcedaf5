// The main window against the emulator in virtual time: the status line's
// account of the scan; "Save unit settings…" and "Restore unit settings…"
// with their questions, the difference list, the messages and a bad file
// that sends nothing; and a lost port, which disables the pages.
#include "app/UnitSettingsUi.h"
#include "AppRig.h"
#include "app/RestoreDialog.h"
#include "app/SwitchView.h"
#include "app/frmMain.h"
#include "control/AudioPage.h"
#include "control/VideoPage.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

TEST(OnTheEmulator, StatusLineUnitSettingsAndALostPort) {
    AppRig rig;
    sim::SimSerialPort& sim = rig.UseSimPort();
    sim::UnitConfig config;
    config.id = 2;
    config.inputs = 4;
    config.outputs = 3;
    sim.engine().addUnit(config);
    QuadrelCore& core = rig.program().core();
    ASSERT_TRUE(rig.program().Main());
    frmMain* form = rig.program().mainWindow();
    EXPECT_FALSE(form->cmdSaveSettings()->isEnabled()); // with the unit controls
    ASSERT_TRUE(rig.time.advanceUntil([&] { return !core.status.IsBusy(); }, 60s));
    // The label follows once the handler that moved the scan has ended.
    QApplication::processEvents();
    EXPECT_EQ(form->lblActivity()->text(), "Scan ended: 1 unit found");
    EXPECT_TRUE(form->cmdRestoreSettings()->isEnabled());

    UnitSettingsUi& ui = *rig.program().unitSettings();
    QTemporaryDir dir;
    const QString path = dir.filePath("unit2.json");
    QStringList questions;
    ui.ask().fileName = [&](bool, const QString&) { return path; };
    ui.ask().yesNo = [&](const QString& q) {
        questions << q;
        return false;
    };
    const auto click = [&](QPushButton* button) {
        const qsizetype before = rig.messages.texts.size();
        button->click();
        EXPECT_TRUE(rig.time.advanceUntil(
            [&] { return rig.messages.texts.size() > before && !ui.job().Running(); }, 60s));
        return rig.messages.texts.last();
    };
    EXPECT_EQ(click(form->cmdSaveSettings()), "Unit 2 saved to " + path + ".");
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].startsWith("Save the unit's 4 memory presets too?"));

    sim.engine().unit(2)->state().audio[0].volume = 9;
    sim.engine().unit(2)->state().edid[1] = 1;
    QStringList rows;
    ui.ask().confirm = [&](const UnitSettingsJob::Outcome& prepared, const QString& file) {
        RestoreDialog dialog(prepared, file);
        for (int i = 0; i < dialog.lstDifferences()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = dialog.lstDifferences()->topLevelItem(i);
            rows << QStringList{row->text(0), row->text(1), row->text(2), row->text(3)}.join('|');
        }
        return true;
    };
    EXPECT_EQ(click(form->cmdRestoreSettings()), "2 of 2 changes sent; the unit took every value.");
    EXPECT_EQ(rows, (QStringList{"Output 1|volume|9|50", "Input 2|EDID|output 1's|fixed"}));
    EXPECT_EQ(sim.engine().unit(2)->state().audio[0].volume, 50);
    EXPECT_EQ(core.model.AudioOutputs[1].iVolumnLevel, 50);

    // A damaged file: told at once, and nothing goes on the line.
    QFile damaged(path);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("{\"format\": \"quadrel-unit-settings\", \"version\": 1, \"unit\": {");
    damaged.close();
    const size_t before = sim.written().size();
    EXPECT_TRUE(click(form->cmdRestoreSettings()).startsWith("Nothing was sent. " + path));
    EXPECT_EQ(sim.written().size(), before);

    // A lost port disables the pages as a silent unit would, and says why.
    SwitchView* sw = rig.program().switchView();
    EXPECT_NE(sw->CellKey(0), "NoANoV_UP");
    EXPECT_TRUE(rig.program().audioPage()->isEnabled());
    sim.loseLine();
    rig.time.advance(10ms);
    QApplication::processEvents();
    EXPECT_EQ(form->lblActivity()->text(), "The port was lost: no unit can be reached");
    EXPECT_TRUE(form->lblPortStatus()->text().contains("lost"));
    EXPECT_EQ(sw->CellKey(0), "NoANoV_UP");
    EXPECT_FALSE(rig.program().audioPage()->isEnabled());
    EXPECT_FALSE(rig.program().videoPage()->isEnabled());
    EXPECT_EQ(sw->OutputSourceText(0), "");
}
