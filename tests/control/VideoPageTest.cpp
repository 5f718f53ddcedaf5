#include "PageHarness.h"
#include "control/PanelColours.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using Lines = std::vector<std::string>;

namespace {

struct VideoInputs : ::testing::Test {
    PageHarness h;
    VideoPage& page = h.video;
    VideoInputPanel* panel(int i) { return page.picVideoInput(i); }
    PORT_SELECT& sel(int n) { return h.core.model.VideoInputSelect[n]; }
    bool enabled(QWidget* w) { return w->isEnabledTo(&page); }
    int32_t& type(int n) { return h.core.model.VideoInputs[n].lEdidType; }
};

} // namespace

TEST_F(VideoInputs, InputsBeyondTheCountAreDisabledAndAUnitWithoutEdidChoiceShowsNone) {
    type(2) = 1;
    h.Show(1, 10, 4);
    EXPECT_EQ(page.fraSelectedVideoInput()->title(), "Selected input EDID type");
    EXPECT_EQ(panel(0)->optOutput1Edid()->text(), "Output 1");
    EXPECT_FALSE(enabled(page.scoVideoInput()));
    EXPECT_TRUE(enabled(panel(9)));
    EXPECT_FALSE(enabled(panel(10)));
    EXPECT_EQ(PanelColours::Background(panel(10)), PanelColours::Disabled());
    EXPECT_FALSE(panel(10)->optFixEdid()->isChecked() || panel(10)->optOutput1Edid()->isChecked());
    EXPECT_TRUE(panel(0)->optFixEdid()->isChecked());
    EXPECT_TRUE(panel(1)->optOutput1Edid()->isChecked());
    EXPECT_EQ(PanelColours::Background(panel(1)->optFixEdid()), PanelColours::Unselected());

    UnitCaps caps;
    caps.edid = false;
    h.Show(2, 4, 4, caps);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FALSE(enabled(panel(i)));
        EXPECT_FALSE(panel(i)->optFixEdid()->isChecked() ||
                     panel(i)->optOutput1Edid()->isChecked());
    }
    EXPECT_FALSE(enabled(page.chkSelAllVideoInput()));
    EXPECT_FALSE(enabled(page.fraSelectedVideoInput()));
    // Not answering: a panel choice still selects and stores, but sends nothing.
    h.Show(3, 4, 4);
    h.core.model.objSelectedUnit->setblConnected(false);
    panel(2)->optOutput1Edid()->click();
    EXPECT_TRUE(sel(3).blSelected);
    EXPECT_EQ(type(3), 1);
    EXPECT_TRUE(h.Line().empty());
}

TEST_F(VideoInputs, ScrollKeysAndWheelReachEveryInputOfALargeUnit) {
    h.Show(1, 40, 4);
    QScrollBar* bar = page.scoVideoInput();
    EXPECT_TRUE(enabled(bar));
    EXPECT_EQ(bar->maximum(), 24);
    bar->setValue(24);
    EXPECT_EQ(panel(15)->chkVideoInput()->text(), "40");
    EXPECT_EQ(panel(0)->chkVideoInput()->text(), "25");
    bar->setValue(0);
    EXPECT_EQ(bar->focusPolicy(), Qt::StrongFocus);
    panel(0)->chkVideoInput()->setFocus();
    PageHarness::RunKeys(page, *bar,
                         {
                             {Qt::Key_Down, 3, "13", 0},
                             {Qt::Key_Down, 1, "17", 4},
                             {Qt::Key_PageDown, 1, "33", 20},
                             {Qt::Key_PageDown, 1, "37", 24},
                             {Qt::Key_Right, 4, "40", 24},
                             {Qt::Key_Up, 4, "24", 20},
                             {Qt::Key_PageUp, 2, "4", 0},
                             {Qt::Key_Left, 20, "1", 0},
                         });
    EXPECT_TRUE(PageHarness::Wheel(panel(5), false));
    EXPECT_EQ(bar->value(), 4);
    EXPECT_EQ(panel(0)->chkVideoInput()->text(), "5");
}

TEST_F(VideoInputs, PanelChoiceSelectsThatInputAloneAndAsksAtOnce) {
    h.Show(1, 4, 4);
    page.chkSelAllVideoInput()->click();
    EXPECT_TRUE(sel(4).blSelected);
    panel(2)->optOutput1Edid()->click();
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(sel(n).blSelected, n == 3) << n;
        EXPECT_EQ(panel(n - 1)->chkVideoInput()->isChecked(), n == 3) << n;
    }
    EXPECT_FALSE(page.chkSelAllVideoInput()->isChecked());
    EXPECT_EQ(type(3), 1); // shown before the unit answers
    EXPECT_EQ(h.Line(), (Lines{"20:3:1", "21:3:0"}));
    EXPECT_EQ(h.core.link.queue.CurrentCommand().lPriority, 1);
    EXPECT_EQ(h.core.link.queue.SendQueue().front().lPriority, 1);
    EXPECT_FALSE(h.frame.busy);
    EXPECT_TRUE(page.optSelectedOutput1Edid()->isChecked());
    EXPECT_EQ(PanelColours::Background(panel(2)), PanelColours::Selected());
    EXPECT_EQ(PanelColours::Background(panel(2)->optOutput1Edid()), PanelColours::Selected());

    // An answer naming a type other than 0 or 1 leaves the options alone.
    h.AckSettings();
    h.Reply({3, 2});
    EXPECT_TRUE(panel(2)->optOutput1Edid()->isChecked());
    type(3) = 2;
    page.Draw_VideoInput(3);
    EXPECT_TRUE(panel(2)->optOutput1Edid()->isChecked());
    EXPECT_FALSE(panel(2)->optFixEdid()->isChecked());
}

TEST_F(VideoInputs, GroupChoiceForMixedInputsSendsEachAndOneQuery) {
    type(1) = 0;
    type(2) = 1;
    h.Show(1, 4, 4);
    PageHarness::Click(panel(0)->chkVideoInput());
    PageHarness::Click(panel(1)->chkVideoInput(), Qt::ShiftModifier);
    EXPECT_EQ(page.iLastVideoInput(), 1);
    EXPECT_TRUE(enabled(page.optSelectedFixEdid()));
    EXPECT_FALSE(page.optSelectedFixEdid()->isChecked());
    EXPECT_FALSE(page.optSelectedOutput1Edid()->isChecked());
    page.optSelectedFixEdid()->click();
    EXPECT_EQ(h.Line(), (Lines{"20:1:0", "20:2:0", "21:0:0"}));
    EXPECT_TRUE(h.frame.busy);
    EXPECT_EQ(type(2), 1);                  // the panels wait for the answer
    page.optSelectedOutput1Edid()->click(); // changed its mind quickly
    EXPECT_EQ(h.Line(), (Lines{"20:1:0", "20:1:1", "20:2:1", "21:0:0"}));

    h.AckSettings();
    ASSERT_EQ(h.Awaited(), kCmdGetEdidType);
    h.Reply({1, 1, 2, 1});
    EXPECT_TRUE(h.Line().empty()); // drawing the answer set options without sending
    EXPECT_TRUE(sel(1).blSelected && sel(2).blSelected);
    EXPECT_TRUE(panel(0)->optOutput1Edid()->isChecked());
    EXPECT_TRUE(page.optSelectedOutput1Edid()->isChecked());
    EXPECT_FALSE(h.frame.busy);
    // The quick second choice joined the first: one step back to before both.
    EXPECT_EQ(h.core.history.Undo(), ChangeHistory::Outcome::Sent);
    EXPECT_EQ(h.Line(), (Lines{"20:1:0", "21:0:0"}));
    EXPECT_FALSE(h.core.history.CanUndo());
}
