#pragma once

#include "link/CommandCodes.h"
#include "support/SimCoreHarness.h"

#include <cstdint>
#include <random>
#include <vector>

namespace quadrel::test {

// A seeded operator who does at random what the windows let one do, each act
// sending exactly what the widget behind it sends, purges included.
class SoakOperator {
public:
    SoakOperator(SimCoreHarness& h, uint64_t seed) : h_(h), rng_(seed) {}

    // One act; false when nothing was allowed.
    bool Act() {
        basQRD& model = h_.core.model;
        const UnitRef unit = model.objSelectedUnit;
        const bool idle = !h_.core.status.IsBusy();
        const int roll = Pick(0, 99);
        if (roll < 4) { // the scan button: starts a scan, or stops the one running
            if (!idle && !model.blScanning) {
                return false;
            }
            h_.core.status.cmdScan_Click();
            return true;
        }
        if (roll < 10) {
            const int count = static_cast<int>(model.objUnits().Count());
            if (!h_.views.lstQrdEnabled || !idle || count == 0) {
                return false;
            }
            ClickRow(model.objUnits().Item(Pick(1, count))->bID());
            return true;
        }
        // The pages take input only while enabled, and they are disabled while
        // anything is being read.
        if (!h_.views.qrdEnabled || !IsUnitConnected(unit) || !idle) {
            return false;
        }
        const auto audio = unit->objAudioINFO();
        const auto video = unit->objVideoINFO();
        const bool a = audio && audio->blEnabled();
        const bool v = video && video->blEnabled();
        const int outputs = unit->iOutputCount();
        if (roll < 35) {
            return Route(*unit, a, v);
        }
        if (roll < 55) { // a slider of the selected-outputs group over a few ticked outputs
            const int kind = Pick(0, 3);
            const bool supported[] = {audio && audio->blSupportVolumnControl(),
                                      audio && audio->blSupportBassControl(),
                                      audio && audio->blSupportTrebleControl(),
                                      audio && audio->blSupportSubwooferControl()};
            const auto set = static_cast<uint8_t>(kCmdSetVolumnLevel + 2 * kind);
            return supported[kind] && Set(*unit, {set}, {static_cast<uint8_t>(set + 1)}, Pick(1, 3),
                                          outputs, {Pick(0, 100)});
        }
        if (roll < 63) {
            return audio && audio->blSupportVolumnControl() &&
                   Set(*unit, {kCmdSetMute}, {kCmdGetMute}, 1, outputs, {Pick(0, 1)});
        }
        if (roll < 73) {
            if (!audio || !audio->blSupportDelayControl() || audio->iDelayUnit() <= 0) {
                return false;
            }
            const int steps = Pick(0, audio->iMaxDelayTime() / audio->iDelayUnit());
            return Set(*unit, {kCmdSetDelayHigh, kCmdSetDelayLow},
                       {kCmdGetDelayLow, kCmdGetDelayHigh}, 1, outputs, {steps / 256, steps % 256});
        }
        if (roll < 82) {
            return video && video->blSupportEdidTypeSelect() &&
                   Set(*unit, {kCmdSetEdidType}, {kCmdGetEdidType}, Pick(1, 3), unit->iInputCount(),
                       {Pick(0, 1)});
        }
        return Preset(*unit, a, v);
    }

    // A click on the unit's row in the unit list.
    void ClickRow(uint8_t id) {
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

private:
    static constexpr int32_t kSetPriority = 0;
    static constexpr int32_t kQueryPriority = 1;

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    void Send(const QRDSTA& unit, uint8_t code, int d0, int d1, int32_t priority) {
        h_.core.link.builder.SendCommand(unit.bID(), code, priority,
                                         {static_cast<uint8_t>(d0), static_cast<uint8_t>(d1)});
    }
    // A setting on `count` ticked ports of 1..ports: each code of `sets` with
    // its value, the older frames of that port withdrawn; then each of `gets`
    // for the whole unit afresh.
    bool Set(const QRDSTA& unit, const std::vector<uint8_t>& sets, const std::vector<uint8_t>& gets,
             int count, int ports, const std::vector<int>& values) {
        TransmitQueue& q = h_.core.link.queue;
        for (int n = 0; n < count; ++n) {
            const int port = Pick(1, ports);
            for (size_t i = 0; i < sets.size(); ++i) {
                q.PurgeCommandsByData0(sets[i], static_cast<uint8_t>(port));
                Send(unit, sets[i], port, values[i], kSetPriority);
            }
        }
        for (const uint8_t get : gets) {
            q.PurgeCommandsByData(get, 0, 0);
            Send(unit, get, 0, 0, kQueryPriority);
        }
        h_.views.SetBusyPointer(true);
        return true;
    }
    // A crosspoint cell, an input button over a few ticked outputs, or Disconnect.
    bool Route(const QRDSTA& unit, bool audio, bool video) {
        std::vector<uint8_t> sets, gets;
        if (audio) {
            sets.push_back(kCmdSetAudioSwitch);
            gets.push_back(kCmdGetAudioSwitch);
        }
        if (video) {
            sets.push_back(kCmdSetVideoSwitch);
            gets.push_back(kCmdGetVideoSwitch);
        }
        const int input = Pick(0, 99) < 15 ? 0 : Pick(1, unit.iInputCount());
        if (Pick(0, 1) == 0) {
            return Set(unit, sets, gets, Pick(1, 4), unit.iOutputCount(), {input, input});
        }
        const auto out = static_cast<uint8_t>(Pick(1, unit.iOutputCount()));
        for (size_t i = 0; i < sets.size(); ++i) {
            h_.core.link.queue.PurgeCommandsByData0(sets[i], out);
            h_.core.link.queue.PurgeCommandsByData(gets[i], 0, out);
            Send(unit, sets[i], out, input, kQueryPriority);
            Send(unit, gets[i], out, 0, kQueryPriority);
        }
        return true;
    }
    // A memory location picked (which reads it), saved to, or loaded.
    bool Preset(const QRDSTA& unit, bool audio, bool video) {
        if (unit.iMemoryCount() <= 0) {
            return false;
        }
        const int l = Pick(1, unit.iMemoryCount());
        h_.views.memoryLocation = l;
        const int what = Pick(0, 2); // picked, saved to, loaded
        if (what == 2 && !audio && !video) {
            return false;
        }
        if (what > 0 && audio) {
            Send(unit, what == 1 ? kCmdSaveAudioMemory : kCmdLoadAudioMemory, 0, l, kQueryPriority);
        }
        if (what > 0 && video) {
            Send(unit, what == 1 ? kCmdSaveVideoMemory : kCmdLoadVideoMemory, 0, l, kQueryPriority);
        }
        if (what == 2) {
            h_.core.status.SetLoadingStatus(true);
            h_.core.status.RequestUnitStatus(0);
            return true;
        }
        if (what == 1) {
            h_.views.Enable_QRD(false);
        }
        h_.core.status.SetLoadingMemory(true);
        return true;
    }

    SimCoreHarness& h_;
    std::mt19937_64 rng_;
};

} // namespace quadrel::test
