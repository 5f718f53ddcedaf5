// The core against the emulator on a rough line: repeats, late answers and
// other devices' bytes must never leave it stuck or with a unit made up.
#include "support/SimCoreHarness.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

// Between two polls, so that the next request goes out at once.
void WaitIdle(SimCoreHarness& h) {
    ASSERT_TRUE(h.clock.advanceUntil([&] { return h.Idle(); }, 5s));
}

// The unit's first answer to the request just written comes after the
// time-out, so the request is repeated and both answers come; the line is as
// `after` says once the unit has heard it.
void AnswerLate(SimCoreHarness& h, const sim::FaultConfig& after = {}) {
    ASSERT_TRUE(h.core.link.queue.IsWaitingForAnswer());
    h.port.engine().setLineFaults({.late = 1, .lateMs = 350});
    h.clock.advance(10ms);
    h.port.engine().setLineFaults(after);
}

} // namespace

TEST(RoughLineCore, StrayBytesAfterARepeatDoNotStopTheRead) {
    SimCoreHarness h;
    sim::Unit& unit = h.AddUnit(2, 8, 6);
    ASSERT_TRUE(h.Scan());
    unit.state().audio[3].volume = 9;
    // A full read; its first request is repeated, then another device sends a
    // byte every 150 ms for as long as the read may take.
    WaitIdle(h);
    h.core.status.SetLoadingStatus(true);
    h.core.status.RequestUnitStatus(0);
    AnswerLate(h, {.chatter = 1, .chatterMs = 150});
    WaitIdle(h);
    EXPECT_EQ(h.core.model.AudioOutputs[4].iVolumnLevel, 9);
    EXPECT_TRUE(h.Differences(unit).empty());
    EXPECT_EQ(h.trace.overlaps, 0);
}

TEST(RoughLineCore, ScanDuringARepeatedQueryMakesNoUnitUp) {
    SimCoreHarness h;
    h.AddUnit(2, 8, 6);
    ASSERT_TRUE(h.Scan());
    WaitIdle(h);
    h.core.link.senders.CmdGetVolumnLevel(2, 0, 0, 1);
    AnswerLate(h);
    h.clock.advance(300ms); // repeated now; its first answer comes late
    h.core.status.SetScanning(true);
    // Each record of unit 2, at every moment, is what the unit says it is.
    for (int i = 0; i < 600 && h.core.status.IsBusy(); ++i) {
        h.clock.advance(100ms);
        const UnitRef two = h.core.model.FindUnit(2);
        ASSERT_TRUE(!two || (two->sName() == QStringLiteral("Unit 2") && two->iOutputCount() == 6))
            << "made up: " << two->sName().toStdString() << ", " << two->iOutputCount()
            << " outputs";
    }
    EXPECT_FALSE(h.core.status.IsBusy());
    EXPECT_EQ(h.core.model.objUnits().Count(), 1);
}

TEST(RoughLineCore, ScanWhileTheExtendedInformationIsAwaitedKeepsTheUnit) {
    SimCoreHarness h;
    h.AddUnit(2, 8, 6);
    ASSERT_TRUE(h.Scan());
    WaitIdle(h);
    h.core.link.senders.CmdGetUnitInfo(2, 1, 1);
    ASSERT_TRUE(h.core.link.queue.IsWaitingForAnswer());
    ASSERT_TRUE(h.Scan());
    EXPECT_EQ(h.core.model.objUnits().Count(), 1);
    ASSERT_TRUE(h.core.model.FindUnit(2));
    EXPECT_TRUE(h.core.model.FindUnit(2)->blConnected());
}

TEST(RoughLineCore, GiveUpOfARequestBeforeTheScanDoesNotEndIt) {
    SimCoreHarness h;
    sim::UnitConfig videoOnly = SimCoreHarness::Config(31, 8, 6);
    videoOnly.audio = false;
    h.AddUnit(4, 8, 6);
    h.AddUnit(videoOnly);
    ASSERT_TRUE(h.Scan());
    // Unit 31 refuses an audio query; a scan starts while it is awaited. Its
    // give-up 900 ms later is not the new scan's probe of ID 31.
    WaitIdle(h);
    h.core.link.senders.CmdGetMute(31, 0, 0, 1);
    ASSERT_TRUE(h.core.link.queue.IsWaitingForAnswer());
    const auto start = h.clock.now();
    ASSERT_TRUE(h.Scan());
    EXPECT_GT(h.clock.now() - start, 20s); // every probe was made
    EXPECT_EQ(h.core.model.objUnits().Count(), 2);
    EXPECT_TRUE(h.core.model.FindUnit(31));
    EXPECT_EQ(h.trace.overlaps, 0);
}
