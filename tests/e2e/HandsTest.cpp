// The operator's own mouse and keyboard: the real window on a virtual X
// display, driven by xdotool through the X server as a person's hands would
// (so focus, shortcuts and the dialog's keys go the whole way), against
// quadrel-sim on a pseudo-terminal with a 255 x 255 unit.
#include "ProgramOnSim.h"
#include "XHands.h"
#include "app/CrosspointCell.h"
#include "app/PortNaming.h"
#include "app/SwitchGrid.h"
#include "app/SwitchView.h"
#include "app/basMain.h"
#include "app/frmMain.h"
#include "control/AudioOutputPanel.h"
#include "control/AudioPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabBar>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace std::chrono_literals;
using namespace quadrel::test;

TEST(Hands, CellThenEndKeysGoToByNameAndUndoOfATypedLevel) {
    SimProcess sim;
    ASSERT_TRUE(sim.WriteSettings(171, 19200));
    ASSERT_TRUE(
        sim.Start(171, {"--baud", "19200", "--unit", "id=0,inputs=255,outputs=255,name=Arena"}));
    ProgramOnSim rig(sim);
    ASSERT_TRUE(rig.StartAndStopScan()); // the rest of the line is empty
    basMain& program = *rig;
    QuadrelCore& core = rig.core();
    frmMain* window = program.mainWindow();
    UnitNames names;
    SetName(names, {NameKind::Output, 200}, QStringLiteral("Projector left"));
    ASSERT_TRUE(program.naming()->UseNames(names));
    window->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == window; }, 5s));
    SwitchView* sw = program.switchView();
    ASSERT_TRUE(WaitFor([&] { return sw->shape().columns > 8; }, 5s)); // fitted to the window

    // A click on the cell of input 3, output 2 routes it and gives the grid
    // the keys; End goes along its row, Ctrl+End to the last crosspoint.
    ASSERT_TRUE(Hands(At(sw->grid().cell(*sw->CellShowing(3, 2)))));
    ASSERT_TRUE(WaitFor([&] { return core.model.AudioOutputs[2].iInputPort == 3; }, 10s));
    EXPECT_EQ(QApplication::focusWidget()->accessibleName(), "input 3, output 2");
    ASSERT_TRUE(Hands({"key", "End"}));
    EXPECT_TRUE(WaitFor(
        [&] { return QApplication::focusWidget()->accessibleName() == "input 255, output 2"; },
        5s));
    ASSERT_TRUE(Hands({"key", "ctrl+End"}));
    EXPECT_TRUE(WaitFor(
        [&] { return QApplication::focusWidget()->accessibleName() == "input 255, output 255"; },
        5s));
    const auto last = sw->CellShowing(255, 255);
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(QApplication::focusWidget(), sw->grid().cell(*last));
    EXPECT_TRUE(sw->grid().cell(*last)->isVisible());

    // Ctrl+G, part of a name typed in the box beside the grid, Enter:
    // output 200's box.
    ASSERT_TRUE(Hands({"key", "ctrl+g"}));
    ASSERT_TRUE(Hands({"type", "--delay", "30", "projector"})); // "type" takes every word after it
    ASSERT_TRUE(Hands({"key", "Return"}));
    ASSERT_TRUE(WaitFor(
        [&] {
            const auto port = sw->PortOf(QApplication::focusWidget());
            return port == NamedPort{NameKind::Output, 200};
        },
        5s))
        << QApplication::focusWidget()->objectName().toStdString() << " "
        << window->findChild<QLineEdit*>("txtGoTo")->text().toStdString() << " "
        << window->findChild<QLineEdit*>("txtGoTo")->isVisible() << " "
        << NameOf(program.naming()->shown(), {NameKind::Output, 200}).toStdString();

    // A level typed and sent, then Ctrl+Z: the old level goes back and the
    // status line says so.
    QTabBar* tabs = window->TabStrip1();
    ASSERT_TRUE(Hands(At(tabs, tabs->tabRect(1).center()))); // the Audio page
    ASSERT_TRUE(WaitFor([&] { return tabs->currentIndex() == 1; }, 5s));
    AudioPage* audio = program.audioPage();
    QWidget* first = audio->picAudioOutput(0)->chkAudioOutput();
    ASSERT_TRUE(WaitFor([&] { return first->isVisible(); }, 5s)); // laid out, where it is seen
    // Its box: output 1 picked. A click while the page is still being
    // drawn for the unit may land before the box takes clicks: again then.
    auto* box = qobject_cast<QCheckBox*>(first);
    for (int i = 0; i < 3 && !box->isChecked(); ++i) {
        ASSERT_TRUE(Hands(At(first, QPoint(6, first->height() / 2))));
        WaitFor([&] { return box->isChecked(); }, 2s);
    }
    auto* level = window->findChild<QLineEdit*>("txtSelectedVolumnLevel");
    ASSERT_NE(level, nullptr);
    ASSERT_TRUE(WaitFor([&] { return level->isEnabled(); }, 5s));
    const int before = core.model.AudioOutputs[1].iVolumnLevel;
    const int typed = before == 30 ? 40 : 30;
    ASSERT_TRUE(Hands(At(level) + QStringList{"key", "ctrl+a"}));
    ASSERT_TRUE(Hands({"type", QString::number(typed)}));
    ASSERT_TRUE(Hands({"key", "Return"}));
    ASSERT_TRUE(WaitFor([&] { return core.model.AudioOutputs[1].iVolumnLevel == typed; }, 10s));
    EXPECT_EQ(QApplication::focusWidget(), level); // the box keeps the focus
    const qsizetype sent = sim.Requests().size();
    ASSERT_TRUE(Hands({"key", "ctrl+z"}));
    ASSERT_TRUE(WaitFor([&] { return core.model.AudioOutputs[1].iVolumnLevel == before; }, 10s));
    EXPECT_TRUE(sim.Requests().mid(sent).contains(
        SimProcess::Frame(0, 0x12, 1, static_cast<uint8_t>(before))));
    EXPECT_EQ(core.activity.Text(),
              QStringLiteral("Undone: Output 1: volume %1 \u2192 %2").arg(typed).arg(before));
    EXPECT_TRUE(rig.messages().texts.isEmpty()) << rig.messages().texts.join('\n').toStdString();
}
