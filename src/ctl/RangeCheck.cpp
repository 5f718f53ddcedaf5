#include "ctl/RangeCheck.h"

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

QString Level(const std::optional<int>& value, bool supported, const QString& what) {
    if (!value) {
        return {};
    }
    if (!supported) {
        return QStringLiteral("the unit has no %1 control").arg(what);
    }
    if (*value < 0 || *value > 100) {
        return QStringLiteral("%1 %2 is outside 0-100").arg(what).arg(*value);
    }
    return {};
}

QString SetRefusal(const CtlCommand& c, const QRDSTA& unit) {
    if (!c.inputs.empty()) {
        const auto video = unit.objVideoINFO();
        if (!video || !video->blSupportEdidTypeSelect()) {
            return QStringLiteral("the unit has no EDID choice");
        }
        if (*c.edid != 0 && *c.edid != 1) {
            return QStringLiteral("EDID %1 is neither 0 nor 1").arg(*c.edid);
        }
        return Ports(c.inputs, unit.iInputCount(), QStringLiteral("input"));
    }
    if (!HasAudio(unit)) {
        return QStringLiteral("the unit has no audio");
    }
    QString why = Ports(c.outputs, unit.iOutputCount(), QStringLiteral("output"));
    const auto a = unit.objAudioINFO();
    for (const QString& w :
         {Level(c.volume, a->blSupportVolumnControl(), QStringLiteral("volume")),
          Level(c.bass, a->blSupportBassControl(), QStringLiteral("bass")),
          Level(c.treble, a->blSupportTrebleControl(), QStringLiteral("treble")),
          Level(c.subwoofer, a->blSupportSubwooferControl(), QStringLiteral("subwoofer"))}) {
        if (why.isEmpty()) {
            why = w;
        }
    }
    if (why.isEmpty() && c.delay) {
        if (!a->blSupportDelayControl() || a->iDelayUnit() <= 0) {
            return QStringLiteral("the unit has no delay control");
        }
        if (*c.delay < 0 || *c.delay > a->iMaxDelayTime()) {
            return QStringLiteral("delay %1 ms is outside 0-%2 ms")
                .arg(*c.delay)
                .arg(a->iMaxDelayTime());
        }
        if (*c.delay % a->iDelayUnit() != 0) {
            return QStringLiteral("delay %1 ms is not a multiple of the unit's %2 ms step")
                .arg(*c.delay)
                .arg(a->iDelayUnit());
        }
    }
    return why;
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
