// The reply handlers, the scan, the status read and the poll on a scripted port.
#include "support/CoreHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

// Unit 1, with 4 inputs, selected.
struct OneUnit : CoreHarness {
    explicit OneUnit(int outputs = 4, const Caps& caps = Caps()) {
        AddUnit(1, 4, outputs, caps);
        Select(1);
    }
};

struct Handlers : ::testing::Test {
    OneUnit h{8};
    UnitRef unit = h.core.model.objSelectedUnit;
    CommandSenders& send() { return h.core.link.senders; }
    bool Waiting() { return h.core.link.queue.IsWaitingForAnswer(); }
};

Bytes Info(uint8_t flags, uint8_t outputs, uint8_t inputs, const std::string& name) {
    Bytes b;
    b.reserve(3 + name.size()); // spares GCC a false array-bounds warning
    b.push_back(flags);
    b.push_back(outputs);
    b.push_back(inputs);
    b.insert(b.end(), name.begin(), name.end());
    return b;
}

// Ports 1 to `count`, each with `value`.
Bytes Pairs(int count, uint8_t value) {
    Bytes b;
    for (int p = 1; p <= count; ++p) {
        b.push_back(static_cast<uint8_t>(p));
        b.push_back(value);
    }
    return b;
}

// What went out, then what waits to go.
std::vector<std::string> SentAndWaiting(CoreHarness& h) {
    std::vector<std::string> all = h.Sent();
    const auto waiting = h.Waiting();
    all.insert(all.end(), waiting.begin(), waiting.end());
    return all;
}

} // namespace

TEST_F(Handlers, LevelRepliesRestartTheirOwnRedrawForTheSelectedUnitOnlyDelayLowThenHigh) {
    std::vector<std::string> redraws;
    for (auto ask : {&CommandSenders::CmdGetMute, &CommandSenders::CmdGetVolumnLevel,
                     &CommandSenders::CmdGetBassLevel, &CommandSenders::CmdGetTrebleLevel,
                     &CommandSenders::CmdGetSubwooferLevel, &CommandSenders::CmdGetDelayLevel}) {
        (send().*ask)(1, 0, 0, 1);
        redraws.push_back("RestartSelectedRedraw(" + std::to_string(redraws.size()) + ")");
    }
    for (int reply = 0; reply < 7; ++reply) { // the delay is two replies
        h.Reply({0x01, 0x01});
    }
    EXPECT_FALSE(Waiting());
    EXPECT_EQ(h.views.Matching("RestartSelectedRedraw"), redraws);

    h.views.calls.clear();
    send().CmdGetDelayLevel(1, 0, 0, 1);
    h.Reply({0x03, 0xE8});
    EXPECT_EQ(h.core.model.AudioOutputs[3].bDelayLevelLow, 0xE8);
    EXPECT_TRUE(h.views.Matching("Draw_AudioOutputDelayTime").empty());
    h.Reply({0x03, 0x03});
    EXPECT_EQ(h.core.model.AudioOutputs[3].lDelayTime, 5000);
    EXPECT_TRUE(h.views.Called("Draw_AudioOutputDelayTime(3)"));
    // A high byte above 127 is just a large level, not a negative one.
    unit->objAudioINFO()->setlMaxDelayLevel(0xFFFF);
    send().CmdGetDelayLevel(1, 0, 0, 1);
    h.Reply({0x01, 0xFF});
    h.Reply({0x01, 0xFF});
    EXPECT_EQ(h.core.model.AudioOutputs[1].lDelayTime, 0xFFFF * 5);

    // Replies of another unit, or of this one given up, are taken and change nothing.
    h.AddUnit(2, 4, 4);
    send().CmdGetVolumnLevel(2, 0, 0, 1);
    h.Reply({0x01, 0x50});
    EXPECT_FALSE(Waiting());
    unit->setblConnected(false);
    send().CmdGetVolumnLevel(1, 0, 0, 1);
    h.Reply({0x01, 0x50});
    EXPECT_EQ(h.core.model.AudioOutputs[1].iVolumnLevel, 1);
}

TEST_F(Handlers, BadRepliesAreRefusedSoTheRequestIsRepeated) {
    // A bad pair: the pairs before it stay, and the same frame goes again.
    send().CmdGetMute(1, 0, 0, 1);
    h.Reply({0x01, 0x01, 0x02, 0x02}); // mute value 2 is no mute state
    EXPECT_EQ(h.core.model.AudioOutputs[1].lMuteStatus, 1);
    EXPECT_EQ(h.core.model.AudioOutputs[2].lMuteStatus, 0);
    EXPECT_FALSE(h.views.Called("RestartSelectedRedraw(0)"));
    h.clock.advance(300ms);
    ASSERT_EQ(h.port.writes.size(), 2u);
    EXPECT_EQ(h.port.writes[0], h.port.writes[1]);

    struct Case {
        const char* what;
        std::function<void(CommandSenders&)> ask;
        std::vector<Bytes> replies;
    };
    const Case cases[] = {
        {"level 101", [](auto& s) { s.CmdGetVolumnLevel(1, 0, 0, 1); }, {{0x05, 0x65}}},
        {"output 9 of 8", [](auto& s) { s.CmdGetVolumnLevel(1, 0, 0, 1); }, {{0x09, 0x10}}},
        {"output 0", [](auto& s) { s.CmdGetVolumnLevel(1, 0, 0, 1); }, {{0x00, 0x10}}},
        {"route from input 5 of 4", [](auto& s) { s.CmdGetVideoSwitch(1, 0, 0, 1); }, {{1, 5}}},
        {"plug of input 5 of 4", [](auto& s) { s.CmdGetAudioInputPlug(1, 0, 2); }, {{5, 1}}},
        {"delay level 1001 of 1000",
         [](auto& s) { s.CmdGetDelayLevel(1, 0, 0, 1); },
         {{0x03, 0xE9}, {0x03, 0x03}}},
        {"delay high byte 128",
         [](auto& s) { s.CmdGetDelayLevel(1, 0, 0, 1); },
         {{0x01, 0x00}, {0x01, 0x80}}},
        {"delay claimed without its maximum",
         [](auto& s) { s.CmdGetUnitInfo(1, 1, 1); },
         {{0x81, 0x80, 0xCF, 0x0F}}},
        {"extended information of an unknown unit",
         [](auto& s) { s.CmdGetUnitInfo(9, 1, 1); },
         {{0x00, 0x00, 0x00, 0x00}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OneUnit g(8);
        c.ask(g.core.link.senders);
        for (const Bytes& reply : c.replies) {
            g.Reply(reply);
        }
        EXPECT_TRUE(g.core.link.queue.IsWaitingForAnswer());
        EXPECT_TRUE(g.views.Matching("Draw_").empty());
        EXPECT_EQ(g.core.model.objUnits().Count(), 1);
        EXPECT_EQ(g.core.model.FindUnit(1)->iMaxCommandLB(), 128);
    }
}

TEST_F(Handlers, PresetRepliesGoToTheChosenLocationOnlyAndThePointerRule) {
    h.views.memoryLocation = 2;
    h.core.model.AudioOutputs[2].bDelayLevelLow = 0x11;
    send().CmdGetVolumnLevel(1, 0, 2, 1);
    h.Reply({0x01, 0x32});
    send().CmdGetAudioSwitch(1, 0, 2, 1);
    h.Reply({0x03, 0x04});
    send().CmdGetMute(1, 0, 2, 1);
    h.Reply({0x03, 0x01});
    // A preset's delay bytes meet in their own table: the live low byte stays.
    send().CmdGetDelayLevel(1, 0, 2, 1);
    h.Reply({0x02, 0x64});
    h.Reply({0x02, 0x00});
    EXPECT_EQ(h.views.Matching("SetMemoryRow"),
              (std::vector<std::string>{
                  "SetMemoryRowVolumnLevel(1,true,50)", "SetMemoryRowInput(A,3,4)",
                  "SetMemoryRowMuteStatus(3,true,1)", "SetMemoryRowDelayTime(2,true,500)"}));
    EXPECT_EQ(h.core.model.AudioOutputs[1].iVolumnLevel, 0);
    EXPECT_EQ(h.core.model.AudioOutputs[3].iInputPort, 0);
    EXPECT_EQ(h.core.model.AudioOutputs[2].bDelayLevelLow, 0x11);
    EXPECT_EQ(h.core.model.MemoryAudioOutputs[2].bDelayLevelLow, 0x64);

    // The operator has moved on to location 3: the reply for 2 is taken and dropped.
    h.views.calls.clear();
    h.views.memoryLocation = 3;
    send().CmdGetVolumnLevel(1, 0, 2, 1);
    h.Reply({0x01, 0x32});
    EXPECT_TRUE(h.views.Matching("SetMemoryRow").empty());
    EXPECT_FALSE(Waiting());

    // The busy pointer is left on by polls, presets and busy reads.
    h.views.busyPointer = true;
    h.views.memoryLocation = 1;
    send().CmdGetVolumnLevel(1, 0, 0, 2); // a poll
    h.Reply({0x01, 0x10});
    send().CmdGetVolumnLevel(1, 0, 1, 1); // a preset
    h.Reply({0x01, 0x10});
    EXPECT_TRUE(h.views.busyPointer);
    send().CmdGetEdidType(1, 0, 1); // EDID ignores the location test
    h.Reply({0x01, 0x00});
    EXPECT_FALSE(h.views.busyPointer);
    h.views.busyPointer = true;
    h.core.model.blLoadingStatus = true;
    send().CmdGetVolumnLevel(1, 0, 0, 1);
    h.Reply({0x01, 0x10});
    EXPECT_TRUE(h.views.busyPointer);
}

// The first unit found is selected and read; later ones only listed; a refresh keeps the record.
TEST(InfoReplies, FirstUnitFoundIsSelectedAndReadLaterOnesOnlyListed) {
    CoreHarness h;
    h.core.link.senders.CmdGetUnitInfo(5, 0, 1);
    h.Reply(Info(0x03, 8, 4, "ABCD"));
    const UnitRef unit = h.core.model.FindUnit(5);
    ASSERT_TRUE(unit);
    EXPECT_EQ(h.core.model.objSelectedUnit, unit);
    EXPECT_EQ(unit->sName(), "ABCD");
    EXPECT_EQ(std::tuple(unit->iMemoryCount(), unit->iOutputCount(), unit->iInputCount()),
              std::tuple(3, 8, 4));
    EXPECT_FALSE(unit->objAudioINFO()->blEnabled() || unit->objVideoINFO()->blEnabled());
    EXPECT_FALSE(h.core.model.blLoadingStatus || h.views.busyPointer);
    EXPECT_TRUE(h.views.Called("FillMemoryLocations()"));
    EXPECT_TRUE(h.core.link.queue.SendQueue().empty());

    h.core.link.senders.CmdGetUnitInfo(6, 0, 1);
    h.Reply(Info(0xCF, 8, 4, ""));
    const UnitRef six = h.core.model.FindUnit(6);
    EXPECT_EQ(six->iMemoryCount(), 15); // all four bits
    EXPECT_TRUE(six->objAudioINFO()->blEnabled() && six->objVideoINFO()->blEnabled());
    h.core.link.senders.CmdGetUnitInfo(6, 0, 1);
    h.Reply(Info(0x05, 16, 4, "Six bis"));
    EXPECT_EQ(h.core.model.FindUnit(6), six);
    EXPECT_EQ(six->iOutputCount(), 16);
    EXPECT_EQ(h.core.model.objUnits().Count(), 2);
    EXPECT_EQ(h.core.model.objSelectedUnit, unit);

    CoreHarness g;
    g.core.link.senders.CmdGetUnitInfo(2, 0, 1);
    g.Reply(Info(0xC3, 8, 4, "AV"));
    EXPECT_EQ(g.Sent().back(), "08:0:0"); // audio map first, written at once
    EXPECT_EQ(g.Waiting(), (std::vector<std::string>{"07:0:0"}));
    // Output 1 only: the read asks for the audio map again, behind the video map.
    g.Reply({0x01, 0x02});
    EXPECT_EQ(g.Sent().back(), "07:0:0");
    EXPECT_EQ(g.Waiting(), (std::vector<std::string>{"08:0:0"}));
    g.Reply(Pairs(8, 3));
    EXPECT_TRUE(g.core.model.blLoadingStatus); // the last step, but audio outputs 2 to 8 unknown
    g.Reply(Pairs(8, 2));
    EXPECT_FALSE(g.core.model.blLoadingStatus);
    EXPECT_TRUE(g.views.Called("Setup_AllViews()"));
}

TEST_F(Handlers, ScanStartEmptiesTheModelAndQueuesThirtyTwoProbes) {
    h.core.model.blLoadingStatus = true;
    send().CmdGetMute(1, 0, 0, 1);
    send().CmdGetMute(1, 0, 0, 1);
    h.Sent();
    h.core.status.SetScanning(true);
    EXPECT_FALSE(h.core.model.blLoadingStatus);
    EXPECT_EQ(h.core.model.objUnits().Count(), 0);
    EXPECT_FALSE(h.core.model.objSelectedUnit);
    EXPECT_TRUE(h.views.busyPointer);
    EXPECT_EQ(h.views.scanCaption, "Stop S&can");
    const auto waiting = h.Waiting();
    ASSERT_EQ(waiting.size(), 32u); // the awaited mute query stays; 32 probes wait
    EXPECT_EQ(h.core.link.queue.SendQueue().front().bID, 0);
    EXPECT_EQ(h.core.link.queue.SendQueue().back().bID, 31);
    EXPECT_TRUE(h.views.Called("UntickSelectAll()"));
    EXPECT_TRUE(h.views.Called("ClearUnitList()"));
}

TEST(StatusRead, NoAudioControlsEndsAtTheEdidReply) {
    CoreHarness::Caps caps;
    caps.volume = caps.bass = caps.treble = caps.subwoofer = caps.delay = false;
    caps.firmware = false;
    OneUnit h(4, caps);
    h.core.status.SetLoadingStatus(true);
    h.core.status.RequestUnitStatus(0);
    EXPECT_EQ(SentAndWaiting(h), (std::vector<std::string>{"08:0:0", "07:0:0", "0A:0:0", "09:0:0",
                                                           "0C:0:0", "0B:0:0", "21:0:0"}));
    for (int i = 0; i < 6; ++i) {
        h.Reply(Pairs(4, 0));
    }
    EXPECT_TRUE(h.core.model.blLoadingStatus);
    h.Reply(Pairs(4, 1));
    EXPECT_FALSE(h.core.model.blLoadingStatus);

    // A unit that names no port is asked for all twice more, then port by
    // port, once each; the read then ends whatever it says.
    OneUnit e(4, caps);
    e.core.status.SetLoadingStatus(true);
    e.core.status.RequestUnitStatus(0);
    std::vector<std::string> asked;
    for (int i = 0; i < 100 && e.core.model.blLoadingStatus; ++i) {
        const auto sent = e.Sent();
        asked.insert(asked.end(), sent.begin(), sent.end());
        e.Reply({});
    }
    EXPECT_FALSE(e.core.model.blLoadingStatus);
    EXPECT_EQ(asked.size(), 7u * (3 + 4));
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "08:0:0"), 3);
    for (const char* port : {"08:1:0", "08:2:0", "08:3:0", "08:4:0", "21:4:0"}) {
        EXPECT_EQ(std::count(asked.begin(), asked.end(), port), 1) << port;
    }

    // An EDID query already waiting is withdrawn: the read asks once.
    OneUnit g(4, caps);
    g.core.link.senders.CmdGetMute(1, 0, 0, 1);
    g.core.link.senders.CmdGetEdidType(1, 0, 2);
    g.core.status.SetLoadingStatus(true);
    g.core.status.RequestUnitStatus(0);
    const auto queued = g.Waiting();
    EXPECT_EQ(std::count(queued.begin(), queued.end(), "21:0:0"), 1);
}

TEST_F(Handlers, StatusPollOnlyOnAnIdleLineNeverTwiceAndSkipsValuesBeingRedrawn) {
    h.views.redrawRunning[AudioValue::Volumn] = true;
    h.clock.advance(1s);
    const size_t waiting = h.Waiting().size();
    EXPECT_EQ(SentAndWaiting(h),
              (std::vector<std::string>{"0A:0:0", "09:0:0", "0C:0:0", "0B:0:0", "07:0:0", "08:0:0",
                                        "21:0:0", "11:0:0", "15:0:0", "17:0:0", "19:0:0", "1D:0:0",
                                        "1F:0:0"}));
    EXPECT_EQ(h.core.link.queue.SendQueue().front().lPriority, 2);
    // Line busy: another tick adds nothing.
    h.Reply({});
    h.core.status.StatusPoll();
    EXPECT_EQ(h.Waiting().size(), waiting - 1);
    // Busy states and an unconnected unit stop it too.
    OneUnit g;
    g.core.model.objSelectedUnit->setblConnected(false);
    g.clock.advance(3s);
    EXPECT_TRUE(g.port.writes.empty());
    g.core.model.objSelectedUnit->setblConnected(true);
    g.core.model.blLoadingMemory = true;
    g.clock.advance(3s);
    EXPECT_TRUE(g.port.writes.empty());
    // Frames waiting out the quiet after a repeat: the poll waits behind them.
    OneUnit q;
    q.core.link.senders.CmdGetMute(1, 0, 0, 1);
    q.core.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
    q.clock.advance(300ms);
    q.Reply({0x01, 0x00});
    ASSERT_FALSE(q.core.link.queue.IsWaitingForAnswer());
    const size_t queued = q.Waiting().size();
    ASSERT_GT(queued, 0u);
    q.core.status.StatusPoll();
    EXPECT_EQ(q.Waiting().size(), queued);
}

TEST_F(Handlers, ClosedPortNoReadOrScanWaitsForAnAnswerThatCannotCome) {
    h.port.close();
    h.core.status.SetLoadingStatus(true);
    h.core.link.senders.CmdGetUnitInfo(1, 0, 1);
    EXPECT_FALSE(h.core.status.IsBusy() || h.views.busyPointer);
    h.views.calls.clear(); // the scan button: a scan that ends at once, not a stop

    h.core.status.cmdScan_Click();
    EXPECT_FALSE(h.core.status.IsBusy());
    EXPECT_EQ(h.views.scanCaption, "S&can");
    EXPECT_FALSE(h.views.busyPointer || h.core.model.blScanning);
    EXPECT_FALSE(h.views.Called("Setup_AllViews()"));
    EXPECT_FALSE(h.views.Called("Enable_QRD(true)"));
}
