#include "control/AudioRules.h"
#include "log/Contrast.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::AudioRules;

TEST(AudioRules, BarWidthsDelayStepsAndTypedNumbers) {
    // {value, border width, full scale, width}: the product rounded, then
    // divided without remainder; no full scale gives no bar, none overflows.
    const struct {
        int64_t value;
        double border;
        int64_t scale;
        int width;
    } bars[] = {{50, 780, 100, 390},   {33, 780, 100, 257}, {250, 780, 1000, 195},
                {33, 780.5, 100, 257}, {2, 99.75, 100, 2},  {100, 780, 100, 780},
                {250, 780, 0, 0},      {250, 780, -5, 0},   {-10, 780, 100, 0},
                {1500, 780, 1000, 780}};
    for (const auto& b : bars) {
        EXPECT_EQ(BarWidth(b.value, b.border, b.scale), b.width) << b.value << " of " << b.scale;
    }
    // Whole steps that the two delay bytes carry; a step of 0 carries nothing.
    EXPECT_EQ(DelaySteps(1009, 10), 100);
    EXPECT_EQ(DelaySteps(65535, 1), 65535);
    EXPECT_EQ(DelaySteps(65536, 1), std::nullopt);
    EXPECT_EQ(DelaySteps(-1, 5), std::nullopt);
    EXPECT_EQ(DelaySteps(100, 0), std::nullopt);

    const std::pair<const char*, std::optional<int32_t>> texts[] = {
        {" 40 ", 40},        {"7.5", 8},
        {"-2.5", -3},        {"", std::nullopt},
        {".", std::nullopt}, {"abc", std::nullopt},
        {"32767", 32767},    {"32768", std::nullopt}};
    for (const auto& [text, value] : texts) {
        EXPECT_EQ(ConvertText(text, 16), value) << text;
    }
    EXPECT_EQ(ConvertText("32768", 32), 32768);
    EXPECT_EQ(ConvertText("inf", 32), std::nullopt);
    // No level below 0 reaches the line; one above the maximum is replaced.
    EXPECT_EQ(LevelTextAction("-5", 16, 100).kind, TextAction::Ignore);
    EXPECT_EQ(LevelTextAction("-0.4", 16, 100).kind, TextAction::Change); // rounds to 0
    EXPECT_EQ(LevelTextAction("150", 16, 100).kind, TextAction::Replace);
    EXPECT_EQ(LevelTextAction("100", 16, 100).value, 100);
    EXPECT_TRUE(IsLevelKey('.') && IsLevelKey('\b') && IsLevelKey('7'));
    EXPECT_FALSE(IsLevelKey('-') || IsLevelKey(QChar(0x0663))); // a digit, not "0" to "9"
}

// Text against a fixed background: black or white, whichever stands out;
// a wanted colour kept while it reads, else shaded (same hue) until it does.
TEST(Contrast, TextColourIsChosenAgainstTheBackground) {
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
