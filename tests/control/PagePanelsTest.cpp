#include "PageInput.h"
#include "app/PagesRig.h"
#include "control/PanelColours.h"
#include "control/PanelGrid.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using Lines = std::vector<std::string>;

namespace {

struct AudioPanels : ::testing::Test {
    PagesRig h;
    AudioPage& page = h.audio;
    AudioOutputPanel* panel(int i) { return page.picAudioOutput(i); }
    QCheckBox* box(int i) { return panel(i)->chkAudioOutput(); }
    PORT_SELECT& sel(int n) { return h.core.model.AudioOutputSelect[n]; }
    bool enabled(QWidget* w) { return w->isEnabledTo(&page); }
    // The outputs selected in the model, each checked against its box and colour.
    std::vector<int> Selected() {
        std::vector<int> out;
        for (int i = 0; i < 8; ++i) {
            const bool in = sel(i + 1).blSelected;
            EXPECT_EQ(box(i)->isChecked(), in) << i;
            const QColor shown = PanelColours::Background(panel(i));
            EXPECT_EQ(shown, !enabled(panel(i)) ? PanelColours::Disabled()
                             : in               ? PanelColours::Selected()
                                                : PanelColours::Unselected());
            if (in) {
                out.push_back(i + 1);
            }
        }
        return out;
    }
};

struct VideoInputs : ::testing::Test {
    PagesRig h;
    VideoPage& page = h.video;
    VideoInputPanel* panel(int i) { return page.picVideoInput(i); }
    PORT_SELECT& sel(int n) { return h.core.model.VideoInputSelect[n]; }
    bool enabled(QWidget* w) { return w->isEnabledTo(&page); }
    int32_t& type(int n) { return h.core.model.VideoInputs[n].lEdidType; }
};

} // namespace

// A unit that fits leaves the wheel to the page and greys what it lacks.
TEST_F(AudioPanels, ScrollKeysAndWheelReachEveryOutputAndWhatAUnitLacksIsGrey) {
    h.Show(1, 4, 20);
    QScrollBar* bar = page.scoAudioOutput();
    EXPECT_EQ(bar->maximum(), 12);
    box(0)->setFocus();
    RunKeys(page, *bar,
            {
                {Qt::Key_Right, 1, "2", 0},
                {Qt::Key_Down, 3, "8", 0},
                {Qt::Key_Down, 1, "10", 2}, // the window follows
                {Qt::Key_Right, 1, "11", 3},
                {Qt::Key_PageDown, 1, "19", 11},
                {Qt::Key_PageDown, 1, "20", 12}, // stops at the end
                {Qt::Key_Right, 1, "20", 12},
                {Qt::Key_PageUp, 1, "12", 4},
                {Qt::Key_Up, 4, "4", 2},
                {Qt::Key_Left, 4, "1", 0},
                {Qt::Key_Up, 1, "1", 0},
            });
    // A row per notch over the panels; over the group below, the page's.
    EXPECT_TRUE(Wheel(panel(3), false));
    EXPECT_EQ(bar->value(), 2);
    EXPECT_EQ(box(0)->text(), "Output 3");
    EXPECT_TRUE(Wheel(panel(0)->row(AudioOutputPanel::Bass).bar, true));
    EXPECT_EQ(bar->value(), 0);
    EXPECT_FALSE(Wheel(page.fraSelectedAudioOutput(), false));
    EXPECT_EQ(bar->value(), 0);
    // A redraw of an output not on screen changes nothing; output 11 is panel 7.
    h.core.model.AudioOutputs[4].iVolumnLevel = 44;
    bar->setValue(3);
    EXPECT_EQ(box(7)->text(), "Output 11");
    EXPECT_EQ(panel(0)->row(AudioOutputPanel::Volumn).number->text(), "44");
    h.core.model.AudioOutputs[2].iVolumnLevel = 99;
    page.Draw_AudioOutputVolumnLevel(2);
    EXPECT_EQ(panel(0)->row(AudioOutputPanel::Volumn).number->text(), "44");
    h.core.model.AudioOutputs[11].lMuteStatus = 1;
    page.Draw_AudioOutputMute(11);
    EXPECT_EQ(panel(7)->imgMute()->key(), "Mute");

    // Six outputs, no bass control: the scroll bar back at the top and off.
    UnitCaps caps;
    caps.bass = false;
    h.Show(2, 4, 6, caps);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_FALSE(enabled(bar));
    EXPECT_FALSE(Wheel(panel(3), false));
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(box(i)->text(), QString("Output %1").arg(i + 1));
        EXPECT_EQ(enabled(panel(i)), i < 6) << i;
    }
    const auto& volume = panel(6)->row(AudioOutputPanel::Volumn);
    EXPECT_TRUE(volume.bar->level()->isHidden() && volume.number->text().isEmpty());
    EXPECT_TRUE(panel(6)->imgMute()->isHidden());
    h.core.model.AudioOutputs[1].iBassLevel = 70;
    page.Draw_AudioOutput(1);
    const auto& bass = panel(0)->row(AudioOutputPanel::Bass);
    EXPECT_FALSE(enabled(bass.caption) || enabled(bass.number));
    EXPECT_TRUE(bass.number->text().isEmpty() && bass.bar->level()->isHidden());
    EXPECT_TRUE(enabled(panel(0)->row(AudioOutputPanel::Treble).number));
    Click(box(0));
    const auto& row = page.fraSelectedAudioOutput()->row(SelectedAudioGroup::Bass);
    EXPECT_FALSE(enabled(row.lbl) || enabled(row.sld) || enabled(row.txt) || enabled(row.ud));
    EXPECT_TRUE(enabled(page.fraSelectedAudioOutput()->row(SelectedAudioGroup::Treble).sld));
    // No audio control at all, then not answering.
    caps.audio = false;
    h.Show(3, 4, 8, caps);
    EXPECT_FALSE(enabled(panel(0)) || enabled(page.chkSelAllAudioOutput()));
    h.core.model.objSelectedUnit->setblConnected(false);
    page.Enable_AudioControl(true);
    EXPECT_FALSE(page.isEnabled());
}

// The page's only scroll bar is the ports' one; the panels take the rows the
// height holds.
TEST_F(AudioPanels, OneScrollBarAndAsManyRowsOfPanelsAsFit) {
    h.Show(1, 4, 20);
    QScrollBar* bar = page.scoAudioOutput();
    EXPECT_EQ(page.findChildren<QScrollBar*>(), QList<QScrollBar*>{bar});
    ASSERT_EQ(page.PanelsShown(), 8);
    const int row = panel(2)->y() - panel(0)->y();
    const auto resize = [&](int height) {
        page.resize(page.width(), height);
        QApplication::processEvents();
    };
    const int height = page.height();
    bar->setValue(12);
    resize(height - row); // a row fewer: the window shows outputs 15 to 20
    EXPECT_EQ(page.PanelsShown(), 6);
    EXPECT_TRUE(panel(5)->isVisible() && panel(6)->isHidden());
    EXPECT_EQ(bar->maximum(), 14);
    EXPECT_EQ(bar->value(), 12);
    bar->setValue(14);
    EXPECT_EQ(box(5)->text(), "Output 20");
    EXPECT_EQ(panel(5)->row(AudioOutputPanel::Volumn).number->text(), "0");
    resize(height + 3 * row); // seven rows, and never a part of one
    EXPECT_EQ(page.PanelsShown(), 14);
    EXPECT_EQ(bar->maximum(), 6);
    EXPECT_EQ(bar->value(), 6);
    EXPECT_EQ(box(13)->text(), "Output 20");
    EXPECT_LE(panel(13)->geometry().bottom(),
              page.findChild<QWidget*>("picAudioControl")->height());
    resize(height + 20 * row); // no more than every output at most: the bar off
    h.Show(2, 4, 16);
    EXPECT_EQ(page.PanelsShown(), 16);
    EXPECT_FALSE(enabled(bar));
    resize(height);
    EXPECT_TRUE(enabled(bar));
    EXPECT_EQ(bar->maximum(), 8);
    // Rows of 86 pixels 4 apart: a part of a row is none, and there is always one.
    const int fits[][2] = {{0, 1}, {86, 1}, {175, 1}, {176, 2}, {266, 3}, {5000, 8}};
    for (const auto& [pixels, rows] : fits) {
        EXPECT_EQ(PanelGrid::RowsThatFit(pixels, 86, 4, 8), rows) << pixels;
    }
}

// A silent unit's last values stay, greyed and captioned; what it never
// reported shows as unknown, never as a value.
TEST_F(AudioPanels, ASilentUnitKeepsItsLastReportedValuesGreyedAndSaysSo) {
    h.Show(1, 4, 20);
    AUDIO_OUTPUT_STATUS& one = h.core.model.AudioOutputs[1];
    one.iVolumnLevel = 40;
    one.lMuteStatus = 1;
    one.lDelayTime = 250;
    h.core.model.AudioOutputs[2].reported = {};
    h.core.model.AudioOutputs[2].reported.mark(Reported::Volumn);
    h.core.model.VideoInputs[3].lEdidType = 1;
    h.core.model.VideoInputs[4].reported = {};
    page.Draw_AudioOutputPanels();
    Click(box(0));
    page.scoAudioOutput()->setValue(0);
    EXPECT_FALSE(page.lblNotCurrent()->isVisible());

    h.core.link.queue.SetUnitAnswering(1, false); // as the link gives it up
    const QString caption = "Not current: unit 01 is not answering. Its last known values are "
                            "shown; nothing can be changed until it answers again.";
    for (QWidget* p : {static_cast<QWidget*>(&page), static_cast<QWidget*>(&h.video)}) {
        EXPECT_FALSE(p->isEnabled());
        auto* label =
            p->findChild<QLabel*>(p == &page ? "lblAudioNotCurrent" : "lblVideoNotCurrent");
        EXPECT_TRUE(label->isVisible());
        EXPECT_EQ(label->text(), caption);
    }
    EXPECT_TRUE(enabled(panel(0)) && !panel(0)->isEnabled()); // greyed with the page
    EXPECT_EQ(PanelColours::Background(panel(0)), PanelColours::Disabled());
    const auto& volume = panel(0)->row(AudioOutputPanel::Volumn);
    EXPECT_EQ(volume.number->text(), "40");
    EXPECT_TRUE(volume.bar->level()->isVisible());
    EXPECT_EQ(panel(0)->row(AudioOutputPanel::Delay).number->text(), "250 ms");
    EXPECT_EQ(panel(0)->imgMute()->key(), "Mute");
    EXPECT_EQ(panel(1)->row(AudioOutputPanel::Volumn).number->text(), "0");
    const auto& bass = panel(1)->row(AudioOutputPanel::Bass);
    EXPECT_EQ(bass.number->text(), "–");
    EXPECT_TRUE(bass.bar->level()->isHidden());
    EXPECT_EQ(bass.bar->accessibleDescription(), "unknown");
    EXPECT_EQ(panel(1)->imgMute()->key(), "Unknown");
    const auto& group = *page.fraSelectedAudioOutput();
    EXPECT_EQ(group.row(SelectedAudioGroup::Volumn).txt->text(), "40");
    EXPECT_TRUE(group.chkSelectedMuteStatus()->isChecked());
    EXPECT_TRUE(h.video.picVideoInput(2)->optOutput1Edid()->isChecked());
    EXPECT_FALSE(h.video.picVideoInput(3)->optFixEdid()->isChecked() ||
                 h.video.picVideoInput(3)->optOutput1Edid()->isChecked());
    // The other outputs are still there to scroll to once the page is usable.
    EXPECT_EQ(page.scoAudioOutput()->maximum(), 12);
    EXPECT_TRUE(h.Line().empty());

    // Answering again and read afresh: current, and nothing said.
    h.core.model.objSelectedUnit->setblConnected(true);
    h.hub.Enable_QRD(true);
    EXPECT_TRUE(page.isEnabled() && h.video.isEnabled());
    EXPECT_EQ(PanelColours::Background(panel(0)), PanelColours::Selected());
    EXPECT_FALSE(page.lblNotCurrent()->isVisible() || h.video.lblNotCurrent()->isVisible());
    // Another unit picked and not read yet: nothing it did not report.
    h.core.model.ClearUnitStatus();
    h.Register(2, 4, 8);
    h.core.model.objSelectedUnit = h.core.model.FindUnit(2);
    h.hub.Setup_AllViews();
    h.hub.Enable_QRD(false);
    EXPECT_EQ(panel(0)->row(AudioOutputPanel::Volumn).number->text(), "–");
    EXPECT_EQ(panel(0)->imgMute()->key(), "Unknown");
    EXPECT_FALSE(page.lblNotCurrent()->isVisible());
}

TEST_F(AudioPanels, ClicksSpaceAndSelectAllFollowTheSelectionRules) {
    h.Show(1, 4, 6);
    page.ResetAudioAnchor();
    Click(box(2), Qt::ShiftModifier); // no anchor yet: only adds
    Click(box(5), Qt::ShiftModifier);
    EXPECT_EQ(Selected(), (std::vector<int>{3, 6}));
    Click(box(4), Qt::ControlModifier);
    Click(box(1), Qt::ShiftModifier); // Ctrl then Shift: the range
    EXPECT_EQ(Selected(), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(page.iLastAudioOutput(), 5);
    EXPECT_TRUE(enabled(page.fraSelectedAudioOutput()));
    Click(box(0), Qt::NoModifier, Qt::RightButton); // the right button: alone
    EXPECT_EQ(Selected(), (std::vector<int>{1}));
    QTest::keyClick(box(3), Qt::Key_Space, Qt::ControlModifier); // Space: a left click
    EXPECT_EQ(Selected(), (std::vector<int>{1, 4}));
    QTest::keyClick(box(5), Qt::Key_Space);
    EXPECT_EQ(Selected(), (std::vector<int>{6}));
    EXPECT_EQ(page.iLastAudioOutput(), 6);
    // Ctrl on the only selected output leaves none, and the group disabled.
    Click(box(5), Qt::ControlModifier);
    EXPECT_TRUE(Selected().empty());
    EXPECT_FALSE(enabled(page.fraSelectedAudioOutput()));

    page.chkSelAllAudioOutput()->click();
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(enabled(page.fraSelectedAudioOutput()));
    Click(box(2), Qt::ControlModifier); // one fewer: the box unticks
    EXPECT_FALSE(page.chkSelAllAudioOutput()->isChecked());
    Click(box(2), Qt::ControlModifier);
    EXPECT_TRUE(page.chkSelAllAudioOutput()->isChecked());
    page.chkSelAllAudioOutput()->click();
    for (int n = 1; n <= 255; ++n) {
        ASSERT_FALSE(sel(n).blSelected) << n;
    }
    EXPECT_FALSE(enabled(page.fraSelectedAudioOutput()));
    page.chkSelAllAudioOutput()->click();
    page.UntickSelAllAudioOutput(); // the scan's untick does not clear the selection
    EXPECT_FALSE(page.chkSelAllAudioOutput()->isChecked());
    EXPECT_TRUE(sel(1).blSelected);
}

TEST_F(VideoInputs, InputsBeyondTheCountOrWithoutEdidChoiceAreOffAndALargeUnitScrolls) {
    type(2) = 1;
    h.Show(1, 10, 4);
    EXPECT_FALSE(enabled(page.scoVideoInput()));
    EXPECT_TRUE(enabled(panel(9)));
    EXPECT_FALSE(enabled(panel(10)));
    EXPECT_FALSE(panel(10)->optFixEdid()->isChecked() || panel(10)->optOutput1Edid()->isChecked());
    EXPECT_TRUE(panel(0)->optFixEdid()->isChecked());
    EXPECT_TRUE(panel(1)->optOutput1Edid()->isChecked());

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

    h.Show(3, 40, 4);
    QScrollBar* bar = page.scoVideoInput();
    EXPECT_TRUE(enabled(bar));
    EXPECT_EQ(bar->maximum(), 24);
    panel(0)->chkVideoInput()->setFocus();
    // Four columns of forty inputs; the keys' rules are the audio page's test.
    RunKeys(page, *bar,
            {
                {Qt::Key_Down, 3, "13", 0},
                {Qt::Key_Down, 1, "17", 4},
                {Qt::Key_PageDown, 2, "37", 24},
                {Qt::Key_Left, 36, "1", 0},
            });
    EXPECT_TRUE(Wheel(panel(5), false));
    EXPECT_EQ(bar->value(), 4);
    EXPECT_EQ(panel(0)->chkVideoInput()->text(), "Input 5");
    // Not answering: a panel choice still selects and stores, but sends nothing.
    h.core.model.objSelectedUnit->setblConnected(false);
    panel(2)->optOutput1Edid()->click();
    EXPECT_TRUE(sel(7).blSelected);
    EXPECT_EQ(type(7), 1);
    EXPECT_TRUE(h.Line().empty());
}

// Each panel says what it is and shows its input's plug; unknown is unknown.
TEST_F(VideoInputs, PanelsSayInputAndShowEachPlugInWords) {
    h.Show(1, 6, 4);
    auto plug = [&](int i) { return panel(i)->lblVideoInputPlug()->text(); };
    h.core.model.VideoInputs[1].lPlugStatus = 1;
    h.core.model.VideoInputs[3].reported = {};
    h.core.model.VideoInputs[3].reported.mark(Reported::Edid);
    h.core.model.VideoInputs[4].lPlugStatus = 1;
    h.core.model.VideoInputs[4].reported = {};
    page.Draw_VideoInputPanels();
    EXPECT_EQ(panel(0)->chkVideoInput()->text(), "Input 1");
    EXPECT_EQ(plug(0), "Plugged");
    EXPECT_EQ(plug(1), "Unplugged");
    EXPECT_EQ(plug(2), "Plug unknown"); // told nothing, though its field says 0
    EXPECT_EQ(plug(3), "Plug unknown");
    EXPECT_EQ(panel(2)->lblVideoInputPlug()->toolTip(),
              "Input 3: the unit has not reported its plug yet");
    EXPECT_EQ(plug(6), ""); // no input 7
    // A plug answer redraws the panel as well as the switch view.
    h.core.model.VideoInputs[2].lPlugStatus = 1;
    h.core.model.VideoInputs[2].reported.mark(Reported::Plug);
    h.hub.Draw_InputPlug(SignalKind::Video, 2);
    EXPECT_EQ(plug(1), "Plugged");
    UnitCaps caps;
    caps.plugs = false; // no plug detection: nothing to say
    h.Show(2, 6, 4, caps);
    EXPECT_EQ(plug(0), "");
}

TEST_F(VideoInputs, PanelChoiceSelectsItsInputAloneAndGroupChoiceSendsEachThenOneQuery) {
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

    // An answer naming a type other than 0 or 1 leaves the options alone.
    h.Answer({3, 2});
    EXPECT_TRUE(panel(2)->optOutput1Edid()->isChecked());
    type(3) = 2;
    page.Draw_VideoInput(3);
    EXPECT_TRUE(panel(2)->optOutput1Edid()->isChecked());
    EXPECT_FALSE(panel(2)->optFixEdid()->isChecked());
    h.Reply({3, 1}); // the awaited query, answered as the unit would
    ASSERT_TRUE(h.Line().empty());

    type(1) = 0;
    type(2) = 1;
    h.Show(2, 4, 4);
    Click(panel(0)->chkVideoInput());
    Click(panel(1)->chkVideoInput(), Qt::ShiftModifier);
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
}
