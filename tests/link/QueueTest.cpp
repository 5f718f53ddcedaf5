#include "link/basCRC8_Dallas_1_Wire.h"
#include "support/LinkHarness.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

SEND_PACKET Packet(uint8_t id, int32_t priority, uint8_t code = 0x13, Bytes data = {0, 0}) {
    SEND_PACKET p;
    p.bID = id;
    p.lPriority = priority;
    p.bCommand = code;
    p.bData = data;
    p.iDataLength = 2;
    p.bFrame = {static_cast<uint8_t>(0x20 | id), code, 0, 0, 0};
    p.iFrameLength = 5;
    return p;
}

// Unit, priority and code of each waiting frame.
std::vector<std::array<int, 3>> Order(const TransmitQueue& q) {
    std::vector<std::array<int, 3>> out;
    for (const auto& p : q.SendQueue()) {
        out.push_back({p.bID, p.lPriority, p.bCommand});
    }
    return out;
}

} // namespace

TEST(TransmitQueue, IdleLineWritesAtOnceThenQueuesBehindTheAnswer) {
    LinkHarness h;
    EXPECT_TRUE(h.link.queue.QueueCommand(Packet(1, 0, 0x12)));
    EXPECT_EQ(h.trace.sent.size(), 1u);
    EXPECT_TRUE(h.link.queue.IsWaitingForAnswer());
    EXPECT_FALSE(h.link.queue.QueueCommand(Packet(1, 1)));
    EXPECT_EQ(h.link.queue.iSendQueueCount(), 1u);
    // The 100 ms look for a free line changes nothing while an answer is awaited.
    h.clock.advance(250ms);
    EXPECT_EQ(h.port.writes.size(), 1u);
    // The port's send event writes the next frame once nothing is awaited.
    h.link.queue.timWaitACK().stop();
    h.port.drain();
    EXPECT_EQ(h.port.writes.size(), 2u);
}

TEST(TransmitQueue, SelectedUnitsFramesGoBehindItsOwnAsUrgentOnes) {
    for (const bool selected : {true, false}) {
        LinkHarness h;
        h.AddUnit(3, selected);
        h.link.queue.QueueCommand(Packet(9, 1)); // occupies the line
        for (const auto& [id, priority, code] : std::vector<std::array<int, 3>>{
                 {3, 2, 1}, {5, 1, 1}, {3, 0, 1}, {3, 2, 2}, {3, 1, 1}, {5, 0, 1}}) {
            h.link.queue.InsertCommand(
                Packet(static_cast<uint8_t>(id), priority, static_cast<uint8_t>(code)));
        }
        using Rows = std::vector<std::array<int, 3>>;
        const Rows expected =
            selected ? Rows{{3, 0, 1}, {3, 1, 1}, {3, 2, 1}, {3, 2, 2}, {5, 1, 1}, {5, 0, 1}}
                     : Rows{{3, 2, 1}, {5, 1, 1}, {3, 0, 1}, {3, 2, 2}, {3, 1, 1}, {5, 0, 1}};
        EXPECT_EQ(Order(h.link.queue), expected);
    }
}

TEST(TransmitQueue, SilentUnitIsTriedThreeTimesGivenUpAndReadAfreshWhenItAnswers) {
    LinkHarness h;
    auto unit = h.AddUnit(1);
    h.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
    h.link.senders.CmdGetBassLevel(1, 0, 0, 1);
    h.link.senders.CmdGetBassLevel(2, 0, 0, 1);
    h.clock.advance(299ms);
    EXPECT_EQ(h.port.writes.size(), 1u);
    h.clock.advance(301ms);
    ASSERT_EQ(h.port.writes.size(), 3u);
    EXPECT_EQ(h.port.writes[2], h.port.writes[0]);
    EXPECT_EQ(h.trace.sent.size(), 1u); // repeats are not traced
    EXPECT_EQ(h.link.queue.iRetryCount(1), 2);

    h.clock.advance(300ms); // third time-out: given up
    EXPECT_FALSE(unit->blConnected());
    EXPECT_TRUE(h.views.Called("SetUnitIcon(1,RedON)"));
    EXPECT_EQ(h.link.queue.iRetryCount(1), 0);
    // Unit 1's waiting frame was withdrawn; unit 2's goes out within a tick.
    h.clock.advance(100ms);
    ASSERT_EQ(h.port.writes.size(), 4u);
    EXPECT_EQ(h.port.writes.back()[0], 0x22);
    EXPECT_EQ(h.link.queue.iSendQueueCount(), 0u);

    // An answer clears the tries; one from a unit given up, or from a unit
    // with no record, asks for its information.
    h.clock.advance(1s);
    h.link.senders.CmdSetVolumnLevel(1, 2, 50, 0);
    h.clock.advance(300ms);
    EXPECT_EQ(h.link.queue.iRetryCount(1), 1);
    h.port.deliver({0x81, 0xD2});
    EXPECT_EQ(h.link.queue.iRetryCount(1), 0);
    EXPECT_TRUE(unit->blConnected());
    EXPECT_EQ(h.infoRequests, (std::vector<uint8_t>{1}));
    h.clock.advance(1s);
    h.link.senders.CmdSetMute(1, 1, 1, 0);
    h.port.deliver({0x81, 0xD2});
    EXPECT_EQ(h.infoRequests, (std::vector<uint8_t>{1}));
    h.link.senders.CmdSetMute(6, 1, 1, 0);
    h.port.deliver({0x86, basCRC8_Dallas_1_Wire::CalculateCrc8(Bytes{0x86}, 1)});
    EXPECT_EQ(h.infoRequests, (std::vector<uint8_t>{1, 6}));
}

TEST(TransmitQueue, GivingUpTheSelectedUnitClearsItsViewsAndBusyStateUnit31EndsAScan) {
    LinkHarness h;
    h.AddUnit(4, true);
    h.model.AudioOutputs[2].iVolumnLevel = 40;
    h.busy.loading = h.busy.memory = h.busy.scanning = true;
    h.link.senders.CmdGetMute(4, 0, 0, 1);
    h.clock.advance(900ms);
    EXPECT_FALSE(h.busy.loading);
    EXPECT_FALSE(h.busy.memory);
    EXPECT_TRUE(h.busy.scanning); // only unit 31 ends a scan
    EXPECT_EQ(h.model.AudioOutputs[2].iVolumnLevel, 0);
    EXPECT_EQ(h.views.calls, (std::vector<std::string>{
                                 "ResetSelectionAnchors()", "Setup_AllViews()", "Enable_QRD(false)",
                                 "Enable_lstQRD(true)", "SetUnitIcon(4,RedON)"}));
    h.link.senders.CmdGetUnitInfo(31, 0, 1);
    h.clock.advance(900ms);
    EXPECT_FALSE(h.busy.scanning);
    EXPECT_TRUE(h.infoRequests.empty());
}

TEST(TransmitQueue, Purges) {
    LinkHarness h;
    TransmitQueue& q = h.link.queue;
    q.QueueCommand(Packet(9, 1));
    q.InsertCommand(Packet(1, 1, 0x12, {2, 50}));
    q.InsertCommand(Packet(2, 1, 0x12, {2, 60}));
    q.InsertCommand(Packet(1, 1, 0x12, {3, 50}));
    q.InsertCommand(Packet(1, 1, 0x13, {0, 0}));
    q.InsertCommand(Packet(1, 1, 0x13, {0, 4}));
    q.InsertCommand(Packet(5, 1, 0x15, {0, 4}));
    q.PurgeCommandsByData0(0x12, 2); // volume settings of output 2, any unit
    EXPECT_EQ(q.iSendQueueCount(), 4u);
    q.PurgeCommandsByData(0x13, 0, 0); // the whole-unit live query only
    EXPECT_EQ(q.iSendQueueCount(), 3u);
    q.PurgeCommandsByData1(0x13, 4);
    EXPECT_EQ(q.iSendQueueCount(), 2u);
    q.PurgeCommandsByCode(0x15);
    ASSERT_EQ(q.iSendQueueCount(), 1u);
    EXPECT_EQ(q.SendQueue().front().data(0), 3);
    q.PurgeCommandsByID(9); // the awaited frame is never touched
    q.PurgeCommandsByID(1);
    EXPECT_EQ(q.iSendQueueCount(), 0u);
    EXPECT_TRUE(q.IsWaitingForAnswer());
}

TEST(TransmitQueue, ClosedOrLostPortEmptiesTheQueueAndForgetsTheTries) {
    LinkHarness h;
    h.link.senders.CmdGetMute(1, 0, 0, 1);
    h.link.senders.CmdGetMute(2, 0, 0, 1);
    h.port.close();
    h.link.senders.CmdGetMute(3, 0, 0, 1);
    EXPECT_EQ(h.link.queue.iSendQueueCount(), 1u);
    EXPECT_FALSE(h.link.queue.SendNextCommand());
    EXPECT_EQ(h.link.queue.iSendQueueCount(), 0u);
    EXPECT_FALSE(h.link.queue.timSendQueue().isActive());
    // The awaited frame runs out without writing to a closed port.
    h.clock.advance(1s);
    EXPECT_EQ(h.port.writes.size(), 1u);

    LinkHarness g;
    int lost = 0;
    g.link.setOnPortLost([&] { ++lost; });
    g.AddUnit(1);
    g.link.senders.CmdGetMute(1, 0, 0, 1);
    g.link.senders.CmdGetMute(1, 0, 0, 1);
    g.clock.advance(600ms);
    EXPECT_EQ(g.link.queue.iRetryCount(1), 2);
    g.port.loseLine();
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(g.link.queue.iSendQueueCount(), 0u);
    EXPECT_EQ(g.link.queue.iRetryCount(1), 0);
    EXPECT_FALSE(g.link.queue.IsWaitingForAnswer());
}
