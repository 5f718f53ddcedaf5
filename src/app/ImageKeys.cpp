#include "app/ImageKeys.h"

namespace quadrel {

namespace {

QString SwitchPart(const char* kind, bool routed, bool switchable) {
    if (!switchable) {
        return QStringLiteral("No") + QLatin1String(kind);
    }
    return (routed ? QStringLiteral("On") : QStringLiteral("Off")) + QLatin1String(kind);
}

} // namespace

int SwitchKeyIndex(bool audioRouted, bool videoRouted, bool audioSwitchable, bool videoSwitchable,
                   bool pressed) {
    return (videoRouted ? 1 : 0) | (audioRouted ? 2 : 0) | (videoSwitchable ? 4 : 0) |
           (audioSwitchable ? 8 : 0) | (pressed ? 16 : 0);
}

int PlugKeyIndex(bool audio, bool output, bool plugged, bool unplugged) {
    const int state = plugged ? 0 : (unplugged ? 1 : 2);
    return (output ? 6 : 0) + (audio ? 3 : 0) + state;
}

ImageKeyTables InitImageKeys() {
    ImageKeyTables t;
    for (int i = 0; i < 32; ++i) {
        const bool videoRouted = (i & 1) != 0;
        const bool audioRouted = (i & 2) != 0;
        const bool videoSwitchable = (i & 4) != 0;
        const bool audioSwitchable = (i & 8) != 0;
        const bool pressed = (i & 16) != 0;
        t.SwitchKeys[static_cast<size_t>(i)] =
            SwitchPart("A", audioRouted, audioSwitchable) +
            SwitchPart("V", videoRouted, videoSwitchable) +
            (pressed ? QStringLiteral("_DN") : QStringLiteral("_UP"));
    }
    static const char* const kStates[] = {"Plug", "Unplug", "UnknowPlug"};
    for (int output = 0; output < 2; ++output) {
        for (int audio = 0; audio < 2; ++audio) {
            for (int s = 0; s < 3; ++s) {
                const int i = PlugKeyIndex(audio != 0, output != 0, s == 0, s == 1);
                t.PlugKeys[static_cast<size_t>(i)] = QLatin1String(audio ? "Audio" : "Video") +
                                                     QLatin1String(output ? "Out" : "In") +
                                                     QLatin1String(kStates[s]) +
                                                     QStringLiteral("On");
            }
        }
    }
    t.MuteKeys = {QStringLiteral("Unmute"), QStringLiteral("Mute")};
    return t;
}

const ImageKeyTables& ImageKeys() {
    static const ImageKeyTables tables = InitImageKeys();
    return tables;
}

} // namespace quadrel
