// The emulator as rough as a real line: paced delivery, other devices talking,
// a closed port that leaves the wire alone.
#include "SimLineFixture.h"

#include <map>

namespace quadrel::sim::test {
namespace {

// Without faults of its own, the line's apply.
UnitConfig Unit(uint8_t id, int outputs = 2, std::optional<FaultConfig> faults = {}) {
    UnitConfig c;
    c.id = id;
    c.outputs = outputs;
    c.faults = faults;
    return c;
}

bool WellFormed(const Bytes& frame) {
    return frame.size() >= 2 && (frame[0] & 0x80) != 0 &&
           basCRC8_Dallas_1_Wire::CalculateCrc8(frame, static_cast<int>(frame.size()) - 1) ==
               frame.back();
}

// A line of its own, recording every read of the program with its time.
struct Line {
    explicit Line(LineConfig config = {}) : port(clock, config) {
        port.setHandlers({[this] { reads.emplace_back(clock.now(), port.readAll()); }, {}, {}});
        port.open(1, QStringLiteral("9600,n,8,1"));
    }
    Bytes All() const {
        Bytes all;
        for (const auto& [at, bytes] : reads) {
            all.insert(all.end(), bytes.begin(), bytes.end());
        }
        return all;
    }
    VirtualClock clock;
    SimSerialPort port;
    std::vector<std::pair<VirtualClock::TimePoint, Bytes>> reads;
};

TEST(RoughLine, LongAnswerArrivesByteByByteOrInAdapterChunks) {
    for (int chunkMs : {0, 16}) {
        Line line(LineConfig{.chunkMs = chunkMs});
        line.port.engine().addUnit(Unit(3, 200));
        line.port.write(Request(3, 0x13, 0, 0)); // 127 pairs: 257 bytes, 267 ms on the wire
        line.clock.advance(1s);
        ASSERT_EQ(line.All().size(), 257u) << chunkMs;
        EXPECT_TRUE(WellFormed(line.All()));
        // Byte by byte at the byte time, or every 16 ms what came in meanwhile.
        EXPECT_EQ(line.reads.size(), chunkMs == 0 ? 257u : 18u);
        for (size_t i = 1; i < line.reads.size(); ++i) {
            const auto gap = line.reads[i].first - line.reads[i - 1].first;
            ASSERT_EQ(gap, chunkMs == 0 ? line.port.engine().byteTime() : 16ms) << i;
        }
    }
}

TEST(RoughLine, ChatterComesWhetherOrNotAnythingIsAwaited) {
    Line line(LineConfig{.faults = {.chatter = 1, .chatterMs = 150}});
    line.port.engine().addUnit(Unit(1));
    line.clock.advance(1510ms); // nothing asked: ten stray bytes
    ASSERT_EQ(line.reads.size(), 10u);
    for (size_t i = 0; i < line.reads.size(); ++i) {
        EXPECT_EQ(line.reads[i].second.size(), 1u);
        EXPECT_NE(line.reads[i].second[0] & 0x80, 0);
        EXPECT_EQ(line.reads[i].first, VirtualClock::Duration(150ms) * static_cast<long>(i + 1) +
                                           line.port.engine().byteTime());
    }
    // While unit 1 is asked again and again, no stray byte carries its ID, and
    // the answers still arrive whole, stray bytes only between them.
    line.reads.clear();
    for (int i = 0; i < 40; ++i) {
        line.port.write(Request(1, 0x12, 2, 50));
        line.clock.advance(40ms);
    }
    const Bytes all = line.All();
    int answers = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i] == 0x81) {
            ASSERT_LT(i + 1, all.size());
            EXPECT_EQ(all[++i], 0xD2);
            ++answers;
        }
    }
    EXPECT_EQ(answers, 40);
    EXPECT_GE(all.size(), 80u + 10u);
}

TEST(RoughLine, ForeignFramesAndEchoesFollowAnswers) {
    Line line;
    line.port.engine().addUnit(Unit(1));
    line.port.engine().addUnit(Unit(2, 2, FaultConfig{.echo = 1, .echoMs = 20}));
    line.port.engine().addUnit(Unit(4, 2, FaultConfig{.foreign = 1, .foreignMs = 100}));
    std::vector<LineEvent> events;
    line.port.engine().setTrace([&](const LineEvent& e) { events.push_back(e); });

    line.port.write(Request(2, 0x12, 2, 50));
    line.clock.advance(1s);
    const uint8_t crc = basCRC8_Dallas_1_Wire::CalculateCrc8(Bytes{0x82}, 1);
    EXPECT_EQ(line.All(), (Bytes{0x82, crc, 0x82, crc}));
    ASSERT_EQ(events.size(), 3u); // request, answer, echo
    EXPECT_EQ(events[2].note, "unit 2 echo");
    EXPECT_EQ(events[2].at - events[1].at, 20ms + 2 * line.port.engine().byteTime());

    for (int i = 0; i < 20; ++i) {
        events.clear();
        line.port.write(Request(4, 0x13, 0, 0));
        line.clock.advance(500ms);
        ASSERT_EQ(events.size(), 3u);
        const LineEvent& other = events[2];
        EXPECT_TRUE(WellFormed(other.bytes));
        const uint8_t id = other.bytes[0] & 0x1F;
        EXPECT_EQ(other.note, "foreign unit " + std::to_string(id));
        EXPECT_TRUE(id != 1 && id != 2 && id != 4) << int(id); // no unit of the line
        EXPECT_LE(other.at - events[1].at, 100ms + 7 * line.port.engine().byteTime());
    }
}

TEST(RoughLine, ClosedOrMovedPortLeavesTheAnswerOnTheWire) {
    Line line;
    line.port.engine().addUnit(Unit(3, 200));
    line.port.write(Request(3, 0x13, 0, 0));
    line.clock.advance(50ms);
    const size_t before = line.All().size();
    EXPECT_GT(before, 30u);
    line.port.close();
    line.clock.advance(50ms);
    EXPECT_EQ(line.All().size(), before); // nothing while closed
    ASSERT_TRUE(line.port.open(1, QStringLiteral("9600,n,8,1")));
    line.clock.advance(1s);
    EXPECT_EQ(line.All().size(), 257u - 48u); // the tail, from 100 ms on

    // Port 7 is a second line (the options tests find its unit there): an
    // answer of the first line, on the wire when the port moved, stays there.
    line.port.addLine(7);
    line.port.write(Request(3, 0x12, 1, 5));
    line.clock.advance(3ms);
    line.port.close();
    ASSERT_TRUE(line.port.open(7, QStringLiteral("9600,n,8,1")));
    line.reads.clear();
    line.clock.advance(1s);
    EXPECT_TRUE(line.reads.empty());
}

// Every fault at an even chance: the same seed replays the same line; the
// faults of other devices leave the draws of the unit's own alone.
std::vector<std::string> Notes(uint64_t seed, bool rough) {
    FaultConfig f{.lost = 0.2,
                  .corrupt = 0.2,
                  .noise = 0.2,
                  .split = 0.2,
                  .late = 0.2,
                  .wrongId = 0.2,
                  .outOfRange = 0.2,
                  .empty = 0.2};
    if (rough) {
        f.chatter = 0.5;
        f.foreign = 0.3;
        f.echo = 0.3;
    }
    Line line(LineConfig{.seed = seed, .faults = f});
    line.port.engine().addUnit(Unit(1));
    std::vector<std::string> notes;
    line.port.engine().setTrace([&](const LineEvent& e) {
        if (e.kind == LineEvent::Kind::Answer) {
            notes.push_back(e.note + " " + std::to_string(e.at.count()));
        }
    });
    for (int i = 0; i < 40; ++i) {
        line.port.write(Request(1, static_cast<uint8_t>(i % 2 == 0 ? 0x13 : 0x0A), 0, 0));
        line.clock.advance(1s);
    }
    return notes;
}

TEST(RoughLine, SeedsReplayEveryFault) {
    const auto rough = Notes(42, true);
    EXPECT_EQ(rough, Notes(42, true));
    EXPECT_NE(rough, Notes(43, true));
    std::map<std::string, int> kinds;
    std::vector<std::string> faultsOfAnswers;
    for (const std::string& n : rough) {
        for (const char* k : {"chatter", "foreign", "echo"}) {
            kinds[k] += n.find(k) != std::string::npos ? 1 : 0;
        }
        if (n.rfind("unit 1", 0) == 0 && n.find("echo") == std::string::npos) {
            faultsOfAnswers.push_back(n.substr(0, n.rfind(' ')));
        }
    }
    EXPECT_GT(kinds["chatter"], 0);
    EXPECT_GT(kinds["foreign"], 0);
    EXPECT_GT(kinds["echo"], 0);
    std::vector<std::string> plain;
    for (const std::string& n : Notes(42, false)) {
        plain.push_back(n.substr(0, n.rfind(' ')));
    }
    EXPECT_EQ(faultsOfAnswers, plain);
}

} // namespace
} // namespace quadrel::sim::test
