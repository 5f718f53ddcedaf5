#include "support/CoreHarness.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

struct Handlers : ::testing::Test {
    CoreHarness h;
    UnitRef unit;
    void SetUp() override {
        unit = h.AddUnit(1, 4, 8);
        h.Select(1);
    }
    CommandSenders& send() { return h.core.link.senders; }
    bool Waiting() { return h.core.link.queue.IsWaitingForAnswer(); }
};

} // namespace

TEST_F(Handlers, SwitchReplyMovesTheCrosspointFlags) {
    h.core.model.SetVideoRoute(2, 4, h.views);
    h.views.calls.clear();
    send().CmdGetVideoSwitch(1, 0, 0, 1);
    h.Reply({0x01, 0x03, 0x02, 0x00});
    EXPECT_EQ(h.core.model.VideoOutputs[1].iInputPort, 3);
    EXPECT_EQ(h.core.model.VideoOutputs[2].iInputPort, 0);
    EXPECT_TRUE(h.core.model.Crosspoints[3][1].blVideo);
    EXPECT_FALSE(h.core.model.Crosspoints[4][2].blVideo);
    EXPECT_FALSE(h.core.model.Crosspoints[3][1].blAudio);
    EXPECT_EQ(h.views.Matching("Draw_Crosspoint"),
              (std::vector<std::string>{"Draw_Crosspoint(3,1)", "Draw_Crosspoint(4,2)",
                                        "Draw_Crosspoint(0,2)"}));
    EXPECT_FALSE(Waiting());

    // Input 5 of a 4-input unit is no route: refused, so the query is repeated.
    send().CmdGetVideoSwitch(1, 0, 0, 1);
    h.Reply({0x01, 0x05});
    EXPECT_EQ(h.core.model.VideoOutputs[1].iInputPort, 3);
    EXPECT_TRUE(Waiting());
}

TEST_F(Handlers, RejectedPairKeepsEarlierPairsAndLeavesTheRequestToBeRepeated) {
    send().CmdGetMute(1, 0, 0, 1);
    h.Reply({0x01, 0x01, 0x02, 0x02}); // mute value 2 is no mute state
    EXPECT_EQ(h.core.model.AudioOutputs[1].lMuteStatus, 1);
    EXPECT_EQ(h.core.model.AudioOutputs[2].lMuteStatus, 0);
    EXPECT_TRUE(Waiting());
    EXPECT_FALSE(h.views.Called("RestartSelectedRedraw(0)"));
    h.clock.advance(300ms);
    EXPECT_EQ(h.port.writes.size(), 2u);
    EXPECT_EQ(h.port.writes[0], h.port.writes[1]);

    for (const Bytes& bad : {Bytes{0x05, 0x65}, Bytes{0x09, 0x10}, Bytes{0x00, 0x10}}) {
        CoreHarness g;
        g.AddUnit(1, 4, 8);
        g.Select(1);
        g.core.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
        g.Reply(bad); // level 101, output 9 of 8, output 0
        EXPECT_TRUE(g.core.link.queue.IsWaitingForAnswer());
        EXPECT_TRUE(g.views.Matching("Draw_AudioOutputVolumnLevel").empty());
    }
}

TEST_F(Handlers, LevelRepliesStoreRedrawAndRestartTheirTimer) {
    send().CmdGetVolumnLevel(1, 0, 0, 1);
    h.Reply({0x01, 0x32, 0x02, 0x1E});
    send().CmdGetBassLevel(1, 0, 0, 1);
    h.Reply({0x08, 0x64});
    send().CmdGetTrebleLevel(1, 0, 0, 1);
    h.Reply({0x03, 0x00});
    send().CmdGetSubwooferLevel(1, 0, 0, 1);
    h.Reply({0x04, 0x07});
    const auto& out = h.core.model.AudioOutputs;
    EXPECT_EQ(out[1].iVolumnLevel, 50);
    EXPECT_EQ(out[2].iVolumnLevel, 30);
    EXPECT_EQ(out[8].iBassLevel, 100);
    EXPECT_EQ(out[4].iSubwooferLevel, 7);
    EXPECT_TRUE(h.views.Called("Draw_AudioOutputVolumnLevel(2)"));
    EXPECT_TRUE(h.views.Called("Draw_AudioOutputBassLevel(8)"));
    EXPECT_TRUE(h.views.Called("Draw_AudioOutputTrebleLevel(3)"));
    EXPECT_TRUE(h.views.Called("Draw_AudioOutputSubwooferLevel(4)"));
    for (int v = 1; v <= 4; ++v) {
        EXPECT_TRUE(h.views.IsSelectedRedrawRunning(static_cast<AudioValue>(v))) << v;
    }
    EXPECT_FALSE(Waiting());
}

TEST_F(Handlers, PresetRepliesGoToTheMemoryRowsOfTheChosenLocationOnly) {
    h.views.memoryLocation = 2;
    send().CmdGetVolumnLevel(1, 0, 2, 1);
    h.Reply({0x01, 0x32});
    send().CmdGetAudioSwitch(1, 0, 2, 1);
    h.Reply({0x03, 0x04});
    send().CmdGetMute(1, 0, 2, 1);
    h.Reply({0x03, 0x01});
    EXPECT_EQ(
        h.views.Matching("SetMemoryRow"),
        (std::vector<std::string>{"SetMemoryRowVolumnLevel(1,true,50)", "SetMemoryRowInput(A,3,4)",
                                  "SetMemoryRowMuteStatus(3,true,1)"}));
    EXPECT_EQ(h.core.model.AudioOutputs[1].iVolumnLevel, 0);
    EXPECT_EQ(h.core.model.AudioOutputs[3].iInputPort, 0);

    // The operator has moved on to location 3: the reply for 2 is dropped,
    // but still taken.
    h.views.calls.clear();
    h.views.memoryLocation = 3;
    send().CmdGetVolumnLevel(1, 0, 2, 1);
    h.Reply({0x01, 0x32});
    EXPECT_TRUE(h.views.Matching("SetMemoryRow").empty());
    EXPECT_FALSE(Waiting());
}

TEST_F(Handlers, DelayFromLowAndHighBytes) {
    auto audio = unit->objAudioINFO();
    audio->setiDelayUnit(5);
    audio->setlMaxDelayLevel(1000);
    send().CmdGetDelayLevel(1, 0, 0, 1);
    h.Reply({0x03, 0xE8});
    EXPECT_EQ(h.core.model.AudioOutputs[3].bDelayLevelLow, 0xE8);
    EXPECT_TRUE(h.views.Matching("Draw_AudioOutputDelayTime").empty());
    h.Reply({0x03, 0x03});
    EXPECT_EQ(h.core.model.AudioOutputs[3].lDelayTime, 5000);
    EXPECT_TRUE(h.views.Called("Draw_AudioOutputDelayTime(3)"));

    audio->setlMaxDelayLevel(999);
    send().CmdGetDelayLevel(1, 0, 0, 1);
    h.Reply({0x03, 0xE8});
    h.Reply({0x03, 0x03});
    EXPECT_TRUE(Waiting()); // level 1000 > 999: rejected, repeated
    EXPECT_EQ(h.core.model.AudioOutputs[3].lDelayTime, 5000);

    // A high byte above 127 is just a level far out of range, not a crash.
    CoreHarness g;
    auto u = g.AddUnit(1, 4, 8);
    u->objAudioINFO()->setlMaxDelayLevel(0xFFFF);
    g.Select(1);
    g.core.link.senders.CmdGetDelayLevel(1, 0, 0, 1);
    g.Reply({0x01, 0xFF});
    g.Reply({0x01, 0xFF});
    EXPECT_EQ(g.core.model.AudioOutputs[1].lDelayTime, 0xFFFF * 5);
    g.core.link.senders.CmdGetDelayLevel(1, 0, 0, 1);
    g.Reply({0x01, 0x00});
    u->objAudioINFO()->setlMaxDelayLevel(1000);
    g.Reply({0x01, 0x80});
    EXPECT_TRUE(g.core.link.queue.IsWaitingForAnswer());
}

TEST_F(Handlers, PresetDelayUsesTheScratchTable) {
    unit->objAudioINFO()->setlMaxDelayLevel(1000);
    h.views.memoryLocation = 1;
    h.core.model.AudioOutputs[2].bDelayLevelLow = 0x11;
    send().CmdGetDelayLevel(1, 0, 1, 1);
    h.Reply({0x02, 0x64});
    h.Reply({0x02, 0x00});
    EXPECT_EQ(h.core.model.AudioOutputs[2].bDelayLevelLow, 0x11);
    EXPECT_EQ(h.core.model.MemoryAudioOutputs[2].bDelayLevelLow, 0x64);
    EXPECT_TRUE(h.views.Called("SetMemoryRowDelayTime(2,true,500)"));
}

TEST_F(Handlers, PlugsEdidAndFirmware) {
    send().CmdGetVideoInputPlug(1, 0, 2);
    h.Reply({0x01, 0x01, 0x04, 0x00});
    send().CmdGetAudioOutputPlug(1, 0, 2);
    h.Reply({0x08, 0x01});
    send().CmdGetEdidType(1, 0, 1);
    h.Reply({0x02, 0x01});
    send().CmdGetFirmwareVersion(1, 1);
    h.Reply({0x21, 0x0A});
    EXPECT_EQ(h.core.model.VideoInputs[1].lPlugStatus, 1);
    EXPECT_EQ(h.core.model.AudioOutputs[8].lPlugStatus, 1);
    EXPECT_EQ(h.core.model.VideoInputs[2].lEdidType, 1);
    EXPECT_TRUE(h.views.Called("Draw_InputPlug(V,1)"));
    EXPECT_TRUE(h.views.Called("Draw_OutputPlug(A,8)"));
    EXPECT_TRUE(h.views.Called("Draw_VideoInput(2)"));
    EXPECT_TRUE(h.views.Called("Draw_SelectedEdidType()"));
    EXPECT_TRUE(h.views.Called("SetUnitFirmwareText(1,2.1.10)"));
    EXPECT_EQ(unit->objFirmwareVersion()->text(), "2.1.10");

    send().CmdGetAudioInputPlug(1, 0, 2);
    h.Reply({0x05, 0x01}); // input 5 of 4
    EXPECT_TRUE(Waiting());
}

TEST_F(Handlers, RepliesOfOtherUnitsAreTakenButIgnored) {
    h.AddUnit(2, 4, 4);
    send().CmdGetVolumnLevel(2, 0, 0, 1);
    h.Reply({0x01, 0x50}); // level 80 from unit 2
    EXPECT_EQ(h.core.model.AudioOutputs[1].iVolumnLevel, 0);
    EXPECT_FALSE(Waiting());
    unit->setblConnected(false);
    send().CmdGetVolumnLevel(1, 0, 0, 1);
    h.Reply({0x01, 0x50});
    EXPECT_EQ(h.core.model.AudioOutputs[1].iVolumnLevel, 0);
}

TEST_F(Handlers, PointerRuleSparesPollsAndPresetsAndBusyReads) {
    h.views.busyPointer = true;
    send().CmdGetVolumnLevel(1, 0, 0, 2); // a poll
    h.Reply({0x01, 0x10});
    EXPECT_TRUE(h.views.busyPointer);
    h.views.memoryLocation = 1;
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
