#include "app/ImageKeys.h"

namespace quadrel {

namespace {

// A routed flag without the switchable flag shows as not switchable.
QString SignalPart(const char* kind, bool routed, bool switchable) {
    const QString state = !switchable ? QStringLiteral("No")
                          : routed    ? QStringLiteral("On")
                                      : QStringLiteral("Off");
    return state + QLatin1String(kind);
}

} // namespace

int ImageKeys::SwitchKeyIndex(bool audioRouted, bool videoRouted, bool audioSwitchable,
                              bool videoSwitchable, bool pressed) {
    return (videoRouted ? 1 : 0) | (audioRouted ? 2 : 0) | (videoSwitchable ? 4 : 0) |
           (audioSwitchable ? 8 : 0) | (pressed ? 16 : 0);
}

int ImageKeys::PlugKeyIndex(bool audio, bool output, bool plugged, bool unplugged) {
    const int state = plugged ? 0 : unplugged ? 1 : 2;
    return (output ? 6 : 0) + (audio ? 3 : 0) + state;
}

void ImageKeys::InitImageKeys() {
    for (int code = 0; code < 32; ++code) {
        const bool videoRouted = (code & 1) != 0;
        const bool audioRouted = (code & 2) != 0;
        const bool videoSwitchable = (code & 4) != 0;
        const bool audioSwitchable = (code & 8) != 0;
        const bool pressed = (code & 16) != 0;
        SwitchKeys[static_cast<size_t>(code)] =
            SignalPart("A", audioRouted, audioSwitchable) +
            SignalPart("V", videoRouted, videoSwitchable) +
            (pressed ? QStringLiteral("_DN") : QStringLiteral("_UP"));
    }
    for (const bool output : {false, true}) {
        for (const bool audio : {false, true}) {
            const QString stem =
                QLatin1String(audio ? "Audio" : "Video") + QLatin1String(output ? "Out" : "In");
            PlugKeys[static_cast<size_t>(PlugKeyIndex(audio, output, true, false))] =
                stem + QStringLiteral("PlugOn");
            PlugKeys[static_cast<size_t>(PlugKeyIndex(audio, output, false, true))] =
                stem + QStringLiteral("UnplugOn");
            PlugKeys[static_cast<size_t>(PlugKeyIndex(audio, output, false, false))] =
                stem + QStringLiteral("UnknowPlugOn");
        }
    }
    MuteKeys = {QStringLiteral("Unmute"), QStringLiteral("Mute")};
}

} // namespace quadrel
