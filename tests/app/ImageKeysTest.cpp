#include "app/ImageKeys.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <set>

using namespace quadrel;

TEST(ImageKeys, SwitchKeysFollowTheFiveBitCode) {
    const ImageKeyTables t = InitImageKeys();
    auto key = [&](bool ar, bool vr, bool as, bool vs, bool pressed) {
        return t.SwitchKeys[static_cast<size_t>(SwitchKeyIndex(ar, vr, as, vs, pressed))];
    };
    EXPECT_EQ(key(true, true, true, true, false), "OnAOnV_UP");
    EXPECT_EQ(key(true, false, true, true, false), "OnAOffV_UP");
    EXPECT_EQ(key(false, true, true, true, true), "OffAOnV_DN");
    EXPECT_EQ(key(false, false, false, true, false), "NoAOffV_UP");
    // A routed flag without the switchable flag counts as not switchable.
    EXPECT_EQ(key(true, true, false, false, false), "NoANoV_UP");
    EXPECT_EQ(key(true, false, false, true, true), "NoAOffV_DN");
    EXPECT_EQ(SwitchKeyIndex(false, true, false, false, false), 1);
    EXPECT_EQ(SwitchKeyIndex(true, false, false, false, false), 2);
    EXPECT_EQ(SwitchKeyIndex(false, false, false, false, true), 16);

    const std::set<QString> distinct(t.SwitchKeys.begin(), t.SwitchKeys.end());
    EXPECT_EQ(distinct.size(), 18u);
}

TEST(ImageKeys, PlugAndMuteKeys) {
    const ImageKeyTables t = InitImageKeys();
    const std::array<QString, 12> expected = {
        "VideoInPlugOn",  "VideoInUnplugOn",  "VideoInUnknowPlugOn",
        "AudioInPlugOn",  "AudioInUnplugOn",  "AudioInUnknowPlugOn",
        "VideoOutPlugOn", "VideoOutUnplugOn", "VideoOutUnknowPlugOn",
        "AudioOutPlugOn", "AudioOutUnplugOn", "AudioOutUnknowPlugOn"};
    EXPECT_EQ(t.PlugKeys, expected);
    EXPECT_EQ(t.PlugKeys[static_cast<size_t>(PlugKeyIndex(true, true, false, false))],
              "AudioOutUnknowPlugOn");
    EXPECT_EQ(t.PlugKeys[static_cast<size_t>(PlugKeyIndex(false, false, false, true))],
              "VideoInUnplugOn");
    EXPECT_EQ(t.MuteKeys[0], "Unmute");
    EXPECT_EQ(t.MuteKeys[1], "Mute");
    EXPECT_EQ(&ImageKeys(), &ImageKeys());
}
