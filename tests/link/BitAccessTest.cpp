#include "link/QuadrelError.h"
#include "link/basBitAccess.h"

#include <gtest/gtest.h>

#include <functional>

using namespace quadrel;
using namespace quadrel::basBitAccess;

namespace {

std::string ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const QuadrelError& e) {
        return std::to_string(e.number()) + ": " + e.description();
    }
    return "no error";
}

} // namespace

TEST(BitAccess, Values) {
    EXPECT_EQ(U8BitValue(0), 1);
    EXPECT_EQ(U8BitValue(7), 128);
    EXPECT_EQ(U8BitRead(0xA5, 0), 1);
    EXPECT_EQ(U8BitRead(0xA5, 1), 0);
    EXPECT_EQ(U8BitRead(0xA5, 7), 1);
    EXPECT_EQ(U8BitFieldRead(0xA5, 0, 5), 5);
    EXPECT_EQ(U8BitFieldRead(0xA5, 4, 4), 0x0A);
    EXPECT_EQ(U16BitValue(15), -32768);
    EXPECT_EQ(U16BitValue(3), 8);
    uint8_t b = 0x01;
    U8BitSet(b, 7);
    EXPECT_EQ(b, 0x81);
    int16_t w = 0;
    U16BitSet(w, 15);
    U16BitSet(w, 0);
    EXPECT_EQ(static_cast<uint16_t>(w), 0x8001);
}

TEST(BitAccess, BadArgumentsCarryTheRoutinesTag) {
    EXPECT_EQ(ErrorOf([] { U8BitValue(8); }),
              "9: Subscript out of range - basBitAccess.U8BitValue");
    EXPECT_EQ(ErrorOf([] { U8BitRead(1, -1); }),
              "9: Subscript out of range - basBitAccess.U8BitRead");
    // The field reader shares the reader's tag.
    EXPECT_EQ(ErrorOf([] { U8BitFieldRead(1, 0, 8); }),
              "5: Invalid procedure call or argument - basBitAccess.U8BitRead");
    EXPECT_EQ(ErrorOf([] {
                  uint8_t v = 0;
                  U8BitSet(v, 9);
              }),
              "9: Subscript out of range - basBitAccess.U8BitSet");
    EXPECT_EQ(ErrorOf([] { U16BitValue(16); }),
              "9: Subscript out of range - basBitAccess.U16BitValue");
    EXPECT_EQ(ErrorOf([] {
                  int16_t v = 0;
                  U16BitSet(v, -2);
              }),
              "9: Subscript out of range - basBitAccess.U16BitSet");
}

TEST(QuadrelErrorTest, TagsAccumulateAlongTheCallChain) {
    const std::string text = ErrorOf([] { WithTag("outer.Routine", [] { U8BitValue(99); }); });
    EXPECT_EQ(text, "9: Subscript out of range - basBitAccess.U8BitValue - outer.Routine");
}
