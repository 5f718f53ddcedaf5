#include "link/QuadrelError.h"
#include "link/VirtualClock.h"
#include "link/basBitAccess.h"
#include "link/basCRC8_Dallas_1_Wire.h"
#include "support/LinkHarness.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;
namespace crc = quadrel::basCRC8_Dallas_1_Wire;
namespace bits = quadrel::basBitAccess;

namespace {

std::string ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const QuadrelError& e) {
        return std::to_string(e.number()) + ": " + e.description();
    }
    return "no error";
}

Bytes Seq(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) {
        b[i] = static_cast<uint8_t>(i);
    }
    return b;
}

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

std::vector<std::array<int, 3>> Order(const TransmitQueue& q) {
    std::vector<std::array<int, 3>> out;
    for (const auto& p : q.SendQueue()) {
        out.push_back({p.bID, p.lPriority, p.bCommand});
    }
    return out;
}

} // namespace

TEST(Crc8AndBits, ValuesAndTaggedErrors) {
    const Bytes digits = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(crc::CalculateCrc8(digits, 9), 0xA1); // the standard check value
    EXPECT_EQ(crc::CalculateCrc8(digits, 0, 0x5A), 0x5A);
    EXPECT_EQ(crc::CalculateCrc8(Bytes{0x81}, 1), 0xD2); // the acknowledgement 81 D2
    EXPECT_EQ(bits::U8BitFieldRead(0xA5, 4, 4), 0x0A);
    int16_t w = 0;
    bits::U16BitSet(w, 15);
    EXPECT_EQ(static_cast<uint16_t>(w), 0x8000);
    // Errors carry the routine's tag, and a caller's tag after it.
    const std::vector<std::pair<std::function<void()>, std::string>> bad = {
        {[] {
             crc::CalculateCrc8(Bytes{1, 2}, 3);
         },
         "9: Subscript out of range - basCRC8_Dallas_1_Wire.CalculateCrc8"},
        {[] { bits::U8BitRead(1, -1); }, "9: Subscript out of range - basBitAccess.U8BitRead"},
        // The field reader shares the reader's tag.
        {[] { bits::U8BitFieldRead(1, 0, 8); },
         "5: Invalid procedure call or argument - basBitAccess.U8BitRead"},
        {[] { WithTag("outer.Routine", [] { bits::U16BitValue(16); }); },
         "9: Subscript out of range - basBitAccess.U16BitValue - outer.Routine"},
    };
    for (const auto& [call, text] : bad) {
        EXPECT_EQ(ErrorOf(call), text);
    }
}

TEST(SendCommand, ShortLongEmptyAndSplitFormsAndTheSendersBytes) {
    LinkHarness h;
    const FrameBuilder& fb = h.link.builder;
    const auto frame = [&](uint8_t id, uint8_t code, const std::vector<SendItem>& items) {
        return fb.BuildFrames(id, code, 1, items).at(0).bFrame;
    };
    EXPECT_EQ(frame(0, 0x3F, {uint8_t{0}, uint8_t{0}}), (Bytes{0x20, 0x3F, 0x00, 0x00, 0xF1}));
    EXPECT_EQ(frame(2, 0x10, {uint8_t{5}}), (Bytes{0x22, 0x90, 0x01, 0x05, 0xA4}));
    EXPECT_EQ(frame(1, 0x0D, {}), (Bytes{0x21, 0x0D, 0xF8}));
    EXPECT_EQ(frame(1, 0x05, {uint8_t{9}, Bytes{1, 2, 3}}),
              (Bytes{0x21, 0x85, 4, 9, 1, 2, 3,
                     crc::CalculateCrc8(Bytes{0x21, 0x85, 4, 9, 1, 2, 3}, 7)}));

    // The packet keeps the plain values the queue matches on.
    const SEND_PACKET p = fb.BuildFrames(2, 0x10, 0, {uint8_t{5}, uint8_t{6}}).at(0);
    EXPECT_EQ((std::tuple{p.bCommand, p.bID, p.bData, p.iDataLength, p.iFrameLength}),
              (std::tuple{uint8_t{0x10}, uint8_t{2}, Bytes{5, 6}, 2, 5}));

    // Unknown unit: 128 bytes per frame; a two-byte chunk takes the short form.
    auto frames = fb.BuildFrames(1, 0x05, 1, {Seq(200)});
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(Bytes(frames[0].bFrame.begin(), frames[0].bFrame.begin() + 4),
              (Bytes{0x21, 0x85, 128, 0}));
    EXPECT_EQ(frames[0].iFrameLength, 132);
    EXPECT_EQ(frames[1].iFrameLength, 76);
    EXPECT_EQ(frames[1].bData.front(), 128);
    frames = fb.BuildFrames(1, 0x05, 1, {Seq(130)});
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].bFrame,
              (Bytes{0x21, 0x05, 128, 129, crc::CalculateCrc8(Bytes{0x21, 0x05, 128, 129}, 4)}));

    // A known unit's limit holds while it answers; an unset limit must not hang.
    auto unit = h.AddUnit(4);
    unit->setiMaxCommandLB(254);
    EXPECT_EQ(fb.BuildFrames(4, 0x05, 1, {Seq(200)}).size(), 1u);
    unit->setblConnected(false);
    EXPECT_EQ(fb.BuildFrames(4, 0x05, 1, {Seq(200)}).size(), 2u);
    unit->setblConnected(true);
    unit->setiMaxCommandLB(0);
    EXPECT_EQ(fb.BuildFrames(4, 0x05, 1, {Seq(200)}).size(), 2u);
    EXPECT_EQ(GetMaxCommandLB(1), 254);
    EXPECT_EQ(GetMaxCommandLB(2), 0);

    // The senders: output before input; a delay level too large for two bytes.
    h.port.writes.clear();
    CommandSenders& s = h.link.senders;
    s.CmdSetVideoSwitch(2, 4, 7, 0);
    EXPECT_TRUE(s.CmdSetDelayLevel(2, 1, 300, 0));
    EXPECT_FALSE(s.CmdSetDelayLevel(2, 1, 65536, 0));
    EXPECT_FALSE(s.CmdSetDelayLevel(2, 1, -1, 0));
    s.CmdGetDelayLevel(2, 0, 3, 1);
    std::vector<std::array<int, 4>> sent;
    for (const Bytes& f : h.port.writes) {
        sent.push_back({f[0], f[1], f[2], f[3]});
    }
    for (const SEND_PACKET& p : h.link.queue.SendQueue()) {
        sent.push_back({p.bFrame[0], p.bFrame[1], p.bFrame[2], p.bFrame[3]});
    }
    EXPECT_EQ(sent, (std::vector<std::array<int, 4>>{{0x22, 0x01, 4, 7},
                                                     {0x22, 0x1E, 1, 1},
                                                     {0x22, 0x1C, 1, 44},
                                                     {0x22, 0x1D, 0, 3},
                                                     {0x22, 0x1F, 0, 3}}));
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

TEST(TransmitQueue,
     SilentUnitIsTriedThreeTimesGivenUpKeepingItsLastStateAndReadAfreshWhenItAnswers) {
    LinkHarness h;
    auto unit = h.AddUnit(1);
    h.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
    // The queue's tick counts from the first frame waiting: out of phase
    // with the tries, it cannot be what writes the next frame at the give-up.
    h.clock.advance(50ms);
    h.link.senders.CmdGetBassLevel(1, 0, 0, 1);
    h.link.senders.CmdGetBassLevel(2, 0, 0, 1);
    h.clock.advance(249ms);
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
    // Unit 1's waiting frame was withdrawn; unit 2's goes out at once, as not
    // a byte came in: no answer can be on its way.
    ASSERT_EQ(h.port.writes.size(), 4u);
    EXPECT_EQ(h.port.writes.back()[0], 0x22);
    EXPECT_EQ(h.link.queue.iSendQueueCount(), 0u);
    // Bytes heard during the tries (a stray byte): the next frame waits for the tick.
    h.clock.advance(900ms); // unit 2 given up too
    ASSERT_EQ(h.port.writes.size(), 6u);
    h.link.senders.CmdGetBassLevel(3, 0, 0, 1);
    h.clock.advance(50ms);
    h.link.senders.CmdGetBassLevel(4, 0, 0, 1); // the queue ticks from now on
    h.port.deliver({0x55});
    h.clock.advance(850ms); // unit 3 given up
    EXPECT_EQ(h.port.writes.size(), 9u);
    h.clock.advance(50ms);
    ASSERT_EQ(h.port.writes.size(), 10u);
    EXPECT_EQ(h.port.writes.back()[0], 0x24);

    // An answer clears the tries; a unit given up or unknown is asked for its info.
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

    LinkHarness g;
    g.AddUnit(4, true);
    g.model.AudioOutputs[2].iVolumnLevel = 40;
    g.busy.loading = g.busy.memory = g.busy.scanning = true;
    g.link.senders.CmdGetMute(4, 0, 0, 1);
    g.clock.advance(900ms);
    EXPECT_FALSE(g.busy.loading);
    EXPECT_FALSE(g.busy.memory);
    EXPECT_TRUE(g.busy.scanning); // only unit 31 ends a scan
    // Its last known state stays, on pages that no longer act on it.
    EXPECT_EQ(g.model.AudioOutputs[2].iVolumnLevel, 40);
    EXPECT_EQ(g.views.calls,
              (std::vector<std::string>{"ResetSelectionAnchors()", "Enable_QRD(false)",
                                        "Enable_lstQRD(true)", "SetUnitIcon(4,RedON)"}));
    g.link.senders.CmdGetUnitInfo(31, 0, 1);
    g.clock.advance(900ms);
    EXPECT_FALSE(g.busy.scanning);
    EXPECT_TRUE(g.infoRequests.empty());
}

TEST(TransmitQueue, IdleLineWritesAtOnceQueuesBehindTheAnswerPurgesAndAClosedOrLostPortEmptiesIt) {
    LinkHarness h;
    TransmitQueue& q = h.link.queue;
    EXPECT_TRUE(q.QueueCommand(Packet(9, 1)));
    EXPECT_EQ(h.trace.sent.size(), 1u);
    EXPECT_TRUE(q.IsWaitingForAnswer());
    EXPECT_FALSE(q.QueueCommand(Packet(1, 1, 0x12, {2, 50})));
    q.InsertCommand(Packet(2, 1, 0x12, {2, 60}));
    q.InsertCommand(Packet(1, 1, 0x12, {3, 50}));
    q.InsertCommand(Packet(1, 1, 0x13, {0, 0}));
    q.InsertCommand(Packet(1, 1, 0x13, {0, 4}));
    q.InsertCommand(Packet(5, 1, 0x15, {0, 4}));
    // The 100 ms look for a free line changes nothing while an answer is awaited.
    h.clock.advance(250ms);
    EXPECT_EQ(h.port.writes.size(), 1u);
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
    EXPECT_TRUE(q.IsWaitingForAnswer());
    // The port's send event writes the next frame once nothing is awaited.
    q.timWaitACK().stop();
    h.port.drain();
    EXPECT_EQ(h.port.writes.size(), 2u);
    q.QueueCommand(Packet(1, 1));
    q.PurgeCommandsByID(1);
    EXPECT_EQ(q.iSendQueueCount(), 0u);

    LinkHarness c;
    c.link.senders.CmdGetMute(1, 0, 0, 1);
    c.link.senders.CmdGetMute(2, 0, 0, 1);
    c.port.close();
    c.link.senders.CmdGetMute(3, 0, 0, 1);
    EXPECT_EQ(c.link.queue.iSendQueueCount(), 1u);
    EXPECT_FALSE(c.link.queue.SendNextCommand());
    EXPECT_EQ(c.link.queue.iSendQueueCount(), 0u);
    EXPECT_FALSE(c.link.queue.timSendQueue().isActive());
    // The awaited frame runs out without writing to a closed port.
    c.clock.advance(1s);
    EXPECT_EQ(c.port.writes.size(), 1u);

    LinkHarness k;
    int lost = 0;
    k.link.setOnPortLost([&] { ++lost; });
    k.AddUnit(1);
    k.link.senders.CmdGetMute(1, 0, 0, 1);
    k.link.senders.CmdGetMute(1, 0, 0, 1);
    k.clock.advance(600ms);
    EXPECT_EQ(k.link.queue.iRetryCount(1), 2);
    k.port.loseLine();
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(k.link.queue.iSendQueueCount(), 0u);
    EXPECT_EQ(k.link.queue.iRetryCount(1), 0);
    EXPECT_FALSE(k.link.queue.IsWaitingForAnswer());
}
