#include "SimLineFixture.h"

#include <algorithm>
#include <bit>

namespace quadrel::sim::test {
namespace {

// Unit 12 has no faults of its own, so the line's apply to it alone.
TEST_F(SimLineFixture, EachUnitsFaultTakesItsOwnShapeAndTheLinesApplyToTheRest) {
    const std::vector<FaultConfig> faults = {{.lost = 1},
                                             {.silent = true},
                                             {.deaf = true},
                                             {.corrupt = 1},
                                             {.noise = 1, .noiseBytes = 4},
                                             {.wrongId = 1},
                                             {.outOfRange = 1},
                                             {.empty = 1},
                                             {.late = 1, .lateMs = 350},
                                             {.silentAfterFrames = 2, .silentForMs = 3000},
                                             {.split = 1, .splitPieces = 3, .splitGapMs = 250}};
    for (size_t i = 0; i < faults.size(); ++i) {
        ASSERT_TRUE(port.engine().addUnit(Config(static_cast<uint8_t>(i + 1), 2, faults[i])));
    }
    ASSERT_TRUE(port.engine().addUnit(Config(12)));
    port.engine().setLineFaults({.lost = 1});
    const auto volume = [&](uint8_t id) { return port.engine().unit(id)->state().audio[1].volume; };

    EXPECT_TRUE(ask(1, 0x12, 2, 70).empty());
    EXPECT_EQ(volume(1), 70); // a lost answer: carried out all the same
    EXPECT_TRUE(ask(2, 0x12, 2, 70).empty());
    EXPECT_TRUE(ask(2, 0x3F, 0, 0).empty());
    EXPECT_EQ(volume(2), 50);
    EXPECT_EQ(ask(3, 0x12, 2, 70), WithCrc({0x83}));
    EXPECT_EQ(volume(3), 50); // acknowledged, not carried out
    EXPECT_TRUE(ask(12, 0x12, 1, 10).empty());

    for (int i = 0; i < 10; ++i) { // one bit flipped
        const Bytes got = ask(4, 0x12, 2, 50);
        const Bytes ack = WithCrc({0x84});
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(std::popcount(static_cast<unsigned>(got[0] ^ ack[0])) +
                      std::popcount(static_cast<unsigned>(got[1] ^ ack[1])),
                  1);
    }
    const Bytes noisy = ask(5, 0x12, 2, 50);
    ASSERT_EQ(noisy.size(), 6u);
    EXPECT_EQ(Bytes(noisy.end() - 2, noisy.end()), WithCrc({0x85}));
    EXPECT_EQ(ask(6, 0x12, 2, 50), WithCrc({0x87})); // the next unit's ID
    for (uint8_t command : {0x13, 0x15, 0x17, 0x19, 0x11, 0x08}) {
        const Bytes got = ask(7, command, 0, 0);
        ASSERT_EQ(got.size(), 7u);
        const int limit = command == 0x11 ? 1 : command == 0x08 ? 4 : 100;
        EXPECT_TRUE(got[3] > limit || got[5] > limit) << int(command);
    }
    EXPECT_EQ(ask(8, 0x13, 0, 0), WithCrc({0x88, 0x00}));
    // Acknowledgements carry no values to spoil or take away.
    EXPECT_EQ(ask(7, 0x12, 1, 10), WithCrc({0x87}));
    EXPECT_EQ(ask(8, 0x12, 1, 10), WithCrc({0x88}));

    pieces.clear();
    const auto sent = clock.now();
    port.write(Request(9, 0x12, 2, 50));
    clock.advance(300ms);
    EXPECT_TRUE(pieces.empty());
    clock.advance(100ms);
    ASSERT_EQ(pieces.size(), 2u); // byte by byte
    EXPECT_EQ(pieces[0].bytes[0], 0x89);
    EXPECT_GT(pieces[0].at - sent, VirtualClock::Duration(350ms));

    // One request a second: silent from the third to 3 s later, then back for good.
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(ask(10, 0x12, 2, 50).empty(), i >= 2 && i < 5) << i;
    }

    std::vector<std::pair<VirtualClock::TimePoint, Bytes>> split; // pieces, by their last byte
    port.engine().setTrace([&](const LineEvent& e) {
        if (e.kind == LineEvent::Kind::Answer) {
            split.emplace_back(e.at, e.bytes);
        }
    });
    EXPECT_EQ(ask(11, 0x13, 0, 0).size(), 7u); // 7-byte reply: pieces of 2, 2, 3
    ASSERT_EQ(split.size(), 3u);
    EXPECT_EQ(split[0].second.size(), 2u);
    EXPECT_EQ(split[2].second.size(), 3u);
    const auto bt = port.engine().byteTime();
    EXPECT_EQ(split[1].first - split[0].first, 250ms + 2 * bt);
    EXPECT_EQ(split[2].first - split[1].first, 250ms + 3 * bt);
}

// Unit 3's 257-byte answer byte by byte, or every 16 ms what came meanwhile.
TEST(RoughLine, LongAnswerPacedStaysOnTheWireWhenThePortMovesAndChatterComesAnyway) {
    for (int chunkMs : {0, 16}) {
        Line line(LineConfig{.chunkMs = chunkMs});
        line.port.engine().addUnit(Config(3, 200));
        const Bytes all = line.ask(Request(3, 0x13, 0, 0));
        ASSERT_EQ(all.size(), 257u) << chunkMs;
        EXPECT_TRUE(WellFormed(all));
        EXPECT_EQ(line.pieces.size(), chunkMs == 0 ? 257u : 18u);
        for (size_t i = 1; i < line.pieces.size(); ++i) {
            const auto gap = line.pieces[i].at - line.pieces[i - 1].at;
            ASSERT_EQ(gap, chunkMs == 0 ? line.port.engine().byteTime() : 16ms) << i;
        }
    }
    Line line;
    line.port.engine().addUnit(Config(3, 200));
    line.port.write(Request(3, 0x13, 0, 0));
    line.clock.advance(50ms);
    const size_t before = line.All().size();
    EXPECT_GT(before, 30u);
    line.port.close();
    line.clock.advance(50ms);
    EXPECT_EQ(line.All().size(), before); // nothing while closed
    ASSERT_TRUE(line.port.open(200, QStringLiteral("9600,n,8,1")));
    line.clock.advance(1s);
    EXPECT_EQ(line.All().size(), 257u - 48u); // the tail, from 100 ms on

    // Port 7 is a second line: the first line's answer stays on the first.
    line.port.addLine(7);
    line.port.write(Request(3, 0x12, 1, 5));
    line.clock.advance(3ms);
    line.port.close();
    ASSERT_TRUE(line.port.open(7, QStringLiteral("9600,n,8,1")));
    line.pieces.clear();
    line.clock.advance(1s);
    EXPECT_TRUE(line.pieces.empty());

    Line chatty(LineConfig{.faults = {.chatter = 1, .chatterMs = 150}});
    chatty.port.engine().addUnit(Config(1));
    chatty.clock.advance(1510ms); // nothing asked: ten stray bytes
    ASSERT_EQ(chatty.pieces.size(), 10u);
    for (size_t i = 0; i < chatty.pieces.size(); ++i) {
        EXPECT_EQ(chatty.pieces[i].bytes.size(), 1u);
        EXPECT_NE(chatty.pieces[i].bytes[0] & 0x80, 0);
        EXPECT_EQ(chatty.pieces[i].at, VirtualClock::Duration(150ms) * static_cast<long>(i + 1) +
                                           chatty.port.engine().byteTime());
    }
    // No stray byte carries unit 1's ID; its answers arrive whole.
    chatty.pieces.clear();
    for (int i = 0; i < 40; ++i) {
        chatty.port.write(Request(1, 0x12, 2, 50));
        chatty.clock.advance(40ms);
    }
    const Bytes all = chatty.All();
    int answers = 0;
    for (size_t i = 0; i + 1 < all.size(); ++i) {
        if (all[i] == 0x81) {
            EXPECT_EQ(all[++i], 0xD2);
            ++answers;
        }
    }
    EXPECT_EQ(answers, 40);
    EXPECT_GE(all.size(), 80u + 10u);

    // Only bit 5 alone marks an address: the stray bytes under 0x7F data are
    // those under 0x1F data, where none would look like an address.
    const auto strays = [](uint8_t filler) {
        Line l(LineConfig{.seed = 5, .faults = {.chatter = 1, .chatterMs = 10}});
        l.port.write(Bytes(200, filler));
        l.clock.advance(200ms);
        return l.All();
    };
    EXPECT_GE(strays(0x1F).size(), 15u);
    EXPECT_EQ(strays(0x7F), strays(0x1F));
}

// "note time" per answer; other devices' faults leave the unit's own draws alone.
std::vector<std::string> Notes(uint64_t seed, bool rough) {
    FaultConfig f;
    f.lost = f.corrupt = f.noise = f.split = f.late = f.wrongId = f.outOfRange = f.empty = 0.2;
    if (rough) {
        f.chatter = 0.5;
        f.foreign = f.echo = 0.3;
    }
    Line line(LineConfig{.seed = seed, .faults = f});
    line.port.engine().addUnit(Config(1));
    std::vector<std::string> notes;
    line.port.engine().setTrace([&](const LineEvent& e) {
        if (e.kind == LineEvent::Kind::Answer) {
            notes.push_back(e.note + " " + std::to_string(e.at.count()));
        }
    });
    for (int i = 0; i < 40; ++i) {
        line.ask(1, static_cast<uint8_t>(i % 2 == 0 ? 0x13 : 0x0A), 0, 0);
    }
    return notes;
}

TEST(RoughLine, SeedsReplayEveryFault) {
    const auto rough = Notes(42, true);
    EXPECT_EQ(rough, Notes(42, true));
    EXPECT_NE(rough, Notes(43, true));
    const auto has = [&](const char* k) {
        return std::any_of(rough.begin(), rough.end(),
                           [&](const std::string& n) { return n.find(k) != n.npos; });
    };
    EXPECT_TRUE(has("chatter") && has("foreign") && has("echo"));
    for (const std::string& n : rough) { // another device never takes the unit's ID
        EXPECT_NE(n.rfind("foreign unit 1 ", 0), 0u) << n;
    }
    std::vector<std::string> own, plain; // without the times
    for (const std::string& n : rough) {
        if (n.rfind("unit 1", 0) == 0 && n.find("echo") == std::string::npos) {
            own.push_back(n.substr(0, n.rfind(' ')));
        }
    }
    for (const std::string& n : Notes(42, false)) {
        plain.push_back(n.substr(0, n.rfind(' ')));
    }
    EXPECT_EQ(own, plain);
}

} // namespace
} // namespace quadrel::sim::test
