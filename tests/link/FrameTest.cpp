#include "link/FrameBuilder.h"
#include "link/QuadrelError.h"
#include "link/basCRC8_Dallas_1_Wire.h"

#include <gtest/gtest.h>

#include <map>

using namespace quadrel;
namespace crc = quadrel::basCRC8_Dallas_1_Wire;

namespace {

struct Directory : UnitDirectory {
    std::map<int, UnitRef> units;
    UnitRef FindUnit(uint8_t id) const override {
        auto it = units.find(id);
        return it == units.end() ? nullptr : it->second;
    }
};

struct Recorder : FrameQueue {
    std::vector<SEND_PACKET> frames;
    bool QueueCommand(const SEND_PACKET& p) override {
        frames.push_back(p);
        return false;
    }
};

struct Fixture {
    Directory units;
    Recorder queue;
    FrameBuilder builder{units, queue};
};

Bytes Seq(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) {
        b[i] = static_cast<uint8_t>(i);
    }
    return b;
}

} // namespace

TEST(Crc8, StandardTableAndCheckValue) {
    const Bytes head = {0x00, 0x5E, 0xBC, 0xE2, 0x61, 0x3F, 0xDD, 0x83};
    const Bytes tail = {0xB6, 0xE8, 0x0A, 0x54, 0xD7, 0x89, 0x6B, 0x35};
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(crc::kCrc8Table[i], head[i]) << i;
        EXPECT_EQ(crc::kCrc8Table[248 + i], tail[i]) << i;
    }
    const Bytes digits = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(crc::CalculateCrc8(digits, 9), 0xA1);
    // Count 0 leaves the initial value alone; the acknowledgement 81 D2 checks.
    EXPECT_EQ(crc::CalculateCrc8(digits, 0, 0x5A), 0x5A);
    EXPECT_EQ(crc::CalculateCrc8(Bytes{0x81}, 1), 0xD2);
    EXPECT_EQ(crc::CalculateCrc8(Bytes{0x81, 0x02, 0x01, 0x05}, 4), 0xE2);
}

TEST(Crc8, CountBeyondTheArrayIsATaggedError) {
    try {
        crc::CalculateCrc8(Bytes{1, 2}, 3);
        FAIL() << "no error";
    } catch (const QuadrelError& e) {
        EXPECT_EQ(e.number(), kErrSubscriptRange);
        EXPECT_EQ(e.description(), "Subscript out of range - basCRC8_Dallas_1_Wire.CalculateCrc8");
    }
}

TEST(SendCommand, ShortLongAndEmptyForms) {
    Fixture f;
    f.builder.SendCommand(0, 0x3F, 1, {uint8_t{0}, uint8_t{0}});
    f.builder.SendCommand(2, 0x10, 0, {uint8_t{5}});
    f.builder.SendCommand(1, 0x0D, 1, {});
    f.builder.SendCommand(1, 0x12, 0, {uint8_t{2}, uint8_t{50}});
    ASSERT_EQ(f.queue.frames.size(), 4u);
    EXPECT_EQ(f.queue.frames[0].bFrame, (Bytes{0x20, 0x3F, 0x00, 0x00, 0xF1}));
    EXPECT_EQ(f.queue.frames[1].bFrame, (Bytes{0x22, 0x90, 0x01, 0x05, 0xA4}));
    EXPECT_EQ(f.queue.frames[2].bFrame, (Bytes{0x21, 0x0D, 0xF8}));
    EXPECT_EQ(f.queue.frames[3].bFrame, (Bytes{0x21, 0x12, 0x02, 0x32, 0x69}));

    // The packet keeps the plain values the queue matches on.
    const SEND_PACKET& p = f.queue.frames[1];
    EXPECT_EQ(p.bCommand, 0x10);
    EXPECT_EQ(p.bID, 2);
    EXPECT_EQ(p.bData, Bytes{0x05});
    EXPECT_EQ(p.iDataLength, 1);
    EXPECT_EQ(p.iFrameLength, 5);
    EXPECT_EQ(p.lPriority, 0);
    EXPECT_EQ(f.queue.frames[2].iDataLength, 0);
    EXPECT_TRUE(f.queue.frames[2].bData.empty());
}

TEST(SendCommand, LongPayloadsSplitAtTheUnitsLimit) {
    Fixture f;
    // Unknown unit: 128 bytes per frame.
    f.builder.SendCommand(1, 0x05, 1, {Seq(200)});
    ASSERT_EQ(f.queue.frames.size(), 2u);
    EXPECT_EQ(f.queue.frames[0].iFrameLength, 132);
    EXPECT_EQ(f.queue.frames[0].bFrame[1], 0x85);
    EXPECT_EQ(f.queue.frames[0].bFrame[2], 128);
    EXPECT_EQ(f.queue.frames[1].iFrameLength, 76);
    EXPECT_EQ(f.queue.frames[1].bFrame[2], 72);
    EXPECT_EQ(f.queue.frames[1].bData.front(), 128);

    // A chunk of exactly two bytes takes the short form, even mid-split.
    f.queue.frames.clear();
    f.builder.SendCommand(1, 0x05, 1, {Seq(130)});
    ASSERT_EQ(f.queue.frames.size(), 2u);
    EXPECT_EQ(f.queue.frames[0].iFrameLength, 132);
    EXPECT_EQ(f.queue.frames[1].bFrame,
              (Bytes{0x21, 0x05, 128, 129, crc::CalculateCrc8(Bytes{0x21, 0x05, 128, 129}, 4)}));

    // Items mix single bytes and runs, in order.
    f.queue.frames.clear();
    f.builder.SendCommand(1, 0x05, 1, {uint8_t{9}, Bytes{1, 2, 3}, uint8_t{7}});
    EXPECT_EQ(f.queue.frames.at(0).bData, (Bytes{9, 1, 2, 3, 7}));
}

TEST(SendCommand, KnownUnitLimitAppliesOnlyWhileItAnswers) {
    Fixture f;
    auto unit = std::make_shared<QRDSTA>();
    unit->setbID(4);
    unit->setiMaxCommandLB(254);
    unit->setblConnected(true);
    f.units.units[4] = unit;
    f.builder.SendCommand(4, 0x05, 1, {Seq(200)});
    ASSERT_EQ(f.queue.frames.size(), 1u);
    EXPECT_EQ(f.queue.frames[0].iFrameLength, 204);

    unit->setblConnected(false);
    f.queue.frames.clear();
    f.builder.SendCommand(4, 0x05, 1, {Seq(200)});
    EXPECT_EQ(f.queue.frames.size(), 2u);

    // A connected record whose limit was never filled in must not hang.
    unit->setblConnected(true);
    unit->setiMaxCommandLB(0);
    f.queue.frames.clear();
    f.builder.SendCommand(4, 0x05, 1, {Seq(200)});
    EXPECT_EQ(f.queue.frames.size(), 2u);
}

TEST(SendCommand, MaxCommandLengthCodes) {
    EXPECT_EQ(GetMaxCommandLB(0), 128);
    EXPECT_EQ(GetMaxCommandLB(1), 254);
    EXPECT_EQ(GetMaxCommandLB(2), 0);
    EXPECT_EQ(GetMaxCommandLB(-1), 0);
}
