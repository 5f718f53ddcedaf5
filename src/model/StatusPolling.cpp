#include "model/StatusPolling.h"

#include "link/CommandCodes.h"
#include "link/basCommunication.h"
#include "model/ActivityStatus.h"
#include "model/Views.h"
#include "model/basQRD.h"

#include <chrono>

namespace quadrel {

using namespace std::chrono_literals;

namespace {

constexpr uint8_t kLastId = 31;
constexpr int32_t kReadPriority = 1;
constexpr int32_t kPollPriority = 2;

} // namespace

StatusPolling::StatusPolling(basQRD& model, basCommunication& link, Views& views,
                             TimerFactory& timers, ActivityStatus& activity)
    : model_(model), link_(link), views_(views), activity_(activity),
      timRequestStatus_(timers.createTimer(1000ms)), sweep_(model, link.senders),
      memory_(model, link, views, timers) {
    timRequestStatus_->setOnTick([this] { StatusPoll(); });
    timRequestStatus_->start();
}

int StatusPolling::AddIdleListener(std::function<void()> listener) {
    idleListeners_[++lastListener_] = std::move(listener);
    return lastListener_;
}

void StatusPolling::RemoveIdleListener(int id) {
    idleListeners_.erase(id);
}

void StatusPolling::TellIdle() {
    if (IsBusy()) {
        return;
    }
    // A listener may remove itself, or start a read.
    const auto listeners = idleListeners_;
    for (const auto& [id, listener] : listeners) {
        if (idleListeners_.count(id) != 0) {
            listener();
        }
    }
}

bool StatusPolling::IsBusy() const {
    return model_.blLoadingStatus || model_.blScanning || model_.blLoadingMemory;
}

bool StatusPolling::blScanning() const {
    return model_.blScanning;
}

void StatusPolling::SetLoadingStatus(bool on) {
    if (model_.blLoadingStatus == on) {
        return;
    }
    model_.blLoadingStatus = on;
    if (on) {
        views_.SetBusyPointer(true);
        views_.Enable_QRD(false);
        // A read asked for on a closed port would never be answered.
        EndBusyIfPortClosed();
    } else if (!IsBusy()) {
        views_.SetBusyPointer(false);
        views_.Enable_lstQRD(true);
        TellIdle();
    }
}

void StatusPolling::SetScanning(bool on) {
    if (model_.blScanning == on) {
        return;
    }
    model_.blScanning = on;
    if (!on) {
        if (!IsBusy()) {
            views_.SetBusyPointer(false);
            views_.Enable_lstQRD(true);
        }
        //: the scan button, "&" before its shortcut key
        views_.SetScanCaption(tr("S&can"));
        memory_.End();
        activity_.ScanEnded();
        TellIdle();
        return;
    }
    if (onScanStarted_) {
        onScanStarted_();
    }
    link_.queue.ClearQueue();
    link_.queue.ScanStarted();
    model_.blLoadingStatus = false;
    model_.blLoadingMemory = false;
    model_.objSelectedUnit.reset();
    model_.ReplaceUnits();
    model_.ClearUnitStatus();
    views_.ClearMemoryLocations();
    views_.ClearUnitList();
    // The units last seen on this port are asked first.
    const std::vector<uint8_t> order = memory_.Begin();
    lastProbe_ = order.back();
    views_.Enable_QRD(false);
    views_.UntickSelectAll();
    views_.SetBusyPointer(true);
    activity_.ScanStarted(memory_.firstAsked());
    TransmitQueue& q = link_.queue;
    const uint32_t tagBefore = q.currentTag();
    const int32_t stepBefore = q.currentStep();
    q.setCurrentTag(memory_.tag());
    for (const uint8_t id : order) {
        link_.senders.CmdGetUnitInfo(id, 0, kReadPriority);
    }
    q.setCurrentTag(tagBefore, stepBefore);
    //: the scan button while a scan runs, "&" before its shortcut key
    views_.SetScanCaption(tr("Stop S&can"));
    EndBusyIfPortClosed();
}

void StatusPolling::SetLoadingMemory(bool on) {
    if (model_.blLoadingMemory == on) {
        return;
    }
    model_.blLoadingMemory = on;
    if (!on) {
        if (!IsBusy()) {
            views_.SetBusyPointer(false);
            views_.Enable_lstQRD(true);
            TellIdle();
        }
        return;
    }
    views_.SetBusyPointer(true);
    const UnitRef unit = model_.objSelectedUnit;
    if (!unit || views_.MemoryRowCount() != unit->iOutputCount()) {
        views_.ClearMemoryRows();
    }
    views_.Enable_fraMemory(false);
    const std::optional<int> location = views_.SelectedMemoryLocation();
    if (location && *location > 0 && *location <= 255) {
        // What an earlier read kept of it may be stale by now.
        model_.Presets.Forget(*location);
        RequestUnitStatus(static_cast<uint8_t>(*location));
    } else {
        // Nothing to read: end the read as if its last step had come.
        RequestUnitStatus(0xFF);
    }
}

void StatusPolling::ReadMemoryLocation(uint8_t m) {
    if (model_.blLoadingMemory || m == 0) {
        return;
    }
    model_.blLoadingMemory = true;
    model_.Presets.Forget(m);
    views_.SetBusyPointer(true);
    views_.Enable_fraMemory(false);
    RequestUnitStatus(m);
}

void StatusPolling::RequestUnitStatus(uint8_t m) {
    const UnitRef unit = model_.objSelectedUnit;
    int32_t last = -1;
    if (unit && m != 0xFF) {
        const uint8_t id = unit->bID();
        const auto audio = unit->objAudioINFO();
        const auto video = unit->objVideoINFO();
        const auto plug = unit->objPlugINFO();
        const auto firmware = unit->objFirmwareVersion();
        TransmitQueue& q = link_.queue;
        CommandSenders& s = link_.senders;
        const bool live = m == 0;
        sweep_.Begin(m);
        auto step = [&](int32_t number) {
            last = number;
            (live ? model_.lLastStatusStep : model_.lLastMemoryStep) = number;
        };
        if (audio && audio->blEnabled()) {
            step(0);
            q.PurgeCommandsByData1(kCmdGetAudioSwitch, m);
            s.CmdGetAudioSwitch(id, 0, m, kReadPriority);
        }
        if (video && video->blEnabled()) {
            step(1);
            q.PurgeCommandsByData1(kCmdGetVideoSwitch, m);
            s.CmdGetVideoSwitch(id, 0, m, kReadPriority);
        }
        if (live && firmware && firmware->blEnabled()) {
            step(2);
            s.CmdGetFirmwareVersion(id, kReadPriority);
        }
        if (live && plug && plug->blSupportAudioInputPlugDetection()) {
            step(3);
            q.PurgeCommandsByCode(kCmdGetAudioInputPlug);
            s.CmdGetAudioInputPlug(id, 0, kReadPriority);
        }
        if (live && plug && plug->blSupportVideoInputPlugDetection()) {
            step(4);
            q.PurgeCommandsByCode(kCmdGetVideoInputPlug);
            s.CmdGetVideoInputPlug(id, 0, kReadPriority);
        }
        if (live && plug && plug->blSupportAudioOutputPlugDetection()) {
            step(5);
            q.PurgeCommandsByCode(kCmdGetAudioOutputPlug);
            s.CmdGetAudioOutputPlug(id, 0, kReadPriority);
        }
        if (live && plug && plug->blSupportVideoOutputPlugDetection()) {
            step(6);
            q.PurgeCommandsByCode(kCmdGetVideoOutputPlug);
            s.CmdGetVideoOutputPlug(id, 0, kReadPriority);
        }
        if (audio && audio->blSupportVolumnControl()) {
            step(7);
            q.PurgeCommandsByData1(kCmdGetMute, m);
            q.PurgeCommandsByData1(kCmdGetVolumnLevel, m);
            s.CmdGetMute(id, 0, m, kReadPriority);
            s.CmdGetVolumnLevel(id, 0, m, kReadPriority);
        }
        if (audio && audio->blSupportBassControl()) {
            step(8);
            q.PurgeCommandsByData1(kCmdGetBassLevel, m);
            s.CmdGetBassLevel(id, 0, m, kReadPriority);
        }
        if (audio && audio->blSupportTrebleControl()) {
            step(9);
            q.PurgeCommandsByData1(kCmdGetTrebleLevel, m);
            s.CmdGetTrebleLevel(id, 0, m, kReadPriority);
        }
        if (audio && audio->blSupportSubwooferControl()) {
            step(10);
            q.PurgeCommandsByData1(kCmdGetSubwooferLevel, m);
            s.CmdGetSubwooferLevel(id, 0, m, kReadPriority);
        }
        if (audio && audio->blSupportDelayControl()) {
            step(11);
            q.PurgeCommandsByData1(kCmdGetDelayLow, m);
            q.PurgeCommandsByData1(kCmdGetDelayHigh, m);
            s.CmdGetDelayLevel(id, 0, m, kReadPriority);
        }
        if (live && video && video->blSupportEdidTypeSelect()) {
            step(12);
            q.PurgeCommandsByCode(kCmdGetEdidType);
            s.CmdGetEdidType(id, 0, kReadPriority);
        }
    }
    if (last >= 0) {
        EndBusyIfPortClosed();
        return;
    }
    // Nothing was queued, so no reply will report the last step.
    if (m == 0) {
        if (model_.blLoadingStatus) {
            EndLoadingStatus();
            if (unit) {
                EndReadOfUnit(unit->bID());
            }
        }
    } else {
        SetLoadingMemory(false);
        views_.Enable_QRD(true);
        if (unit) {
            EndReadOfUnit(unit->bID());
        }
    }
}

void StatusPolling::EndReadOfUnit(uint8_t id) {
    // Only a read the running scan started can end it.
    if (id == lastProbe_ && !link_.queue.IsAwaitedFromBeforeScan()) {
        SetScanning(false);
    }
}

void StatusPolling::StatusStepDone(uint8_t id, uint8_t m, int32_t step) {
    if (m != 0) {
        if (step == model_.lLastMemoryStep) {
            SetLoadingMemory(false);
            views_.Enable_QRD(true);
            EndReadOfUnit(id);
        }
        return;
    }
    if (model_.blLoadingStatus && step == model_.lLastStatusStep) {
        EndLoadingStatus();
        EndReadOfUnit(id);
    }
}

void StatusPolling::EndLoadingStatus() {
    SetLoadingStatus(false);
    views_.Setup_AllViews();
    if (!model_.blLoadingMemory) {
        views_.Enable_QRD(true);
    }
}

void StatusPolling::cmdScan_Click() {
    // A scan started on a closed port ends at once; that is no stop by the user.
    const bool start = !model_.blScanning;
    SetScanning(start);
    if (start) {
        return;
    }
    EndLoadingStatus();
    for (uint8_t id = 0; id <= kLastId; ++id) {
        if (!model_.FindUnit(id)) {
            link_.queue.PurgeCommandsByID(id);
        }
    }
}

void StatusPolling::EndBusyIfPortClosed() {
    if (link_.IsPortOpen() || !IsBusy()) {
        return;
    }
    link_.queue.ClearQueue();
    SetLoadingMemory(false);
    SetLoadingStatus(false);
    SetScanning(false);
}

void StatusPolling::StatusPoll() {
    const UnitRef unit = model_.objSelectedUnit;
    if (IsBusy() || !IsUnitConnected(unit) || link_.queue.IsWaitingForAnswer() ||
        link_.queue.iSendQueueCount() != 0) {
        return;
    }
    const uint8_t id = unit->bID();
    const auto audio = unit->objAudioINFO();
    const auto video = unit->objVideoINFO();
    const auto plug = unit->objPlugINFO();
    CommandSenders& s = link_.senders;
    auto idle = [&](AudioValue v) { return !views_.IsSelectedRedrawRunning(v); };
    if (plug && plug->blSupportAudioInputPlugDetection()) {
        s.CmdGetAudioInputPlug(id, 0, kPollPriority);
    }
    if (plug && plug->blSupportVideoInputPlugDetection()) {
        s.CmdGetVideoInputPlug(id, 0, kPollPriority);
    }
    if (plug && plug->blSupportAudioOutputPlugDetection()) {
        s.CmdGetAudioOutputPlug(id, 0, kPollPriority);
    }
    if (plug && plug->blSupportVideoOutputPlugDetection()) {
        s.CmdGetVideoOutputPlug(id, 0, kPollPriority);
    }
    if (video && video->blEnabled()) {
        s.CmdGetVideoSwitch(id, 0, 0, kPollPriority);
    }
    if (audio && audio->blEnabled()) {
        s.CmdGetAudioSwitch(id, 0, 0, kPollPriority);
    }
    if (video && video->blSupportEdidTypeSelect()) {
        s.CmdGetEdidType(id, 0, kPollPriority);
    }
    if (audio && audio->blSupportVolumnControl()) {
        if (idle(AudioValue::Mute)) {
            s.CmdGetMute(id, 0, 0, kPollPriority);
        }
        if (idle(AudioValue::Volumn)) {
            s.CmdGetVolumnLevel(id, 0, 0, kPollPriority);
        }
    }
    if (audio && audio->blSupportBassControl() && idle(AudioValue::Bass)) {
        s.CmdGetBassLevel(id, 0, 0, kPollPriority);
    }
    if (audio && audio->blSupportTrebleControl() && idle(AudioValue::Treble)) {
        s.CmdGetTrebleLevel(id, 0, 0, kPollPriority);
    }
    if (audio && audio->blSupportSubwooferControl() && idle(AudioValue::Subwoofer)) {
        s.CmdGetSubwooferLevel(id, 0, 0, kPollPriority);
    }
    if (audio && audio->blSupportDelayControl() && idle(AudioValue::Delay)) {
        s.CmdGetDelayLevel(id, 0, 0, kPollPriority);
    }
}

} // namespace quadrel
