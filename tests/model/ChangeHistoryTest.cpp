// Taking the operator's changes back and making them again, on the emulator.
#include "support/SimCoreHarness.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;
using Outcome = ChangeHistory::Outcome;
using S = Setting;

namespace {

constexpr uint8_t kId = 1;

// Until the line is quiet, then through one poll.
bool Settle(SimCoreHarness& h) {
    if (!h.clock.advanceUntil([&] { return h.Idle(); }, 10s)) {
        return false;
    }
    h.views.redrawRunning.clear(); // the pages' 500 ms redraws are over
    h.clock.advance(1500ms);
    return h.clock.advanceUntil([&] { return h.Idle(); }, 10s);
}

// The live values that differ from `before`.
SettingValues Changed(SimCoreHarness& h, const SettingValues& before) {
    SettingValues out;
    for (const auto& [key, value] : h.core.history.LiveValues()) {
        if (before.at(key) != value) {
            out[key] = value;
        }
    }
    return out;
}

} // namespace

// One step that sets one value of every kind, a disconnect among them,
// taken back and made again; then the history's own rules. (The undo of a
// preset load is the end-to-end presets test's.)
TEST(ChangeHistory, EachKindIsTakenBackAndMadeAgainAndAMovedUnitRefusesTheUndo) {
    SimCoreHarness h;
    sim::Unit& unit = h.AddUnit(kId);
    for (size_t o = 0; o < 8; ++o) {
        unit.state().audio[o].input = unit.state().videoRoutes[o] = static_cast<uint8_t>(o + 1);
    }
    ASSERT_TRUE(h.Scan());
    ChangeHistory& history = h.core.history;
    CommandSenders& s = h.core.link.senders;
    const SettingValues before = history.LiveValues();
    ASSERT_EQ(before.size(), 8u * 8 + 8); // eight settings per output, EDID per input
    // A change that sets nothing new is not kept.
    history.Record({{{S::Volumn, 2}, 50}});
    EXPECT_FALSE(history.CanUndo());

    const SettingValues target = {
        {{S::AudioRoute, 2}, 5}, {{S::VideoRoute, 3}, 6}, {{S::AudioRoute, 4}, 0},
        {{S::VideoRoute, 4}, 0}, {{S::Mute, 1}, 1},       {{S::Volumn, 5}, 80},
        {{S::Bass, 5}, 10},      {{S::Treble, 6}, 90},    {{S::Subwoofer, 7}, 0},
        {{S::Delay, 8}, 250},    {{S::Edid, 3}, 1}};
    history.Record(target);
    s.CmdSetAudioSwitch(kId, 2, 5, 0);
    s.CmdSetVideoSwitch(kId, 3, 6, 0);
    s.CmdSetAudioSwitch(kId, 4, 0, 1);
    s.CmdSetVideoSwitch(kId, 4, 0, 1);
    s.CmdSetMute(kId, 1, 1, 0);
    s.CmdSetVolumnLevel(kId, 5, 80, 0);
    s.CmdSetBassLevel(kId, 5, 10, 0);
    s.CmdSetTrebleLevel(kId, 6, 90, 0);
    s.CmdSetSubwooferLevel(kId, 7, 0, 0);
    s.CmdSetDelayLevel(kId, 8, 50, 0);
    s.CmdSetEdidType(kId, 3, 1, 0);
    EXPECT_EQ(history.Undo(), Outcome::StillSending); // the unit has not answered yet
    ASSERT_TRUE(Settle(h));
    EXPECT_EQ(Changed(h, before), target);
    EXPECT_EQ(history.Undo(), Outcome::Sent);
    EXPECT_TRUE(h.views.busyPointer);
    ASSERT_TRUE(Settle(h));
    EXPECT_EQ(history.LiveValues(), before);
    EXPECT_TRUE(h.Differences(unit).empty());
    EXPECT_EQ(history.Undo(), Outcome::Nothing);
    EXPECT_EQ(history.Redo(), Outcome::Sent);
    ASSERT_TRUE(Settle(h));
    EXPECT_EQ(Changed(h, before), target);
    EXPECT_TRUE(h.Differences(unit).empty());
    EXPECT_EQ(history.Redo(), Outcome::Nothing);

    // Two changes before the unit answered the first (a held arrow key) are
    // one step; asked to undo before the answer, the history waits.
    history.Record({{{S::Volumn, 2}, 60}});
    s.CmdSetVolumnLevel(kId, 2, 60, 0);
    history.Record({{{S::Volumn, 2}, 70}});
    s.CmdSetVolumnLevel(kId, 2, 70, 0);
    EXPECT_EQ(history.Undo(), Outcome::StillSending);
    ASSERT_TRUE(Settle(h));
    // Another output changed on the unit: no bar to taking this one back.
    unit.state().audio[6].volume = 3;
    ASSERT_TRUE(Settle(h));
    EXPECT_EQ(history.Undo(), Outcome::Sent);
    ASSERT_TRUE(Settle(h));
    EXPECT_EQ(h.core.model.AudioOutputs[2].iVolumnLevel, 50);
    EXPECT_EQ(history.Redo(), Outcome::Sent);
    ASSERT_TRUE(Settle(h));
    EXPECT_EQ(h.core.model.AudioOutputs[2].iVolumnLevel, 70);

    // Someone else set the same output: undo sends nothing and forgets the steps.
    history.Record({{{S::AudioRoute, 1}, 4}});
    s.CmdSetAudioSwitch(kId, 1, 4, 0);
    ASSERT_TRUE(Settle(h));
    unit.state().audio[0].input = 6;
    ASSERT_TRUE(Settle(h));
    const size_t written = h.port.written().size();
    EXPECT_EQ(history.Undo(), Outcome::Moved);
    EXPECT_EQ(h.port.written().size(), written);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_EQ(unit.state().audio[0].input, 6);
    EXPECT_TRUE(ChangeHistory::Message(Outcome::Moved, kId).contains("unit 01 has changed"));
    EXPECT_TRUE(ChangeHistory::Message(Outcome::Sent, kId).isEmpty());
    EXPECT_EQ(h.trace.overlaps, 0);

    // Describe lists each port once, in order.
    EXPECT_EQ(ChangeHistory::Describe({{{S::Volumn, 3}, 50, 80},
                                       {{S::Edid, 2}, 0, 1},
                                       {{S::AudioRoute, 3}, 2, 0},
                                       {{S::Mute, 1}, 0, 1},
                                       {{S::Delay, 3}, 0, 250}}),
              (QStringList{"Output 1: mute off → on",
                           "Output 3: audio input 2 → none, volume 50 → 80, delay 0 ms → 250 ms",
                           "Input 2: EDID fixed → output 1"}));
}
