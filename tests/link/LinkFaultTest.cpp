#include "support/SimCoreHarness.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

// Every fault of the emulator at once: after the line falls quiet, every
// request was answered or its unit marked as not answering, and never were
// two requests outstanding.
TEST(LinkUnderFaults, EveryRequestIsAnsweredOrItsUnitGivenUp) {
    for (uint64_t seed = 1; seed <= 6; ++seed) {
        sim::LineConfig line;
        line.seed = seed;
        line.latency = 20ms;
        line.faults.lost = 0.1;
        line.faults.corrupt = 0.1;
        line.faults.noise = 0.1;
        line.faults.split = 0.1;
        line.faults.splitGapMs = seed % 2 == 0 ? 250 : 60;
        line.faults.late = 0.05;
        line.faults.wrongId = 0.05;
        line.faults.outOfRange = 0.05;
        line.faults.empty = 0.05;
        SimCoreHarness h(line);
        for (uint8_t id : {1, 4, 9}) {
            sim::UnitConfig u;
            u.id = id;
            u.inputs = 12;
            u.outputs = 10;
            h.AddUnit(u);
            auto record = h.core.model.objUnits().Add(
                id, "u", true, 4, 12, 10, 128, true, std::make_shared<AUDIO_INFO>(),
                std::make_shared<VIDEO_INFO>(), std::make_shared<PLUG_INFO>(),
                std::make_shared<FIRMWARE_VERSION>(), QString::number(id));
            record->objAudioINFO()->setblEnabled(true);
        }
        h.core.model.objSelectedUnit = h.core.model.FindUnit(4);
        CommandSenders& s = h.core.link.senders;
        for (int round = 0; round < 20; ++round) {
            for (uint8_t id : {1, 4, 9}) {
                s.CmdSetVolumnLevel(id, static_cast<uint8_t>(round % 10 + 1),
                                    static_cast<uint8_t>(round * 5), 0);
                s.CmdGetMute(id, 0, 0, 1);
                s.CmdGetVideoSwitch(id, 0, 0, 1);
            }
            h.clock.advance(100ms);
        }
        ASSERT_TRUE(h.clock.advanceUntil(
            [&] {
                return !h.core.link.queue.IsWaitingForAnswer() &&
                       h.core.link.queue.SendQueue().empty();
            },
            600s))
            << "seed " << seed;
        EXPECT_EQ(h.trace.overlaps, 0) << "seed " << seed;
        // The faults did bite: some requests had to be repeated.
        EXPECT_GT(h.port.written().size() / 5, h.trace.sent.size()) << "seed " << seed;
        // Nothing is left half done: no retry counter is running.
        for (uint8_t id : {1, 4, 9}) {
            EXPECT_EQ(h.core.link.queue.iRetryCount(id), 0) << "seed " << seed;
        }
        EXPECT_FALSE(h.core.link.receiver.IsReceiving()) << "seed " << seed;
    }
}
