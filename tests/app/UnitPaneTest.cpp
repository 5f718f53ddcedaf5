// The unit list and the memory frame, driven through the real core.
#include "RecordingMessages.h"
#include "SwitchRig.h"
#include "app/MemoryRowList.h"
#include "app/UnitRowTexts.h"
#include "log/Contrast.h"
#include "model/ProgramState.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWheelEvent>

#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;

namespace {

using Frames = std::vector<std::string>;

// A shade of the given hue (blue 240, red 0) that reads on the list's base.
bool ReadableShade(const QColor& colour, int hue, const QWidget& list) {
    return colour.hue() == hue &&
           Contrast::Ratio(colour, list.palette().color(QPalette::Base)) >= Contrast::kReadable;
}

QString Cell(QTreeWidgetItem* row, const char* key) {
    return row->text(UnitColumnOf(QLatin1String(key)));
}

void ClickRow(UnitPane& pane, QTreeWidgetItem* row) {
    QTreeWidget* list = pane.lstQRD();
    list->doItemsLayout();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(10, list->visualItemRect(row).center().y()));
}

// Answers the awaited switch query of a 4-output unit with one route.
void AnswerRoutes(SwitchRig& r, uint8_t output, uint8_t input) {
    Bytes pairs;
    for (uint8_t o = 1; o <= 4; ++o) {
        pairs.push_back(o);
        pairs.push_back(o == output ? input : 0);
    }
    r.Reply(pairs);
}

// Answers whatever the line waits for until nothing does: settings with an
// acknowledgement, route queries with output 1 on input 1.
void Drain(SwitchRig& r) {
    while (r.core.link.queue.IsWaitingForAnswer()) {
        if (IsSetCommand(r.AwaitedCode())) {
            r.Reply({});
        } else {
            AnswerRoutes(r, 1, 1);
        }
    }
    r.Requests();
}

// A selected unit with its memory locations listed and its first preset
// read, the views enabled; nothing waits on the line.
UnitRef Ready(SwitchRig& r, int memories, bool audio = true, bool video = true) {
    SwitchRig::Caps caps;
    caps.memories = memories;
    caps.audio = audio;
    caps.video = video;
    caps.plugs = false;
    UnitRef unit = r.Register(7, 8, 4, caps);
    r.pane.FillMemoryLocations();
    Drain(r);
    r.hub.Setup_AllViews();
    return unit;
}

} // namespace

TEST(UnitPane, FirstUnitFoundIsListedSelectedAndItsFirstPresetRead) {
    SwitchRig r;
    r.pane.show();
    r.core.link.senders.CmdGetUnitInfo(10, 0, 1);
    // Audio only, 15 memory locations, 4 outputs, 8 inputs, named "<b>MX</b>".
    r.Reply({0x8F, 4, 8, '<', 'b', '>', 'M', 'X', '<', '/', 'b', '>'});
    QTreeWidget* list = r.pane.lstQRD();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    QTreeWidgetItem* row = r.pane.FindUnitRow("QRD10");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->text(0), "0A");
    EXPECT_EQ(row->data(0, Qt::UserRole + 1).toString(), "10");
    EXPECT_EQ(Cell(row, "NAME"), "<b>MX</b>"); // shown as it came, never as markup
    EXPECT_EQ(Cell(row, "AV"), "Audio");
    EXPECT_EQ(Cell(row, "IO"), "8/4");
    EXPECT_EQ(Cell(row, "MEMORY"), "15");
    EXPECT_EQ(Cell(row, "Delay"), "Disable");
    EXPECT_EQ(Cell(row, "Delay Unit"), "");
    EXPECT_EQ(Cell(row, "Firmware Version"), "Unknow");
    EXPECT_EQ(row->toolTip(UnitColumnOf("AV")), " Support Audio/Video switch tools request.");
    EXPECT_EQ(row->data(0, Qt::AccessibleDescriptionRole).toString(), "answering");
    EXPECT_EQ(list->currentItem(), row);
    ASSERT_TRUE(r.core.model.objSelectedUnit);
    EXPECT_EQ(r.core.model.objSelectedUnit->bID(), 10);

    QComboBox* locations = r.pane.cboMemoryLOC();
    ASSERT_EQ(locations->count(), 15);
    EXPECT_EQ(locations->itemText(0), "#1");
    EXPECT_EQ(locations->itemData(14).toInt(), 15);
    EXPECT_EQ(r.pane.SelectedMemoryLocation(), 1);
    EXPECT_FALSE(list->isEnabled()); // the unit is being read

    // The live routes, then preset 1, whose rows appear in lstMemory.
    EXPECT_EQ(r.Requests(), (Frames{"3F:0:0", "08:0:0", "08:0:1"}));
    AnswerRoutes(r, 1, 2);
    AnswerRoutes(r, 2, 3);
    const MemoryRowList& rows = r.pane.lstMemory();
    EXPECT_EQ(rows.RowCount(), 4);
    EXPECT_EQ(rows.CellText(2, "AUDIO"), "3");
    EXPECT_TRUE(ReadableShade(rows.CellColour(2, "AUDIO"), 240, rows));
    EXPECT_EQ(rows.CellText(1, "AUDIO"), "None");
    EXPECT_TRUE(ReadableShade(rows.CellColour(1, "AUDIO"), 0, rows));
    EXPECT_TRUE(list->isEnabled());
    EXPECT_TRUE(r.pane.fraMemory()->isEnabled());
}

TEST(UnitPane, RefreshedUnitChangesItsRowNotTheSelection) {
    SwitchRig r;
    r.Register(5, 8, 8, {});
    r.Register(9, 4, 4, {});
    QTreeWidget* list = r.pane.lstQRD();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->currentItem(), r.pane.FindUnitRow("QRD5"));
    EXPECT_EQ(r.core.model.objSelectedUnit->bID(), 5);

    SwitchRig::Caps caps;
    caps.video = false;
    r.Register(9, 16, 2, caps, "Renamed");
    EXPECT_EQ(list->topLevelItemCount(), 2);
    QTreeWidgetItem* row = r.pane.FindUnitRow("QRD9");
    EXPECT_EQ(Cell(row, "NAME"), "Renamed");
    EXPECT_EQ(Cell(row, "IO"), "16/2");
    EXPECT_EQ(Cell(row, "AV"), "Audio");
    EXPECT_EQ(list->currentItem(), r.pane.FindUnitRow("QRD5"));
    EXPECT_EQ(r.core.model.objSelectedUnit->bID(), 5);

    EXPECT_EQ(row->toolTip(0), "Unit 09 answers");
    r.hub.SetUnitIcon(9, false);
    EXPECT_EQ(row->data(0, Qt::AccessibleDescriptionRole).toString(), "not answering");
    EXPECT_EQ(row->toolTip(0), "Unit 09 is not answering: Scan, or click its row, to try again");
    r.hub.SetUnitFirmwareText(9, "1.2.10");
    EXPECT_EQ(Cell(row, "Firmware Version"), "1.2.10");

    // Cancelling the options dialog with the port closed empties the pane.
    r.pane.ClearForClosedPort();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_EQ(r.pane.cboMemoryLOC()->count(), 0);
    r.Register(9, 4, 4, {});
    EXPECT_EQ(list->topLevelItemCount(), 1);
}

TEST(UnitPane, RowClickSelectsTheUnitAndReadsIt) {
    SwitchRig r;
    SwitchRig::Caps caps;
    caps.plugs = false;
    r.Register(5, 8, 4, caps);
    r.Register(9, 4, 4, caps);
    r.pane.FillMemoryLocations();
    Drain(r);
    r.pane.show();
    auto* selectAll = r.sw.findChild<QCheckBox*>("chkSelAllSwitchOutput");
    selectAll->setChecked(true);
    r.core.link.senders.CmdGetMute(5, 0, 0, 1); // written: the line is busy
    r.core.link.senders.CmdGetMute(5, 0, 0, 1); // waits, withdrawn by the click
    r.core.link.senders.CmdGetMute(9, 0, 0, 1); // the new unit's old frame too

    ClickRow(r.pane, r.pane.FindUnitRow("QRD9"));
    EXPECT_EQ(r.core.model.objSelectedUnit->bID(), 9);
    ASSERT_EQ(r.core.link.queue.SendQueue().size(), 1u);
    EXPECT_EQ(r.core.link.queue.SendQueue().front().bID, 9);
    EXPECT_EQ(r.core.link.queue.SendQueue().front().bCommand, kCmdGetUnitInfo);
    EXPECT_EQ(r.pane.cboMemoryLOC()->count(), 0);
    EXPECT_FALSE(selectAll->isChecked());
    EXPECT_TRUE(r.core.model.blLoadingStatus);
    EXPECT_FALSE(r.pane.lstQRD()->isEnabled());

    // The list is disabled while the unit is read: a click does nothing.
    ClickRow(r.pane, r.pane.FindUnitRow("QRD5"));
    EXPECT_EQ(r.core.model.objSelectedUnit->bID(), 9);

    // Once enabled again, Enter on the current row clicks it.
    r.core.status.SetLoadingStatus(false);
    r.pane.lstQRD()->setCurrentItem(r.pane.FindUnitRow("QRD5"));
    QTest::keyClick(r.pane.lstQRD(), Qt::Key_Return);
    EXPECT_EQ(r.core.model.objSelectedUnit->bID(), 5);
}

TEST(UnitPane, KeyboardMovesSelectLikeAClickAndTheProgramsOwnMovesSelectNothing) {
    SwitchRig r;
    SwitchRig::Caps caps;
    caps.plugs = false;
    r.Register(5, 8, 4, caps);
    r.Register(9, 4, 4, caps);
    r.Register(12, 4, 4, caps);
    r.pane.FillMemoryLocations();
    Drain(r);
    r.pane.show();
    r.pane.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&r.pane));
    // A wheel notch over the unfocused location list reads no preset.
    QComboBox* locations = r.pane.cboMemoryLOC();
    ASSERT_TRUE(locations->isEnabled());
    const int before = locations->currentIndex();
    QWheelEvent notch(QPointF(5, 5), locations->mapToGlobal(QPointF(5, 5)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&notch);
    QApplication::instance()->notify(locations, &notch);
    EXPECT_EQ(locations->currentIndex(), before);
    EXPECT_FALSE(locations->hasFocus());

    QTreeWidget* list = r.pane.lstQRD();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(r.core.model.objSelectedUnit->bID(), 9);
    EXPECT_EQ(r.Requests(), (Frames{"3F:0:0"}));
    EXPECT_FALSE(list->isEnabled()); // being read: further keys do nothing
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(r.core.model.objSelectedUnit->bID(), 9);
    EXPECT_EQ(list->currentItem(), r.pane.FindUnitRow("QRD9"));
    r.core.status.SetLoadingStatus(false);
    EXPECT_TRUE(list->hasFocus()); // the keyboard is still on the list

    // A row whose unit is gone: the move is ignored and the highlight put back.
    r.core.model.objUnits().Remove(QStringLiteral("12"));
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(list->currentItem(), r.pane.FindUnitRow("QRD9"));
    EXPECT_EQ(r.core.model.objSelectedUnit->bID(), 9);

    // Emptying and refilling the list moves its current row: no selection.
    r.pane.ClearUnitList();
    r.Register(5, 8, 4, caps);
    r.Register(9, 4, 4, caps);
    EXPECT_EQ(r.core.model.objSelectedUnit->bID(), 9);
    EXPECT_TRUE(r.Requests().empty());
}

TEST(UnitPane, FillMemoryLocationsKeepsOrResetsTheEntry) {
    SwitchRig r;
    UnitRef unit = Ready(r, 4);
    QComboBox* locations = r.pane.cboMemoryLOC();
    EXPECT_TRUE(locations->isEnabled());
    locations->setCurrentIndex(2);
    unit->setiMemoryCount(5);
    r.pane.FillMemoryLocations();
    EXPECT_EQ(locations->count(), 5);
    EXPECT_EQ(locations->currentText(), "#3");
    unit->setiMemoryCount(2);
    r.pane.FillMemoryLocations();
    EXPECT_EQ(locations->count(), 2);
    EXPECT_EQ(locations->currentText(), "#1");
    // The choice runs the location click: preset 1 is read.
    EXPECT_TRUE(r.core.model.blLoadingMemory);
    EXPECT_FALSE(r.pane.fraMemory()->isEnabled());

    // No memory location: the frame stays disabled even when asked.
    unit->setiMemoryCount(0);
    r.pane.FillMemoryLocations();
    r.core.status.SetLoadingMemory(false);
    r.hub.Enable_fraMemory(true);
    EXPECT_FALSE(r.pane.fraMemory()->isEnabled());
    EXPECT_FALSE(r.pane.SelectedMemoryLocation());
}

TEST(UnitPane, SaveWritesBothKindsThenReadsThePresetBack) {
    SwitchRig r;
    Ready(r, 4);
    r.pane.show();
    QComboBox* locations = r.pane.cboMemoryLOC();
    locations->setFocus();
    QTest::keyClick(locations, Qt::Key_Down); // the operator picks #2
    EXPECT_EQ(r.Requests(), (Frames{"08:0:2", "07:0:2"}));
    Drain(r);
    ASSERT_TRUE(r.pane.fraMemory()->isEnabled());

    QTest::mouseClick(r.pane.findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
    EXPECT_EQ(r.Requests(), (Frames{"04:0:2", "03:0:2", "08:0:2", "07:0:2"}));
    EXPECT_FALSE(r.pane.lstQRD()->isEnabled());
    EXPECT_FALSE(r.pane.fraMemory()->isEnabled());
    EXPECT_FALSE(r.sw.findChild<QPushButton*>("cmdDisconnect")->isEnabled());
}

TEST(UnitPane, LoadRecallsThePresetAndRedrawsFromTheLiveState) {
    SwitchRig r;
    Ready(r, 4, true, false);
    r.pane.show();
    QTest::mouseClick(r.pane.findChild<QPushButton*>("cmdLoad"), Qt::LeftButton);
    EXPECT_EQ(r.Requests(), (Frames{"06:0:1", "08:0:0"}));
    EXPECT_TRUE(r.core.model.blLoadingStatus);
    r.Reply({});
    AnswerRoutes(r, 3, 6);
    EXPECT_FALSE(r.core.model.blLoadingStatus);
    EXPECT_EQ(r.sw.CellKey(2 * 8 + 5), "OnANoV_UP"); // input 6, output 3
    EXPECT_TRUE(r.pane.lstQRD()->isEnabled());
}

TEST(UnitPane, MemoryRowWriters) {
    SwitchRig r;
    r.hub.SetMemoryRowVolumnLevel(3, true, 40);
    r.hub.SetMemoryRowDelayTime(3, false, 0);
    r.hub.SetMemoryRowMuteStatus(3, true, 1);
    r.hub.SetMemoryRowInput(SignalKind::Video, 1, 0);
    r.hub.SetMemoryRowSubwooferLevel(1, false, 7);
    r.hub.SetMemoryRowDelayTime(1, true, 65535);
    const MemoryRowList& rows = r.pane.lstMemory();
    ASSERT_EQ(rows.RowCount(), 2);
    EXPECT_EQ(rows.topLevelItem(0)->text(0), "3"); // rows in the order written
    EXPECT_EQ(rows.CellText(3, "Volumn Level"), "40");
    EXPECT_EQ(rows.CellColour(3, "Volumn Level"), QColor(0, 0, 255)); // as given: it reads
    EXPECT_EQ(rows.CellText(3, "Delay Time"), "Unknow");
    EXPECT_TRUE(ReadableShade(rows.CellColour(3, "Delay Time"), 0, rows));
    EXPECT_EQ(rows.CellText(3, "Mute Status"), "Mute");
    EXPECT_EQ(rows.CellText(1, "VIDEO"), "None");
    EXPECT_EQ(rows.CellText(1, "Subwoofer Level"), "Unknow");
    EXPECT_EQ(rows.CellText(1, "Delay Time"), "65535");
    EXPECT_EQ(rows.topLevelItem(1)->toolTip(1), "Connectted Video input port number");
    r.hub.SetMemoryRowMuteStatus(3, false, 0);
    EXPECT_EQ(rows.CellText(3, "Mute Status"), "Unknow");

    // Under a dark palette the blue and the red take lighter shades.
    auto* list = r.pane.findChild<QTreeWidget*>("lstMemory");
    QPalette dark = list->palette();
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    list->setPalette(dark);
    r.hub.SetMemoryRowVolumnLevel(3, true, 41);
    r.hub.SetMemoryRowDelayTime(3, false, 0);
    EXPECT_TRUE(ReadableShade(rows.CellColour(3, "Volumn Level"), 240, rows));
    EXPECT_TRUE(ReadableShade(rows.CellColour(3, "Delay Time"), 0, rows));
    EXPECT_NE(rows.CellColour(3, "Volumn Level"), QColor(0, 0, 255));
    r.hub.ClearMemoryRows();
    EXPECT_EQ(r.hub.MemoryRowCount(), 0);
}

namespace {

// The pane asking its questions of `messages`, keeping answers in a
// temporary state file.
struct Asking {
    explicit Asking(SwitchRig& r) : state(dir.path() + "/state.ini") {
        r.pane.setQuestions(messages, state);
    }
    QTemporaryDir dir;
    ProgramState state;
    RecordingMessages messages;
};

} // namespace

TEST(UnitPane, SaveAndLoadAskFirstAndDoNotAskAgainOnceTold) {
    struct Case {
        const char* button;
        const char* key;
        QString text;
        Frames sent;
    };
    const Case cases[] = {
        {"cmdSave",
         UnitPane::kAskSave,
         "Overwrite memory location #1 of unit 07 with its present state?",
         {"04:0:1", "03:0:1", "08:0:1", "07:0:1"}},
        {"cmdLoad",
         UnitPane::kAskLoad,
         "Load memory location #1 into unit 07?",
         {"06:0:1", "05:0:1", "08:0:0", "07:0:0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        SwitchRig r;
        Asking ask(r);
        Ready(r, 4);
        auto* button = r.pane.findChild<QPushButton*>(c.button);
        auto press = [&] {
            EXPECT_TRUE(button->isEnabled());
            button->click();
            const Frames sent = r.Requests();
            Drain(r);
            return sent;
        };
        // Cancelled: nothing goes out, nothing is kept.
        EXPECT_EQ(press(), Frames{});
        ASSERT_EQ(ask.messages.questions.size(), 1u);
        EXPECT_EQ(ask.messages.questions[0].text, c.text);
        // Yes, but the unit was given up while the question was open.
        UnitRef unit = r.core.model.objSelectedUnit;
        ask.messages.answers = {{true, false}};
        ask.messages.whileAsked = [&] { unit->setblConnected(false); };
        EXPECT_EQ(press(), Frames{});
        ask.messages.whileAsked = nullptr;
        unit->setblConnected(true);
        // Yes, then yes with "Do not ask again": sent both times.
        ask.messages.answers = {{true, false}, {true, true}};
        EXPECT_EQ(press(), c.sent);
        EXPECT_TRUE(ask.state.Value(c.key, true).toBool());
        EXPECT_EQ(press(), c.sent);
        EXPECT_EQ(ask.messages.questions.size(), 4u);
        EXPECT_FALSE(ask.state.Value(c.key, true).toBool());
        // From then on it goes without a question, in this run and the next.
        EXPECT_EQ(press(), c.sent);
        EXPECT_EQ(ask.messages.questions.size(), 4u);
        EXPECT_FALSE(ProgramState(ask.state.fileName()).Value(c.key, true).toBool());
    }
}

TEST(UnitPane, LoadListsWhatWillChangeAndItsUndoPutsTheLiveRoutesBack) {
    SwitchRig r;
    Asking ask(r);
    UnitRef unit = Ready(r, 4); // preset #1: output 1 on input 1, the rest on none
    EXPECT_EQ(r.pane.presetPreview().size(), 8u);
    unit->objAudioINFO()->setblSupportVolumnControl(true);
    r.core.model.SetAudioRoute(1, 1, r.hub);
    r.core.model.SetVideoRoute(1, 1, r.hub);
    r.pane.findChild<QPushButton*>("cmdLoad")->click();
    EXPECT_EQ(ask.messages.questions.back().details,
              "It holds what the unit shows now: nothing will change.");

    r.core.model.SetAudioRoute(2, 3, r.hub);
    r.core.model.SetVideoRoute(1, 0, r.hub);
    r.core.model.Presets.At(1, 3).volume = 40;
    r.core.model.Presets.At(1, 3).delay = 50; // no delay control: no part of the preview
    r.pane.findChild<QPushButton*>("cmdLoad")->click();
    EXPECT_EQ(ask.messages.questions.back().details, "These will change:\n"
                                                     "Output 1: video input none → 1\n"
                                                     "Output 2: audio input 3 → none\n"
                                                     "Output 3: volume 0 → 40");
    EXPECT_EQ(r.Requests(), Frames{});

    r.core.model.Presets.At(1, 3).volume.reset();
    ask.messages.answers = {{true, false}};
    r.pane.findChild<QPushButton*>("cmdLoad")->click();
    Drain(r); // the unit now shows the preset: output 1 on input 1 alone
    ASSERT_TRUE(r.core.history.CanUndo());
    EXPECT_EQ(r.core.history.Undo(), ChangeHistory::Outcome::Sent);
    EXPECT_EQ(r.Requests(), (Frames{"02:2:3", "01:1:0", "08:0:0", "07:0:0"}));
}
