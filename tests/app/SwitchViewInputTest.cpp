// What the operator does on the switch page and the requests that follow.
#include "SwitchRig.h"
#include "app/CrosspointCell.h"
#include "app/SwitchGrid.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;

namespace {

using Frames = std::vector<std::string>;
using Ports = std::vector<int>;

QPushButton* Input(SwitchRig& r, int c) {
    return r.Find<QPushButton>(QStringLiteral("chkSwitchInput_%1").arg(c), &r.sw);
}
QPushButton* Output(SwitchRig& r, int row) {
    return r.Find<QPushButton>(QStringLiteral("chkSwitchOutput_%1").arg(row), &r.sw);
}
QCheckBox* Box(SwitchRig& r, const char* name) {
    return r.Find<QCheckBox>(QLatin1String(name), &r.sw);
}
void Click(QWidget* w, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::mouseClick(w, Qt::LeftButton, m);
}
// The outputs selected in the model; each one's box must agree.
Ports Selected(SwitchRig& r) {
    Ports out;
    for (int o = 1; o <= kMaxPort; ++o) {
        if (r.core.model.SwitchOutputSelect[o].blSelected) {
            out.push_back(o);
        }
        if (o <= 8) {
            EXPECT_EQ(Output(r, o - 1)->isChecked(), r.core.model.SwitchOutputSelect[o].blSelected);
        }
    }
    return out;
}

} // namespace

TEST(SwitchInput, PressRoutesTheTickedOutputsInOrder) {
    SwitchRig r;
    r.ShowUnit(1, 8, 8);
    r.sw.show();
    Click(Input(r, 2));
    EXPECT_TRUE(r.Requests().empty()); // nothing ticked: nothing at all
    EXPECT_FALSE(Input(r, 2)->isChecked());
    EXPECT_FALSE(r.frame.busy);

    Click(Output(r, 1));
    Click(Output(r, 4), Qt::ControlModifier);
    Click(Input(r, 2));
    EXPECT_EQ(r.Requests(), (Frames{"02:2:3", "01:2:3", "02:5:3", "01:5:3", "08:0:0", "07:0:0"}));
    EXPECT_FALSE(Input(r, 2)->isChecked());
    EXPECT_TRUE(r.frame.busy);
    // The sets went in before the queries: priority 0 against 1.
    EXPECT_EQ(r.core.link.queue.SendQueue().front().lPriority, 0);
    EXPECT_EQ(r.core.link.queue.SendQueue().back().lPriority, 1);

    // Pressing again before the line is free replaces what still waits.
    Click(Input(r, 6));
    const Frames again = r.Requests();
    EXPECT_EQ(std::count(again.begin(), again.end(), "08:0:0"), 1);
    EXPECT_EQ(std::count(again.begin(), again.end(), "02:5:3"), 0);
    EXPECT_EQ(std::count(again.begin(), again.end(), "02:5:7"), 1);
}

TEST(SwitchInput, UntickedKindsMissingUnitAndDisconnect) {
    SwitchRig r;
    SwitchRig::Caps caps;
    caps.video = false;
    r.ShowUnit(1, 8, 8, caps);
    r.sw.show();
    Click(Output(r, 0));
    Click(Input(r, 1));
    EXPECT_EQ(r.Requests(), (Frames{"02:1:2", "08:0:0"}));
    r.Forget();
    Click(Box(r, "chkSelSwitchAudio"));
    Click(Input(r, 1));
    EXPECT_TRUE(r.Requests().empty());
    r.core.model.objSelectedUnit->setblConnected(false);
    Click(Box(r, "chkSelSwitchAudio"));
    Click(Input(r, 3));
    EXPECT_TRUE(r.Requests().empty());
    EXPECT_FALSE(Input(r, 3)->isChecked());

    // Disconnect routes input 0; only audio sets the busy pointer.
    SwitchRig q;
    caps.video = true;
    caps.audio = false;
    q.ShowUnit(2, 8, 8, caps);
    q.sw.show();
    Click(Output(q, 2));
    Click(q.Find<QPushButton>("cmdDisconnect", &q.sw));
    EXPECT_EQ(q.Requests(), (Frames{"01:3:0", "07:0:0"}));
    EXPECT_FALSE(q.frame.busy);
}

TEST(SwitchOutputs, ShiftCtrlRightButtonSpaceAndSelectAll) {
    SwitchRig r;
    r.ShowUnit(1, 8, 8);
    r.sw.show();
    ASSERT_EQ(r.sw.iLastSwitchOutput(), -1);
    Click(Output(r, 1), Qt::ShiftModifier); // no anchor yet: Shift only adds
    Click(Output(r, 4), Qt::ShiftModifier);
    EXPECT_EQ(Selected(r), (Ports{2, 5}));
    Click(Output(r, 2));
    Click(Output(r, 5), Qt::ShiftModifier);
    EXPECT_EQ(Selected(r), (Ports{3, 4, 5, 6}));
    Click(Output(r, 3), Qt::ControlModifier);
    EXPECT_EQ(Selected(r), (Ports{3, 5, 6}));
    EXPECT_EQ(r.sw.iLastSwitchOutput(), 4);
    Click(Output(r, 0), Qt::ShiftModifier); // from the new anchor: the range alone
    EXPECT_EQ(Selected(r), (Ports{1, 2, 3, 4}));
    Click(Output(r, 6), Qt::ControlModifier | Qt::ShiftModifier); // not "exactly Ctrl": alone
    EXPECT_EQ(Selected(r), (Ports{7}));
    QTest::mouseClick(Output(r, 7), Qt::RightButton, Qt::ControlModifier); // alone as well
    EXPECT_EQ(Selected(r), (Ports{8}));
    // Space, Shift+Space and Ctrl+Space on a box are the same three clicks.
    QTest::keyClick(Output(r, 1), Qt::Key_Space);
    QTest::keyClick(Output(r, 3), Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(Selected(r), (Ports{2, 3, 4}));
    QTest::keyClick(Output(r, 2), Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(Selected(r), (Ports{2, 4}));
    EXPECT_EQ(r.sw.iLastSwitchOutput(), 3);

    QCheckBox* all = Box(r, "chkSelAllSwitchOutput");
    Click(all);
    EXPECT_EQ(Selected(r), (Ports{1, 2, 3, 4, 5, 6, 7, 8}));
    Click(all);
    EXPECT_TRUE(Selected(r).empty());
    // Selecting every output by hand ticks "Select all"; taking one away
    // unticks it without its handler clearing the rest.
    Click(Output(r, 0));
    Click(Output(r, 7), Qt::ShiftModifier);
    EXPECT_TRUE(all->isChecked());
    Click(Output(r, 3), Qt::ControlModifier);
    EXPECT_FALSE(all->isChecked());
    EXPECT_EQ(Selected(r), (Ports{1, 2, 3, 5, 6, 7, 8}));
    EXPECT_EQ(r.sw.iLastSwitchOutput(), 4);
    // With the unit not answering, "Select all" changes nothing.
    r.core.model.objSelectedUnit->setblConnected(false);
    Click(all);
    EXPECT_EQ(Selected(r), (Ports{1, 2, 3, 5, 6, 7, 8}));
}

TEST(SwitchCells, ClickRoutesOnePairWithThePressedPictureInBetween) {
    SwitchRig r;
    r.ShowUnit(1, 8, 8);
    r.sw.show();
    CrosspointCell* cell = r.sw.grid().cell(2 * 8 + 1); // input 2, output 3
    QTest::mousePress(cell, Qt::LeftButton);
    EXPECT_EQ(r.sw.CellKey(2 * 8 + 1), "OffAOffV_DN");
    EXPECT_TRUE(r.Requests().empty());
    QTest::mouseRelease(cell, Qt::LeftButton);
    EXPECT_EQ(r.sw.CellKey(2 * 8 + 1), "OffAOffV_UP");
    EXPECT_EQ(r.Requests(), (Frames{"02:3:2", "08:3:0", "01:3:2", "07:3:0"}));
    EXPECT_FALSE(r.frame.busy);
    // The route shows only when the unit's answer comes back.
    r.Reply({});
    r.Reply({3, 2});
    EXPECT_EQ(r.sw.CellKey(2 * 8 + 1), "OnAOffV_UP");
    r.Reply({});
    r.Reply({3, 2});
    EXPECT_EQ(r.sw.CellKey(2 * 8 + 1), "OnAOnV_UP");
    r.Forget();
    EXPECT_EQ(r.core.history.Undo(), ChangeHistory::Outcome::Sent);
    EXPECT_EQ(r.Requests(), (Frames{"02:3:0", "01:3:0", "08:0:0", "07:0:0"}));
}
