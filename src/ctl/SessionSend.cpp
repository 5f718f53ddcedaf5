// The requests of the change commands, made as the views make them: each
// setting withdraws what it makes useless, and a query of the same kind
// follows so that the model holds what the unit reports back.
#include "ctl/RangeCheck.h"
#include "ctl/Session.h"
#include "link/CommandCodes.h"

namespace quadrel::ctl {

namespace {

using K = CtlCommand::Kind;
constexpr int32_t kSetting = 0;
constexpr int32_t kQuery = 1;

using SetFn = void (CommandSenders::*)(uint8_t, uint8_t, uint8_t, int32_t);
using GetFn = void (CommandSenders::*)(uint8_t, uint8_t, uint8_t, int32_t);

struct LevelKind {
    const std::optional<int> CtlCommand::*value;
    uint8_t setCode;
    uint8_t getCode;
    SetFn set;
    GetFn get;
    int AUDIO_OUTPUT_STATUS::*stored;
    const char* name;
};

const LevelKind kLevels[] = {
    {&CtlCommand::volume, kCmdSetVolumnLevel, kCmdGetVolumnLevel,
     &CommandSenders::CmdSetVolumnLevel, &CommandSenders::CmdGetVolumnLevel,
     &AUDIO_OUTPUT_STATUS::iVolumnLevel, "volume of output"},
    {&CtlCommand::bass, kCmdSetBassLevel, kCmdGetBassLevel, &CommandSenders::CmdSetBassLevel,
     &CommandSenders::CmdGetBassLevel, &AUDIO_OUTPUT_STATUS::iBassLevel, "bass of output"},
    {&CtlCommand::treble, kCmdSetTrebleLevel, kCmdGetTrebleLevel,
     &CommandSenders::CmdSetTrebleLevel, &CommandSenders::CmdGetTrebleLevel,
     &AUDIO_OUTPUT_STATUS::iTrebleLevel, "treble of output"},
    {&CtlCommand::subwoofer, kCmdSetSubwooferLevel, kCmdGetSubwooferLevel,
     &CommandSenders::CmdSetSubwooferLevel, &CommandSenders::CmdGetSubwooferLevel,
     &AUDIO_OUTPUT_STATUS::iSubwooferLevel, "subwoofer of output"},
};

uint8_t Byte(int value) {
    return static_cast<uint8_t>(value);
}

} // namespace

void Session::Send(const QRDSTA& unit) {
    const CtlCommand& c = command_;
    const uint8_t id = unit.bID();
    TransmitQueue& q = core_.link.queue;
    CommandSenders& s = core_.link.senders;
    const bool audio = TouchesAudio(c, unit);
    const bool video = TouchesVideo(c, unit);
    switch (c.kind) {
    case K::Route:
    case K::Disconnect: {
        const uint8_t input = c.kind == K::Route ? Byte(*c.input) : 0;
        const int32_t priority = c.kind == K::Route ? kSetting : kQuery;
        for (int o : c.outputs) {
            if (audio) {
                q.PurgeCommandsByData0(kCmdSetAudioSwitch, Byte(o));
                s.CmdSetAudioSwitch(id, Byte(o), input, priority);
            }
            if (video) {
                q.PurgeCommandsByData0(kCmdSetVideoSwitch, Byte(o));
                s.CmdSetVideoSwitch(id, Byte(o), input, priority);
            }
        }
        if (audio) {
            q.PurgeCommandsByData(kCmdGetAudioSwitch, 0, 0);
            s.CmdGetAudioSwitch(id, 0, 0, kQuery);
        }
        if (video) {
            q.PurgeCommandsByData(kCmdGetVideoSwitch, 0, 0);
            s.CmdGetVideoSwitch(id, 0, 0, kQuery);
        }
        break;
    }
    case K::Set:
        if (!c.inputs.empty()) {
            for (int i : c.inputs) {
                q.PurgeCommandsByData0(kCmdSetEdidType, Byte(i));
                s.CmdSetEdidType(id, Byte(i), Byte(*c.edid), kSetting);
            }
            q.PurgeCommandsByData(kCmdGetEdidType, 0, 0);
            s.CmdGetEdidType(id, 0, kQuery);
            break;
        }
        if (c.mute) {
            for (int o : c.outputs) {
                q.PurgeCommandsByData0(kCmdSetMute, Byte(o));
                s.CmdSetMute(id, Byte(o), *c.mute ? 1 : 0, kSetting);
            }
            q.PurgeCommandsByData(kCmdGetMute, 0, 0);
            s.CmdGetMute(id, 0, 0, kQuery);
        }
        for (const LevelKind& level : kLevels) {
            if (!(c.*level.value)) {
                continue;
            }
            for (int o : c.outputs) {
                q.PurgeCommandsByData0(level.setCode, Byte(o));
                (s.*level.set)(id, Byte(o), Byte(*(c.*level.value)), kSetting);
            }
            q.PurgeCommandsByData(level.getCode, 0, 0);
            (s.*level.get)(id, 0, 0, kQuery);
        }
        if (c.delay) {
            const int step = unit.objAudioINFO()->iDelayUnit();
            for (int o : c.outputs) {
                q.PurgeCommandsByData0(kCmdSetDelayLow, Byte(o));
                q.PurgeCommandsByData0(kCmdSetDelayHigh, Byte(o));
                s.CmdSetDelayLevel(id, Byte(o), *c.delay / step, kSetting);
            }
            q.PurgeCommandsByData(kCmdGetDelayLow, 0, 0);
            q.PurgeCommandsByData(kCmdGetDelayHigh, 0, 0);
            s.CmdGetDelayLevel(id, 0, 0, kQuery);
        }
        break;
    case K::PresetSave:
    case K::PresetLoad: {
        const uint8_t l = Byte(c.location);
        const bool hasAudio = unit.objAudioINFO() && unit.objAudioINFO()->blEnabled();
        const bool hasVideo = unit.objVideoINFO() && unit.objVideoINFO()->blEnabled();
        const bool save = c.kind == K::PresetSave;
        if (hasAudio) {
            save ? s.CmdSaveAudioMemory(id, 0, l, kQuery) : s.CmdLoadAudioMemory(id, 0, l, kQuery);
        }
        if (hasVideo) {
            save ? s.CmdSaveVideoMemory(id, 0, l, kQuery) : s.CmdLoadVideoMemory(id, 0, l, kQuery);
        }
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
        return QStringLiteral("%1 of %2 is %3, not %4")
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
