#include "ctl/RangeCheck.h"

#include "model/SettingRange.h"

#include <initializer_list>
#include <utility>

namespace quadrel::ctl {

namespace {

using K = CtlCommand::Kind;

bool HasAudio(const QRDSTA& unit) {
    return unit.objAudioINFO() && unit.objAudioINFO()->blEnabled();
}

bool HasVideo(const QRDSTA& unit) {
    return unit.objVideoINFO() && unit.objVideoINFO()->blEnabled();
}

QString Ports(const std::vector<int>& ports, int count, const QString& what) {
    for (int p : ports) {
        if (p < 1 || p > count) {
            return QStringLiteral("%1 %2 is outside 1-%3").arg(what).arg(p).arg(count);
        }
    }
    return {};
}

// The first of `values` that the unit would not take, in the order given.
QString Values(std::initializer_list<std::pair<Setting, std::optional<int>>> values,
               const QRDSTA& unit) {
    for (const auto& [setting, value] : values) {
        if (value) {
            const QString why = SettingRange::Refusal(setting, *value, unit);
            if (!why.isEmpty()) {
                return why;
            }
        }
    }
    return {};
}

QString SetRefusal(const CtlCommand& c, const QRDSTA& unit) {
    if (!c.inputs.empty()) {
        const QString why = Values({{Setting::Edid, c.edid}}, unit);
        return why.isEmpty() ? Ports(c.inputs, unit.iInputCount(), QStringLiteral("input")) : why;
    }
    if (!HasAudio(unit)) {
        return QStringLiteral("the unit has no audio");
    }
    const QString why = Ports(c.outputs, unit.iOutputCount(), QStringLiteral("output"));
    if (!why.isEmpty()) {
        return why;
    }
    const std::optional<int> mute = c.mute ? std::optional<int>(*c.mute ? 1 : 0) : std::nullopt;
    return Values({{Setting::Mute, mute},
                   {Setting::Volumn, c.volume},
                   {Setting::Bass, c.bass},
                   {Setting::Treble, c.treble},
                   {Setting::Subwoofer, c.subwoofer},
                   {Setting::Delay, c.delay}},
                  unit);
}

} // namespace

bool TouchesAudio(const CtlCommand& c, const QRDSTA& unit) {
    return c.audio || (!c.video && HasAudio(unit));
}

bool TouchesVideo(const CtlCommand& c, const QRDSTA& unit) {
    return c.video || (!c.audio && HasVideo(unit));
}

QString Refusal(const CtlCommand& c, const QRDSTA& unit) {
    switch (c.kind) {
    case K::Route:
    case K::Disconnect: {
        if (TouchesAudio(c, unit) && !HasAudio(unit)) {
            return QStringLiteral("the unit has no audio");
        }
        if (TouchesVideo(c, unit) && !HasVideo(unit)) {
            return QStringLiteral("the unit has no video");
        }
        if (!TouchesAudio(c, unit) && !TouchesVideo(c, unit)) {
            return QStringLiteral("the unit has neither audio nor video");
        }
        if (c.kind == K::Route && (*c.input < 1 || *c.input > unit.iInputCount())) {
            return QStringLiteral("input %1 is outside 1-%2").arg(*c.input).arg(unit.iInputCount());
        }
        return Ports(c.outputs, unit.iOutputCount(), QStringLiteral("output"));
    }
    case K::Set:
        return SetRefusal(c, unit);
    case K::PresetSave:
    case K::PresetLoad:
        if (unit.iMemoryCount() < 1) {
            return QStringLiteral("the unit has no presets");
        }
        if (c.location < 1 || c.location > unit.iMemoryCount()) {
            return QStringLiteral("location %1 is outside 1-%2")
                .arg(c.location)
                .arg(unit.iMemoryCount());
        }
        if (!HasAudio(unit) && !HasVideo(unit)) {
            return QStringLiteral("the unit has neither audio nor video");
        }
        return {};
    default:
        return {};
    }
}

} // namespace quadrel::ctl
