// The emulated line: a unit's conversation, each fault of a rough line, the
// emulator's options, and the clock of its real-time line.
#include "link/VirtualClock.h"
#include "sim/CommandLine.h"
#include "sim/ConfigFile.h"
#include "sim/QtScheduler.h"
#include "sim/SimSerialPort.h"
#include "support/FakeSerialPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <optional>
#include <tuple>
#include <vector>

namespace quadrel::sim::test {
namespace {

using namespace std::chrono_literals;

const Bytes kAck{0x81, 0xD2}; // unit 1's acknowledgement

using quadrel::test::WithCrc;
Bytes Request(uint8_t id, uint8_t command, uint8_t d0, uint8_t d1) {
    return WithCrc({static_cast<uint8_t>(0x20 | id), command, d0, d1});
}
// Address bit 7 set and the CRC right.
bool WellFormed(const Bytes& frame) {
    return frame.size() >= 2 && (frame[0] & 0x80) != 0 &&
           WithCrc(Bytes(frame.begin(), frame.end() - 1)) == frame;
}

// 4 inputs, 3 presets, delay up to 2 s in 5 ms steps.
UnitConfig Config(uint8_t id, int outputs = 2, std::optional<FaultConfig> faults = {}) {
    UnitConfig c;
    c.id = id;
    c.outputs = outputs;
    c.memories = 3;
    c.maxDelayTenths = 20;
    c.faults = faults;
    return c;
}

// One emulated line at 9600 baud, recording what arrives and when writes drain.
struct Line {
    struct Piece {
        VirtualClock::TimePoint at;
        Bytes bytes;
    };

    explicit Line(LineConfig config = {}) : port(clock, config) {
        port.setHandlers({[this] {
                              pieces.push_back({clock.now(), port.readAll()});
                          },
                          [this] { drainedAt.push_back(clock.now()); },
                          {}});
        EXPECT_TRUE(port.open(200, QStringLiteral("9600,n,8,1")));
    }

    Bytes All() const {
        Bytes all;
        for (const Piece& p : pieces) {
            all.insert(all.end(), p.bytes.begin(), p.bytes.end());
        }
        return all;
    }
    // All bytes that arrive within `wait` of the request.
    Bytes ask(const Bytes& request, VirtualClock::Duration wait = 1s) {
        pieces.clear();
        port.write(request);
        clock.advance(wait);
        return All();
    }
    Bytes ask(uint8_t id, uint8_t command, uint8_t d0, uint8_t d1) {
        return ask(Request(id, command, d0, d1));
    }

    VirtualClock clock;
    SimSerialPort port;
    std::vector<Piece> pieces;
    std::vector<VirtualClock::TimePoint> drainedAt;
};

class SimLineFixture : public ::testing::Test, public Line {};

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

// A config file, with the command line over it.
TEST(Options, ConfigFileDescribesLineAndUnitsTheCommandLineOverridesItAndMistakesAreNamed) {
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write(R"([line]
baud = 19200
latency = 7
lost = 0.25
seed = 5
port = 210

[unit]
id = 4
name = Hall, left side   # commas are fine here
inputs = 32
sections = a
bass = no
delay-step = 10
max-delay = 2500
firmware = 3.2.1
plug-at = 500:ain:3:0; 900:aout:2:1
[unit]
id = 7
silent-after = 5
)");
    file.flush();
    SimOptions o;
    QString error;
    ASSERT_TRUE(CommandLine::Parse(
        {"--seed=6", "--config", file.fileName(), "--unit", "id=8,outputs=9,late=1,late-ms=400",
         "--faults",
         "noise=0.5,chatter=1,chatter-ms=100,foreign=0.2,foreign-ms=50,echo=0.1,echo-ms=5",
         "--chunk-ms", "16", "--trace"},
        o, error))
        << error.toStdString();
    EXPECT_EQ((std::tuple{o.line.seed, o.port, o.trace, o.line.baud, o.line.chunkMs}),
              (std::tuple{6u, 210, true, 19200, 16}));
    EXPECT_EQ(o.line.latency, std::chrono::milliseconds(7));
    const FaultConfig& f = o.line.faults;
    EXPECT_TRUE(f.lost == 0.25 && f.noise == 0.5 && f.chatter == 1 && f.chatterMs == 100 &&
                f.foreign == 0.2 && f.foreignMs == 50 && f.echo == 0.1 && f.echoMs == 5 && f.any());
    ASSERT_EQ(o.units.size(), 3u);
    const UnitConfig& a = o.units[0];
    EXPECT_EQ((std::tuple{a.id, a.name, a.inputs, a.maxDelayLevel(), a.firmwareMajor}),
              (std::tuple{uint8_t{4}, std::string("Hall, left side"), 32, 250, uint8_t{3}}));
    EXPECT_TRUE(a.audio && !a.video && !a.bass);
    ASSERT_EQ(a.plugSchedule.size(), 2u);
    EXPECT_EQ(a.plugSchedule[1].kind, PlugKind::AudioOutput);
    EXPECT_FALSE(a.faults.has_value()); // the line's faults apply
    ASSERT_TRUE(o.units[1].faults.has_value());
    EXPECT_EQ(o.units[1].faults->silentAfterFrames, 5);
    EXPECT_EQ(o.units[1].faults->lost, 0); // its own faults, not the line's
    EXPECT_EQ(o.units[2].outputs, 9);
    EXPECT_EQ(o.units[2].faults->lateMs, 400);

    // A mistake in a config file names its line; one on the command line, the option.
    const std::vector<std::pair<const char*, const char*>> inFile = {
        {"[unit]\nid = 1\ncolour = red\n", "f:3: unknown unit key 'colour'"},
        {"id = 1\n", "f:1: key before"},
        {"[units]\n", "f:1: unknown section"},
        {"[line]\nbaud = 4800\n", "f:2: baud"},
        {"[unit]\nname = x\n", "has no id"},
        {"[unit]\nid = 1\nmax-delay = 150\n", "f:3:"},
        {"[unit]\nid=1\nplug-at = 5:xin:1:1\n", "plug-at"},
        {"[unit]\nid = 1\ninputs = 300\n", "f:3: inputs wants a whole number from 1 to 255"}};
    for (const auto& [text, message] : inFile) {
        o = SimOptions{};
        error.clear();
        EXPECT_FALSE(ConfigFile::Parse(QString::fromLatin1(text), QStringLiteral("f"), o, error));
        EXPECT_TRUE(error.contains(QLatin1String(message))) << error.toStdString();
    }
    const std::vector<std::pair<QStringList, const char*>> line = {
        {{"--unit", "id=1", "--unit", "id=1"}, "two units have id 1"},
        {{"--unit", "id=1,inputs"}, "not key=value"},
        {{"--demo", "--unit", "id=1"}, "--demo"},
        {{"--trace=yes"}, "unknown"},
        {{"--faults", "chatter-ms=0"}, "chatter-ms"},
        {{"--chunk-ms=-1"}, "chunk-ms"},
        {{"--port=0"}, "port wants a whole number from 1 to 255"},
        {{"--baud", "fast"}, "baud is 9600 or 19200"},
        {{"--unit", "name=NoId"}, "a unit needs id=0..31"},
        {{"--faults", "lost=2"}, "lost wants a chance from 0 to 1"},
        {{"--config", "/nonexistent/q.conf"}, "No such file"}};
    for (const auto& [args, message] : line) {
        o = SimOptions{};
        error.clear();
        EXPECT_FALSE(CommandLine::Parse(args, o, error)) << message;
        EXPECT_TRUE(error.contains(QLatin1String(message))) << error.toStdString();
    }
}

// The real-time line's clock: calls run in order of their time, ties in the
// order asked, never before their time, cancelled ones never; and not on the
// millisecond grid of Qt's timers, which made every hand-over up to 1 ms late.
TEST(QtSchedulerTest, RunsCallsInTimeOrderNeverEarlyAndWithoutMillisecondRounding) {
    QtScheduler scheduler;
    struct Ran {
        int tag;
        Scheduler::Duration late;
    };
    std::vector<Ran> ran;
    // Each non-zero delay is at least 0.5 ms off a whole millisecond.
    const std::vector<std::pair<int, Scheduler::Duration>> asked = {
        {1, 2500us}, {2, 300us}, {3, 300us}, {4, 0us}, {5, -50us}, {6, 1500us}};
    for (const auto& call : asked) {
        const int tag = call.first;
        const auto due = scheduler.now() + std::max(call.second, Scheduler::Duration::zero());
        scheduler.callAfter(call.second, [&, tag, due] {
            ran.push_back({tag, scheduler.now() - due});
        });
    }
    scheduler.cancel(scheduler.callAfter(1000us, [&] { ran.push_back({99, 0us}); }));
    scheduler.cancel(12345); // unknown: nothing happens

    QElapsedTimer waited;
    waited.start();
    while (ran.size() < asked.size() && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    std::vector<int> order;
    Scheduler::Duration leastLate = 1s;
    for (const Ran& r : ran) {
        order.push_back(r.tag);
        EXPECT_GE(r.late, 0us) << r.tag;
        if (r.tag != 4 && r.tag != 5) {
            leastLate = std::min(leastLate, r.late);
        }
    }
    EXPECT_EQ(order, (std::vector{4, 5, 2, 3, 6, 1}));
    EXPECT_LT(leastLate, 400us);
}

} // namespace
} // namespace quadrel::sim::test
