// The quiet wait after an answer to a repeated request, on a line where other
// devices talk and answers may be handed over whole.
#include "link/basCRC8_Dallas_1_Wire.h"
#include "support/LinkHarness.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

Bytes Framed(Bytes frame) {
    frame.push_back(basCRC8_Dallas_1_Wire::CalculateCrc8(frame, static_cast<int>(frame.size())));
    return frame;
}

const Bytes kVolume = Framed({0x81, 0x02, 0x01, 0x2A});

// Unit 1's volume query, repeated at 300 ms; its first answer comes at
// `answerAt` and starts the wait. The mute query waits behind it.
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

TEST(QuietWait, OnlyTheRepeatedUnitsAnswerRestartsIt) {
    // The wait began at 550 ms; it lasts at least until 869 ms, 569 ms after
    // the repeat, when the repeat's answer could have come whole. Other
    // devices' bytes, a stray byte and a whole foreign frame, change nothing.
    Repeated h(550ms);
    EXPECT_TRUE(h.link.queue.IsSettling());
    h.At(700ms);
    h.port.deliver({0x85});
    h.port.deliver(Framed({0x89, 0x02, 0x01, 0x2A}));
    h.ExpectMuteAt(869ms);

    // The repeated unit's second answer does, to its last byte as its length
    // byte announces, byte by byte; what follows it does not.
    Repeated r(550ms);
    for (size_t i = 0; i < kVolume.size(); ++i) {
        r.At(600ms + 20ms * static_cast<long>(i));
        r.port.deliver({kVolume[i]});
    }
    r.At(700ms);
    r.port.deliver({0x85, 0x86});
    r.ExpectMuteAt(680ms + 300ms);
    EXPECT_EQ(r.replies.calls, (std::vector<std::string>{"ReplyVolumnLevel"}));
}

TEST(QuietWait, WaitsForARepeatsAnswerHandedOverWhole) {
    // The first answer at 320 ms; the repeat's answer came off the wire from
    // 550 ms and is handed over at once at 800 ms, past 300 ms of quiet.
    Repeated h(320ms);
    h.At(800ms);
    EXPECT_FALSE(h.MuteSent());
    h.port.deliver(kVolume);
    EXPECT_EQ(h.replies.calls, (std::vector<std::string>{"ReplyVolumnLevel"}));
    h.ExpectMuteAt(320ms + 569ms); // the limit
}

TEST(QuietWait, EndsAtItsLimitWhateverArrives) {
    // One answer time-out plus the longest answer's wire time (258 bytes)
    // after the wait began.
    for (const auto& [baud, limit] : {std::pair{9600, 569ms}, std::pair{19200, 435ms}}) {
        Repeated h(550ms, baud);
        for (auto t = 570ms; t < 550ms + limit; t += 20ms) {
            h.At(t);
            h.port.deliver({0x81, 0xD2}); // the repeated unit, as if answering on and on
        }
        h.ExpectMuteAt(550ms + limit);
    }
}

// A unit without a record answers a repeated request: the information request
// that this asks for waits for the quiet line, so the repeat's answer is not
// taken for the unit's information.
TEST(QuietWait, DecidedBeforeTheInformationRequestOfAReturningUnit) {
    LinkHarness h;
    h.link.queue.attach(h.busy, h.views,
                        [&h](uint8_t id) { h.link.senders.CmdGetUnitInfo(id, 0, 1); });
    h.link.senders.CmdGetVolumnLevel(4, 0, 0, 1); // no record of unit 4
    h.clock.advance(300ms);
    const Bytes level = Framed({0x84, 0x04, 0x01, 0x2A, 0x02, 0x10});
    h.port.deliver(level);
    EXPECT_EQ(h.port.writes.size(), 2u); // the query and its repeat, nothing else
    h.clock.advance(10ms);
    h.port.deliver(level); // the repeat's answer: heard by no one
    EXPECT_EQ(h.replies.calls, (std::vector<std::string>{"ReplyVolumnLevel"}));
    h.clock.advanceTo(869ms);
    ASSERT_EQ(h.port.writes.size(), 3u);
    EXPECT_EQ(h.port.writes[2], (Framed({0x24, 0x3F, 0x00, 0x00})));
}
