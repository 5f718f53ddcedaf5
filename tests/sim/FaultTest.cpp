#include "SimLineFixture.h"

#include <bit>

namespace quadrel::sim::test {
namespace {

const Bytes kAck{0x81, 0xD2};

UnitConfig FaultyUnit(FaultConfig faults) {
    UnitConfig c;
    c.id = 1;
    c.outputs = 2;
    c.faults = faults;
    return c;
}

class Faults : public SimLineFixture {
protected:
    void use(FaultConfig faults) { ASSERT_TRUE(port.engine().addUnit(FaultyUnit(faults))); }
    Bytes setVolume() { return ask(1, 0x12, 2, 50); }
};

TEST_F(Faults, LostAnswerStillCarriesTheCommandOut) {
    use({.lost = 1});
    EXPECT_TRUE(ask(1, 0x12, 2, 70).empty());
    EXPECT_EQ(port.engine().unit(1)->state().audio[1].volume, 70);
}

TEST_F(Faults, CorruptedAnswerDiffersInOneBit) {
    use({.corrupt = 1});
    for (int i = 0; i < 10; ++i) {
        const Bytes got = setVolume();
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(std::popcount(static_cast<unsigned>(got[0] ^ kAck[0])) +
                      std::popcount(static_cast<unsigned>(got[1] ^ kAck[1])),
                  1);
    }
}

TEST_F(Faults, NoiseComesBeforeTheAnswer) {
    use({.noise = 1, .noiseBytes = 4});
    const Bytes got = setVolume();
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(Bytes(got.end() - 2, got.end()), kAck);
}

TEST_F(Faults, SplitAnswersComeInPiecesWithTheChosenGap) {
    for (int gapMs : {50, 250}) {
        VirtualClock clock;
        SimSerialPort line(clock);
        line.engine().addUnit(FaultyUnit({.split = 1, .splitPieces = 3, .splitGapMs = gapMs}));
        std::vector<std::pair<VirtualClock::TimePoint, Bytes>> got; // pieces, by their last byte
        line.engine().setTrace([&](const LineEvent& e) {
            if (e.kind == LineEvent::Kind::Answer) {
                got.emplace_back(e.at, e.bytes);
            }
        });
        int reads = 0;
        line.setHandlers({[&] { reads += static_cast<int>(line.readAll().size()); }, {}, {}});
        line.open(1, QStringLiteral("9600,n,8,1"));
        line.write(Request(1, 0x13, 0, 0)); // 7-byte reply: pieces of 2, 2, 3
        clock.advance(2s);
        EXPECT_EQ(reads, 7);
        ASSERT_EQ(got.size(), 3u);
        EXPECT_EQ(got[0].second.size(), 2u);
        EXPECT_EQ(got[2].second.size(), 3u);
        const auto bt = line.engine().byteTime();
        EXPECT_EQ(got[1].first - got[0].first, std::chrono::milliseconds(gapMs) + 2 * bt);
        EXPECT_EQ(got[2].first - got[1].first, std::chrono::milliseconds(gapMs) + 3 * bt);
    }
}

TEST_F(Faults, LateAnswersWaitTheChosenTime) {
    use({.late = 1, .lateMs = 350});
    port.write(Request(1, 0x12, 2, 50));
    clock.advance(300ms);
    EXPECT_TRUE(pieces.empty());
    clock.advance(100ms);
    ASSERT_EQ(pieces.size(), 2u); // byte by byte
    EXPECT_EQ(pieces[0].bytes[0], kAck[0]);
    EXPECT_GT(pieces[0].at, VirtualClock::Duration(350ms));
}

TEST_F(Faults, WrongIdAndEmptyReplies) {
    use({.wrongId = 1});
    EXPECT_EQ(setVolume(), (Bytes{0x82, basCRC8_Dallas_1_Wire::CalculateCrc8(Bytes{0x82}, 1)}));

    VirtualClock clock2;
    SimSerialPort line(clock2);
    line.engine().addUnit(FaultyUnit({.empty = 1}));
    Bytes got;
    line.setHandlers({[&] {
                          Bytes b = line.readAll();
                          got.insert(got.end(), b.begin(), b.end());
                      },
                      {},
                      {}});
    line.open(1, QStringLiteral("9600,n,8,1"));
    line.write(Request(1, 0x13, 0, 0));
    clock2.advance(1s);
    EXPECT_EQ(got, (Bytes{0x81, 0x00, basCRC8_Dallas_1_Wire::CalculateCrc8(Bytes{0x81, 0x00}, 2)}));
    got.clear();
    line.write(Request(1, 0x12, 1, 10)); // an acknowledgement has no data to take away
    clock2.advance(1s);
    EXPECT_EQ(got, kAck);
}

TEST_F(Faults, OutOfRangeValuesInReplies) {
    use({.outOfRange = 1});
    for (uint8_t command : {0x13, 0x15, 0x17, 0x19}) {
        const Bytes got = ask(1, command, 0, 0);
        ASSERT_EQ(got.size(), 7u);
        EXPECT_TRUE(got[3] > 100 || got[5] > 100) << int(command);
    }
    const Bytes mute = ask(1, 0x11, 0, 0);
    EXPECT_TRUE(mute[3] > 1 || mute[5] > 1);
    const Bytes route = ask(1, 0x08, 0, 0);
    EXPECT_TRUE(route[3] > 4 || route[5] > 4);
    EXPECT_EQ(ask(1, 0x12, 1, 10), kAck); // acknowledgements carry no values
}

TEST_F(Faults, SilentUnitNeitherAnswersNorActs) {
    use({.silent = true});
    EXPECT_TRUE(ask(1, 0x12, 2, 70).empty());
    EXPECT_TRUE(ask(1, 0x3F, 0, 0).empty());
    EXPECT_EQ(port.engine().unit(1)->state().audio[1].volume, 50);
}

TEST_F(Faults, UnitFallsSilentAfterNFramesAndComesBack) {
    use({.silentAfterFrames = 2, .silentForMs = 3000});
    EXPECT_EQ(setVolume(), kAck);
    EXPECT_EQ(setVolume(), kAck);
    EXPECT_TRUE(setVolume().empty()); // t = 2 s: silent from here
    EXPECT_TRUE(setVolume().empty());
    EXPECT_TRUE(setVolume().empty());
    EXPECT_EQ(setVolume(), kAck); // t = 5 s: back for good
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(setVolume(), kAck);
    }
}

TEST_F(Faults, LineFaultsApplyToUnitsWithoutTheirOwn) {
    port.engine().setLineFaults({.lost = 1});
    UnitConfig healthy;
    healthy.id = 2;
    healthy.faults = FaultConfig{};
    UnitConfig plain;
    plain.id = 3;
    ASSERT_TRUE(port.engine().addUnit(healthy));
    ASSERT_TRUE(port.engine().addUnit(plain));
    EXPECT_EQ(ask(2, 0x12, 1, 10).size(), 2u);
    EXPECT_TRUE(ask(3, 0x12, 1, 10).empty());
}

// Every fault at an even chance: the same seed replays the same line.
std::vector<std::pair<VirtualClock::TimePoint, Bytes>> Replay(uint64_t seed) {
    VirtualClock clock;
    FaultConfig all{.lost = 0.2,
                    .corrupt = 0.2,
                    .noise = 0.2,
                    .split = 0.2,
                    .late = 0.2,
                    .wrongId = 0.2,
                    .outOfRange = 0.2,
                    .empty = 0.2};
    SimSerialPort line(clock, LineConfig{9600, std::chrono::microseconds(2000), seed, all});
    UnitConfig c;
    c.id = 1;
    c.plugPeriodMs = 300;
    line.engine().addUnit(c);
    std::vector<std::pair<VirtualClock::TimePoint, Bytes>> got;
    line.setHandlers({[&] { got.emplace_back(clock.now(), line.readAll()); }, {}, {}});
    line.open(1, QStringLiteral("9600,n,8,1"));
    for (int i = 0; i < 40; ++i) {
        line.write(Request(1, static_cast<uint8_t>(i % 2 == 0 ? 0x13 : 0x0A), 0, 0));
        clock.advance(1s);
    }
    return got;
}

TEST(FaultSeeds, SameSeedSameFaultsOtherSeedOtherFaults) {
    const auto a = Replay(42);
    EXPECT_EQ(a, Replay(42));
    EXPECT_NE(a, Replay(43));
}

} // namespace
} // namespace quadrel::sim::test
