// Names on the main window against the emulator: names made for another
// unit are offered in the bar, F2 names a port in place, the table imports
// CSV, and every name shows as typed text.
#include "AppRig.h"
#include "app/NamesDialog.h"
#include "app/PortNaming.h"
#include "app/frmMain.h"
#include "control/AudioPage.h"
#include "control/VideoPage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

NamedPort In(int n) {
    return {NameKind::Input, n};
}

// What a tool tip shows, markup read as Qt reads it.
QString TipText(const QWidget* w) {
    QTextDocument doc;
    doc.setHtml(w->toolTip());
    return Qt::mightBeRichText(w->toolTip()) ? doc.toPlainText() : w->toolTip();
}

} // namespace

TEST(PortNames, OfferedThenPutAsideThenNamedInPlaceAndByTable) {
    AppRig rig;
    sim::SimSerialPort& sim = rig.UseSimPort();
    sim::UnitConfig config;
    config.id = 1;
    config.name = "Main Hall 24x16";
    config.inputs = 24;
    config.outputs = 16;
    sim.engine().addUnit(config);
    {
        NamesStore before(rig.namesFile());
        before.SetName({1, "Foyer 8x8", 8, 8}, In(1), "Foyer PC");
    }
    basMain& program = rig.program();
    QuadrelCore& core = program.core();
    ASSERT_TRUE(program.Main());
    frmMain* form = program.mainWindow();
    ASSERT_TRUE(rig.time.advanceUntil([&] { return core.model.objUnits().Count() == 1; }, 20s));
    form->cmdScan()->click();
    ASSERT_TRUE(rig.time.advanceUntil([&] { return !core.status.IsBusy(); }, 20s));

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

    // F2 on input 1's button, markup, an ampersand and a bell typed; Enter.
    QTest::keyClick(in1, Qt::Key_F2);
    ASSERT_NE(naming.editor(), nullptr);
    EXPECT_TRUE(naming.editor()->isVisible());
    naming.editor()->setText(QString("<b>Desk</b> & PC") + QChar(0x07));
    QTest::keyClick(naming.editor(), Qt::Key_Return);
    EXPECT_EQ(naming.editor(), nullptr);
    const QString kept = QString("<b>Desk</b> & PC") + QChar(0xFFFD);
    EXPECT_EQ(NameOf(naming.shown(), In(1)), kept);
    // Escape keeps nothing.
    auto* out1 = form->findChild<QPushButton*>("chkSwitchOutput_0");
    QTest::keyClick(out1, Qt::Key_F2);
    ASSERT_NE(naming.editor(), nullptr);
    naming.editor()->setText("Projector");
    QTest::keyClick(naming.editor(), Qt::Key_Escape);
    EXPECT_EQ(naming.editor(), nullptr);
    EXPECT_TRUE(naming.shown().outputs.empty());

    // Shown as typed: tool tip, the video panel's box (no shortcut made of
    // the ampersand), the source beside output 1.
    EXPECT_EQ(TipText(in1), "Input 1: " + kept);
    EXPECT_EQ(program.videoPage()->picVideoInput(0)->chkVideoInput()->text(),
              QString("1 <b>Desk</b> && PC") + QChar(0xFFFD));
    core.link.senders.CmdSetAudioSwitch(1, 1, 1, 0);
    core.link.senders.CmdSetVideoSwitch(1, 1, 1, 0);
    core.link.senders.CmdGetAudioSwitch(1, 0, 0, 1);
    core.link.senders.CmdGetVideoSwitch(1, 0, 0, 1);
    ASSERT_TRUE(rig.time.advanceUntil(
        [&] {
            return core.model.AudioOutputs[1].iInputPort == 1 &&
                   core.model.VideoOutputs[1].iInputPort == 1 && !core.status.IsBusy();
        },
        10s));
    auto* source = form->findChild<QLabel*>("lblOutputSource_0");
    EXPECT_EQ(source->textFormat(), Qt::PlainText);
    EXPECT_TRUE(source->text().startsWith("AV <b>Desk"));
    EXPECT_EQ(TipText(source),
              "Output 1: audio from " + kept + " (input 1), video from " + kept + " (input 1)");

    // The table: a CSV import lists what it did not take and replaces the
    // names; OK keeps them, the preset list and the audio panel show them.
    QTemporaryDir dir;
    const QString csv = dir.filePath("names.csv");
    QFile in(csv);
    ASSERT_TRUE(in.open(QIODevice::WriteOnly));
    in.write("Port,Name\r\nOutput 2,\"Stage, left\"\r\nPreset 1,Evening\r\nInput 30,x\r\n");
    in.close();
    naming.setTableHook([&](NamesDialog& dialog) {
        EXPECT_TRUE(dialog.ImportFrom(csv));
        EXPECT_TRUE(dialog.note()->text().endsWith("Not taken: line 4: Input 30."));
        dialog.accept();
    });
    naming.ShowTable();
    EXPECT_EQ(NameOf(naming.shown(), In(1)), "");
    EXPECT_EQ(form->findChild<QComboBox*>("cboMemoryLOC")->itemText(0), "#1 Evening");
    EXPECT_EQ(program.audioPage()->picAudioOutput(1)->chkAudioOutput()->text(), "2 Stage, left");
    EXPECT_EQ(program.audioPage()->picAudioOutput(0)->chkAudioOutput()->text(), "1");

    // Kept for the next run.
    rig.EndProgram();
    NamesStore after(rig.namesFile());
    after.Load();
    ASSERT_NE(after.Exact({1, "Main Hall 24x16", 24, 16}), nullptr);
    EXPECT_EQ(after.Exact({1, "Main Hall 24x16", 24, 16})->outputs.at(2), "Stage, left");
}
