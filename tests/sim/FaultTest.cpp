#include "SimLineFixture.h"

#include <bit>

namespace quadrel::sim::test {
namespace {

const Bytes kAck{0x81, 0xD2};

UnitConfig FaultyUnit(FaultConfig faults, uint8_t id = 1) {
    UnitConfig c;
    c.id = id;
    c.outputs = 2;
    c.faults = faults;
    return c;
}

Bytes WithCrc(Bytes b) {
    b.push_back(basCRC8_Dallas_1_Wire::CalculateCrc8(b, static_cast<int>(b.size())));
    return b;
}

class Faults : public SimLineFixture {
protected:
    void use(FaultConfig faults, uint8_t id = 1) {
        ASSERT_TRUE(port.engine().addUnit(FaultyUnit(faults, id)));
    }
    int volume(uint8_t id) { return port.engine().unit(id)->state().audio[1].volume; }
};

TEST_F(Faults, LostSilentAndDeafUnitsEachDoOrAnswerOnlyTheirPart) {
    use({.lost = 1}, 1);
    use({.silent = true}, 2);
    use({.deaf = true}, 3);
    EXPECT_TRUE(ask(1, 0x12, 2, 70).empty());
    EXPECT_EQ(volume(1), 70); // a lost answer: carried out all the same
    EXPECT_TRUE(ask(2, 0x12, 2, 70).empty());
    EXPECT_TRUE(ask(2, 0x3F, 0, 0).empty());
    EXPECT_EQ(volume(2), 50);
    EXPECT_EQ(ask(3, 0x12, 2, 70), WithCrc({0x83}));
    EXPECT_EQ(volume(3), 50); // acknowledged, not carried out
}

TEST_F(Faults, SpoiltAnswersTakeTheirOwnShape) {
    use({.corrupt = 1}, 1);
    use({.noise = 1, .noiseBytes = 4}, 2);
    use({.wrongId = 1}, 3);
    use({.outOfRange = 1}, 5);
    use({.empty = 1}, 6);
    for (int i = 0; i < 10; ++i) { // one bit flipped
        const Bytes got = ask(1, 0x12, 2, 50);
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(std::popcount(static_cast<unsigned>(got[0] ^ kAck[0])) +
                      std::popcount(static_cast<unsigned>(got[1] ^ kAck[1])),
                  1);
    }
    const Bytes noisy = ask(2, 0x12, 2, 50);
    ASSERT_EQ(noisy.size(), 6u);
    EXPECT_EQ(Bytes(noisy.end() - 2, noisy.end()), WithCrc({0x82}));
    EXPECT_EQ(ask(3, 0x12, 2, 50), WithCrc({0x84})); // the next unit's ID
    for (uint8_t command : {0x13, 0x15, 0x17, 0x19, 0x11, 0x08}) {
        const Bytes got = ask(5, command, 0, 0);
        ASSERT_EQ(got.size(), 7u);
        const int limit = command == 0x11 ? 1 : command == 0x08 ? 4 : 100;
        EXPECT_TRUE(got[3] > limit || got[5] > limit) << int(command);
    }
    EXPECT_EQ(ask(6, 0x13, 0, 0), WithCrc({0x86, 0x00}));
    // Acknowledgements carry no values to spoil or take away.
    EXPECT_EQ(ask(5, 0x12, 1, 10), WithCrc({0x85}));
    EXPECT_EQ(ask(6, 0x12, 1, 10), WithCrc({0x86}));
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

TEST_F(Faults, UnitFallsSilentAfterNFramesAndComesBack) {
    use({.silentAfterFrames = 2, .silentForMs = 3000});
    // One request a second: silent from the third (t = 2 s) to t = 5 s, then back for good.
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(ask(1, 0x12, 2, 50).empty(), i >= 2 && i < 5) << i;
    }
}

TEST_F(Faults, LineFaultsApplyToUnitsWithoutTheirOwn) {
    port.engine().setLineFaults({.lost = 1});
    use(FaultConfig{}, 2);
    UnitConfig plain;
    plain.id = 3;
    ASSERT_TRUE(port.engine().addUnit(plain));
    EXPECT_EQ(ask(2, 0x12, 1, 10).size(), 2u);
    EXPECT_TRUE(ask(3, 0x12, 1, 10).empty());
}

} // namespace
} // namespace quadrel::sim::test
