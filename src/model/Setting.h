#pragma once

#include <cstdint>
#include <map>

namespace quadrel {

// A value of a unit the operator can set, one per port: routes, mute and
// levels per output, the EDID choice per input.
enum class Setting { AudioRoute, VideoRoute, Mute, Volumn, Bass, Treble, Subwoofer, Delay, Edid };

// The same kinds, as the unit settings file and its differences name them.
using Field = Setting;

struct SettingKey {
    Setting setting = Setting::AudioRoute;
    int port = 1;
    auto operator<=>(const SettingKey&) const = default;
};

// Values by key, as the model holds them (a delay in milliseconds).
using SettingValues = std::map<SettingKey, int32_t>;

} // namespace quadrel
