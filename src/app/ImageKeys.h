#pragma once

#include <QString>

#include <array>

namespace quadrel {

// The picture keys of the views, filled once at start-up and read-only after.
struct ImageKeyTables {
    // Indexed by SwitchKeyIndex: audio part, video part, "_UP" or "_DN".
    std::array<QString, 32> SwitchKeys;
    // Indexed by PlugKeyIndex: "Audio"/"Video", "In"/"Out", plug state, "On".
    std::array<QString, 12> PlugKeys;
    // 0 "Unmute", 1 "Mute".
    std::array<QString, 2> MuteKeys;
};

// Bit 0 video routed, bit 1 audio routed, bit 2 video switchable, bit 3
// audio switchable, bit 4 pressed.
int SwitchKeyIndex(bool audioRouted, bool videoRouted, bool audioSwitchable, bool videoSwitchable,
                   bool pressed);

// Outputs after inputs, audio after video, then plugged, unplugged, unknown.
// Plugged wins when both flags are given.
int PlugKeyIndex(bool audio, bool output, bool plugged, bool unplugged);

ImageKeyTables InitImageKeys();

// The tables of this run, built on first use.
const ImageKeyTables& ImageKeys();

} // namespace quadrel
