#include "support/CoreHarness.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

TEST(Scan, StartEmptiesTheModelAndQueuesThirtyTwoProbes) {
    CoreHarness h;
    h.AddUnit(4, 8, 8);
    h.Select(4);
    h.core.model.blLoadingStatus = true;
    h.core.link.senders.CmdGetMute(4, 0, 0, 1);
    h.core.link.senders.CmdGetMute(4, 0, 0, 1);
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
    CoreHarness h;
    CoreHarness::Caps caps;
    caps.volume = caps.bass = caps.treble = caps.subwoofer = caps.delay = false;
    caps.firmware = false;
    h.AddUnit(1, 4, 4, caps);
    h.Select(1);
    h.core.status.SetLoadingStatus(true);
    h.core.status.RequestUnitStatus(0);
    std::vector<std::string> all = h.Sent();
    const auto waiting = h.Waiting();
    all.insert(all.end(), waiting.begin(), waiting.end());
    EXPECT_EQ(all, (std::vector<std::string>{"08:0:0", "07:0:0", "0A:0:0", "09:0:0", "0C:0:0",
                                             "0B:0:0", "21:0:0"}));
    for (int i = 0; i < 6; ++i) {
        h.Reply({});
    }
    EXPECT_TRUE(h.core.model.blLoadingStatus);
    h.Reply({});
    EXPECT_FALSE(h.core.model.blLoadingStatus);

    // An EDID query already waiting is withdrawn: the read asks once.
    CoreHarness g;
    g.AddUnit(1, 4, 4, caps);
    g.Select(1);
    g.core.link.senders.CmdGetMute(1, 0, 0, 1);
    g.core.link.senders.CmdGetEdidType(1, 0, 2);
    g.core.status.SetLoadingStatus(true);
    g.core.status.RequestUnitStatus(0);
    const auto queued = g.Waiting();
    EXPECT_EQ(std::count(queued.begin(), queued.end(), "21:0:0"), 1);
}

TEST(StatusPoll, OnlyOnAnIdleLineNeverTwiceAndSkipsValuesBeingRedrawn) {
    CoreHarness h;
    h.AddUnit(1, 4, 4);
    h.Select(1);
    h.views.redrawRunning[AudioValue::Volumn] = true;
    h.clock.advance(1s);
    std::vector<std::string> all = h.Sent();
    const auto waiting = h.Waiting();
    all.insert(all.end(), waiting.begin(), waiting.end());
    EXPECT_EQ(all, (std::vector<std::string>{"0A:0:0", "09:0:0", "0C:0:0", "0B:0:0", "07:0:0",
                                             "08:0:0", "21:0:0", "11:0:0", "15:0:0", "17:0:0",
                                             "19:0:0", "1D:0:0", "1F:0:0"}));
    EXPECT_EQ(h.core.link.queue.SendQueue().front().lPriority, 2);
    // Line busy: another tick adds nothing.
    h.Reply({});
    h.core.status.StatusPoll();
    EXPECT_EQ(h.Waiting().size(), waiting.size() - 1);
    // Busy states and an unconnected unit stop it too.
    CoreHarness g;
    g.AddUnit(1, 4, 4)->setblConnected(false);
    g.Select(1);
    g.clock.advance(3s);
    EXPECT_TRUE(g.port.writes.empty());
    g.core.model.objSelectedUnit->setblConnected(true);
    g.core.model.blLoadingMemory = true;
    g.clock.advance(3s);
    EXPECT_TRUE(g.port.writes.empty());
    // Frames waiting out the quiet after a repeat: nothing is awaited, and
    // still the poll waits behind them.
    CoreHarness q;
    q.AddUnit(1, 4, 4);
    q.Select(1);
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

TEST(ClosedPort, NoReadOrScanWaitsForAnAnswerThatCannotCome) {
    CoreHarness h;
    h.AddUnit(1, 4, 4);
    h.Select(1);
    h.port.close();
    // A unit picked in the list: its information request is dropped.
    h.core.status.SetLoadingStatus(true);
    h.core.link.senders.CmdGetUnitInfo(1, 0, 1);
    EXPECT_FALSE(h.core.status.IsBusy() || h.views.busyPointer);
    // The scan button on a closed port starts a scan that ends at once; it
    // is not taken for the operator stopping one.
    h.views.calls.clear();
    h.core.status.cmdScan_Click();
    EXPECT_FALSE(h.core.status.IsBusy());
    EXPECT_EQ(h.views.scanCaption, "S&can");
    EXPECT_FALSE(h.views.busyPointer);
    EXPECT_FALSE(h.core.model.blScanning);
    EXPECT_FALSE(h.views.Called("Setup_AllViews()"));
    EXPECT_FALSE(h.views.Called("Enable_QRD(true)"));
}
