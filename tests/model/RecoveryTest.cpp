// The line keeps going by itself: a port switched at any moment of a scan or
// a read leaves nothing behind that stops the next line's scan and poll.
#include "link/CommandCodes.h"
#include "support/SimCoreHarness.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

// Frames to `id` with `code` written since byte `from` of the line.
int Written(const SimCoreHarness& h, size_t from, uint8_t id, uint8_t code) {
    const std::vector<Bytes> f = h.Frames(from);
    return static_cast<int>(std::count_if(
        f.begin(), f.end(), [&](const Bytes& b) { return (b[0] & 0x1F) == id && b[1] == code; }));
}

} // namespace

TEST(Recovery, APortSwitchedAtAnyMomentOfAScanOrAReadLeavesTheNextLineWorking) {
    // Port 7 has unit 5 to read; port 9 has unit 2. The switch comes at every
    // 23 ms of the first line's scan and read: mid-frame, mid-repeat, mid-read.
    for (int ms = 0; ms <= 9000; ms += 23) {
        SCOPED_TRACE(ms);
        SimCoreHarness h;
        h.port.close();
        h.port.addLine(7).addUnit(SimCoreHarness::Config(5));
        sim::ProtocolEngine& nine = h.port.addLine(9);
        nine.addUnit(SimCoreHarness::Config(2));
        ASSERT_TRUE(h.port.open(7, QStringLiteral("9600,n,8,1")));
        h.core.status.SetScanning(true);
        h.clock.advance(std::chrono::milliseconds(ms));

        // As Options does: the port closes, the other opens, a scan starts.
        h.port.close();
        h.core.link.PortLost();
        ASSERT_TRUE(h.port.open(9, QStringLiteral("9600,n,8,1")));
        h.core.status.SetScanning(true);
        const size_t from = h.port.written().size();
        ASSERT_TRUE(h.clock.advanceUntil([&] { return !h.core.status.IsBusy(); }, 60s));
        const UnitRef unit = h.core.model.objSelectedUnit;
        ASSERT_TRUE(unit && unit->bID() == 2);
        EXPECT_EQ(Written(h, from, 31, kCmdGetUnitInfo), 3); // the scan ran to its end
        // Polled: the routes are asked again within the poll's second.
        const int routes = Written(h, from, 2, kCmdGetAudioSwitch);
        h.clock.advance(2500ms);
        EXPECT_GT(Written(h, from, 2, kCmdGetAudioSwitch), routes);
        EXPECT_TRUE(h.Differences(*nine.unit(2)).empty());
    }
}
