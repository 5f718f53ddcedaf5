#include "log/basFile.h"
#include "log/basText.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace quadrel;

TEST(HexText, PadsToWidthButNeverShortens) {
    EXPECT_EQ(basText::HexFixed(5, 2), "05");
    EXPECT_EQ(basText::HexFixed(0xAB, 2), "AB");
    EXPECT_EQ(basText::HexFixed(4660, 2), "1234");
    EXPECT_EQ(basText::HexFixed(0, 4), "0000");
    EXPECT_EQ(basText::HexFixed(-1, 2), "FFFFFFFF");
}

TEST(HexText, EveryByteIsFollowedByABlank) {
    EXPECT_EQ(basText::ByteArrayToHex({0x0A, 0xFF, 0x01}), "0A FF 01 ");
    EXPECT_EQ(basText::ByteArrayToHex({}), "");
}

TEST(PathJoin, NoDoubledSeparatorsOrPoints) {
    EXPECT_EQ(basFile::CombinePath("/opt/q", "LOG", ""), "/opt/q/LOG");
    EXPECT_EQ(basFile::CombinePath("/opt/q/", "LOG", ""), "/opt/q/LOG");
    EXPECT_EQ(basFile::CombinePath("/opt/q", "trace", "txt"), "/opt/q/trace.txt");
    EXPECT_EQ(basFile::CombinePath("/opt/q", "trace", ".txt"), "/opt/q/trace.txt");
    EXPECT_EQ(basFile::CombinePath("", "trace", "txt"), "trace.txt");
    EXPECT_EQ(basFile::CombinePath("", "EVENT20120111", ""), "EVENT20120111");
}
