#include "link/basCRC8_Dallas_1_Wire.h"
#include "support/LinkHarness.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

SEND_PACKET Packet(uint8_t id, int32_t priority, uint8_t code = 0x13) {
    SEND_PACKET p;
    p.bID = id;
    p.lPriority = priority;
    p.bCommand = code;
    p.bData = {0, 0};
    p.iDataLength = 2;
    p.bFrame = {static_cast<uint8_t>(0x20 | id), code, 0, 0, 0};
    p.iFrameLength = 5;
    return p;
}

std::vector<std::pair<int, int>> Order(const TransmitQueue& q) {
    std::vector<std::pair<int, int>> out;
    for (const auto& p : q.SendQueue()) {
        out.emplace_back(p.bID, p.lPriority);
    }
    return out;
}

} // namespace

TEST(TransmitQueue, IdleLineWritesAtOnceThenQueuesBehindTheAnswer) {
    LinkHarness h;
    EXPECT_TRUE(h.link.queue.QueueCommand(Packet(1, 0, 0x12)));
    EXPECT_EQ(h.port.writes.size(), 1u);
    EXPECT_EQ(h.trace.sent.size(), 1u);
    EXPECT_TRUE(h.link.queue.IsWaitingForAnswer());
    EXPECT_FALSE(h.link.queue.QueueCommand(Packet(1, 1)));
    EXPECT_EQ(h.port.writes.size(), 1u);
    EXPECT_EQ(h.link.queue.iSendQueueCount(), 1u);
    EXPECT_TRUE(h.link.queue.timSendQueue().isActive());
    // The 100 ms look for a free line changes nothing while an answer is awaited.
    h.clock.advance(250ms);
    EXPECT_EQ(h.port.writes.size(), 1u);
}

TEST(TransmitQueue, SelectedUnitFramesGoBehindItsOwnMoreUrgentOnes) {
    LinkHarness h;
    h.AddUnit(3, /*select=*/true);
    h.link.queue.QueueCommand(Packet(9, 1)); // occupies the line
    h.link.queue.InsertCommand(Packet(3, 2));
    h.link.queue.InsertCommand(Packet(5, 1));
    h.link.queue.InsertCommand(Packet(3, 0));
    EXPECT_EQ(Order(h.link.queue), (std::vector<std::pair<int, int>>{{3, 0}, {3, 2}, {5, 1}}));
    h.link.queue.InsertCommand(Packet(3, 2));
    h.link.queue.InsertCommand(Packet(3, 1));
    h.link.queue.InsertCommand(Packet(5, 0));
    EXPECT_EQ(Order(h.link.queue),
              (std::vector<std::pair<int, int>>{{3, 0}, {3, 1}, {3, 2}, {3, 2}, {5, 1}, {5, 0}}));
}

TEST(TransmitQueue, WithoutSelectedUnitEverythingIsAppended) {
    LinkHarness h;
    h.AddUnit(3);
    h.link.queue.QueueCommand(Packet(9, 1));
    h.link.queue.InsertCommand(Packet(3, 2));
    h.link.queue.InsertCommand(Packet(3, 0));
    h.link.queue.InsertCommand(Packet(5, 1));
    EXPECT_EQ(Order(h.link.queue), (std::vector<std::pair<int, int>>{{3, 2}, {3, 0}, {5, 1}}));
}

TEST(TransmitQueue, SilentUnitIsTriedThreeTimesThenGivenUp) {
    LinkHarness h;
    auto unit = h.AddUnit(1);
    h.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
    h.link.senders.CmdGetBassLevel(1, 0, 0, 1);
    h.link.senders.CmdGetBassLevel(2, 0, 0, 1);
    const Bytes first = h.port.writes.at(0);
    h.clock.advance(299ms);
    EXPECT_EQ(h.port.writes.size(), 1u);
    h.clock.advance(1ms);
    EXPECT_EQ(h.port.writes.size(), 2u);
    h.clock.advance(300ms);
    ASSERT_EQ(h.port.writes.size(), 3u);
    EXPECT_EQ(h.port.writes[1], first);
    EXPECT_EQ(h.port.writes[2], first);
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

    // The counter was reset: the unit's next request again gets three tries.
    h.link.queue.AcknowledgeCommand(); // unit 2 answers
    h.views.calls.clear();
    h.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
    const size_t before = h.port.writes.size();
    h.clock.advance(899ms);
    EXPECT_EQ(h.port.writes.size(), before + 2);
    h.clock.advance(1ms);
    EXPECT_FALSE(h.link.queue.IsWaitingForAnswer());
}

TEST(TransmitQueue, GivingUpTheSelectedUnitClearsItsViewsAndBusyState) {
    LinkHarness h;
    auto unit = h.AddUnit(4, true);
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
}

TEST(TransmitQueue, ScanEndsWhenUnit31IsGivenUp) {
    LinkHarness h;
    h.busy.scanning = true;
    h.link.senders.CmdGetUnitInfo(31, 0, 1);
    h.clock.advance(900ms);
    EXPECT_FALSE(h.busy.scanning);
    EXPECT_TRUE(h.infoRequests.empty());
}

TEST(TransmitQueue, AnswerAfterTheSecondTryClearsTheCounterAndReleasesTheNextFrame) {
    LinkHarness h;
    auto unit = h.AddUnit(1);
    h.link.senders.CmdSetVolumnLevel(1, 2, 50, 0);
    h.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
    h.clock.advance(300ms);
    EXPECT_EQ(h.port.writes.size(), 2u);
    EXPECT_EQ(h.link.queue.iRetryCount(1), 1);
    h.port.deliver({0x81, 0xD2});
    EXPECT_EQ(h.link.queue.iRetryCount(1), 0);
    EXPECT_TRUE(unit->blConnected());
    // The repeat may still be answered: the next frame waits for a quiet line
    // and for the time that answer could take, 569 ms after the repeat.
    EXPECT_EQ(h.port.writes.size(), 2u);
    h.clock.advanceTo(868ms);
    EXPECT_EQ(h.port.writes.size(), 2u);
    h.clock.advanceTo(869ms);
    ASSERT_EQ(h.port.writes.size(), 3u);
    EXPECT_EQ(h.port.writes[2], (Bytes{0x21, 0x13, 0x00, 0x00, 0x51}));
}

// A first answer later than the time-out, then the repeat's answer: the
// second must not be taken for the answer to the next request.
TEST(TransmitQueue, AnswerToARepeatIsNotTakenForTheNextRequest) {
    LinkHarness h;
    h.AddUnit(1, true);
    h.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
    h.link.senders.CmdGetMute(1, 0, 0, 1);
    h.clock.advance(300ms); // no answer yet: the volume query is repeated
    ASSERT_EQ(h.port.writes.size(), 2u);
    const Bytes volume = {0x81, 0x02, 0x01, 0x2A};
    Bytes answer = volume;
    answer.push_back(basCRC8_Dallas_1_Wire::CalculateCrc8(answer, 4));
    h.clock.advance(50ms);
    h.port.deliver(answer); // the first try's answer, late
    h.clock.advance(100ms);
    h.port.deliver(answer); // the repeat's answer
    EXPECT_EQ(h.replies.calls, (std::vector<std::string>{"ReplyVolumnLevel"}));
    EXPECT_EQ(h.port.writes.size(), 2u);
    // Quiet again: the mute query goes out and its own answer is taken.
    h.clock.advanceTo(869ms);
    ASSERT_EQ(h.port.writes.size(), 3u);
    EXPECT_EQ(h.port.writes[2][1], 0x11);
    Bytes mute = {0x81, 0x02, 0x01, 0x01};
    mute.push_back(basCRC8_Dallas_1_Wire::CalculateCrc8(mute, 4));
    h.port.deliver(mute);
    EXPECT_EQ(h.replies.calls, (std::vector<std::string>{"ReplyVolumnLevel", "ReplyMuteStatus"}));
}

TEST(TransmitQueue, UnitThatAnswersAgainIsReadAfresh) {
    LinkHarness h;
    auto unit = h.AddUnit(1);
    unit->setblConnected(false);
    h.link.senders.CmdSetMute(1, 1, 1, 0);
    h.port.deliver({0x81, 0xD2});
    EXPECT_TRUE(unit->blConnected());
    EXPECT_EQ(h.infoRequests, (std::vector<uint8_t>{1}));
    // An answer from a unit with no record also asks for its information.
    h.link.senders.CmdSetMute(6, 1, 1, 0);
    h.port.deliver({0x86, basCRC8_Dallas_1_Wire::CalculateCrc8(Bytes{0x86}, 1)});
    EXPECT_EQ(h.infoRequests, (std::vector<uint8_t>{1, 6}));
}

TEST(TransmitQueue, Purges) {
    LinkHarness h;
    TransmitQueue& q = h.link.queue;
    q.QueueCommand(Packet(9, 1));
    auto with = [](uint8_t id, uint8_t code, uint8_t d0, uint8_t d1) {
        SEND_PACKET p = Packet(id, 1, code);
        p.bData = {d0, d1};
        return p;
    };
    q.InsertCommand(with(1, 0x12, 2, 50));
    q.InsertCommand(with(2, 0x12, 2, 60));
    q.InsertCommand(with(1, 0x12, 3, 50));
    q.InsertCommand(with(1, 0x13, 0, 0));
    q.InsertCommand(with(1, 0x13, 0, 4));
    q.InsertCommand(with(5, 0x15, 0, 4));
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

TEST(TransmitQueue, ClosedPortDropsNewFramesAndDiscardsWaitingOnes) {
    LinkHarness h;
    h.link.senders.CmdGetMute(1, 0, 0, 1);
    h.link.senders.CmdGetMute(1, 0, 0, 1);
    h.link.senders.CmdGetMute(2, 0, 0, 1);
    EXPECT_EQ(h.link.queue.iSendQueueCount(), 2u);
    h.port.close();
    h.link.senders.CmdGetMute(3, 0, 0, 1);
    EXPECT_EQ(h.link.queue.iSendQueueCount(), 2u);
    EXPECT_FALSE(h.link.queue.SendNextCommand());
    EXPECT_EQ(h.link.queue.iSendQueueCount(), 0u);
    EXPECT_FALSE(h.link.queue.timSendQueue().isActive());
    // The awaited frame runs out without writing to a closed port.
    h.clock.advance(1s);
    EXPECT_EQ(h.port.writes.size(), 1u);
}

TEST(TransmitQueue, PortLostWhileOpenEmptiesTheQueueAndTellsTheOwner) {
    LinkHarness h;
    int lost = 0;
    h.link.setOnPortLost([&] { ++lost; });
    h.link.senders.CmdGetMute(1, 0, 0, 1);
    h.link.senders.CmdGetMute(1, 0, 0, 1);
    h.port.loseLine();
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(h.link.queue.iSendQueueCount(), 0u);
}

TEST(TransmitQueue, SendEventWritesTheNextWaitingFrame) {
    LinkHarness h;
    h.link.senders.CmdSetMute(1, 1, 1, 0);
    h.link.senders.CmdGetMute(1, 0, 0, 1);
    h.link.queue.timWaitACK().stop(); // as after an answer taken elsewhere
    h.port.drain();
    EXPECT_EQ(h.port.writes.size(), 2u);
}

TEST(TransmitQueue, LostPortForgetsTheTriesSoFar) {
    LinkHarness h;
    h.AddUnit(1);
    h.link.senders.CmdGetMute(1, 0, 0, 1);
    h.clock.advance(600ms);
    EXPECT_EQ(h.link.queue.iRetryCount(1), 2);
    h.port.loseLine();
    EXPECT_EQ(h.link.queue.iRetryCount(1), 0);
    EXPECT_FALSE(h.link.queue.IsWaitingForAnswer());
    // Reopened: the unit gets its three tries again.
    h.port.open(1, QStringLiteral("9600,n,8,1"));
    h.link.senders.CmdGetMute(1, 0, 0, 1);
    h.clock.advance(899ms);
    EXPECT_TRUE(h.link.queue.IsWaitingForAnswer());
    EXPECT_TRUE(h.model.FindUnit(1)->blConnected());
}
