#include "soak/SoakOperator.h"

#include <vector>

namespace quadrel::test {

namespace {

constexpr int32_t kSetPriority = 0;
constexpr int32_t kQueryPriority = 1;

} // namespace

std::string SoakOperator::Act() {
    const UnitRef unit = h_.core.model.objSelectedUnit;
    // The pages take input only while enabled, and they are disabled while
    // anything is being read.
    const bool pages = h_.views.qrdEnabled && IsUnitConnected(unit) && !h_.core.status.IsBusy();
    const int roll = Pick(0, 99);
    if (roll < 4) {
        return ScanButton();
    }
    if (roll < 10) {
        return h_.views.lstQrdEnabled && !h_.core.status.IsBusy() ? SelectUnit() : std::string();
    }
    if (!pages) {
        return {};
    }
    if (roll < 35) {
        return Route(*unit);
    }
    if (roll < 55) {
        return Level(*unit);
    }
    if (roll < 63) {
        return Mute(*unit);
    }
    if (roll < 73) {
        return Delay(*unit);
    }
    if (roll < 82) {
        return Edid(*unit);
    }
    return Preset(*unit);
}

void SoakOperator::ClickRow(uint8_t id) {
    basQRD& model = h_.core.model;
    const UnitRef unit = model.FindUnit(id);
    if (!unit) {
        return;
    }
    if (model.objSelectedUnit) {
        h_.core.link.queue.PurgeCommandsByID(model.objSelectedUnit->bID());
    }
    model.objSelectedUnit = unit;
    h_.core.link.queue.PurgeCommandsByID(unit->bID());
    model.ClearUnitStatus();
    h_.core.status.SetLoadingStatus(true);
    h_.views.ClearMemoryLocations();
    h_.views.ClearMemoryRows();
    h_.views.UntickSelectAll();
    h_.core.link.senders.CmdGetUnitInfo(unit->bID(), 0, kQueryPriority);
}

// A crosspoint cell, an input button over a few ticked outputs, or Disconnect.
std::string SoakOperator::Route(const QRDSTA& unit) {
    TransmitQueue& q = h_.core.link.queue;
    CommandSenders& s = h_.core.link.senders;
    const uint8_t id = unit.bID();
    const bool audio = unit.objAudioINFO() && unit.objAudioINFO()->blEnabled();
    const bool video = unit.objVideoINFO() && unit.objVideoINFO()->blEnabled();
    const auto input = static_cast<uint8_t>(Chance(0.15) ? 0 : Pick(1, unit.iInputCount()));
    if (Chance(0.5)) {
        const auto out = static_cast<uint8_t>(Pick(1, unit.iOutputCount()));
        if (audio) {
            q.PurgeCommandsByData0(kCmdSetAudioSwitch, out);
            q.PurgeCommandsByData(kCmdGetAudioSwitch, 0, out);
            s.CmdSetAudioSwitch(id, out, input, kQueryPriority);
            s.CmdGetAudioSwitch(id, out, 0, kQueryPriority);
        }
        if (video) {
            q.PurgeCommandsByData0(kCmdSetVideoSwitch, out);
            q.PurgeCommandsByData(kCmdGetVideoSwitch, 0, out);
            s.CmdSetVideoSwitch(id, out, input, kQueryPriority);
            s.CmdGetVideoSwitch(id, out, 0, kQueryPriority);
        }
        return "cell";
    }
    const int count = Pick(1, 4);
    for (int n = 0; n < count; ++n) {
        const auto out = static_cast<uint8_t>(Pick(1, unit.iOutputCount()));
        if (audio) {
            q.PurgeCommandsByData0(kCmdSetAudioSwitch, out);
            s.CmdSetAudioSwitch(id, out, input, kSetPriority);
        }
        if (video) {
            q.PurgeCommandsByData0(kCmdSetVideoSwitch, out);
            s.CmdSetVideoSwitch(id, out, input, kSetPriority);
        }
    }
    if (audio) {
        q.PurgeCommandsByData(kCmdGetAudioSwitch, 0, 0);
        s.CmdGetAudioSwitch(id, 0, 0, kQueryPriority);
    }
    if (video) {
        q.PurgeCommandsByData(kCmdGetVideoSwitch, 0, 0);
        s.CmdGetVideoSwitch(id, 0, 0, kQueryPriority);
    }
    h_.views.SetBusyPointer(true);
    return input == 0 ? "disconnect" : "route";
}

// A slider of the selected-outputs group let go over a few ticked outputs.
std::string SoakOperator::Level(const QRDSTA& unit) {
    const auto audio = unit.objAudioINFO();
    if (!audio) {
        return {};
    }
    struct Kind {
        bool supported;
        uint8_t setCode;
        uint8_t getCode;
        void (CommandSenders::*set)(uint8_t, uint8_t, uint8_t, int32_t);
        void (CommandSenders::*get)(uint8_t, uint8_t, uint8_t, int32_t);
    };
    const std::vector<Kind> kinds = {
        {audio->blSupportVolumnControl(), kCmdSetVolumnLevel, kCmdGetVolumnLevel,
         &CommandSenders::CmdSetVolumnLevel, &CommandSenders::CmdGetVolumnLevel},
        {audio->blSupportBassControl(), kCmdSetBassLevel, kCmdGetBassLevel,
         &CommandSenders::CmdSetBassLevel, &CommandSenders::CmdGetBassLevel},
        {audio->blSupportTrebleControl(), kCmdSetTrebleLevel, kCmdGetTrebleLevel,
         &CommandSenders::CmdSetTrebleLevel, &CommandSenders::CmdGetTrebleLevel},
        {audio->blSupportSubwooferControl(), kCmdSetSubwooferLevel, kCmdGetSubwooferLevel,
         &CommandSenders::CmdSetSubwooferLevel, &CommandSenders::CmdGetSubwooferLevel},
    };
    const Kind& kind = kinds[static_cast<size_t>(Pick(0, 3))];
    if (!kind.supported) {
        return {};
    }
    CommandSenders& s = h_.core.link.senders;
    const auto level = static_cast<uint8_t>(Pick(0, 100));
    const int count = Pick(1, 3);
    for (int n = 0; n < count; ++n) {
        const auto out = static_cast<uint8_t>(Pick(1, unit.iOutputCount()));
        h_.core.link.queue.PurgeCommandsByData0(kind.setCode, out);
        (s.*kind.set)(unit.bID(), out, level, kSetPriority);
    }
    h_.core.link.queue.PurgeCommandsByData(kind.getCode, 0, 0);
    (s.*kind.get)(unit.bID(), 0, 0, kQueryPriority);
    h_.views.SetBusyPointer(true);
    return "level";
}

std::string SoakOperator::Mute(const QRDSTA& unit) {
    if (!unit.objAudioINFO() || !unit.objAudioINFO()->blSupportVolumnControl()) {
        return {};
    }
    const auto out = static_cast<uint8_t>(Pick(1, unit.iOutputCount()));
    h_.core.link.queue.PurgeCommandsByData0(kCmdSetMute, out);
    h_.core.link.senders.CmdSetMute(unit.bID(), out, static_cast<uint8_t>(Pick(0, 1)),
                                    kSetPriority);
    h_.core.link.queue.PurgeCommandsByData(kCmdGetMute, 0, 0);
    h_.core.link.senders.CmdGetMute(unit.bID(), 0, 0, kQueryPriority);
    h_.views.SetBusyPointer(true);
    return "mute";
}

std::string SoakOperator::Delay(const QRDSTA& unit) {
    const auto audio = unit.objAudioINFO();
    if (!audio || !audio->blSupportDelayControl() || audio->iDelayUnit() <= 0) {
        return {};
    }
    TransmitQueue& q = h_.core.link.queue;
    const int steps = Pick(0, audio->iMaxDelayTime() / audio->iDelayUnit());
    const auto out = static_cast<uint8_t>(Pick(1, unit.iOutputCount()));
    q.PurgeCommandsByData0(kCmdSetDelayLow, out);
    q.PurgeCommandsByData0(kCmdSetDelayHigh, out);
    h_.core.link.senders.CmdSetDelayLevel(unit.bID(), out, steps, kSetPriority);
    q.PurgeCommandsByData(kCmdGetDelayLow, 0, 0);
    q.PurgeCommandsByData(kCmdGetDelayHigh, 0, 0);
    h_.core.link.senders.CmdGetDelayLevel(unit.bID(), 0, 0, kQueryPriority);
    h_.views.SetBusyPointer(true);
    return "delay";
}

std::string SoakOperator::Edid(const QRDSTA& unit) {
    if (!unit.objVideoINFO() || !unit.objVideoINFO()->blSupportEdidTypeSelect()) {
        return {};
    }
    const auto type = static_cast<uint8_t>(Pick(0, 1));
    const int count = Pick(1, 3);
    for (int n = 0; n < count; ++n) {
        const auto in = static_cast<uint8_t>(Pick(1, unit.iInputCount()));
        h_.core.link.queue.PurgeCommandsByData0(kCmdSetEdidType, in);
        h_.core.link.senders.CmdSetEdidType(unit.bID(), in, type, kSetPriority);
    }
    h_.core.link.queue.PurgeCommandsByData0(kCmdGetEdidType, 0);
    h_.core.link.senders.CmdGetEdidType(unit.bID(), 0, kQueryPriority);
    h_.views.SetBusyPointer(true);
    return "edid";
}

// A memory location picked (which reads it), saved to, or loaded.
std::string SoakOperator::Preset(const QRDSTA& unit) {
    if (unit.iMemoryCount() <= 0) {
        return {};
    }
    h_.views.memoryLocation = Pick(1, unit.iMemoryCount());
    const auto l = static_cast<uint8_t>(*h_.views.memoryLocation);
    const bool audio = unit.objAudioINFO() && unit.objAudioINFO()->blEnabled();
    const bool video = unit.objVideoINFO() && unit.objVideoINFO()->blEnabled();
    CommandSenders& s = h_.core.link.senders;
    const int what = Pick(0, 2);
    if (what == 0) {
        h_.core.status.SetLoadingMemory(true);
        return "read preset";
    }
    if (what == 1) {
        if (audio) {
            s.CmdSaveAudioMemory(unit.bID(), 0, l, kQueryPriority);
        }
        if (video) {
            s.CmdSaveVideoMemory(unit.bID(), 0, l, kQueryPriority);
        }
        h_.views.Enable_QRD(false);
        h_.core.status.SetLoadingMemory(true);
        return "save preset";
    }
    if (!audio && !video) {
        return {};
    }
    if (audio) {
        s.CmdLoadAudioMemory(unit.bID(), 0, l, kQueryPriority);
    }
    if (video) {
        s.CmdLoadVideoMemory(unit.bID(), 0, l, kQueryPriority);
    }
    h_.core.status.SetLoadingStatus(true);
    h_.core.status.RequestUnitStatus(0);
    return "load preset";
}

std::string SoakOperator::SelectUnit() {
    const long count = h_.core.model.objUnits().Count();
    if (count == 0) {
        return {};
    }
    const UnitRef unit = h_.core.model.objUnits().Item(Pick(1, static_cast<int>(count)));
    ClickRow(unit->bID());
    return "select unit";
}

// The scan button: starts a scan, or stops the one running.
std::string SoakOperator::ScanButton() {
    if (h_.core.status.IsBusy() && !h_.core.model.blScanning) {
        return {};
    }
    h_.core.status.cmdScan_Click();
    return h_.core.model.blScanning ? "scan" : "stop scan";
}

} // namespace quadrel::test
