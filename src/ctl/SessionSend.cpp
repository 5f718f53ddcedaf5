// The requests of the change commands, made as the views make them: each
// setting withdraws what it makes useless, and a query of the same kind
// follows so that the model holds what the unit reports back.
#include "ctl/RangeCheck.h"
#include "ctl/Session.h"

namespace quadrel::ctl {

namespace {

using K = CtlCommand::Kind;
using LineChange = quadrel::Change;
constexpr int32_t kQuery = 1;

struct LevelKind {
    const std::optional<int> CtlCommand::*value;
    Setting setting;
    int AUDIO_OUTPUT_STATUS::*stored;
    const char* name;
};

const LevelKind kLevels[] = {
    {&CtlCommand::volume, Setting::Volumn, &AUDIO_OUTPUT_STATUS::iVolumnLevel, "volume of output"},
    {&CtlCommand::bass, Setting::Bass, &AUDIO_OUTPUT_STATUS::iBassLevel, "bass of output"},
    {&CtlCommand::treble, Setting::Treble, &AUDIO_OUTPUT_STATUS::iTrebleLevel, "treble of output"},
    {&CtlCommand::subwoofer, Setting::Subwoofer, &AUDIO_OUTPUT_STATUS::iSubwooferLevel,
     "subwoofer of output"},
};

} // namespace

void Session::Send(const QRDSTA& unit) {
    const CtlCommand& c = command_;
    const uint8_t id = unit.bID();
    ChangePath& path = core_.path;
    // quadrel-ctl runs as the machine's user, who can read every file: it acts
    // as the technician, whether alone or through the window's socket.
    const ChangePath::Trusted technician(path);
    switch (c.kind) {
    case K::Route:
    case K::Disconnect: {
        const bool audio = TouchesAudio(c, unit);
        const bool video = TouchesVideo(c, unit);
        LineChange change;
        change.unit = id;
        change.priority = c.kind == K::Route ? 0 : kQuery;
        const int input = c.kind == K::Route ? *c.input : 0;
        for (int o : c.outputs) {
            if (audio) {
                change.items.push_back({Setting::AudioRoute, o, input});
            }
            if (video) {
                change.items.push_back({Setting::VideoRoute, o, input});
            }
        }
        path.Send(change);
        break;
    }
    case K::Set:
        // One kind after the other, each followed by its query.
        if (!c.inputs.empty()) {
            path.Send(LineChange::Of(id, Setting::Edid, c.inputs, *c.edid));
            break;
        }
        if (c.mute) {
            path.Send(LineChange::Of(id, Setting::Mute, c.outputs, *c.mute ? 1 : 0));
        }
        for (const LevelKind& level : kLevels) {
            if (c.*level.value) {
                path.Send(LineChange::Of(id, level.setting, c.outputs, *(c.*level.value)));
            }
        }
        if (c.delay) {
            path.Send(LineChange::Of(id, Setting::Delay, c.outputs, *c.delay));
        }
        break;
    case K::PresetSave:
    case K::PresetLoad: {
        const bool save = c.kind == K::PresetSave;
        path.Send(LineChange::Preset(
            save ? LineChange::Kind::PresetSave : LineChange::Kind::PresetLoad, id, c.location,
            unit.objAudioINFO() && unit.objAudioINFO()->blEnabled(),
            unit.objVideoINFO() && unit.objVideoINFO()->blEnabled()));
        // Then read back what the preset now holds, or the live state it gave.
        if (save) {
            console_.ClearMemoryRows();
            console_.setLocation(c.location);
            core_.status.SetLoadingMemory(true);
        } else {
            core_.status.SetLoadingStatus(true);
            core_.status.RequestUnitStatus(0);
        }
        break;
    }
    default:
        break;
    }
}

QString Session::Mismatch(const QRDSTA& unit) const {
    const CtlCommand& c = command_;
    const basQRD& m = core_.model;
    auto differs = [](const char* what, int port, int wanted, int reported) {
        return QStringLiteral("%1 %2 is %3, not %4")
            .arg(QLatin1String(what))
            .arg(port)
            .arg(reported)
            .arg(wanted);
    };
    if (c.kind == K::Route || c.kind == K::Disconnect) {
        const int input = c.kind == K::Route ? *c.input : 0;
        for (int o : c.outputs) {
            if (TouchesAudio(c, unit) && m.AudioOutputs[o].iInputPort != input) {
                return differs("audio input of output", o, input, m.AudioOutputs[o].iInputPort);
            }
            if (TouchesVideo(c, unit) && m.VideoOutputs[o].iInputPort != input) {
                return differs("video input of output", o, input, m.VideoOutputs[o].iInputPort);
            }
        }
    }
    if (c.kind != K::Set) {
        return {};
    }
    for (int i : c.inputs) {
        if (m.VideoInputs[i].lEdidType != *c.edid) {
            return differs("EDID of input", i, *c.edid, m.VideoInputs[i].lEdidType);
        }
    }
    for (int o : c.outputs) {
        const AUDIO_OUTPUT_STATUS& a = m.AudioOutputs[o];
        if (c.mute && (a.lMuteStatus != 0) != *c.mute) {
            return differs("mute of output", o, *c.mute ? 1 : 0, a.lMuteStatus);
        }
        for (const LevelKind& level : kLevels) {
            if ((c.*level.value) && a.*level.stored != *(c.*level.value)) {
                return differs(level.name, o, *(c.*level.value), a.*level.stored);
            }
        }
        if (c.delay && a.lDelayTime != *c.delay) {
            return differs("delay (ms) of output", o, *c.delay, a.lDelayTime);
        }
    }
    return {};
}

} // namespace quadrel::ctl
