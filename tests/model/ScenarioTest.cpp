// The core against the emulated units in virtual time: scans, the units last
// seen on a port, the change history, a port switched under the line.
#include "link/CommandCodes.h"
#include "model/LastSeenStore.h"
#include "model/ProgramState.h"
#include "support/SimCoreHarness.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;
using Outcome = ChangeHistory::Outcome;
using S = Setting;
using Kept = std::vector<LastSeenStore::Unit>;

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

// Frames to `id` with `code` written since byte `from` of the line.
int Written(const SimCoreHarness& h, size_t from, uint8_t id, uint8_t code) {
    const std::vector<Bytes> f = h.Frames(from);
    return static_cast<int>(std::count_if(
        f.begin(), f.end(), [&](const Bytes& b) { return (b[0] & 0x1F) == id && b[1] == code; }));
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

// The last-seen store on the state file `file`, as a start opens it.
struct Store {
    explicit Store(const QString& file) : state(file) { store.setState(&state); }
    ProgramState state;
    LastSeenStore store;
};

Kept Read(const QString& file, int port) {
    return Store(file).store.Units(port);
}

bool ReadThrough(const SimCoreHarness& h, uint8_t id) {
    const UnitRef unit = h.core.model.objSelectedUnit;
    return unit && unit->bID() == id && unit->blExtendedRead() && !h.core.model.blLoadingStatus;
}

} // namespace

TEST(Scenario, ScanFindsEveryUnitReadsTheFirstAheadOfTheProbesAndEnds) {
    SimCoreHarness h;
    // Values unlike the defaults show every decoding.
    sim::UnitConfig first = SimCoreHarness::Config(2);
    first.memories = 12;
    first.delayStepMs = 10;
    first.longFrames = true;
    first.firmwareMajor = 2;
    first.firmwareMinor = 1;
    first.firmwareRevision = 10;
    sim::Unit& two = h.AddUnit(first);
    h.AddUnit(7, 4, 4);
    h.AddUnit(31, 16, 2);
    two.state().audio[2] = {4, true, 77, 9, 91, 3, 37};
    two.state().videoRoutes[1] = 5;
    two.state().edid[3] = 1;
    const ActivityStatus& activity = h.core.activity;
    h.core.status.SetScanning(true);
    EXPECT_EQ(activity.Text(), "Scanning ID 0 of 31: 0 units found");
    for (const auto& [id, text] :
         {std::pair<uint8_t, const char*>{3, "Scanning ID 3 of 31: 1 unit found"},
          {31, "Scanning ID 31 of 31: 2 units found"}}) {
        ASSERT_TRUE(h.clock.advanceUntil(
            [&, id = id] {
                const SEND_PACKET& c = h.core.link.queue.CurrentCommand();
                return c.bCommand == 0x3F && c.bID == id;
            },
            40s))
            << int(id);
        EXPECT_EQ(activity.Text(), text);
    }
    ASSERT_TRUE(h.clock.advanceUntil([&] { return !h.core.status.IsBusy(); }, 20s));
    EXPECT_EQ(activity.Text(), "Scan ended: 3 units found");
    EXPECT_EQ(h.core.model.objUnits().Count(), 3);
    const UnitRef unit = h.core.model.objSelectedUnit;
    ASSERT_TRUE(unit);
    EXPECT_EQ(unit->bID(), 2);
    EXPECT_FALSE(h.views.busyPointer);
    EXPECT_EQ(h.views.scanCaption, "S&can");
    EXPECT_EQ(unit->iMemoryCount(), 12);
    EXPECT_EQ(unit->iMaxCommandLB(), 254);
    EXPECT_TRUE(h.views.Called("SetUnitFirmwareText(2,2.1.10)"));
    EXPECT_TRUE(h.views.Called("Setup_SelectedDelayRange(1000,10)"));
    EXPECT_TRUE(h.Differences(two).empty()) << h.Differences(two).front();
    EXPECT_EQ(h.trace.overlaps, 0);

    // Unit 2's whole read went out between the probes of 2 and 3.
    const std::vector<Bytes> frames = h.Frames();
    const auto is = [](uint8_t address, uint8_t code) {
        return [=](const Bytes& f) { return f[0] == address && f[1] == code; };
    };
    const auto edid = std::find_if(frames.rbegin(), frames.rend(), is(0x22, kCmdGetEdidType));
    ASSERT_NE(edid, frames.rend()); // its EDID query closes its read
    EXPECT_TRUE(edid.base() <=
                std::find_if(frames.begin(), frames.end(), is(0x23, kCmdGetUnitInfo)));
    const auto probes = h.Probes();
    EXPECT_EQ(probes.front(), 0);
    EXPECT_EQ(probes.back(), 31);
}

TEST(Scenario, UnitFallingSilentMidReadIsGivenUpAskedAgainAndReadAfreshWhenBack) {
    SimCoreHarness h;
    sim::UnitConfig cfg = SimCoreHarness::Config(31);
    sim::FaultConfig faults;
    faults.silentAfterFrames = 40; // its read, then the first polls
    faults.silentForMs = 80000;
    cfg.faults = faults;
    sim::Unit& unit = h.AddUnit(cfg);
    unit.state().audio[1].volume = 33;
    ASSERT_TRUE(h.Scan());
    const UnitRef selected = h.core.model.objSelectedUnit;
    ASSERT_TRUE(selected);
    ASSERT_TRUE(h.clock.advanceUntil([&] { return !selected->blConnected(); }, 20s));
    EXPECT_FALSE(h.core.model.blLoadingStatus);
    EXPECT_EQ(h.core.activity.Text(),
              "Unit 1F is not answering: it is asked again in the background");
    // Its routes and levels stay in the model, not current, while it is silent, and
    // it is asked again: every 10 s, then every minute.
    const size_t before = h.port.written().size();
    h.clock.advance(35s);
    EXPECT_EQ(h.core.model.AudioOutputs[2].iVolumnLevel, 33);
    EXPECT_EQ(h.core.model.AudioOutputs[3].iInputPort, 3);
    EXPECT_EQ(Written(h, before, 31, kCmdGetUnitInfo), 3 * 3); // three probes, three tries each
    EXPECT_EQ(h.core.recovery.SecondsToNextTry(31), 60 - 5);

    // Back after 80 s: taken back, read afresh and polled within 70 s.
    unit.state().audio[0].volume = 12;
    ASSERT_TRUE(h.clock.advanceUntil(
        [&] { return selected->blConnected() && !h.core.status.IsBusy(); }, 120s));
    EXPECT_LT(std::chrono::duration<double>(h.clock.now()).count(), 80 + 70 + 40);
    EXPECT_EQ(h.core.model.AudioOutputs[1].iVolumnLevel, 12);
    EXPECT_TRUE(h.Differences(unit).empty());
    EXPECT_EQ(h.core.activity.Text(), "Unit 1F answers again: read afresh");
    EXPECT_TRUE(h.views.Called("Enable_QRD(true)"));
    EXPECT_FALSE(h.core.recovery.Waiting(31));
    const size_t polled = h.port.written().size();
    h.clock.advance(2s);
    EXPECT_GT(h.port.written().size(), polled);
}

TEST(Scenario, PortLostDuringTheScanEndsItAndGivesUpEveryUnitFound) {
    SimCoreHarness h;
    h.AddUnit(3);
    h.AddUnit(4);
    int told = 0;
    h.core.setOnPortLost([&] { ++told; });
    h.core.status.SetScanning(true);
    ASSERT_TRUE(h.clock.advanceUntil([&] { return h.core.model.objUnits().Count() == 2; }, 20s));
    const UnitRef selected = h.core.model.objSelectedUnit;
    ASSERT_TRUE(selected && h.core.status.IsBusy());
    h.core.model.AudioOutputs[2].iInputPort = 4;
    h.views.calls.clear();
    h.port.loseLine();
    h.clock.advance(10ms);
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(h.core.link.queue.SendQueue().empty());
    EXPECT_FALSE(h.core.status.IsBusy() || h.views.busyPointer);
    EXPECT_EQ(h.views.scanCaption, "S&can");
    EXPECT_FALSE(selected->blConnected() || h.core.model.FindUnit(4)->blConnected());
    // What was read stays shown, on pages that no longer act on it.
    EXPECT_EQ(h.core.model.AudioOutputs[2].iInputPort, 4);
    EXPECT_FALSE(h.core.recovery.Waiting(3)); // nothing to ask through a lost port
    for (const char* call : {"Enable_QRD(false)", "Enable_lstQRD(true)", "SetUnitIcon(3,RedON)",
                             "SetUnitIcon(4,RedON)"}) {
        EXPECT_TRUE(h.views.Called(call)) << call;
    }
    h.clock.advance(5s);
    EXPECT_FALSE(h.core.link.queue.IsWaitingForAnswer());
    EXPECT_EQ(h.core.activity.Text(), "The port was lost: no unit can be reached");
}

TEST(Scenario, EmptyLineScanAStoppedScanAndRequestsMadeBeforeAScan) {
    SimCoreHarness h;
    ASSERT_TRUE(h.Scan(40s));
    const double seconds = std::chrono::duration<double>(h.clock.now()).count();
    EXPECT_GE(seconds, 28.8);
    EXPECT_LE(seconds, 32.0);
    EXPECT_FALSE(h.views.busyPointer);
    EXPECT_EQ(h.core.model.objUnits().Count(), 0);
    EXPECT_EQ(h.core.activity.Text(), "Scan ended: no unit answered");

    h.AddUnit(0);
    const size_t before = h.port.written().size();
    h.core.status.SetScanning(true);
    ASSERT_TRUE(h.clock.advanceUntil([&] { return h.core.model.objUnits().Count() == 1; }, 5s));
    h.core.link.senders.CmdGetMute(0, 0, 0, 1); // a request of the unit found
    h.core.status.cmdScan_Click();
    EXPECT_EQ(h.views.scanCaption, "S&can");
    ASSERT_EQ(h.core.link.queue.SendQueue().size(), 1u);
    EXPECT_EQ(h.core.link.queue.SendQueue().front().bID, 0);
    h.clock.advance(5s);
    EXPECT_EQ(h.Probes(before), (std::vector<int>{0}));

    // Requests sent before a scan neither end it early nor cost a unit.
    sim::UnitConfig videoOnly = SimCoreHarness::Config(31, 8, 6);
    videoOnly.audio = false;
    h.AddUnit(2, 8, 6);
    h.AddUnit(videoOnly);
    ASSERT_TRUE(h.Scan());
    // The extended information of unit 2 is awaited when the scan starts.
    ASSERT_TRUE(h.clock.advanceUntil([&] { return h.Idle(); }, 5s));
    h.core.link.senders.CmdGetUnitInfo(2, 1, 1);
    ASSERT_TRUE(h.core.link.queue.IsWaitingForAnswer());
    ASSERT_TRUE(h.Scan());
    ASSERT_TRUE(h.core.model.FindUnit(2));
    EXPECT_TRUE(h.core.model.FindUnit(2)->blConnected());
    // Unit 31 refuses an audio query; its give-up is not the scan's probe of 31.
    ASSERT_TRUE(h.clock.advanceUntil([&] { return h.Idle(); }, 5s));
    h.core.link.senders.CmdGetMute(31, 0, 0, 1);
    ASSERT_TRUE(h.core.link.queue.IsWaitingForAnswer());
    const auto start = h.clock.now();
    ASSERT_TRUE(h.Scan());
    EXPECT_GT(h.clock.now() - start, 20s); // every probe was made
    EXPECT_EQ(h.core.model.objUnits().Count(), 3);
    EXPECT_TRUE(h.core.model.FindUnit(31));
    EXPECT_EQ(h.trace.overlaps, 0);
}

TEST(Scenario, SettingsPresetReadAndPollAfterTheScanFollowTheUnit) {
    SimCoreHarness h;
    sim::UnitConfig cfg = SimCoreHarness::Config(31);
    cfg.bass = cfg.treble = cfg.subwoofer = false;
    sim::Unit& unit = h.AddUnit(cfg);
    ASSERT_TRUE(h.Scan());
    CommandSenders& s = h.core.link.senders;
    s.CmdSetVolumnLevel(31, 2, 64, 0);
    s.CmdSetAudioSwitch(31, 2, 7, 0);
    s.CmdSetDelayLevel(31, 2, 150, 0); // 750 ms of at most 1000
    s.CmdSetEdidType(31, 4, 1, 1);
    s.CmdGetVolumnLevel(31, 0, 0, 1);
    s.CmdGetAudioSwitch(31, 0, 0, 1);
    s.CmdGetDelayLevel(31, 0, 0, 1);
    s.CmdGetEdidType(31, 0, 1);
    h.clock.advance(3s);
    EXPECT_EQ(h.core.model.AudioOutputs[2].iVolumnLevel, 64);
    EXPECT_EQ(h.core.model.AudioOutputs[2].iInputPort, 7);
    EXPECT_TRUE(h.core.model.Crosspoints[7][2].blAudio);
    EXPECT_EQ(h.core.model.AudioOutputs[2].lDelayTime, 750);
    EXPECT_EQ(h.core.model.VideoInputs[4].lEdidType, 1);
    EXPECT_TRUE(h.Differences(unit).empty());

    // A preset read walks the step table of the unit's controls; the live state stays.
    unit.state().audioPresets[2].outputs[0].volume = 9;
    ASSERT_TRUE(h.clock.advanceUntil([&] { return h.Idle(); }, 5s));
    const size_t before = h.port.written().size();
    h.views.memoryLocation = 3;
    h.core.status.SetLoadingMemory(true);
    ASSERT_TRUE(h.clock.advanceUntil([&] { return !h.core.model.blLoadingMemory; }, 10s));
    std::vector<std::string> frames;
    for (const Bytes& f : h.Frames(before)) {
        frames.push_back(std::to_string(f[1]) + ":" + std::to_string(f[3]));
    }
    EXPECT_EQ(frames, (std::vector<std::string>{"8:3", "7:3", "17:3", "19:3", "29:3", "31:3"}));
    EXPECT_TRUE(h.views.Called("SetMemoryRowVolumnLevel(1,true,9)"));
    EXPECT_EQ(h.core.model.AudioOutputs[1].iVolumnLevel, 50);

    // The poll follows the unit.
    h.views.redrawRunning.clear();
    unit.state().audio[4].volume = 3;
    unit.state().videoRoutes[0] = 8;
    h.clock.advance(3s);
    EXPECT_EQ(h.core.model.AudioOutputs[5].iVolumnLevel, 3);
    EXPECT_EQ(h.core.model.VideoOutputs[1].iInputPort, 8);
    EXPECT_EQ(h.trace.overlaps, 0);
}

// (The undo of a preset load is the end-to-end presets test's.)
TEST(ChangeHistory, EachKindIsTakenBackAndMadeAgainAndAMovedUnitRefusesTheUndo) {
    SimCoreHarness h;
    sim::Unit& unit = h.AddUnit(kId);
    for (size_t o = 0; o < 8; ++o) {
        unit.state().audio[o].input = unit.state().videoRoutes[o] = static_cast<uint8_t>(o + 1);
    }
    ASSERT_TRUE(h.Scan());
    ChangeHistory& history = h.core.history;
    // A change as a page makes it: kept for undo, then sent with its tag.
    const auto make = [&h](const SettingValues& values) {
        h.core.path.Send(Change::Of(kId, values), h.core.history.Record(values));
    };
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
    make(target);
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

    // A change made again while the last one's setting still waits (a held
    // arrow key) joins it; one whose setting has left is a step of its own,
    // however busy the line is. (No poll meanwhile: the first is written at once.)
    h.core.status.timRequestStatus().stop();
    make({{{S::Volumn, 2}, 60}}); // written at once
    make({{{S::Volumn, 2}, 70}}); // waits behind the first's query
    make({{{S::Volumn, 2}, 75}}); // withdraws 70 and joins its step
    EXPECT_EQ(history.Undo(), Outcome::StillSending);
    ASSERT_TRUE(Settle(h));
    EXPECT_EQ(h.core.model.AudioOutputs[2].iVolumnLevel, 75);
    // Another output changed on the unit: no bar to taking this one back.
    unit.state().audio[6].volume = 3;
    ASSERT_TRUE(Settle(h));
    EXPECT_EQ(history.Undo(), Outcome::Sent);
    ASSERT_TRUE(Settle(h));
    EXPECT_EQ(h.core.model.AudioOutputs[2].iVolumnLevel, 60);
    EXPECT_EQ(history.Undo(), Outcome::Sent);
    ASSERT_TRUE(Settle(h));
    EXPECT_EQ(h.core.model.AudioOutputs[2].iVolumnLevel, 50);
    EXPECT_EQ(history.Redo(), Outcome::Sent);
    EXPECT_EQ(history.Redo(), Outcome::StillSending); // the first redo is on its way
    ASSERT_TRUE(Settle(h));
    EXPECT_EQ(history.Redo(), Outcome::Sent);
    ASSERT_TRUE(Settle(h));
    EXPECT_EQ(h.core.model.AudioOutputs[2].iVolumnLevel, 75);
    h.core.status.timRequestStatus().start();

    // A route, then a disconnect of the same output once the route has left:
    // two steps, each undone on its own.
    ASSERT_EQ(unit.state().audio[1].input, 5);
    make({{{S::AudioRoute, 2}, 3}});
    ASSERT_TRUE(Settle(h));
    make({{{S::AudioRoute, 2}, 0}});
    ASSERT_TRUE(Settle(h));
    EXPECT_EQ(history.Undo(), Outcome::Sent);
    ASSERT_TRUE(Settle(h));
    EXPECT_EQ(unit.state().audio[1].input, 3);
    EXPECT_EQ(history.Undo(), Outcome::Sent);
    ASSERT_TRUE(Settle(h));
    EXPECT_EQ(unit.state().audio[1].input, 5);

    // Someone else set the same output: undo sends nothing and forgets the steps.
    make({{{S::AudioRoute, 1}, 4}});
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

    // A rescan forgets every step: an undo afterwards is refused and says why.
    make({{{S::Volumn, 1}, 33}});
    ASSERT_TRUE(Settle(h));
    ASSERT_TRUE(history.CanUndo());
    ASSERT_TRUE(h.Scan());
    ASSERT_TRUE(Settle(h));
    const size_t rescanned = h.port.written().size();
    EXPECT_EQ(history.Undo(), Outcome::Forgotten);
    EXPECT_EQ(history.Message(Outcome::Forgotten),
              "Nothing was sent: the changes to undo and redo were forgotten when the line was "
              "scanned.");
    EXPECT_EQ(h.port.written().size(), rescanned);
    // A step made on another port's unit of the same ID is not this one's.
    make({{{S::Volumn, 1}, 44}});
    ASSERT_TRUE(Settle(h));
    h.port.close();
    h.port.open(201, QStringLiteral("9600,n,8,1"));
    EXPECT_EQ(history.Undo(), Outcome::OtherUnit);
    EXPECT_EQ(unit.state().audio[0].volume, 44);

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

// The history keeps the last hundred changes: the oldest goes first.
TEST(ChangeHistory, KeepsTheLastHundredChanges) {
    SimCoreHarness h;
    h.AddUnit(kId);
    ASSERT_TRUE(h.Scan());
    h.core.status.timRequestStatus().stop();
    ChangeHistory& history = h.core.history;
    for (int i = 0; i <= 100; ++i) {
        const SettingValues values = {{{S::Volumn, 2}, i % 2 == 0 ? 10 : 20}};
        h.core.path.Send(Change::Of(kId, values), history.Record(values));
        ASSERT_TRUE(Settle(h));
    }
    int undone = 0;
    while (history.Undo() == Outcome::Sent) {
        ASSERT_TRUE(Settle(h));
        ++undone;
    }
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(history.LiveValues().at({S::Volumn, 2}), 10); // as the first change left it
}

// A delay off the unit's step would name another delay: nothing is queued.
// One reply lists at most 127 ports: on a larger unit a setting is read back by its port.
TEST(ChangePath, ADelayOffTheUnitsStepIsNotSentAndASettingOnALargeUnitIsReadBack) {
    SimCoreHarness h;
    sim::Unit& unit = h.AddUnit(kId, 200, 200);
    ASSERT_TRUE(h.Scan());
    h.core.status.timRequestStatus().stop();
    EXPECT_TRUE(h.core.path.Send(Change::Of(kId, {{{S::Delay, 2}, 7}})).empty());
    EXPECT_EQ(h.core.path.Send(Change::Of(kId, {{{S::Delay, 2}, 10}})),
              std::set<Setting>{S::Delay});
    ASSERT_TRUE(Settle(h));
    EXPECT_EQ(unit.state().audio[1].delayLevel * unit.config().delayStepMs, 10);

    h.core.path.Send(Change::Of(kId, {{{S::Volumn, 199}, 33}, {{S::Volumn, 5}, 44}}));
    ASSERT_TRUE(h.clock.advanceUntil([&] { return h.Idle(); }, 10s));
    EXPECT_EQ(unit.state().audio[198].volume, 33);
    EXPECT_EQ(h.core.model.AudioOutputs[199].iVolumnLevel, 33);
    EXPECT_EQ(h.core.model.AudioOutputs[5].iVolumnLevel, 44);
    // The next query of all ports is answered with ports 128 to 200: output
    // 5 is read back by its number.
    h.core.path.Send(Change::Of(kId, {{{S::Volumn, 5}, 45}}));
    ASSERT_TRUE(h.clock.advanceUntil([&] { return h.Idle(); }, 10s));
    EXPECT_EQ(h.core.model.AudioOutputs[5].iVolumnLevel, 45);
}

// The line keeps going by itself: a port switched at any moment of a scan or
// a read leaves nothing behind that stops the next line's scan and poll.
TEST(Recovery, APortSwitchedAtAnyMomentOfAScanOrAReadLeavesTheNextLineWorking) {
    // Port 7 has unit 5 to read; port 9 has unit 2. The switch comes at every
    // 23 ms of the first line's scan and read: mid-frame, mid-repeat, mid-read.
    for (int ms = 0; ms <= 9000; ms += 23) {
        SCOPED_TRACE(ms);
        SimCoreHarness h;
        h.port.close();
        h.port.addLine(7).addUnit(SimCoreHarness::Config(5));
        sim::ProtocolEngine& nine = h.port.addLine(9);
        nine.addUnit(SimCoreHarness::Config(2));
        ASSERT_TRUE(h.port.open(7, QStringLiteral("9600,n,8,1")));
        h.core.status.SetScanning(true);
        h.clock.advance(std::chrono::milliseconds(ms));

        // As Options does: the port closes, the other opens, a scan starts.
        h.port.close();
        h.core.link.PortLost();
        ASSERT_TRUE(h.port.open(9, QStringLiteral("9600,n,8,1")));
        h.core.status.SetScanning(true);
        const size_t from = h.port.written().size();
        ASSERT_TRUE(h.clock.advanceUntil([&] { return !h.core.status.IsBusy(); }, 60s));
        const UnitRef unit = h.core.model.objSelectedUnit;
        ASSERT_TRUE(unit && unit->bID() == 2);
        EXPECT_EQ(Written(h, from, 31, kCmdGetUnitInfo), 3); // the scan ran to its end
        // Polled: the routes are asked again within the poll's second.
        const int routes = Written(h, from, 2, kCmdGetAudioSwitch);
        h.clock.advance(2500ms);
        EXPECT_GT(Written(h, from, 2, kCmdGetAudioSwitch), routes);
        EXPECT_TRUE(h.Differences(*nine.unit(2)).empty());
    }
}

// The units last seen on a port: asked first by the next scan (the next
// start's too), listed meanwhile as last seen, kept per port.
TEST(LastSeen, NextStartAsksThemFirstListsThemAtOnceAndForgetsOnlyWhatTheScanMissed) {
    QTemporaryDir dir;
    const QString file = dir.filePath("state.ini");
    ProgramState state(file);
    {
        SimCoreHarness before;
        before.core.status.memory().store().setState(&state);
        before.AddUnit(3);
        before.AddUnit(20, 16, 8);
        before.AddUnit(27);
        ASSERT_TRUE(before.Scan());
        // The operator picks unit 20: it comes first next time.
        before.core.model.objSelectedUnit = before.core.model.FindUnit(20);
        before.core.status.memory().Keep();
    }
    EXPECT_EQ(Read(file, 200), (Kept{{20, "Unit 20"}, {3, "Unit 3"}, {27, "Unit 27"}}));

    // The next start: unit 27 is gone.
    SimCoreHarness h;
    h.core.status.memory().store().setState(&state);
    sim::Unit& twenty = h.AddUnit(20, 16, 8);
    h.AddUnit(3);
    h.core.status.SetScanning(true);
    EXPECT_EQ(h.views.Matching("ShowLastSeenRow"),
              (std::vector<std::string>{"ShowLastSeenRow(20,Unit 20)", "ShowLastSeenRow(3,Unit 3)",
                                        "ShowLastSeenRow(27,Unit 27)"}));
    EXPECT_EQ(h.core.activity.Text(), "Scanning ID 20 of 31, last seen here: 0 units found");
    // Read through within 3 s at 9600 baud, ahead of every other probe.
    ASSERT_TRUE(h.clock.advanceUntil([&] { return ReadThrough(h, 20); }, 3s));
    EXPECT_TRUE(h.Differences(twenty).empty());
    // The next probe leaves with the read's last answer.
    EXPECT_EQ(h.Probes(), (std::vector<int>{20, 3}));
    EXPECT_EQ(h.port.written()[h.port.written().size() - 5], 0x23);
    ASSERT_TRUE(h.clock.advanceUntil([&] { return !h.core.status.IsBusy(); }, 40s));
    std::vector<int> order = {20, 3, 27, 0, 1, 2};
    for (int id = 4; id <= 31; ++id) {
        if (id != 20 && id != 27) {
            order.push_back(id);
        }
    }
    EXPECT_EQ(h.Probes(), order);
    EXPECT_EQ(h.views.Matching("DropLastSeenRows"),
              (std::vector<std::string>{"DropLastSeenRows(27)", "DropLastSeenRows(-1)"}));
    EXPECT_EQ(h.core.activity.Text(), "Scan ended: 2 units found");
    EXPECT_EQ(Read(file, 200), (Kept{{20, "Unit 20"}, {3, "Unit 3"}}));

    // Another line has its own units; a stopped scan forgets none it did not ask.
    h.port.addLine(201).addUnit(SimCoreHarness::Config(9));
    h.port.close();
    h.port.open(201, QStringLiteral("9600,n,8,1"));
    size_t from = h.port.written().size();
    ASSERT_TRUE(h.Scan());
    EXPECT_EQ(h.Probes(from).front(), 0);
    EXPECT_EQ(Read(file, 201), (Kept{{9, "Unit 9"}}));
    h.port.close();
    h.port.open(200, QStringLiteral("9600,n,8,1"));
    from = h.port.written().size();
    h.core.status.SetScanning(true);
    h.core.status.cmdScan_Click();
    h.clock.advance(2s);
    EXPECT_EQ(h.Probes(from), (std::vector<int>{20}));
    EXPECT_EQ(Read(file, 200), (Kept{{20, "Unit 20"}, {3, "Unit 3"}}));

    // A scan started while the unit's request is awaited: no second probe of
    // it, and its read still comes ahead of the other probes.
    ASSERT_TRUE(h.Scan());
    ASSERT_TRUE(h.clock.advanceUntil([&] { return h.Idle(); }, 5s));
    h.core.link.senders.CmdGetMute(20, 0, 0, 1);
    from = h.port.written().size();
    h.core.status.SetScanning(true);
    ASSERT_TRUE(h.clock.advanceUntil([&] { return ReadThrough(h, 20); }, 3s));
    EXPECT_EQ(h.Probes(from), (std::vector<int>{20, 3}));
    EXPECT_EQ(h.trace.overlaps, 0);
}

TEST(LastSeen, DamagedForeignOrOversizedValuesReadAsNoneAndNamesComeBackAsKept) {
    QTemporaryDir dir;
    const QString file = dir.filePath("state.ini");
    Kept many;
    for (uint8_t id = 0; id < 32; ++id) {
        many.push_back({id, QStringLiteral("Unit, \"%1\" = ;#").arg(id)});
    }
    {
        Store s(file);
        s.store.Keep(7, many);
        s.store.Keep(8, {{31, ""}});
    }
    EXPECT_EQ(Read(file, 7), many);
    EXPECT_EQ(Read(file, 8), (Kept{{31, ""}}));
    EXPECT_EQ(Read(file, 9), Kept{});
    const std::vector<std::pair<QString, QVariant>> bad = {
        {"LastSeen/COM7", QStringList{"2 A", "2 B"}},
        {"LastSeen/COM7", QStringList{"32 X"}},
        {"LastSeen/COM7", QStringList{"-1 X"}},
        {"LastSeen/COM7", QStringList{"x Hall"}},
        {"LastSeen/COM7", QStringList(33, "1 A")},
        {"LastSeen/COM7", QStringList{"1 " + QString(253, 'n')}},
        {"LastSeen/Format", 2},
    };
    for (const auto& [key, value] : bad) {
        QFile::remove(file);
        Store(file).store.Keep(7, {{1, "A"}});
        QSettings(file, QSettings::IniFormat).setValue(key, value);
        EXPECT_EQ(Read(file, 7), Kept{})
            << key.toStdString() << " " << value.toString().toStdString();
    }
}
