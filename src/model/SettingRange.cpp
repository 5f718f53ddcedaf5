#include "model/SettingRange.h"

#include <QCoreApplication>

namespace quadrel::SettingRange {

namespace {

constexpr int64_t kMaxLevel = 100;

} // namespace

bool Supported(Setting setting, const QRDSTA& unit) {
    const auto audio = unit.objAudioINFO();
    const auto video = unit.objVideoINFO();
    switch (setting) {
    case Setting::AudioRoute:
        return audio && audio->blEnabled();
    case Setting::VideoRoute:
        return video && video->blEnabled();
    case Setting::Mute:
    case Setting::Volumn:
        return audio && audio->blSupportVolumnControl();
    case Setting::Bass:
        return audio && audio->blSupportBassControl();
    case Setting::Treble:
        return audio && audio->blSupportTrebleControl();
    case Setting::Subwoofer:
        return audio && audio->blSupportSubwooferControl();
    case Setting::Delay:
        return audio && audio->blSupportDelayControl() && audio->iDelayUnit() > 0;
    case Setting::Edid:
        return video && video->blSupportEdidTypeSelect();
    }
    return false;
}

QString Words(Setting setting) {
    switch (setting) {
    case Setting::AudioRoute:
        return QCoreApplication::translate("SettingRange", "audio input");
    case Setting::VideoRoute:
        return QCoreApplication::translate("SettingRange", "video input");
    case Setting::Mute:
        //: the setting, muted or not
        return QCoreApplication::translate("SettingRange", "mute");
    case Setting::Volumn:
        return QCoreApplication::translate("SettingRange", "volume");
    case Setting::Bass:
        return QCoreApplication::translate("SettingRange", "bass");
    case Setting::Treble:
        return QCoreApplication::translate("SettingRange", "treble");
    case Setting::Subwoofer:
        return QCoreApplication::translate("SettingRange", "subwoofer");
    case Setting::Delay:
        return QCoreApplication::translate("SettingRange", "delay");
    case Setting::Edid:
        return QCoreApplication::translate("SettingRange", "EDID");
    }
    return {};
}

QString Refusal(Setting setting, int64_t value, const QRDSTA& unit) {
    const bool route = setting == Setting::AudioRoute || setting == Setting::VideoRoute;
    if (!route && !Supported(setting, unit)) {
        return setting == Setting::Edid
                   ? QCoreApplication::translate("SettingRange", "the unit has no EDID choice")
                   //: %1: the setting, as "bass"
                   : QCoreApplication::translate("SettingRange", "the unit has no %1 control")
                         .arg(setting == Setting::Mute
                                  ? QCoreApplication::translate("SettingRange", "volume and mute")
                                  : Words(setting));
    }
    switch (setting) {
    case Setting::Mute:
    case Setting::Edid:
        if (value != 0 && value != 1) {
            return QCoreApplication::translate("SettingRange", "%1 %2 is neither 0 nor 1")
                .arg(Words(setting))
                .arg(value);
        }
        return {};
    case Setting::Volumn:
    case Setting::Bass:
    case Setting::Treble:
    case Setting::Subwoofer:
        if (value < 0 || value > kMaxLevel) {
            return QCoreApplication::translate("SettingRange", "%1 %2 is outside 0-%3")
                .arg(Words(setting))
                .arg(value)
                .arg(kMaxLevel);
        }
        return {};
    case Setting::Delay: {
        const auto audio = unit.objAudioINFO();
        if (value < 0 || value > audio->iMaxDelayTime()) {
            return QCoreApplication::translate("SettingRange", "delay %1 ms is outside 0-%2 ms")
                .arg(value)
                .arg(audio->iMaxDelayTime());
        }
        if (value % audio->iDelayUnit() != 0) {
            return QCoreApplication::translate(
                       "SettingRange", "delay %1 ms is not a multiple of the unit's %2 ms step")
                .arg(value)
                .arg(audio->iDelayUnit());
        }
        return {};
    }
    default:
        return {};
    }
}

} // namespace quadrel::SettingRange
