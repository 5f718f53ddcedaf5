// The link: frames built, queued, repeated and given up; replies received,
// checked and dispatched.
#include "link/QuadrelError.h"
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

// One byte every 10 bit times at 9600 baud.
void SendTimed(LinkHarness& h, const Bytes& bytes, std::chrono::microseconds start) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        const uint8_t b = bytes[i];
        h.clock.callAfter(start + 1041us * static_cast<int>(i), [&h, b] { h.port.deliver({b}); });
    }
}

// 127 pairs, the longest volume reply.
Bytes FullVolumeReply() {
    Bytes reply = {0x81, 254};
    for (int port = 1; port <= 127; ++port) {
        reply.push_back(static_cast<uint8_t>(port));
        reply.push_back(static_cast<uint8_t>(port % 101));
    }
    return WithCrc(reply);
}

const Bytes kVolume = WithCrc({0x81, 0x02, 0x01, 0x2A});

// Unit 1's volume query, repeated at 300 ms, the mute query behind it.
struct Repeated : LinkHarness {
    explicit Repeated(std::chrono::milliseconds answerAt, int baud = 9600) {
        port.open(1, QStringLiteral("%1,n,8,1").arg(baud));
        AddUnit(1, true);
        link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
        link.senders.CmdGetMute(1, 0, 0, 1);
        At(answerAt);
        port.deliver(kVolume);
    }
    void At(std::chrono::milliseconds t) { clock.advanceTo(t); }
    bool MuteSent() const { return port.writes.size() == 3 && port.writes[2][1] == 0x11; }
    // The mute query goes out at `t`, not a millisecond before.
    void ExpectMuteAt(std::chrono::milliseconds t) {
        At(t - 1ms);
        EXPECT_FALSE(MuteSent()) << t.count();
        At(t);
        EXPECT_TRUE(MuteSent()) << t.count();
    }
};

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

TEST(ReceivePath, DispatchFollowsTheAwaitedRequestWholeOrInPiecesUnderTheGap) {
    const std::string s = "ReplySwitchStatus ", i = "ReplyInputPlugStatus ",
                      o = "ReplyOutputPlugStatus ", d = "ReplyDelayTime ";
    const std::vector<std::pair<uint8_t, std::string>> handlers = {
        {0x07, s + "video"},        {0x08, s + "audio"},           {0x09, i + "video"},
        {0x0A, i + "audio"},        {0x0B, o + "video"},           {0x0C, o + "audio"},
        {0x11, "ReplyMuteStatus"},  {0x13, "ReplyVolumnLevel"},    {0x15, "ReplyBassLevel"},
        {0x17, "ReplyTrebleLevel"}, {0x19, "ReplySubwooferLevel"}, {0x1D, d + "low"},
        {0x1F, d + "high"},         {0x21, "ReplyEdidType"}};
    LinkHarness h;
    std::vector<std::string> expected;
    for (const auto& [code, handler] : handlers) {
        h.link.builder.SendCommand(3, code, 1, {uint8_t{0}, uint8_t{0}});
        h.port.deliver(WithCrc({0x83, 0x02, 0x01, 0x00}));
        expected.push_back(handler);
    }
    EXPECT_EQ(h.replies.calls, expected);
    // An empty reply is taken at its CRC; one in pieces, gaps under 200 ms, whole.
    h.link.senders.CmdGetMute(1, 0, 0, 1);
    h.port.deliver(WithCrc({0x81, 0x00}));
    EXPECT_TRUE(h.replies.payloads.back().empty());
    h.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
    const size_t traced = h.trace.received.size();
    for (const Bytes& piece : {Bytes{0x81}, Bytes{0x02, 0x01}, Bytes{0x05, 0xE2}}) {
        h.clock.advance(150ms);
        h.port.deliver(piece);
    }
    EXPECT_EQ(h.replies.calls.back(), "ReplyVolumnLevel");
    EXPECT_EQ(h.replies.payloads.back(), (Bytes{0x01, 0x05}));
    EXPECT_EQ(h.trace.received.size(), traced + 3); // one trace line per piece
    EXPECT_FALSE(h.link.queue.IsWaitingForAnswer());
}

// The port is told how many bytes the frame still needs once its length is
// known, and that none are awaited when it ends, is dropped or times out: a
// count too high would hold the answer back, one left standing would keep
// the port from watching the line.
TEST(ReceivePath, ThePortLearnsWhatTheFrameStillNeedsAndThatNothingIsAwaitedOnceItEnds) {
    struct Case {
        const char* what;
        std::vector<Bytes> pieces;
        std::chrono::milliseconds pauseAfter;
        std::vector<int> told;
    };
    const Bytes reply = WithCrc({0x81, 0x04, 0x01, 0x2A, 0x02, 0x2B});
    const std::vector<Case> cases = {
        {"whole", {reply}, 0ms, {}},
        {"byte by byte",
         {{0x81}, {0x04}, {0x01}, {0x2A}, {0x02}, {0x2B}, {reply[6]}},
         0ms,
         {5, 4, 3, 2, 1}},
        {"pieces", {{0x81, 0x04, 0x01}, {0x2A, 0x02, 0x2B, reply[6]}}, 0ms, {4, 1}},
        {"bad length", {{0x81, 0x03}}, 0ms, {}},
        {"gap too long", {{0x81, 0x04, 0x01, 0x2A}}, 201ms, {3, 1}},
        {"bad checksum", {{0x81, 0x04, 0x01, 0x2A, 0x02}, {0x2B, 0x00}}, 0ms, {2, 1}},
        {"empty reply", {{0x81}, {0x00}, {WithCrc({0x81, 0x00})[2]}}, 0ms, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LinkHarness h;
        h.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
        for (const Bytes& piece : c.pieces) {
            h.port.deliver(piece);
        }
        h.clock.advance(c.pauseAfter);
        EXPECT_EQ(h.port.expected, c.told);
        EXPECT_FALSE(h.link.receiver.IsReceiving());
    }
}

TEST(ReceivePath, BadFramesAreDroppedAndTheRequestRepeatedAndAnEndlessStreamNeverOverruns) {
    struct Case {
        const char* what;
        uint8_t id, code, page;
        Bytes bytes;
    };
    const std::vector<Case> cases = {
        {"odd length", 1, 0x13, 0, WithCrc({0x81, 0x03, 0x01, 0x05, 0x06})},
        {"wrong crc", 1, 0x13, 0, {0x81, 0x02, 0x01, 0x05, 0xE3}},
        {"wrong unit", 1, 0x13, 0, WithCrc({0x82, 0x02, 0x01, 0x05})},
        {"bit 7 clear", 1, 0x12, 0, WithCrc({0x01})},
        {"firmware L=4", 1, 0x31, 0, WithCrc({0x81, 0x04, 1, 2, 3, 4})},
        {"ack lookalike: 8C taken as L = 140", 0, 0x3F, 0, {0x80, 0x8C}},
        {"information L=2", 1, 0x3F, 0, WithCrc({0x81, 0x02, 0x03, 0x08})},
        {"extended information L=3", 1, 0x3F, 1, WithCrc({0x81, 0x03, 0x01, 0x80, 0x47})},
        {"no such information page", 1, 0x3F, 2, WithCrc({0x81, 0x04, 0x01, 0x80, 0x47, 0x0F})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LinkHarness h;
        h.link.builder.SendCommand(c.id, c.code, 1, {c.page, uint8_t{0}});
        h.port.deliver(c.bytes);
        EXPECT_TRUE(h.replies.calls.empty());
        EXPECT_TRUE(h.link.queue.IsWaitingForAnswer());
        h.clock.advance(300ms);
        EXPECT_EQ(h.port.writes.size(), 2u); // repeated by the time-out
        EXPECT_FALSE(h.link.receiver.IsReceiving());
    }
    {
        // A unit's information sent twice is not its extended block, which
        // may be longer than five bytes; what came in one piece with an
        // answer is no answer to the request that answer let out.
        LinkHarness h;
        const Bytes info = WithCrc({0x81, 0x05, 0xE0, 8, 4, 'A', 'B'});
        h.link.senders.CmdGetUnitInfo(1, 0, 1);
        h.link.senders.CmdGetUnitInfo(1, 1, 1);
        h.port.deliver(info);
        ASSERT_EQ(h.port.writes.size(), 2u);
        h.port.deliver(info);
        EXPECT_EQ(h.replies.calls.size(), 1u); // the first only
        EXPECT_TRUE(h.link.queue.IsWaitingForAnswer());
        h.port.deliver(WithCrc({0x81, 0x06, 0x81, 0x80, 0x47, 0x0F, 0x00, 0x00}));
        EXPECT_EQ(h.replies.calls.size(), 2u);

        LinkHarness g;
        g.link.senders.CmdSetVolumnLevel(1, 1, 5, 0);
        g.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
        // The acknowledgement and, in the same piece, a stray reply.
        Bytes both = {0x81, 0xD2};
        const Bytes stray = WithCrc({0x81, 0x02, 0x01, 0x05});
        both.insert(both.end(), stray.begin(), stray.end());
        g.port.deliver(both);
        EXPECT_EQ(g.port.writes.size(), 2u);
        EXPECT_TRUE(g.link.queue.IsWaitingForAnswer()); // the query still awaits its own
        EXPECT_FALSE(g.link.receiver.IsReceiving());
    }
    // An endless stream never overruns the buffer; a reply still gets through after it.
    LinkHarness g;
    g.link.senders.CmdGetUnitInfo(0, 0, 1);
    Bytes noise(5000); // no pause: frames start, fail and restart
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<uint8_t>(0x80 | (i * 37 % 128));
    }
    g.port.deliver(noise);
    EXPECT_LE(g.link.receiver.packet().iCount, RECV_PACKET::kBufferSize);
    g.clock.advance(200ms);
    g.port.deliver(WithCrc({0x80, 0x03, 0x03, 0x08, 0x04}));
    EXPECT_EQ(g.replies.calls, (std::vector<std::string>{"ReplyUnitInfo"}));
}

TEST(ReceivePath, LongReplyStillArrivingHoldsTheRepeatUntilItIsTakenDroppedOrStalls) {
    // The answer starts at 40 ms and is still on the wire at 300 ms.
    LinkHarness h;
    h.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
    h.link.senders.CmdGetBassLevel(1, 0, 0, 1);
    SendTimed(h, FullVolumeReply(), 5208us + 40ms);
    h.clock.advance(310ms);
    EXPECT_EQ(h.port.writes.size(), 1u); // held back, not written over the answer
    ASSERT_TRUE(h.clock.advanceUntil([&] { return !h.replies.calls.empty(); }, 1s));
    EXPECT_EQ(h.replies.calls, (std::vector<std::string>{"ReplyVolumnLevel"}));
    EXPECT_EQ(h.replies.payloads[0].size(), 254u);
    ASSERT_EQ(h.port.writes.size(), 2u); // the next request, not a repeat
    EXPECT_EQ(h.port.writes[1][1], 0x15);

    // A bad CRC: repeated the moment the frame is dropped.
    LinkHarness g;
    g.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
    Bytes reply = FullVolumeReply();
    reply.back() ^= 0x01;
    SendTimed(g, reply, 45ms);
    const auto lastByte = 45ms + 1041us * static_cast<int>(reply.size() - 1);
    g.clock.advanceTo(lastByte - 1us);
    EXPECT_EQ(g.port.writes.size(), 1u);
    g.clock.advanceTo(lastByte);
    EXPECT_EQ(g.port.writes.size(), 2u);
    EXPECT_TRUE(g.replies.calls.empty());

    // The unit stops midway: dropped 200 ms after the last byte, repeated at once.
    LinkHarness k;
    k.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
    reply.resize(200);
    SendTimed(k, reply, 100ms);
    k.clock.advance(600ms);
    EXPECT_EQ(k.port.writes.size(), 2u);
    EXPECT_FALSE(k.link.receiver.IsReceiving());
}

TEST(QuietWait, OnlyTheRepeatedUnitsAnswerRestartsItItEndsAtItsLimitAndPrecedesInfoRequests) {
    // From 550 ms to at least 869 ms; other devices' bytes change nothing.
    Repeated h(550ms);
    EXPECT_TRUE(h.link.queue.IsSettling());
    h.At(700ms);
    h.port.deliver({0x85});
    h.port.deliver(WithCrc({0x89, 0x02, 0x01, 0x2A}));
    h.ExpectMuteAt(869ms);

    // The repeated unit's second answer does, to its announced last byte.
    Repeated r(550ms);
    for (size_t i = 0; i < kVolume.size(); ++i) {
        r.At(600ms + 20ms * static_cast<long>(i));
        r.port.deliver({kVolume[i]});
    }
    r.At(700ms);
    r.port.deliver({0x85, 0x86});
    r.ExpectMuteAt(680ms + 300ms);
    EXPECT_EQ(r.replies.calls, (std::vector<std::string>{"ReplyVolumnLevel"}));

    // The repeat's answer, handed over at 800 ms, past 300 ms of quiet.
    Repeated w(320ms);
    w.At(800ms);
    EXPECT_FALSE(w.MuteSent());
    w.port.deliver(kVolume);
    EXPECT_EQ(w.replies.calls, (std::vector<std::string>{"ReplyVolumnLevel"}));
    w.ExpectMuteAt(320ms + 569ms); // the limit

    // The limit: one time-out plus the longest answer's wire time.
    for (const auto& [baud, limit] : {std::pair{9600, 569ms}, std::pair{19200, 435ms}}) {
        Repeated l(550ms, baud);
        for (auto t = 570ms; t < 550ms + limit; t += 20ms) {
            l.At(t);
            l.port.deliver({0x81, 0xD2}); // the repeated unit, as if answering on and on
        }
        l.ExpectMuteAt(550ms + limit);
    }

    // The answer to a request made before a scan started: the line settles
    // too, and the unit's doubled answer is not taken for its probe's.
    LinkHarness b;
    b.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
    b.link.queue.ScanStarted();
    b.link.senders.CmdGetUnitInfo(1, 0, 1);
    b.clock.advance(20ms);
    b.port.deliver(kVolume);
    b.clock.advance(100ms);
    b.port.deliver(kVolume);
    b.clock.advance(299ms);
    EXPECT_EQ(b.port.writes.size(), 1u);
    b.clock.advance(1ms);
    EXPECT_EQ(b.port.writes.size(), 2u);
    EXPECT_EQ(b.replies.calls, (std::vector<std::string>{"ReplyVolumnLevel"}));

    // The repeat's answer is not taken for the returning unit's information.
    LinkHarness q;
    q.link.queue.attach(q.busy, q.views,
                        [&q](uint8_t id) { q.link.senders.CmdGetUnitInfo(id, 0, 1); });
    q.link.senders.CmdGetVolumnLevel(4, 0, 0, 1); // no record of unit 4
    q.clock.advance(300ms);
    const Bytes level = WithCrc({0x84, 0x04, 0x01, 0x2A, 0x02, 0x10});
    q.port.deliver(level);
    EXPECT_EQ(q.port.writes.size(), 2u); // the query and its repeat, nothing else
    q.clock.advance(10ms);
    q.port.deliver(level); // the repeat's answer: heard by no one
    EXPECT_EQ(q.replies.calls, (std::vector<std::string>{"ReplyVolumnLevel"}));
    q.clock.advanceTo(869ms);
    ASSERT_EQ(q.port.writes.size(), 3u);
    EXPECT_EQ(q.port.writes[2], (WithCrc({0x24, 0x3F, 0x00, 0x00})));
}

// An answer sent twice can hold up the next answer: the copy is taken for the
// next request, and the true answer then comes while the request after it is
// still going out. That frame answers nothing awaited: it is passed over
// whole, and the request whose answer proved doubtful is asked again, for its
// own job. A plain copy coming that early changes nothing.
TEST(ReceivePath, AnAnswerBegunWhileTheRequestGoesOutIsPassedOverAndADoubtfulOneAskedAgain) {
    LinkHarness h;
    h.AddUnit(1);
    std::vector<TransmitQueue::FrameEnd> heard;
    const uint32_t tag = h.link.queue.NewTag(
        [&heard](const SEND_PACKET&, TransmitQueue::FrameEnd end) { heard.push_back(end); });
    h.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
    h.link.queue.setCurrentTag(tag);
    h.link.senders.CmdGetMute(1, 0, 0, 1);
    h.link.queue.setCurrentTag(0);
    h.link.senders.CmdGetBassLevel(1, 0, 0, 1);

    const Bytes trueMute = WithCrc({0x81, 0x02, 0x01, 0x01});
    const Bytes bass = WithCrc({0x81, 0x02, 0x01, 0x07});
    h.port.deliver(kVolume);
    h.port.deliver(kVolume); // the copy, taken for the mute: nothing tells it apart yet
    ASSERT_EQ(h.port.writes.size(), 3u);
    EXPECT_EQ(h.port.writes[2][1], 0x15); // the bass query goes out
    EXPECT_TRUE(h.link.queue.RequestOnWire());
    const size_t taken = h.replies.calls.size();
    h.link.receiver.ProcessBytes({trueMute.begin(), trueMute.begin() + 3}); // mid-request
    h.clock.advance(6ms); // five bytes at 9600 baud: 5.2 ms
    EXPECT_FALSE(h.link.queue.RequestOnWire());
    h.link.receiver.ProcessBytes({trueMute.begin() + 3, trueMute.end()});
    EXPECT_EQ(h.replies.calls.size(), taken); // not the bass's answer
    EXPECT_TRUE(h.link.queue.HasPending(tag));

    h.port.deliver(bass);
    EXPECT_EQ(h.replies.calls.back(), "ReplyBassLevel");
    EXPECT_EQ(h.replies.payloads.back(), (Bytes{0x01, 0x07}));
    ASSERT_EQ(h.port.writes.size(), 4u);
    EXPECT_EQ(h.port.writes[3], h.port.writes[1]); // the mute, asked again
    h.port.deliver(trueMute);
    EXPECT_EQ(h.replies.calls.back(), "ReplyMuteStatus");
    EXPECT_EQ(h.replies.payloads.back(), (Bytes{0x01, 0x01}));
    EXPECT_FALSE(h.link.queue.HasPending(tag));
    using E = TransmitQueue::FrameEnd;
    EXPECT_EQ(heard, (std::vector<E>{E::Queued, E::Answered, E::Queued, E::Answered}));

    EXPECT_EQ(h.link.receiver.OutOfStepCount(), 1u);

    // The same answer once more, while the next request goes out or after
    // the last answer with nothing awaited: a copy.
    h.link.senders.CmdGetBassLevel(1, 0, 0, 1);
    h.link.receiver.ProcessBytes(trueMute);
    h.port.deliver(bass);
    h.port.deliver(bass);
    EXPECT_EQ(h.replies.calls.back(), "ReplyBassLevel");
    EXPECT_FALSE(h.link.queue.IsWaitingForAnswer());
    EXPECT_EQ(h.port.writes.size(), 5u);
    EXPECT_EQ(h.link.receiver.OutOfStepCount(), 1u);

    // A different answer after the last one, nothing awaited: the last
    // request's own came only now, and it is asked again at once.
    const size_t calls = h.replies.calls.size();
    h.port.deliver(WithCrc({0x81, 0x02, 0x01, 0x09}));
    EXPECT_EQ(h.replies.calls.size(), calls);
    EXPECT_EQ(h.link.receiver.OutOfStepCount(), 2u);
    ASSERT_EQ(h.port.writes.size(), 6u);
    EXPECT_EQ(h.port.writes[5], h.port.writes[4]);

    // An answer in another request's form is one held up as well.
    h.port.deliver(WithCrc({0x81, 0x00}));
    h.link.senders.CmdGetFirmwareVersion(1, 1);
    h.port.deliver(WithCrc({0x81, 0x04, 0x01, 0x02, 0x03, 0x04}));
    EXPECT_EQ(h.link.receiver.OutOfStepCount(), 3u);
}
