// The memory frame of the unit pane: locations, save, load, preset rows.
#include "app/UnitPane.h"

#include "app/MemoryRowList.h"
#include "model/QuadrelCore.h"
#include "model/Views.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace quadrel {

namespace {

constexpr int32_t kRequestPriority = 1;

} // namespace

void UnitPane::Enable_fraMemory(bool enabled) {
    const UnitRef unit = core_.model.objSelectedUnit;
    const int n = enabled && IsUnitConnected(unit) ? unit->iMemoryCount() : 0;
    if (cboMemoryLOC_->count() == 0 || n == 0) {
        enabled = false;
    }
    fraMemory_->setEnabled(enabled);
    lblLocation_->setEnabled(enabled);
    cboMemoryLOC_->setEnabled(enabled);
    lstMemory_->setEnabled(enabled);
    cmdSave_->setEnabled(enabled);
    cmdLoad_->setEnabled(enabled);
    if (enabled && cboMemoryLOC_->currentIndex() < 0) {
        SelectLocation(0);
    }
}

void UnitPane::FillMemoryLocations() {
    const int remembered = cboMemoryLOC_->currentIndex();
    cboMemoryLOC_->clear();
    const UnitRef unit = core_.model.objSelectedUnit;
    const int count = unit ? unit->iMemoryCount() : 0;
    for (int n = 1; n <= count; ++n) {
        cboMemoryLOC_->addItem(QStringLiteral("#%1").arg(n), n);
    }
    if (remembered >= 0 && remembered < cboMemoryLOC_->count()) {
        SelectLocation(remembered);
    } else if (cboMemoryLOC_->count() > 0) {
        SelectLocation(0);
    }
}

void UnitPane::SelectLocation(int index) {
    cboMemoryLOC_->setCurrentIndex(index);
    cboMemoryLOC_Click();
}

void UnitPane::ClearMemoryLocations() {
    cboMemoryLOC_->clear();
}

std::optional<int> UnitPane::SelectedMemoryLocation() const {
    if (cboMemoryLOC_->currentIndex() < 0) {
        return std::nullopt;
    }
    return cboMemoryLOC_->currentData().toInt();
}

void UnitPane::cboMemoryLOC_Click() {
    if (cboMemoryLOC_->currentIndex() >= 0 && IsUnitConnected(core_.model.objSelectedUnit)) {
        core_.status.SetLoadingMemory(true);
    }
}

void UnitPane::cmdSave_Click() {
    const UnitRef unit = core_.model.objSelectedUnit;
    const std::optional<int> location = SelectedMemoryLocation();
    if (!IsUnitConnected(unit) || !location) {
        Enable_fraMemory(false);
        return;
    }
    const auto l = static_cast<uint8_t>(*location);
    if (unit->objAudioINFO() && unit->objAudioINFO()->blEnabled()) {
        core_.link.senders.CmdSaveAudioMemory(unit->bID(), 0, l, kRequestPriority);
    }
    if (unit->objVideoINFO() && unit->objVideoINFO()->blEnabled()) {
        core_.link.senders.CmdSaveVideoMemory(unit->bID(), 0, l, kRequestPriority);
    }
    views_.Enable_QRD(false);
    core_.status.SetLoadingMemory(true);
}

void UnitPane::cmdLoad_Click() {
    const UnitRef unit = core_.model.objSelectedUnit;
    const std::optional<int> location = SelectedMemoryLocation();
    if (!IsUnitConnected(unit) || !location) {
        Enable_fraMemory(false);
        return;
    }
    const auto l = static_cast<uint8_t>(*location);
    bool sent = false;
    if (unit->objAudioINFO() && unit->objAudioINFO()->blEnabled()) {
        core_.link.senders.CmdLoadAudioMemory(unit->bID(), 0, l, kRequestPriority);
        sent = true;
    }
    if (unit->objVideoINFO() && unit->objVideoINFO()->blEnabled()) {
        core_.link.senders.CmdLoadVideoMemory(unit->bID(), 0, l, kRequestPriority);
        sent = true;
    }
    if (sent) {
        core_.status.SetLoadingStatus(true);
        core_.status.RequestUnitStatus(0);
    }
}

int UnitPane::MemoryRowCount() const {
    return lstMemory_->RowCount();
}

void UnitPane::ClearMemoryRows() {
    lstMemory_->ClearRows();
}

void UnitPane::SetMemoryRowInput(SignalKind kind, int output, int input) {
    lstMemory_->SetMemoryRowInput(kind, output, input);
}

void UnitPane::SetMemoryRowMuteStatus(int output, bool supported, int mute) {
    lstMemory_->SetMemoryRowMuteStatus(output, supported, mute);
}

void UnitPane::SetMemoryRowVolumnLevel(int output, bool supported, int level) {
    lstMemory_->SetMemoryRowLevel(QStringLiteral("Volumn Level"), output, supported, level);
}

void UnitPane::SetMemoryRowBassLevel(int output, bool supported, int level) {
    lstMemory_->SetMemoryRowLevel(QStringLiteral("Bass Level"), output, supported, level);
}

void UnitPane::SetMemoryRowTrebleLevel(int output, bool supported, int level) {
    lstMemory_->SetMemoryRowLevel(QStringLiteral("Treble Level"), output, supported, level);
}

void UnitPane::SetMemoryRowSubwooferLevel(int output, bool supported, int level) {
    lstMemory_->SetMemoryRowLevel(QStringLiteral("Subwoofer Level"), output, supported, level);
}

void UnitPane::SetMemoryRowDelayTime(int output, bool supported, int32_t delay) {
    lstMemory_->SetMemoryRowLevel(QStringLiteral("Delay Time"), output, supported, delay);
}

} // namespace quadrel
