// The unit list and the memory frame, driven through the real core.
#include "PagesRig.h"
#include "RecordingMessages.h"
#include "app/MemoryRowList.h"
#include "app/UnitRowTexts.h"
#include "control/PageInput.h"
#include "model/ProgramState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;

namespace {

using Frames = std::vector<std::string>;

// The cells of a unit's row under the given column keys, joined by "|".
QString Cells(UnitPane& pane, int id, std::initializer_list<const char*> keys) {
    QTreeWidgetItem* row = pane.FindUnitRow(QStringLiteral("QRD%1").arg(id));
    QStringList out;
    for (const char* key : keys) {
        out << (row ? row->text(UnitColumnOf(QLatin1String(key))) : QStringLiteral("(no row)"));
    }
    return out.join(QLatin1Char('|'));
}

void ClickRow(UnitPane& pane, const char* key) {
    QTreeWidget* list = pane.lstQRD();
    list->doItemsLayout();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(10, list->visualItemRect(pane.FindUnitRow(key)).center().y()));
}

// Answers the awaited switch query of a 4-output unit with one route.
void AnswerRoutes(PagesRig& r, uint8_t output, uint8_t input) {
    Bytes pairs;
    for (uint8_t o = 1; o <= 4; ++o) {
        pairs.push_back(o);
        pairs.push_back(o == output ? input : 0);
    }
    r.Reply(pairs);
}

// Answers all the line waits for: settings acknowledged, output 1 routed to input 1.
void Drain(PagesRig& r) {
    while (r.core.link.queue.IsWaitingForAnswer()) {
        if (IsSetCommand(r.Awaited())) {
            r.Reply({});
        } else {
            AnswerRoutes(r, 1, 1);
        }
    }
    r.Requests();
}

// Units 7 (selected, its four presets listed and #1 read), 9 and 12 that only switch.
UnitRef Ready(PagesRig& r, int outputs = 4) {
    UnitCaps caps; // switching alone: the route answers are all its read asks for
    caps.plugs = caps.edid = caps.firmware = false;
    caps.volume = caps.bass = caps.treble = caps.subwoofer = caps.delay = false;
    UnitRef unit = r.Register(7, 8, outputs, caps);
    r.Register(9, 4, 4, caps);
    r.Register(12, 4, 4, caps);
    r.pane.FillMemoryLocations();
    Drain(r);
    r.hub.Setup_AllViews();
    return unit;
}

// The pane asking its questions of `messages`, answers kept in a temporary file.
struct Asking {
    explicit Asking(PagesRig& r) : state(dir.path() + "/state.ini") {
        r.pane.setQuestions(messages, state);
    }
    QTemporaryDir dir;
    ProgramState state;
    RecordingMessages messages;
};

} // namespace

// The first unit found is listed, selected and read; a refresh changes its row,
// not the selection; a closed port empties the pane.
TEST(UnitPane, FirstUnitListedAndReadRowsRefreshedAndClearedForAClosedPort) {
    PagesRig r;
    r.pane.show();
    r.core.link.senders.CmdGetUnitInfo(10, 0, 1);
    // Audio only, 15 memory locations, 4 outputs, 8 inputs, named "<b>MX</b>".
    r.Reply({0x8F, 4, 8, '<', 'b', '>', 'M', 'X', '<', '/', 'b', '>'});
    QTreeWidget* list = r.pane.lstQRD();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(Cells(r.pane, 10,
                    {"NAME", "AV", "IO", "MEMORY", "Delay", "Delay Unit", "Firmware Version"}),
              "<b>MX</b>|Audio|8/4|15|Disable||Unknown");
    EXPECT_EQ(list->currentItem(), r.pane.FindUnitRow("QRD10"));
    EXPECT_EQ(r.pane.cboMemoryLOC()->count(), 15);
    EXPECT_EQ(r.pane.cboMemoryLOC()->currentText(), "#1");
    EXPECT_FALSE(list->isEnabled()); // the unit is being read

    // The live routes, then preset 1, whose rows appear in lstMemory.
    EXPECT_EQ(r.Requests(), (Frames{"3F:0:0", "08:0:0", "08:0:1"}));
    AnswerRoutes(r, 1, 2);
    AnswerRoutes(r, 2, 3);
    const MemoryRowList& rows = r.pane.lstMemory();
    EXPECT_EQ(rows.RowCount(), 4);
    EXPECT_TRUE(list->isEnabled());
    EXPECT_TRUE(r.pane.fraMemory()->isEnabled());
    r.hub.SetMemoryRowVolumnLevel(3, true, 40);
    r.hub.SetMemoryRowDelayTime(3, false, 0);
    r.hub.SetMemoryRowMuteStatus(3, true, 1);
    r.hub.SetMemoryRowInput(SignalKind::Video, 1, 0);
    r.hub.SetMemoryRowSubwooferLevel(1, false, 7);
    r.hub.SetMemoryRowDelayTime(1, true, 65535);
    const std::tuple<int, const char*, const char*> cells[] = {{2, "AUDIO", "3"},
                                                               {1, "AUDIO", "None"},
                                                               {3, "Volumn Level", "40"},
                                                               {3, "Delay Time", "Unknown"},
                                                               {3, "Mute Status", "Mute"},
                                                               {1, "VIDEO", "None"},
                                                               {1, "Subwoofer Level", "Unknown"},
                                                               {1, "Delay Time", "65535"}};
    for (const auto& [output, column, text] : cells) {
        EXPECT_EQ(rows.CellText(output, column), text) << output << " " << column;
    }

    r.Register(9, 4, 4);
    UnitCaps caps;
    caps.audio = false;
    caps.delay = true; // no audio: no delay either
    r.Register(9, 16, 2, caps, "Renamed");
    EXPECT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(Cells(r.pane, 9, {"NAME", "IO", "AV", "Delay", "Max Delay", "Firmware Version"}),
              "Renamed|16/2|Video|Disable||\u2014"); // its version not read yet
    EXPECT_EQ(list->currentItem(), r.pane.FindUnitRow("QRD10"));
    r.Register(9, 8, 8);
    EXPECT_EQ(Cells(r.pane, 9, {"AV", "Delay Unit", "Max Delay"}), "Both|5|5000");
    r.hub.SetUnitIcon(9, false);
    EXPECT_EQ(r.pane.FindUnitRow("QRD9")->data(0, Qt::AccessibleDescriptionRole).toString(),
              "not answering");
    r.hub.SetUnitFirmwareText(9, "1.2.10");
    EXPECT_EQ(Cells(r.pane, 9, {"Firmware Version"}), "1.2.10");
    // Listed by its information only: what its extended block tells is not
    // known yet, neither enabled nor disabled.
    r.core.model.FindUnit(9)->setblExtendedRead(false);
    r.hub.ShowUnitRow(*r.core.model.FindUnit(9));
    EXPECT_EQ(Cells(r.pane, 9, {"AV", "Volumn", "Delay", "Firmware Version"}),
              "Both|\u2014|\u2014|\u2014");

    r.pane.ClearForClosedPort();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_EQ(r.pane.cboMemoryLOC()->count(), 0);
    r.Register(9, 4, 4);
    EXPECT_EQ(list->topLevelItemCount(), 1);
}

// Units last seen are listed apart, in the order of the IDs, and take no
// click; a unit that answers gets its row as every unit does.
TEST(UnitPane, RowsLastSeenAreGreyedUnclickableAndBecomeTheUnitsRowWhenItAnswers) {
    PagesRig r;
    r.pane.show();
    r.hub.ShowLastSeenRow(20, "Main Hall");
    r.hub.ShowLastSeenRow(3, "");
    QTreeWidget* list = r.pane.lstQRD();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "03");
    EXPECT_EQ(Cells(r.pane, 20, {"NAME", "AV", "IO", "Volumn", "Firmware Version"}),
              "Main Hall (last seen)|—|—|—|—");
    EXPECT_EQ(Cells(r.pane, 3, {"NAME"}), "(last seen)");
    QTreeWidgetItem* row = r.pane.FindUnitRow("QRD20");
    EXPECT_TRUE(row->font(1).italic());
    EXPECT_TRUE(row->icon(0).isNull());
    EXPECT_EQ(row->data(0, Qt::AccessibleDescriptionRole).toString(), "last seen");
    ASSERT_TRUE(list->isEnabled());
    ClickRow(r.pane, "QRD20");
    EXPECT_TRUE(r.Requests().empty());

    r.Register(20, 16, 8);
    r.Register(7, 4, 4);
    r.hub.ShowLastSeenRow(20, "Main Hall"); // answered already: stays the unit's
    EXPECT_EQ(r.pane.FindUnitRow("QRD20"), row);
    EXPECT_FALSE(UnitPane::IsLastSeen(row) || row->font(1).italic());
    EXPECT_EQ(row->toolTip(3), "Total Input/Output port.");
    EXPECT_EQ(Cells(r.pane, 20, {"NAME", "IO"}), "Unit 20|16/8");
    EXPECT_EQ(list->currentItem(), row); // the first unit to answer
    r.hub.DropLastSeenRows(-1);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "07");
    EXPECT_EQ(r.pane.FindUnitRow("QRD3"), nullptr);
}

// The program's own moves of the current row select nothing.
TEST(UnitPane, RowClickAndKeyboardSelectTheUnitAndReadIt) {
    PagesRig r;
    Ready(r);
    r.pane.show();
    ASSERT_NO_FATAL_FAILURE(Activate(&r.pane));
    // A wheel notch over the unfocused location list reads no preset.
    QComboBox* locations = r.pane.cboMemoryLOC();
    ASSERT_TRUE(locations->isEnabled());
    Wheel(locations, false);
    EXPECT_EQ(locations->currentIndex(), 0);
    EXPECT_FALSE(locations->hasFocus());

    QTreeWidget* list = r.pane.lstQRD();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(r.core.model.objSelectedUnit->bID(), 9);
    EXPECT_EQ(r.Requests(), (Frames{"3F:0:0"}));
    EXPECT_FALSE(list->isEnabled()); // being read: further keys and clicks do nothing
    QTest::keyClick(list, Qt::Key_Down);
    ClickRow(r.pane, "QRD7");
    EXPECT_EQ(r.core.model.objSelectedUnit->bID(), 9);
    EXPECT_EQ(list->currentItem(), r.pane.FindUnitRow("QRD9"));
    r.core.status.SetLoadingStatus(false);
    EXPECT_TRUE(list->hasFocus()); // the keyboard is still on the list

    auto* selectAll = r.sw.findChild<QCheckBox*>("chkSelAllSwitchOutput");
    selectAll->setChecked(true);
    r.core.link.senders.CmdGetMute(9, 0, 0, 1); // waits, withdrawn by the click
    r.core.link.senders.CmdGetMute(7, 0, 0, 1); // the new unit's old frame too
    ClickRow(r.pane, "QRD7");
    EXPECT_EQ(r.core.model.objSelectedUnit->bID(), 7);
    ASSERT_EQ(r.core.link.queue.SendQueue().size(), 1u);
    EXPECT_EQ(r.core.link.queue.SendQueue().front().bID, 7);
    EXPECT_EQ(r.core.link.queue.SendQueue().front().bCommand, kCmdGetUnitInfo);
    EXPECT_EQ(r.pane.cboMemoryLOC()->count(), 0);
    EXPECT_FALSE(selectAll->isChecked());
    EXPECT_TRUE(r.core.model.blLoadingStatus);
    // Once enabled again, Enter on the current row clicks it.
    r.core.status.SetLoadingStatus(false);
    list->setCurrentItem(r.pane.FindUnitRow("QRD9"));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(r.core.model.objSelectedUnit->bID(), 9);
    r.core.status.SetLoadingStatus(false);

    // A row whose unit is gone: the move is ignored and the highlight put back.
    r.core.model.objUnits().Remove(QStringLiteral("12"));
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(list->currentItem(), r.pane.FindUnitRow("QRD9"));
    EXPECT_EQ(r.core.model.objSelectedUnit->bID(), 9);
    // Emptying and refilling the list moves its current row: no selection.
    r.pane.ClearUnitList();
    r.Forget();
    r.Register(7, 8, 4, {});
    r.Register(9, 4, 4, {});
    EXPECT_EQ(r.core.model.objSelectedUnit->bID(), 9);
    EXPECT_TRUE(r.Requests().empty());
}

TEST(UnitPane, LoadListsChangesLocationsKeepOrResetAndSaveWritesBothKindsThenReads) {
    PagesRig r;
    Asking ask(r);
    UnitRef unit = Ready(r); // preset #1: output 1 on input 1, the rest on none
    r.pane.show();
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

    ask.messages.answers = {{true, false}};
    unit->objAudioINFO()->setblSupportVolumnControl(false);
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
    Drain(r);
    EXPECT_EQ(r.core.activity.Text(), "Saved the live state to memory location #2 of unit 07");

    locations->setCurrentIndex(2);
    unit->setiMemoryCount(5);
    r.pane.FillMemoryLocations();
    EXPECT_EQ(locations->count(), 5);
    EXPECT_EQ(locations->currentText(), "#3");
    unit->setiMemoryCount(2);
    r.pane.FillMemoryLocations();
    EXPECT_EQ(locations->currentText(), "#1");
    EXPECT_TRUE(r.core.model.blLoadingMemory); // the choice reads preset 1
    EXPECT_FALSE(r.pane.fraMemory()->isEnabled());
    // No memory location: the frame stays disabled even when asked.
    unit->setiMemoryCount(0);
    r.pane.FillMemoryLocations();
    r.core.status.SetLoadingMemory(false);
    r.hub.Enable_fraMemory(true);
    EXPECT_FALSE(r.pane.fraMemory()->isEnabled());
    EXPECT_FALSE(r.pane.SelectedMemoryLocation());
}

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
        PagesRig r;
        Asking ask(r);
        Ready(r);
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
        // From then on it goes without a question, in this run and the next.
        EXPECT_EQ(press(), c.sent);
        EXPECT_EQ(ask.messages.questions.size(), 4u);
        EXPECT_FALSE(ProgramState(ask.state.fileName()).Value(c.key, true).toBool());
    }
}

// Whatever bytes a unit sends as its name reach the list as inert, visible
// text; "?" in the expected text stands for the replacement mark.
TEST(UnitNames, MarkupControlCharactersAndInvalidBytesShowAsPlainText) {
    const std::pair<Bytes, std::string> cases[] = {
        {{'<', 'b', '>', '&', 'a', 'm', 'p', ';', '<', 'b', 'r', '/', '>'}, "<b>&amp;<br/>"},
        {{'A', 0x07, 'B', 0x0D, 0x1B, '[', '2', 'J', 0x7F}, "A?B??[2J?"},
        // Not UTF-8: read byte for byte, and C1 controls marked too.
        {{'H', 0xE4, 'l', 'l', 0xFF, 0x85, 0x9B}, "H\xC3\xA4ll\xC3\xBF??"},
        // Right-to-left override, zero-width joiner, byte order mark, tag character.
        {{'a', 0xE2, 0x80, 0xAE, 'b', 0xE2, 0x80, 0x8D, 'c', 0xEF, 0xBB, 0xBF, 'd', 0xF3, 0xA0,
          0x81, 0x81},
         "a?b?c?d?"},
        {{0x00}, "?"},                            // nothing but a zero byte
        {Bytes(252, 'N'), std::string(252, 'N')}, // the longest a reply can carry
    };
    const int column = UnitColumnOf(QLatin1String("NAME"));
    for (const auto& [name, shown] : cases) {
        PagesRig r;
        r.core.link.senders.CmdGetUnitInfo(9, 0, 1);
        Bytes payload = {0xC2, 4, 4}; // audio and video, 2 presets, 4 by 4
        payload.insert(payload.end(), name.begin(), name.end());
        r.Reply(payload);
        QTreeWidgetItem* row = r.pane.FindUnitRow("QRD9");
        ASSERT_NE(row, nullptr) << shown;
        EXPECT_EQ(row->text(column),
                  QString::fromStdString(shown).replace('?', QChar::ReplacementCharacter));
        EXPECT_FALSE(row->toolTip(column).contains(QLatin1Char('<')));
    }
}

// A load question's list of changes is cut at twelve lines, and counts the rest.
TEST(UnitPane, ALongListOfChangesIsCutAndCounted) {
    PagesRig r;
    Asking ask(r);
    Ready(r, 16);
    r.pane.show();
    for (int o = 1; o <= 16; ++o) {
        r.core.model.Presets.At(1, o).videoInput = o % 8 + 1;
    }
    r.pane.findChild<QPushButton*>("cmdLoad")->click();
    const QString details = ask.messages.questions.back().details;
    EXPECT_EQ(details.count(QLatin1Char('\n')), 13) << details.toStdString();
    EXPECT_TRUE(details.endsWith("Output 12: video input none → 5\n… and 4 more."))
        << details.toStdString();
}
