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

// Every frame the senders hand over, in order, whether written or queued.
std::vector<Bytes> Frames(LinkHarness& h) {
    std::vector<Bytes> out = h.port.writes;
    for (const SEND_PACKET& p : h.link.queue.SendQueue()) {
        out.push_back(p.bFrame);
    }
    return out;
}

} // namespace

TEST(Crc8AndBits, ValuesAndTaggedErrors) {
    const Bytes digits = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(crc::CalculateCrc8(digits, 9), 0xA1); // the standard check value
    EXPECT_EQ(crc::CalculateCrc8(digits, 0, 0x5A), 0x5A);
    EXPECT_EQ(crc::CalculateCrc8(Bytes{0x81}, 1), 0xD2); // the acknowledgement 81 D2
    EXPECT_EQ(bits::U8BitRead(0xA5, 7) * 2 + bits::U8BitRead(0xA5, 1), 2);
    EXPECT_EQ(bits::U8BitFieldRead(0xA5, 4, 4), 0x0A);
    int16_t w = 0;
    bits::U16BitSet(w, 15);
    bits::U16BitSet(w, 0);
    EXPECT_EQ(static_cast<uint16_t>(w), 0x8001);

    uint8_t b = 0;
    const std::vector<std::pair<std::function<void()>, std::string>> bad = {
        {[] {
             crc::CalculateCrc8(Bytes{1, 2}, 3);
         },
         "9: Subscript out of range - basCRC8_Dallas_1_Wire.CalculateCrc8"},
        {[] { bits::U8BitValue(8); }, "9: Subscript out of range - basBitAccess.U8BitValue"},
        {[] { bits::U8BitRead(1, -1); }, "9: Subscript out of range - basBitAccess.U8BitRead"},
        // The field reader shares the reader's tag.
        {[] { bits::U8BitFieldRead(1, 0, 8); },
         "5: Invalid procedure call or argument - basBitAccess.U8BitRead"},
        {[&] { bits::U8BitSet(b, 9); }, "9: Subscript out of range - basBitAccess.U8BitSet"},
        {[&] { bits::U16BitSet(w, -2); }, "9: Subscript out of range - basBitAccess.U16BitSet"},
        {[] { WithTag("outer.Routine", [] { bits::U16BitValue(16); }); },
         "9: Subscript out of range - basBitAccess.U16BitValue - outer.Routine"},
    };
    for (const auto& [call, text] : bad) {
        EXPECT_EQ(ErrorOf(call), text);
    }
}

TEST(SendCommand, ShortLongEmptyAndSplitForms) {
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

    // Unknown unit: 128 bytes per frame; a chunk of exactly two bytes takes
    // the short form, even mid-split.
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

    // A known unit's limit holds only while it answers; a limit never filled
    // in must not hang.
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
}

// The senders' bytes are walked against the emulator by the scenarios; here
// the places of output and input, and a delay level too large for two bytes.
TEST(CommandSenders, AddressCodeAndDataBytes) {
    LinkHarness h;
    CommandSenders& s = h.link.senders;
    s.CmdSetVideoSwitch(2, 4, 7, 0);
    EXPECT_TRUE(s.CmdSetDelayLevel(2, 1, 300, 0)); // high byte first
    EXPECT_FALSE(s.CmdSetDelayLevel(2, 1, 65536, 0));
    EXPECT_FALSE(s.CmdSetDelayLevel(2, 1, -1, 0));
    s.CmdGetDelayLevel(2, 0, 3, 1);
    const std::vector<std::array<int, 4>> expected = {{0x22, 0x01, 4, 7},
                                                      {0x22, 0x1E, 1, 1},
                                                      {0x22, 0x1C, 1, 44},
                                                      {0x22, 0x1D, 0, 3},
                                                      {0x22, 0x1F, 0, 3}};
    const auto frames = Frames(h);
    ASSERT_EQ(frames.size(), expected.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ((std::array<int, 4>{frames[i][0], frames[i][1], frames[i][2], frames[i][3]}),
                  expected[i])
            << i;
    }
}

TEST(VirtualClock, TimersAndCallsRunInOrderAndTimeRunsBackOnlyWhenNothingWaits) {
    VirtualClock clock;
    auto timer = clock.createTimer(300ms);
    std::vector<std::string> log;
    timer->setOnTick([&] { log.push_back("tick"); });
    timer->start();
    clock.advance(900ms);
    EXPECT_EQ(log.size(), 3u);
    // start() restarts the count; setEnabled(true) on a running timer does not.
    clock.advance(200ms);
    timer->start();
    clock.advance(200ms);
    timer->setEnabled(true);
    clock.advance(100ms);
    EXPECT_EQ(log.size(), 4u);

    // A tick may stop its own timer; a tick and a call due at the same time
    // run in the order they were scheduled.
    log.clear();
    timer->setOnTick([&] {
        log.push_back("tick");
        timer->stop();
    });
    timer->setInterval(100ms);
    timer->start();
    clock.callAfter(100ms, [&] { log.push_back("a"); });
    clock.callAfter(50ms, [&] { log.push_back("b"); });
    clock.cancel(clock.callAfter(60ms, [&] { log.push_back("never"); }));
    clock.advance(1s);
    EXPECT_EQ(log, (std::vector<std::string>{"b", "tick", "a"}));
    EXPECT_FALSE(timer->isActive());

    // Time runs back only when nothing waits (the fuzz rig's reset relies on it).
    timer->start();
    EXPECT_FALSE(clock.Rewind());
    timer->stop();
    EXPECT_TRUE(clock.Rewind());

    // A timer that outlives its clock is harmless.
    std::unique_ptr<Timer> orphan;
    {
        VirtualClock gone;
        orphan = gone.createTimer(10ms);
        orphan->start();
    }
    orphan->stop();
}
