#include "control/AudioRules.h"
#include "control/PortSelection.h"
#include "log/Contrast.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::AudioRules;
using PortSelection::Click;

TEST(BarWidth, RoundsTheProductThenDividesWithoutRemainder) {
    EXPECT_EQ(BarWidth(50, 780, 100), 390);
    EXPECT_EQ(BarWidth(33, 780, 100), 257);   // 25740 \ 100
    EXPECT_EQ(BarWidth(250, 780, 1000), 195); // delay of 250 ms of 1000 ms
    EXPECT_EQ(BarWidth(33, 780.5, 100), 257); // 25756.5 rounds to 25757, then \ 100
    EXPECT_EQ(BarWidth(2, 99.75, 100), 2);    // 199.5 rounds up to 200
    EXPECT_EQ(BarWidth(100, 780, 100), 780);
}

TEST(BarWidth, NoFullScaleOrNoRoomGivesAnEmptyBarAndNoneOverflows) {
    EXPECT_EQ(BarWidth(250, 780, 0), 0); // a unit reporting no maximum delay
    EXPECT_EQ(BarWidth(250, 780, -5), 0);
    EXPECT_EQ(BarWidth(-10, 780, 100), 0);
    EXPECT_EQ(BarWidth(1500, 780, 1000), 780); // a delay beyond the maximum stays inside
}

TEST(DelaySteps, WholeStepsWithinTwoBytesOnly) {
    EXPECT_EQ(DelaySteps(1000, 10), 100);
    EXPECT_EQ(DelaySteps(3000, 1), 3000); // 11 * 256 + 184
    EXPECT_EQ(DelaySteps(1009, 10), 100);
    EXPECT_EQ(DelaySteps(65535, 1), 65535);
    EXPECT_EQ(DelaySteps(65536, 1), std::nullopt);
    EXPECT_EQ(DelaySteps(-1, 5), std::nullopt);
    EXPECT_EQ(DelaySteps(100, 0), std::nullopt); // a unit reporting a step of 0
}

TEST(TextEntry, ConvertsLikeTypedNumbers) {
    EXPECT_EQ(ConvertText("75", 16), 75);
    EXPECT_EQ(ConvertText(" 40 ", 16), 40);
    EXPECT_EQ(ConvertText("7.5", 16), 8);
    EXPECT_EQ(ConvertText("-2.5", 16), -3);
    EXPECT_EQ(ConvertText("", 16), std::nullopt);
    EXPECT_EQ(ConvertText(".", 16), std::nullopt);
    EXPECT_EQ(ConvertText("abc", 16), std::nullopt);
    EXPECT_EQ(ConvertText("32767", 16), 32767);
    EXPECT_EQ(ConvertText("32768", 16), std::nullopt);
    EXPECT_EQ(ConvertText("32768", 32), 32768);
    EXPECT_EQ(ConvertText("inf", 32), std::nullopt);
}

TEST(TextEntry, NegativeIsIgnoredAndTooLargeIsReplaced) {
    EXPECT_EQ(LevelTextAction("-5", 16, 100).kind, TextAction::Ignore);
    EXPECT_EQ(LevelTextAction("-0.4", 16, 100).kind, TextAction::Change); // rounds to 0
    EXPECT_EQ(LevelTextAction("150", 16, 100).kind, TextAction::Replace);
    const TextAction a = LevelTextAction("100", 16, 100);
    EXPECT_EQ(a.kind, TextAction::Change);
    EXPECT_EQ(a.value, 100);
    EXPECT_TRUE(IsLevelKey('7'));
    EXPECT_TRUE(IsLevelKey('.'));
    EXPECT_TRUE(IsLevelKey('\b'));
    EXPECT_FALSE(IsLevelKey('-'));
    EXPECT_FALSE(IsLevelKey('a'));
    EXPECT_FALSE(IsLevelKey(QChar(0x0663))); // a digit, but not one of "0" to "9"
}

TEST(CommonValueWalk, CommonMixedAndNone) {
    CommonValue none;
    EXPECT_FALSE(none.IsCommon());
    EXPECT_EQ(none.Value(), 0);
    CommonValue same;
    same.Add(40);
    same.Add(40);
    EXPECT_TRUE(same.IsCommon());
    EXPECT_EQ(same.Value(), 40);
    CommonValue mixed;
    mixed.Add(40);
    mixed.Add(60);
    mixed.Add(40);
    EXPECT_FALSE(mixed.IsCommon());
    EXPECT_EQ(mixed.Value(), 0);
}

TEST(Selection, ClickKindsByButtonAndModifiers) {
    EXPECT_EQ(PortSelection::ClickOf(Qt::LeftButton, Qt::ControlModifier), Click::Toggle);
    EXPECT_EQ(PortSelection::ClickOf(Qt::LeftButton, Qt::ShiftModifier), Click::Range);
    EXPECT_EQ(PortSelection::ClickOf(Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier),
              Click::Single);
    EXPECT_EQ(PortSelection::ClickOf(Qt::RightButton, Qt::ControlModifier), Click::Single);
    EXPECT_EQ(PortSelection::ClickOf(Qt::LeftButton, Qt::NoModifier), Click::Single);
}

TEST(Selection, CtrlThenShiftSelectsTheRangeAndKeepsTheAnchor) {
    PortTable<PORT_SELECT> t;
    int anchor = -1;
    t[9].blSelected = true;
    PortSelection::Apply(t, 5, 10, Click::Toggle, anchor);
    PortSelection::Apply(t, 2, 10, Click::Range, anchor);
    EXPECT_EQ(anchor, 5);
    for (int m = 1; m <= 10; ++m) {
        EXPECT_EQ(t[m].blSelected, m >= 2 && m <= 5) << m;
    }
    PortSelection::Apply(t, 3, 10, Click::Toggle, anchor); // Ctrl again removes one
    EXPECT_FALSE(t[3].blSelected);
    EXPECT_EQ(anchor, 3);
}

TEST(Selection, ShiftWithoutAnchorOnlyAddsAndPlainClickSelectsAlone) {
    PortTable<PORT_SELECT> t;
    int anchor = -1;
    t[1].blSelected = true;
    PortSelection::Apply(t, 4, 8, Click::Range, anchor);
    EXPECT_TRUE(t[1].blSelected);
    EXPECT_TRUE(t[4].blSelected);
    EXPECT_EQ(anchor, -1);
    PortSelection::Apply(t, 6, 8, Click::Single, anchor);
    EXPECT_EQ(anchor, 6);
    for (int m = 1; m <= 8; ++m) {
        EXPECT_EQ(t[m].blSelected, m == 6) << m;
    }
}

TEST(Selection, AllSelectedCountsOnlyEnabledPorts) {
    PortTable<PORT_SELECT> t;
    EXPECT_TRUE(PortSelection::IsAllSelected(t)); // none enabled
    EXPECT_FALSE(PortSelection::AnySelected(t));
    for (int n = 1; n <= 4; ++n) {
        t[n].blEnabled = true;
    }
    PortSelection::SetAll(t, true, 4);
    EXPECT_TRUE(PortSelection::IsAllSelected(t));
    EXPECT_TRUE(PortSelection::AnySelected(t));
    t[200].blSelected = true; // stale, beyond the unit
    PortSelection::SetAll(t, false, 4);
    EXPECT_FALSE(t[200].blSelected);
    EXPECT_FALSE(PortSelection::AnySelected(t));
}

// Text against a fixed background: black or white, whichever stands out;
// a wanted colour kept while it reads, else shaded (same hue) until it does.
TEST(Contrast, TextColourIsChosenAgainstTheBackground) {
    EXPECT_EQ(Contrast::TextOn(Qt::white), QColor(Qt::black));
    EXPECT_EQ(Contrast::TextOn(QColor(128, 255, 255)), QColor(Qt::black));
    EXPECT_EQ(Contrast::TextOn(QColor(0x35, 0x35, 0x35)), QColor(Qt::white));
    EXPECT_NEAR(Contrast::Ratio(Qt::black, Qt::white), 21.0, 0.01);
    EXPECT_EQ(Contrast::Readable(QColor(0, 0, 255), Qt::white), QColor(0, 0, 255));
    for (const QColor back : {QColor(Qt::white), QColor(0x2a, 0x2a, 0x2a), QColor(0x80, 0x80, 0x80),
                              QColor(Qt::black), QColor(128, 255, 255)}) {
        for (const QColor wanted : {QColor(0, 0, 255), QColor(255, 0, 0), QColor(255, 255, 0)}) {
            const QColor got = Contrast::Readable(wanted, back);
            EXPECT_GE(Contrast::Ratio(got, back), Contrast::kReadable) << back.name().toStdString();
            EXPECT_EQ(got.hue(), wanted.hue()) << back.name().toStdString();
        }
        EXPECT_LT(Contrast::Ratio(Contrast::Faded(Contrast::TextOn(back), back), back),
                  Contrast::Ratio(Contrast::TextOn(back), back));
    }
}
