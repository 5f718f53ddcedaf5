#include "support/LinkHarness.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;

namespace {

// Every frame the senders hand over, in order, whether written or queued.
std::vector<Bytes> Frames(LinkHarness& h) {
    std::vector<Bytes> out = h.port.writes;
    for (const SEND_PACKET& p : h.link.queue.SendQueue()) {
        out.push_back(p.bFrame);
    }
    return out;
}

} // namespace

TEST(CommandSenders, FramesOnTheLine) {
    LinkHarness h;
    CommandSenders& s = h.link.senders;
    s.CmdSetVolumnLevel(1, 2, 50, 0);
    s.CmdSetAudioSwitch(1, 3, 1, 0);
    s.CmdGetUnitInfo(5, 0, 1);
    s.CmdGetVolumnLevel(1, 0, 0, 1);
    EXPECT_EQ(Frames(h), (std::vector<Bytes>{{0x21, 0x12, 0x02, 0x32, 0x69},
                                             {0x21, 0x02, 0x03, 0x01, 0xBB},
                                             {0x25, 0x3F, 0x00, 0x00, 0x70},
                                             {0x21, 0x13, 0x00, 0x00, 0x51}}));
}

TEST(CommandSenders, DelayLevelGoesHighByteFirst) {
    LinkHarness h;
    EXPECT_TRUE(h.link.senders.CmdSetDelayLevel(1, 1, 300, 0));
    EXPECT_EQ(Frames(h),
              (std::vector<Bytes>{{0x21, 0x1E, 0x01, 0x01, 0xDB}, {0x21, 0x1C, 0x01, 0x2C, 0x4A}}));
    // A level that does not fit two bytes is not sent as some other delay.
    EXPECT_FALSE(h.link.senders.CmdSetDelayLevel(1, 1, 65536, 0));
    EXPECT_FALSE(h.link.senders.CmdSetDelayLevel(1, 1, -1, 0));
    EXPECT_EQ(Frames(h).size(), 2u);

    LinkHarness g;
    g.link.senders.CmdGetDelayLevel(1, 0, 3, 1);
    const auto frames = Frames(g);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0][1], 0x1D);
    EXPECT_EQ(frames[1][1], 0x1F);
    EXPECT_EQ(frames[1][3], 3); // memory location in data byte 1
}

TEST(CommandSenders, CodesAndDataBytesOfEverySender) {
    LinkHarness h;
    CommandSenders& s = h.link.senders;
    s.CmdSetVideoSwitch(2, 4, 7, 0);
    s.CmdSaveVideoMemory(2, 0, 3, 1);
    s.CmdSaveAudioMemory(2, 0, 3, 1);
    s.CmdLoadVideoMemory(2, 0, 3, 1);
    s.CmdLoadAudioMemory(2, 0, 3, 1);
    s.CmdGetVideoSwitch(2, 0, 5, 1);
    s.CmdGetAudioSwitch(2, 0, 5, 1);
    s.CmdGetVideoInputPlug(2, 0, 2);
    s.CmdGetAudioInputPlug(2, 0, 2);
    s.CmdGetVideoOutputPlug(2, 0, 2);
    s.CmdGetAudioOutputPlug(2, 0, 2);
    s.CmdSetMute(2, 4, 1, 0);
    s.CmdGetMute(2, 0, 0, 1);
    s.CmdSetBassLevel(2, 4, 10, 0);
    s.CmdGetBassLevel(2, 0, 0, 1);
    s.CmdSetTrebleLevel(2, 4, 11, 0);
    s.CmdGetTrebleLevel(2, 0, 0, 1);
    s.CmdSetSubwooferLevel(2, 4, 12, 0);
    s.CmdGetSubwooferLevel(2, 0, 0, 1);
    s.CmdSetEdidType(2, 6, 1, 1);
    s.CmdGetEdidType(2, 6, 1);
    s.CmdGetFirmwareVersion(2, 1);
    const std::vector<std::array<int, 3>> expected = {
        {0x01, 4, 7}, {0x03, 0, 3},  {0x04, 0, 3}, {0x05, 0, 3},  {0x06, 0, 3}, {0x07, 0, 5},
        {0x08, 0, 5}, {0x09, 0, 0},  {0x0A, 0, 0}, {0x0B, 0, 0},  {0x0C, 0, 0}, {0x10, 4, 1},
        {0x11, 0, 0}, {0x14, 4, 10}, {0x15, 0, 0}, {0x16, 4, 11}, {0x17, 0, 0}, {0x18, 4, 12},
        {0x19, 0, 0}, {0x20, 6, 1},  {0x21, 6, 0}, {0x31, 0, 0}};
    const auto frames = Frames(h);
    ASSERT_EQ(frames.size(), expected.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i][0], 0x22) << i;
        EXPECT_EQ(frames[i][1], expected[i][0]) << i;
        EXPECT_EQ(frames[i][2], expected[i][1]) << i;
        EXPECT_EQ(frames[i][3], expected[i][2]) << i;
    }
}
