#pragma once

#include <QString>

#include <array>

namespace quadrel {

// The picture keys of the views: crosspoint cells, plug icons and mute
// pictures. Plain data, filled once at start-up.
struct ImageKeys {
    std::array<QString, 32> SwitchKeys;
    std::array<QString, 12> PlugKeys;
    std::array<QString, 2> MuteKeys;

    void InitImageKeys();

    // Bit 0 video routed, 1 audio routed, 2 video switchable, 3 audio
    // switchable, 4 pressed.
    static int SwitchKeyIndex(bool audioRouted, bool videoRouted, bool audioSwitchable,
                              bool videoSwitchable, bool pressed);
    // Video before audio, inputs before outputs; plugged, unplugged, unknown.
    static int PlugKeyIndex(bool audio, bool output, bool plugged, bool unplugged);
};

} // namespace quadrel
