#include "PageInput.h"
#include "app/PagesRig.h"
#include "control/AudioRules.h"
#include "log/Contrast.h"
#include "model/SettingRange.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

namespace {

struct AudioGroup : ::testing::Test {
    PagesRig h;
    AudioPage& page = h.audio;
    SelectedAudioGroup& group = *h.audio.fraSelectedAudioOutput();
    const SelectedAudioGroup::LevelRow& row(SelectedAudioGroup::Row r) { return group.row(r); }
    const SelectedAudioGroup::LevelRow& volume = row(SelectedAudioGroup::Volumn);

    void Tick(std::initializer_list<int> outputs) {
        for (int n : outputs) {
            Click(page.picAudioOutput(n - 1)->chkAudioOutput(), Qt::ControlModifier);
        }
    }
    void PollRedraw(int level) {
        for (int n = 1; n <= 8; ++n) {
            h.core.model.AudioOutputs[n].iVolumnLevel = level;
        }
        group.Draw_SelectedRow(SelectedAudioGroup::Volumn);
    }
    static void Drag(QSlider* s, int value) {
        s->setSliderDown(true);
        s->setSliderPosition(value);
        s->setSliderDown(false);
    }
    void Type(QLineEdit* txt, const QString& text, Qt::Key end = Qt::Key_Return) {
        txt->selectAll();
        QTest::keyClicks(txt, text);
        QTest::keyClick(txt, end);
    }
};

} // namespace

TEST_F(AudioGroup, SliderSendsOneSettingPerTickedOutputThenOneQueryAndShowsTheAnswer) {
    h.Show(1, 4, 8);
    h.core.model.AudioOutputs[2].iTrebleLevel = 40;
    h.core.model.AudioOutputs[3].iTrebleLevel = 40;
    Tick({2, 3});
    // A common value shows; mixed values show 0 and no text; drawing never sends.
    const auto& treble = row(SelectedAudioGroup::Treble);
    EXPECT_EQ(treble.ud->value(), 40);
    EXPECT_EQ(treble.txt->text(), "40");
    Tick({5});
    EXPECT_EQ(treble.sld->value(), 0);
    EXPECT_EQ(treble.ud->value(), 0);
    EXPECT_TRUE(treble.txt->text().isEmpty());
    EXPECT_TRUE(h.Line().empty());

    Drag(volume.sld, 40);
    EXPECT_EQ(h.Line(), (Lines{"12:2:40", "12:3:40", "12:5:40", "13:0:0"}));
    EXPECT_TRUE(h.frame.busy);
    EXPECT_EQ(volume.ud->value(), 40);

    h.AckSettings();
    ASSERT_EQ(h.Awaited(), kCmdGetVolumnLevel);
    h.Reply({2, 40, 3, 40, 5, 40, 1, 10});
    EXPECT_FALSE(h.frame.busy);
    EXPECT_EQ(page.picAudioOutput(1)->row(AudioOutputPanel::Volumn).number->text(), "40");
    EXPECT_EQ(page.picAudioOutput(0)->row(AudioOutputPanel::Volumn).number->text(), "10");
    h.clock.advance(499ms);
    EXPECT_TRUE(page.IsSelectedRedrawRunning(AudioValue::Volumn));
    h.clock.advance(1ms);
    EXPECT_FALSE(page.IsSelectedRedrawRunning(AudioValue::Volumn));
    EXPECT_EQ(volume.txt->text(), "40");
    EXPECT_EQ(volume.sld->value(), 40);
    EXPECT_EQ(h.core.history.Undo(), ChangeHistory::Outcome::Sent);
    EXPECT_EQ(h.Line(), (Lines{"12:2:0", "12:3:0", "12:5:0", "13:0:0"}));
}

TEST_F(AudioGroup, WheelOnAFocusedSliderAndTypedLevelsGoOutOnceAndNoRedrawWritesTheBox) {
    h.Show(1, 4, 8);
    Tick({1, 2});
    Activate(&page);
    const auto& bass = row(SelectedAudioGroup::Bass);
    EXPECT_FALSE(Wheel(bass.sld, true)); // handed on towards the scroll area
    EXPECT_FALSE(Wheel(bass.ud, true));
    EXPECT_TRUE(h.Line().empty());
    EXPECT_EQ(bass.sld->value(), 0);
    bass.sld->setFocus();
    EXPECT_TRUE(Wheel(bass.sld, true));
    EXPECT_EQ(h.Line().size(), 3u); // output 1 on the line, output 2 and the query waiting
    // A second notch replaces the setting still waiting for output 2.
    Wheel(bass.sld, true);
    EXPECT_EQ(h.Line().size(), 4u);
    h.Answer({1, 2, 2, 2});
    ASSERT_TRUE(h.Line().empty());

    QLineEdit* txt = volume.txt;
    txt->setFocus();
    txt->selectAll();
    QTest::keyClicks(txt, "8");
    EXPECT_TRUE(h.Line().empty());
    PollRedraw(3); // a poll answer between the keystrokes
    EXPECT_EQ(txt->text(), "8");
    EXPECT_EQ(volume.sld->value(), 3);
    QTest::keyClicks(txt, "0");
    QTest::keyClick(txt, Qt::Key_Return);
    EXPECT_EQ(h.Line(), (Lines{"12:1:80", "12:2:80", "13:0:0"}));
    EXPECT_EQ(txt->text(), "80");
    h.Answer({1, 80, 2, 80});
    PollRedraw(80); // no longer editing: the box follows the unit
    EXPECT_EQ(txt->text(), "80");

    QTest::keyClicks(txt, "5"); // 805
    PollRedraw(60);
    QTest::keyClick(txt, Qt::Key_Escape); // back to what the unit said, nothing sent
    EXPECT_EQ(txt->text(), "60");
    Type(txt, "150", Qt::Key_Enter); // above the maximum: refused, and why
    EXPECT_EQ(txt->text(), "60");
    EXPECT_TRUE(h.Line().empty());
    EXPECT_EQ(h.frame.refusals, QStringList{"Not sent: volume 150 is outside 0-100."});
    EXPECT_EQ(h.core.activity.Text(), h.frame.refusals.back());
    txt->selectAll();
    QTest::keyClicks(txt, "a-x");
    EXPECT_EQ(txt->text(), "60"); // the key filter: not even an edit
    txt->selectAll();
    QTest::keyClicks(txt, "42");
    EXPECT_TRUE(h.Line().empty());
    bass.txt->setFocus(); // leaving the box hands it over
    EXPECT_EQ(h.Line(), (Lines{"12:1:42", "12:2:42", "13:0:0"}));
    EXPECT_TRUE(bass.txt->hasFocus());
    page.SelectedBassLevelChange(101); // no caller puts a level above 100 on the line
    page.SelectedBassLevelChange(-1);
    EXPECT_EQ(h.Line().size(), 3u);
}

// The group is redrawn 500 ms after an answer; a new change cancels that.
TEST_F(AudioGroup, HeldSliderIsLeftAloneAndAPendingRedrawHoldsThePollOff) {
    h.Show(1, 4, 8);
    Tick({1});
    Activate(&page);
    volume.sld->setSliderDown(true);
    volume.sld->setSliderPosition(70);   // the first move goes out at once
    EXPECT_EQ(volume.txt->text(), "70"); // the value under the handle
    EXPECT_EQ(h.Line(), (Lines{"12:1:70", "13:0:0"}));
    PollRedraw(75);
    EXPECT_EQ(volume.sld->sliderPosition(), 70);
    EXPECT_EQ(volume.txt->text(), "70");
    volume.sld->setSliderDown(false); // nothing left to send: the held-back redraw comes now
    EXPECT_EQ(h.Line(), (Lines{"12:1:70", "13:0:0"}));
    EXPECT_EQ(volume.txt->text(), "75");
    h.Answer({1, 70});
    h.clock.advance(500ms);
    EXPECT_EQ(volume.txt->text(), "70");

    Drag(volume.sld, 30);
    h.Answer({1, 30});
    EXPECT_TRUE(page.IsSelectedRedrawRunning(AudioValue::Volumn));
    h.clock.advance(300ms);
    Drag(volume.sld, 45);
    EXPECT_FALSE(page.IsSelectedRedrawRunning(AudioValue::Volumn));
    h.AckSettings();
    h.clock.advance(250ms);              // 550 ms after the first answer: no redraw came
    EXPECT_EQ(volume.txt->text(), "45"); // the value released
    EXPECT_EQ(volume.sld->value(), 45);
    h.Reply({1, 45});
    h.clock.advance(500ms);

    Drag(row(SelectedAudioGroup::Bass).sld, 30);
    h.Answer({1, 30});
    ASSERT_TRUE(page.IsSelectedRedrawRunning(AudioValue::Bass));
    h.core.status.StatusPoll();
    const Lines poll = h.Line();
    EXPECT_NE(std::find(poll.begin(), poll.end(), "13:0:0"), poll.end());
    EXPECT_EQ(std::find(poll.begin(), poll.end(), "15:0:0"), poll.end());
}

// A level ridden by ear: while the handle is held the value under it goes
// out at most every 100 ms, and the value let go of last, once.
TEST_F(AudioGroup, HeldSliderSendsAtMostEvery100MsAndItsLastValueOnRelease) {
    h.Show(1, 4, 8);
    Tick({2});
    QSlider* slider = volume.sld;
    std::vector<std::pair<int, std::chrono::milliseconds>> sent; // output 2's volumes, when
    size_t seen = 0;
    const auto serve = [&] { // the unit answers at once; the settings written are noted
        while (true) {
            for (; seen < h.port.writes.size(); ++seen) {
                const Bytes& f = h.port.writes[seen];
                if (f[1] == kCmdSetVolumnLevel && f[2] == 2) {
                    sent.emplace_back(
                        f[3], std::chrono::duration_cast<std::chrono::milliseconds>(h.clock.now()));
                }
            }
            if (!h.core.link.queue.IsWaitingForAnswer()) {
                return;
            }
            IsSetCommand(h.Awaited()) ? h.Reply()
                                      : h.Reply({2, static_cast<uint8_t>(sent.back().first)});
        }
    };
    slider->setSliderDown(true);
    for (int t = 0; t < 2000; t += 10) {
        slider->setSliderPosition(10 + t / 25); // a step every 25 ms
        serve();
        h.clock.advance(10ms);
    }
    slider->setSliderPosition(93);
    slider->setSliderDown(false);
    serve();
    ASSERT_GE(sent.size(), 5u);
    EXPECT_LE(sent.size(), 25u);
    EXPECT_EQ(sent.back().first, 93);
    EXPECT_EQ(slider->value(), 93);
    for (size_t i = 1; i < sent.size(); ++i) {
        EXPECT_NE(sent[i].first, sent[i - 1].first) << i; // no value twice
        if (i + 1 < sent.size()) {
            EXPECT_GE(sent[i].second - sent[i - 1].second, 100ms) << i;
        }
    }
    EXPECT_EQ(page.picAudioOutput(1)->row(AudioOutputPanel::Volumn).number->text(), "93");
    EXPECT_TRUE(h.Line().empty());
    // Let go where the last setting left it: nothing more.
    slider->setSliderDown(true);
    slider->setSliderPosition(60);
    serve();
    slider->setSliderDown(false);
    serve();
    EXPECT_EQ(sent.back().first, 60);
    EXPECT_EQ(sent[sent.size() - 2].first, 93);
}

TEST_F(AudioGroup, MuteBoxSendsAndFollowsTheAnswerAndNothingTickedSendsNothing) {
    h.Show(1, 4, 8);
    // Nothing ticked: nothing goes out, but the pending redraw still stops.
    page.RestartSelectedRedraw(AudioValue::Subwoofer);
    page.SelectedSubwooferLevelChange(30);
    EXPECT_TRUE(h.Line().empty());
    EXPECT_FALSE(h.frame.busy);
    EXPECT_FALSE(page.IsSelectedRedrawRunning(AudioValue::Subwoofer));
    EXPECT_EQ(row(SelectedAudioGroup::Subwoofer).sld->value(), 30);

    Tick({3, 4});
    QWidget* picture = group.imgSelectedMuteStatus();
    EXPECT_EQ(picture->property("imageKey").toString(), "Unmute");
    group.chkSelectedMuteStatus()->click();
    EXPECT_EQ(h.Line(), (Lines{"10:3:1", "10:4:1", "11:0:0"}));
    h.Answer({3, 1, 4, 1});
    EXPECT_EQ(page.picAudioOutput(2)->imgMute()->property("imageKey").toString(), "Mute");
    h.clock.advance(500ms);
    EXPECT_TRUE(group.chkSelectedMuteStatus()->isChecked());
    EXPECT_EQ(picture->property("imageKey").toString(), "Mute");
    // A click on a panel's speaker: that output alone, the other way round.
    MuteImage* speaker = page.picAudioOutput(4)->imgMute();
    EXPECT_EQ(speaker->toolTip(), "Output 5 is not muted: click to mute");
    QTest::mouseClick(speaker, Qt::LeftButton, {}, speaker->rect().center());
    EXPECT_EQ(h.Line(), (Lines{"10:5:1", "11:0:0"}));
    h.Answer({3, 0, 4, 0, 5, 1});
    EXPECT_EQ(speaker->key(), "Mute");
    QTest::mouseClick(speaker, Qt::LeftButton, {}, speaker->rect().center());
    EXPECT_EQ(h.Line(), (Lines{"10:5:0", "11:0:0"}));
    h.Answer({5, 0});
    // A state the unit never reported has no other way round.
    h.core.model.AudioOutputs[6].reported = {};
    page.Draw_AudioOutputMute(6);
    speaker = page.picAudioOutput(5)->imgMute();
    EXPECT_EQ(speaker->key(), "Unknown");
    QTest::mouseClick(speaker, Qt::LeftButton, {}, speaker->rect().center());
    EXPECT_TRUE(h.Line().empty());
    // Not answering: nothing at all.
    h.core.model.objSelectedUnit->setblConnected(false);
    page.SelectedSubwooferLevelChange(31);
    EXPECT_EQ(row(SelectedAudioGroup::Subwoofer).sld->value(), 0); // output 3's level
    EXPECT_TRUE(h.Line().empty());
}

// A unit without a delay step or maximum is sent nothing.
TEST_F(AudioGroup, DelayGoesOutAsHighThenLowStepsAndWhatTwoBytesCannotCarryIsRefused) {
    UnitCaps caps;
    caps.delayUnit = 0;
    caps.maxDelayTime = 0;
    h.Show(1, 4, 8, caps);
    h.core.model.AudioOutputs[1].lDelayTime = 250;
    page.Draw_AudioOutputDelayTime(1);
    const auto& bar = page.picAudioOutput(0)->row(AudioOutputPanel::Delay);
    EXPECT_EQ(bar.bar->level()->width(), 0);
    EXPECT_EQ(bar.number->text(), "250 ms");
    Tick({1});
    page.SelectedDelayTimeChange(100);
    h.core.model.objSelectedUnit->objAudioINFO()->setiDelayUnit(5); // a step, no maximum
    page.SelectedDelayTimeChange(100);
    EXPECT_TRUE(h.Line().empty());

    caps.delayUnit = 10; // hand-built: real units report 5 or 10 ms
    caps.maxDelayTime = 5000;
    h.Show(2, 4, 8, caps); // output 1 stays ticked
    const auto& delay = row(SelectedAudioGroup::Delay);
    EXPECT_EQ(delay.sld->maximum(), 5000);
    EXPECT_EQ(delay.ud->singleStep(), 10);
    Type(delay.txt, "1000");
    EXPECT_EQ(h.Line(), (Lines{"1E:1:0", "1C:1:100", "1D:0:0", "1F:0:0"}));
    EXPECT_EQ(delay.sld->value(), 1000);
    h.Answer({1, 100});
    h.Reply({1, 0});
    EXPECT_EQ(bar.number->text(), "1000 ms");
    h.clock.advance(500ms);
    EXPECT_EQ(delay.txt->text(), "1000");
    // Off the unit's step or beyond its maximum: refused as quadrel-ctl does, not rounded.
    Type(delay.txt, "123");
    Type(delay.txt, "5010");
    Type(delay.txt, "abc");
    Type(delay.txt, " "); // emptied: put back, nothing said
    EXPECT_TRUE(h.Line().empty());
    EXPECT_EQ(delay.txt->text(), "1000");
    EXPECT_EQ(h.frame.refusals,
              (QStringList{"Not sent: delay 123 ms is not a multiple of the unit's 10 ms step.",
                           "Not sent: delay 5010 ms is outside 0-5000 ms.",
                           "Not sent: the delay typed is not a number."}));

    caps.delayUnit = 1;
    caps.maxDelayTime = 100000;
    h.Show(3, 4, 8, caps);
    Type(delay.txt, "-20");
    EXPECT_EQ(delay.txt->text(), "1000"); // refused: output 1's delay is back
    EXPECT_EQ(h.frame.refusals.back(), "Not sent: delay -20 ms is outside 0-100000 ms.");
    page.SelectedDelayTimeChange(-20);
    page.SelectedDelayTimeChange(70000); // 70000 steps
    EXPECT_TRUE(h.Line().empty());
    Type(delay.txt, "65535");
    EXPECT_EQ(h.Line(), (Lines{"1E:1:255", "1C:1:255", "1D:0:0", "1F:0:0"}));
    Drag(delay.sld, 3000); // the guard is clear: the slider still sends, both bytes
    EXPECT_EQ(h.Line(), (Lines{"1E:1:255", "1E:1:11", "1C:1:184", "1D:0:0", "1F:0:0"}));
}

TEST(AudioRules, BarWidthsDelayStepsAndTypedNumbers) {
    using namespace quadrel::AudioRules;
    // {value, border width, full scale, width}; no full scale gives no bar.
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

    // Typed text: rounded half away from zero; what the unit takes is the range rule's.
    const std::pair<const char*, Typed> texts[] = {
        {" 40 ", {Typed::Number, 40}},     {"7.5", {Typed::Number, 8}},
        {"-2.5", {Typed::Number, -3}},     {"", {Typed::Empty, 0}},
        {"  ", {Typed::Empty, 0}},         {".", {Typed::NotANumber, 0}},
        {"abc", {Typed::NotANumber, 0}},   {"inf", {Typed::NotANumber, 0}},
        {"70000", {Typed::Number, 70000}}, {"1e300", {Typed::Number, 1'000'000'000'000'000}}};
    for (const auto& [text, typed] : texts) {
        const Typed got = ReadTyped(text);
        EXPECT_TRUE(got.kind == typed.kind && got.value == typed.value) << text;
    }
    EXPECT_TRUE(IsLevelKey('.') && IsLevelKey('\b') && IsLevelKey('7'));
    EXPECT_FALSE(IsLevelKey('-') || IsLevelKey(QChar(0x0663))); // a digit, not "0" to "9"
}

// The one rule of what a unit takes, which quadrel-ctl and the typed values share.
TEST(SettingRange, LevelsDelaysMuteAndEdidAgainstWhatTheUnitReported) {
    QRD_INFO units;
    UnitCaps caps;
    caps.delayUnit = 10;
    caps.maxDelayTime = 3000;
    caps.bass = false;
    const UnitRef unit = AddUnitRecord(units, 1, 4, 8, caps);
    const std::tuple<Setting, int64_t, const char*> cases[] = {
        {Setting::Volumn, 0, ""},
        {Setting::Volumn, 100, ""},
        {Setting::Treble, 101, "treble 101 is outside 0-100"},
        {Setting::Subwoofer, -1, "subwoofer -1 is outside 0-100"},
        {Setting::Bass, 50, "the unit has no bass control"},
        {Setting::Mute, 1, ""},
        {Setting::Mute, 2, "mute 2 is neither 0 nor 1"},
        {Setting::Delay, 3000, ""},
        {Setting::Delay, 123, "delay 123 ms is not a multiple of the unit's 10 ms step"},
        {Setting::Delay, 3010, "delay 3010 ms is outside 0-3000 ms"},
        {Setting::Edid, 1, ""},
        {Setting::Edid, 2, "EDID 2 is neither 0 nor 1"},
    };
    for (const auto& [setting, value, why] : cases) {
        EXPECT_EQ(SettingRange::Refusal(setting, value, *unit), why) << value;
    }
    unit->objAudioINFO()->setiDelayUnit(0); // no step: no delay can be carried
    EXPECT_EQ(SettingRange::Refusal(Setting::Delay, 0, *unit), "the unit has no delay control");
    unit->objVideoINFO()->setblSupportEdidTypeSelect(false);
    EXPECT_EQ(SettingRange::Refusal(Setting::Edid, 0, *unit), "the unit has no EDID choice");
}

// A wanted colour is kept while it reads, else shaded (same hue) until it does.
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
