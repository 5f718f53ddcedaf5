#include "SimLineFixture.h"

namespace quadrel::sim::test {
namespace {

UnitConfig SmallUnit(uint8_t id, int inputs = 4, int outputs = 2) {
    UnitConfig c;
    c.id = id;
    c.inputs = inputs;
    c.outputs = outputs;
    c.memories = 3;
    c.maxDelayTenths = 20; // 2000 ms, 400 steps of 5 ms
    return c;
}

class Conversation : public SimLineFixture {
protected:
    void SetUp() override {
        SimLineFixture::SetUp();
        ASSERT_TRUE(port.engine().addUnit(SmallUnit(1)));
    }
    Unit& unit1() { return *port.engine().unit(1); }
};

TEST_F(Conversation, VolumeSetIsAcknowledgedAndQueryListsEveryOutput) {
    EXPECT_EQ(ask({0x21, 0x12, 0x02, 0x32, 0x69}), (Bytes{0x81, 0xD2}));
    EXPECT_EQ(ask(1, 0x12, 2, 30), (Bytes{0x81, 0xD2}));
    EXPECT_EQ(ask({0x21, 0x13, 0x00, 0x00, 0x51}),
              (Bytes{0x81, 0x04, 0x01, 0x32, 0x02, 0x1E, 0xCF}));
    // One port asked, one pair answered.
    EXPECT_EQ(ask(1, 0x13, 2, 0),
              (Bytes{0x81, 0x02, 0x02, 0x1E,
                     basCRC8_Dallas_1_Wire::CalculateCrc8(Bytes{0x81, 0x02, 0x02, 0x1E}, 4)}));
}

TEST_F(Conversation, OutOfRangeSetsAreNeitherCarriedOutNorAcknowledged) {
    EXPECT_TRUE(ask(1, 0x12, 1, 101).empty()); // volume above 100
    EXPECT_TRUE(ask(1, 0x12, 3, 10).empty());  // output 3 of 2
    EXPECT_TRUE(ask(1, 0x12, 0, 10).empty());  // output 0
    EXPECT_TRUE(ask(1, 0x02, 1, 5).empty());   // input 5 of 4
    EXPECT_TRUE(ask(1, 0x10, 1, 2).empty());   // mute is 0 or 1
    EXPECT_TRUE(ask(1, 0x20, 1, 2).empty());   // EDID type is 0 or 1
    EXPECT_TRUE(ask(1, 0x04, 0, 4).empty());   // memory 4 of 3
    EXPECT_TRUE(ask(1, 0x13, 0, 4).empty());   // query of memory 4 of 3
    EXPECT_TRUE(ask(1, 0x13, 3, 0).empty());   // query of output 3 of 2
    EXPECT_EQ(unit1().state().audio[0].volume, 50);
    EXPECT_EQ(unit1().state().audio[0].input, 1);
    EXPECT_EQ(ask(1, 0x02, 1, 0), (Bytes{0x81, 0xD2})); // input 0 disconnects
    EXPECT_EQ(unit1().state().audio[0].input, 0);
}

TEST_F(Conversation, UnitsIgnoreBadFramesAndFramesForOthers) {
    Bytes bad = Request(1, 0x12, 2, 40);
    bad.back() ^= 0x01;
    EXPECT_TRUE(ask(bad).empty());
    EXPECT_TRUE(ask(2, 0x12, 2, 40).empty()); // no unit 2 on this line
    EXPECT_EQ(unit1().state().audio[1].volume, 50);
    // A good frame right behind noise is still heard.
    Bytes noisy{0x00, 0x21, 0x55};
    const Bytes good = Request(1, 0x12, 2, 40);
    noisy.insert(noisy.end(), good.begin(), good.end());
    EXPECT_EQ(ask(noisy), (Bytes{0x81, 0xD2}));
    EXPECT_EQ(unit1().state().audio[1].volume, 40);
    // Address bit 7 set: carried out, not answered.
    Bytes quiet = Request(1, 0x12, 2, 45);
    quiet[0] |= 0x80;
    quiet[4] = basCRC8_Dallas_1_Wire::CalculateCrc8(quiet, 4);
    EXPECT_TRUE(ask(quiet).empty());
    EXPECT_EQ(unit1().state().audio[1].volume, 45);
}

TEST_F(Conversation, PresetsKeepEachKindApart) {
    ASSERT_EQ(ask(1, 0x01, 1, 4), (Bytes{0x81, 0xD2})); // video output 1 <- input 4
    ASSERT_EQ(ask(1, 0x02, 1, 3), (Bytes{0x81, 0xD2})); // audio output 1 <- input 3
    ASSERT_EQ(ask(1, 0x10, 2, 1), (Bytes{0x81, 0xD2})); // mute output 2
    ASSERT_EQ(ask(1, 0x03, 0, 2), (Bytes{0x81, 0xD2})); // save video to 2
    ASSERT_EQ(ask(1, 0x04, 0, 3), (Bytes{0x81, 0xD2})); // save audio to 3
    ASSERT_EQ(ask(1, 0x01, 1, 0), (Bytes{0x81, 0xD2}));
    ASSERT_EQ(ask(1, 0x02, 1, 0), (Bytes{0x81, 0xD2}));
    ASSERT_EQ(ask(1, 0x10, 2, 0), (Bytes{0x81, 0xD2}));

    const auto pairs = [](const Bytes& reply) { return Bytes(reply.begin() + 2, reply.end() - 1); };
    EXPECT_EQ(pairs(ask(1, 0x07, 0, 2)), (Bytes{1, 4, 2, 2})); // video preset 2
    EXPECT_EQ(pairs(ask(1, 0x07, 0, 3)), (Bytes{1, 1, 2, 2})); // untouched video preset 3
    EXPECT_EQ(pairs(ask(1, 0x08, 0, 3)), (Bytes{1, 3, 2, 2})); // audio preset 3
    EXPECT_EQ(pairs(ask(1, 0x11, 0, 3)), (Bytes{1, 0, 2, 1}));
    EXPECT_EQ(pairs(ask(1, 0x08, 0, 0)), (Bytes{1, 0, 2, 2})); // live

    ASSERT_EQ(ask(1, 0x06, 0, 3), (Bytes{0x81, 0xD2})); // load audio 3
    EXPECT_EQ(pairs(ask(1, 0x08, 0, 0)), (Bytes{1, 3, 2, 2}));
    EXPECT_EQ(pairs(ask(1, 0x11, 0, 0)), (Bytes{1, 0, 2, 1}));
    EXPECT_EQ(pairs(ask(1, 0x07, 0, 0)), (Bytes{1, 0, 2, 2})); // video left alone
    ASSERT_EQ(ask(1, 0x05, 0, 2), (Bytes{0x81, 0xD2}));        // load video 2
    EXPECT_EQ(pairs(ask(1, 0x07, 0, 0)), (Bytes{1, 4, 2, 2}));
}

TEST_F(Conversation, DelayLevelTravelsHighByteFirst) {
    // 300 = 1 * 256 + 44, as the program sends it: high byte, then low byte.
    EXPECT_EQ(ask({0x21, 0x1E, 0x01, 0x01, 0xDB}), (Bytes{0x81, 0xD2}));
    EXPECT_EQ(ask({0x21, 0x1C, 0x01, 0x2C, 0x4A}), (Bytes{0x81, 0xD2}));
    EXPECT_EQ(unit1().state().audio[0].delayLevel, 300);
    EXPECT_EQ(ask(1, 0x1D, 1, 0)[3], 0x2C);
    EXPECT_EQ(ask(1, 0x1F, 1, 0)[3], 0x01);
    EXPECT_TRUE(ask(1, 0x1E, 1, 2).empty());    // 512 is past the 400 maximum
    EXPECT_TRUE(ask(1, 0x1C, 1, 0xFF).empty()); // 511 too
    // From 255 up to 300: the high byte alone would make 511; it stops at 400.
    ASSERT_EQ(ask(1, 0x1E, 2, 0), (Bytes{0x81, 0xD2}));
    ASSERT_EQ(ask(1, 0x1C, 2, 0xFF), (Bytes{0x81, 0xD2}));
    ASSERT_EQ(ask(1, 0x1E, 2, 1), (Bytes{0x81, 0xD2}));
    EXPECT_EQ(unit1().state().audio[1].delayLevel, 400);
    ASSERT_EQ(ask(1, 0x1C, 2, 44), (Bytes{0x81, 0xD2}));
    EXPECT_EQ(unit1().state().audio[1].delayLevel, 300);
}

TEST_F(Conversation, LargeUnitAnswersWholeUnitQueriesInWindowsOf127) {
    ASSERT_TRUE(port.engine().addUnit(SmallUnit(3, 255, 200)));
    const auto ports = [](const Bytes& reply) {
        std::vector<int> list;
        for (size_t i = 2; i + 1 < reply.size(); i += 2) {
            list.push_back(reply[i]);
        }
        return list;
    };
    Bytes first = ask(3, 0x13, 0, 0);
    ASSERT_EQ(first.size(), 3u + 254);
    EXPECT_EQ(first[1], 254);
    EXPECT_EQ(ports(first).front(), 1);
    EXPECT_EQ(ports(first).back(), 127);
    const Bytes second = ask(3, 0x13, 0, 0);
    EXPECT_EQ(second[1], 2 * 73);
    EXPECT_EQ(ports(second).front(), 128);
    EXPECT_EQ(ports(second).back(), 200);
    EXPECT_EQ(ports(ask(3, 0x13, 0, 0)).front(), 1); // round again
    // Each kind keeps its own turn; 255 inputs take three windows.
    EXPECT_EQ(ports(ask(3, 0x09, 0, 0)).front(), 1);
    EXPECT_EQ(ports(ask(3, 0x09, 0, 0)).front(), 128);
    const Bytes last = ask(3, 0x09, 0, 0);
    EXPECT_EQ(ports(last), std::vector<int>{255});
    EXPECT_EQ(ports(ask(3, 0x13, 0, 0)).front(), 128);
    EXPECT_EQ(ports(ask(3, 0x13, 150, 0)), std::vector<int>{150});
}

TEST_F(Conversation, WireTimingAndNotificationsFollowTheBaudRate) {
    bool inCall = true;
    port.setHandlers({[&] {
                          EXPECT_FALSE(inCall);
                          pieces.push_back({clock.now(), port.readAll()});
                      },
                      [&] {
                          EXPECT_FALSE(inCall);
                          drainedAt.push_back(clock.now());
                      },
                      {}});
    port.write(Request(1, 0x12, 2, 50));
    inCall = false;
    clock.advance(1s);
    // 5 bytes of 10 bits at 9600 baud: 5208 us; then 2 ms to think, 2 bytes
    // back, each handed over as it arrives.
    ASSERT_EQ(drainedAt.size(), 1u);
    EXPECT_EQ(drainedAt[0], VirtualClock::Duration(5 * 1041));
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].at, VirtualClock::Duration(5 * 1041 + 2000 + 1041));
    EXPECT_EQ(pieces[1].at, VirtualClock::Duration(5 * 1041 + 2000 + 2 * 1041));

    port.close();
    ASSERT_TRUE(port.open(200, QStringLiteral("19200,n,8,1")));
    pieces.clear();
    const auto start = clock.now();
    port.write(Request(1, 0x12, 2, 50));
    clock.advance(1s);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[1].at - start, VirtualClock::Duration(7 * 520 + 2000));
}

TEST_F(Conversation, NothingArrivesAfterClose) {
    port.write(Request(1, 0x12, 2, 50));
    port.close();
    clock.advance(1s);
    EXPECT_TRUE(pieces.empty());
    EXPECT_TRUE(drainedAt.empty());
}

TEST_F(Conversation, PlugsChangeOnScheduleAndAtRandomReproducibly) {
    UnitConfig c = SmallUnit(4);
    c.plugSchedule = {{1500, PlugKind::AudioOutput, 1, false},
                      {500, PlugKind::VideoInput, 3, true}};
    ASSERT_TRUE(port.engine().addUnit(c));
    EXPECT_EQ(ask(4, 0x09, 3, 0)[3], 0); // every third port starts unplugged
    EXPECT_EQ(ask(4, 0x09, 3, 0)[3], 1); // after 500 ms
    EXPECT_EQ(ask(4, 0x0C, 1, 0)[3], 0);

    const auto run = [](uint64_t seed) {
        VirtualClock clock;
        SimSerialPort line(clock, LineConfig{9600, std::chrono::microseconds(2000), seed, {}});
        UnitConfig moving = SmallUnit(5, 8, 8);
        moving.plugPeriodMs = 200;
        line.engine().addUnit(moving);
        clock.advance(10s);
        line.engine().unit(5)->advancePlugs(clock.now());
        return line.engine().unit(5)->state();
    };
    const UnitState a = run(7);
    const UnitState b = run(7);
    const UnitState other = run(8);
    EXPECT_EQ(a.videoInputPlugs, b.videoInputPlugs);
    EXPECT_EQ(a.audioOutputPlugs, b.audioOutputPlugs);
    const auto all = [](const UnitState& s) {
        std::vector<bool> v = s.videoInputPlugs;
        for (const auto* list : {&s.audioInputPlugs, &s.videoOutputPlugs, &s.audioOutputPlugs}) {
            v.insert(v.end(), list->begin(), list->end());
        }
        return v;
    };
    EXPECT_NE(all(a), all(Unit(SmallUnit(5, 8, 8), 0).state())); // they did move
    EXPECT_NE(all(a), all(other));
}

} // namespace
} // namespace quadrel::sim::test
