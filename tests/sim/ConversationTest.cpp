#include "SimLineFixture.h"

namespace quadrel::sim::test {
namespace {

Bytes Data(const Bytes& reply) {
    return reply.size() < 3 ? Bytes{} : Bytes(reply.begin() + 2, reply.end() - 1);
}

// One line, unit 1 first: what a unit does with each request, what it answers, and when.
TEST_F(SimLineFixture, ConversationFollowsTheProtocol) {
    ASSERT_TRUE(port.engine().addUnit(Config(1))); // delay: 400 steps
    // One unit an ID: a second at ID 1, or one past 31, is refused.
    EXPECT_FALSE(port.engine().addUnit(Config(1, 4)));
    EXPECT_FALSE(port.engine().addUnit(Config(32)));
    const auto state = [&]() -> const UnitState& { return port.engine().unit(1)->state(); };
    port.write(Request(1, 0x12, 2, 50));
    EXPECT_TRUE(pieces.empty() && drainedAt.empty()); // never from inside write()
    clock.advance(1s);
    // 5 bytes at 9600 baud, 2 ms to think, 2 bytes back, each as it arrives.
    EXPECT_EQ(drainedAt, (std::vector{VirtualClock::TimePoint(5 * 1042us)}));
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].at, VirtualClock::Duration(5 * 1042 + 2000 + 1042));
    EXPECT_EQ(pieces[1].at, VirtualClock::Duration(5 * 1042 + 2000 + 2 * 1042));

    EXPECT_EQ(ask({0x21, 0x12, 0x02, 0x32, 0x69}), kAck);
    EXPECT_EQ(ask(1, 0x12, 2, 30), kAck);
    EXPECT_EQ(ask({0x21, 0x13, 0x00, 0x00, 0x51}),
              (Bytes{0x81, 0x04, 0x01, 0x32, 0x02, 0x1E, 0xCF}));
    EXPECT_EQ(Data(ask(1, 0x13, 2, 0)), (Bytes{0x02, 0x1E})); // one port asked, one pair

    // Out of range: neither carried out nor acknowledged.
    const std::vector<std::array<uint8_t, 3>> bad = {
        {0x12, 1, 101}, {0x12, 3, 10}, {0x12, 0, 10}, // volume above 100, outputs 3 and 0 of 2
        {0x02, 1, 5},   {0x10, 1, 2},  {0x20, 1, 2},  // input 5 of 4, mute and EDID are 0 or 1
        {0x04, 0, 4},   {0x13, 0, 4},  {0x13, 3, 0},  // memory 4 of 3, output 3 of 2
        {0x01, 3, 1}};                                // a route to output 3 of 2
    for (const auto& [code, d0, d1] : bad) {
        EXPECT_TRUE(ask(1, code, d0, d1).empty()) << int(code) << " " << int(d0) << " " << int(d1);
    }
    EXPECT_EQ(state().audio[0].volume, 50);
    EXPECT_EQ(state().audio[0].input, 1);
    EXPECT_EQ(ask(1, 0x02, 1, 0), kAck); // input 0 disconnects
    EXPECT_EQ(state().audio[0].input, 0);

    // Bad frames and frames for others go unheard.
    Bytes spoilt = Request(1, 0x12, 2, 40);
    spoilt.back() ^= 0x01;
    EXPECT_TRUE(ask(spoilt).empty());
    EXPECT_TRUE(ask(2, 0x12, 2, 40).empty());               // no unit 2 on this line
    EXPECT_TRUE(ask(WithCrc({0x61, 0x12, 2, 40})).empty()); // bit 6 set: not an address
    EXPECT_EQ(state().audio[1].volume, 30);
    // A good frame right behind noise is still heard.
    Bytes noisy{0x00, 0x21, 0x55};
    const Bytes good = Request(1, 0x12, 2, 40);
    noisy.insert(noisy.end(), good.begin(), good.end());
    EXPECT_EQ(ask(noisy), kAck);
    EXPECT_EQ(state().audio[1].volume, 40);
    // Address bit 7 set: carried out, not answered.
    EXPECT_TRUE(ask(WithCrc({0xA1, 0x12, 2, 45})).empty());
    EXPECT_EQ(state().audio[1].volume, 45);

    // Presets keep each kind apart: saved as video preset 2 and audio 3, then undone live.
    const std::vector<std::array<uint8_t, 3>> steps = {{0x01, 1, 4}, {0x02, 1, 3}, {0x10, 2, 1},
                                                       {0x03, 0, 2}, {0x04, 0, 3}, {0x01, 1, 0},
                                                       {0x02, 1, 0}, {0x10, 2, 0}};
    for (const auto& [code, d0, d1] : steps) {
        ASSERT_EQ(ask(1, code, d0, d1), kAck);
    }
    EXPECT_EQ(Data(ask(1, 0x07, 0, 2)), (Bytes{1, 4, 2, 2}));
    EXPECT_EQ(Data(ask(1, 0x07, 0, 3)), (Bytes{1, 1, 2, 2})); // untouched video preset 3
    EXPECT_EQ(Data(ask(1, 0x11, 0, 3)), (Bytes{1, 0, 2, 1}));
    ASSERT_EQ(ask(1, 0x06, 0, 3), kAck); // load audio 3: audio and mute, not video
    EXPECT_EQ(Data(ask(1, 0x08, 0, 0)), (Bytes{1, 3, 2, 2}));
    EXPECT_EQ(Data(ask(1, 0x11, 0, 0)), (Bytes{1, 0, 2, 1}));
    EXPECT_EQ(Data(ask(1, 0x07, 0, 0)), (Bytes{1, 0, 2, 2}));

    // The delay level: 300 = 1 * 256 + 44, as the program sends it: high byte, then low byte.
    EXPECT_EQ(ask({0x21, 0x1E, 0x01, 0x01, 0xDB}), kAck);
    EXPECT_EQ(ask({0x21, 0x1C, 0x01, 0x2C, 0x4A}), kAck);
    EXPECT_EQ(state().audio[0].delayLevel, 300);
    EXPECT_EQ(ask(1, 0x1D, 1, 0)[3], 0x2C);
    EXPECT_EQ(ask(1, 0x1F, 1, 0)[3], 0x01);
    EXPECT_TRUE(ask(1, 0x1E, 1, 2).empty());    // 512 is past the 400 maximum
    EXPECT_TRUE(ask(1, 0x1C, 1, 0xFF).empty()); // 511 too
    // From 255 up to 300: the high byte alone would make 511; it stops at 400.
    ASSERT_EQ(ask(1, 0x1E, 2, 0), kAck);
    ASSERT_EQ(ask(1, 0x1C, 2, 0xFF), kAck);
    ASSERT_EQ(ask(1, 0x1E, 2, 1), kAck);
    EXPECT_EQ(state().audio[1].delayLevel, 400);
    ASSERT_EQ(ask(1, 0x1C, 2, 44), kAck);
    EXPECT_EQ(state().audio[1].delayLevel, 300);

    // Plugs change on schedule, and at random the same way for the same seed.
    UnitConfig scheduled = Config(4);
    const int now = static_cast<int>(clock.now() / 1ms);
    scheduled.plugSchedule = {{now + 1500, PlugKind::AudioOutput, 1, false},
                              {now + 500, PlugKind::VideoInput, 3, true}};
    ASSERT_TRUE(port.engine().addUnit(scheduled));
    EXPECT_EQ(ask(4, 0x09, 3, 0)[3], 0); // every third port starts unplugged
    EXPECT_EQ(ask(4, 0x09, 3, 0)[3], 1); // after 500 ms
    EXPECT_EQ(ask(4, 0x0C, 1, 0)[3], 0);

    UnitConfig moving = Config(5, 8);
    moving.inputs = 8;
    moving.plugPeriodMs = 200;
    const auto run = [&](uint64_t seed) {
        Line line(LineConfig{.seed = seed});
        line.port.engine().addUnit(moving);
        line.clock.advance(10s);
        line.port.engine().unit(5)->advancePlugs(line.clock.now());
        return line.port.engine().unit(5)->state().audioOutputPlugs;
    };
    const auto a = run(7);
    EXPECT_EQ(a, run(7));
    EXPECT_NE(a, run(8));
    EXPECT_NE(a, Unit(moving, 0).state().audioOutputPlugs); // they did move

    // A long name is cut to fit the length byte.
    UnitConfig c;
    c.id = 2;
    c.name = std::string(300, 'x');
    c.extendedInfo = false;
    ASSERT_TRUE(port.engine().addUnit(c));
    Bytes basic = ask(2, 0x3F, 0, 0);
    ASSERT_EQ(basic.size(), 255u + 3);
    EXPECT_EQ(basic[1], 255);
    EXPECT_TRUE(WellFormed(basic));
    EXPECT_TRUE(ask(2, 0x3F, 1, 0).empty()); // no extended information to give

    c = UnitConfig{};
    c.id = 9;
    c.name = "Studio A";
    c.memories = 15;
    c.inputs = 20;
    c.outputs = 12;
    c.video = c.bass = c.subwoofer = c.edidSelect = c.videoInputPlug = false;
    c.delayStepMs = 10;
    c.maxDelayTenths = 35;
    c.longFrames = true;
    c.firmwareMajor = 2;
    c.firmwareMinor = 1;
    c.firmwareRevision = 10;
    ASSERT_TRUE(port.engine().addUnit(c));
    basic = ask(9, 0x3F, 0, 0);
    const Bytes ext = ask(9, 0x3F, 1, 0);
    ASSERT_TRUE(WellFormed(basic));
    ASSERT_TRUE(WellFormed(ext));
    // Bit by bit against the protocol's tables.
    ASSERT_EQ(basic.size(), 5u + 8 + 1);
    EXPECT_EQ(basic[0], 0x89);
    EXPECT_EQ(basic[2] & 0xEF, 0xAF);
    EXPECT_EQ(Bytes(basic.begin() + 3, basic.begin() + 5), (Bytes{12, 20}));
    EXPECT_EQ(std::string(basic.begin() + 5, basic.end() - 1), "Studio A");
    ASSERT_EQ(ext[1], 5);
    EXPECT_EQ(ext[2] & 0x81, 0x81);
    EXPECT_EQ(ext[3] & 0x80, 0x00);
    EXPECT_EQ(ext[4] & 0xCF, 0xC5);
    EXPECT_EQ(ext[5] & 0x0F, 0x0E);
    EXPECT_EQ(ext[6], 35);

    // Firmware 2.1.10 travels as 21 0A.
    const Bytes fw = ask(9, 0x31, 0, 0);
    EXPECT_EQ(Bytes(fw.begin(), fw.end() - 1), (Bytes{0x89, 0x02, 0x21, 0x0A}));
    EXPECT_TRUE(WellFormed(fw));
    // What the unit lacks it does not answer.
    EXPECT_TRUE(ask(9, 0x3F, 2, 0).empty()); // information page
    EXPECT_TRUE(ask(9, 0x15, 0, 0).empty()); // bass
    EXPECT_TRUE(ask(9, 0x07, 0, 0).empty()); // video switch
    EXPECT_TRUE(ask(9, 0x21, 0, 0).empty()); // EDID
    EXPECT_TRUE(ask(9, 0x09, 0, 0).empty()); // video input plugs
    EXPECT_EQ(ask(9, 0x17, 0, 0)[1], 24);    // treble of 12 outputs
}

} // namespace
} // namespace quadrel::sim::test
