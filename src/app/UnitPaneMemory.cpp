// The memory frame of the unit pane: locations, save, load, preset rows.
#include "app/UnitPane.h"

#include "app/MemoryRowList.h"
#include "app/MessageBoxes.h"
#include "model/ProgramState.h"
#include "model/QuadrelCore.h"
#include "model/UnitSettings.h"
#include "model/Views.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace quadrel {

namespace {

// Lines of changes a load question lists before it only counts the rest.
constexpr int kMaxListedPorts = 12;

QString UnitText(uint8_t id) {
    return QCoreApplication::translate("UnitPane", "unit %1")
        .arg(QString::number(id, 16).rightJustified(2, QLatin1Char('0')).toUpper());
}

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
        cboMemoryLOC_->addItem(PresetLabel(n), n);
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

QString UnitPane::PresetLabel(int location) const {
    const QString name = NameOf(names_, {NameKind::Preset, location});
    return name.isEmpty() ? QStringLiteral("#%1").arg(location)
                          : QStringLiteral("#%1 %2").arg(QString::number(location), name);
}

bool UnitPane::Confirmed(const char* key, const QString& text, const QString& details,
                         const QString& yesCaption) {
    const QString stateKey = QString::fromLatin1(key);
    if (messages_ == nullptr || state_ == nullptr || !state_->Value(stateKey, true).toBool()) {
        return true;
    }
    const UnitRef unit = core_.model.objSelectedUnit;
    const MessageBoxes::Answer answer = messages_->Ask(window(), {text, details, yesCaption});
    // Only a yes is remembered: a cancelled question comes again.
    if (answer.yes && answer.dontAskAgain) {
        state_->SetValue(stateKey, false);
    }
    // The line ran on while the question was open: a unit given up or a read
    // begun meanwhile gets nothing.
    return answer.yes && core_.model.objSelectedUnit == unit && IsUnitConnected(unit) &&
           !core_.status.IsBusy();
}

bool UnitPane::Refused(Change::Kind kind, int location) {
    // Asked before the question, so a refusal is told as such and not as a
    // unit that did not answer.
    const QString why = core_.path.Refusal(
        Change::Preset(kind, core_.model.objSelectedUnit->bID(), location, true, true));
    if (!why.isEmpty()) {
        core_.activity.Act(why);
    }
    return !why.isEmpty();
}

void UnitPane::cmdSave_Click() {
    const UnitRef unit = core_.model.objSelectedUnit;
    const std::optional<int> location = SelectedMemoryLocation();
    if (!IsUnitConnected(unit) || !location) {
        Enable_fraMemory(false);
        return;
    }
    if (Refused(Change::Kind::PresetSave, *location)) {
        return;
    }
    if (!Confirmed(kAskSave,
                   tr("Overwrite memory location %1 of %2 with its present state?")
                       .arg(PresetLabel(*location), UnitText(unit->bID())),
                   tr("What %1 holds now is lost.").arg(PresetLabel(*location)),
                   tr("&Overwrite"))) {
        return;
    }
    // The status line says how the unit took it, once it has answered.
    const QString preset = PresetLabel(*location);
    const QString unitText = UnitText(unit->bID());
    core_.path.SendThen(Change::Preset(Change::Kind::PresetSave, unit->bID(), *location,
                                       unit->objAudioINFO() && unit->objAudioINFO()->blEnabled(),
                                       unit->objVideoINFO() && unit->objVideoINFO()->blEnabled()),
                        [this, preset, unitText](bool answered) {
                            core_.activity.Act(
                                (answered ? tr("Saved the live state to memory location %1 of %2")
                                          : tr("Not saved to memory location %1 of %2: the unit "
                                               "did not answer"))
                                    .arg(preset, unitText));
                        });
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
    if (Refused(Change::Kind::PresetLoad, *location)) {
        return;
    }
    const SettingValues preview = presetPreview();
    const QStringList lines = ChangeHistory::Describe(core_.history.DifferencesFrom(preview));
    QString details;
    if (preview.empty()) {
        details = tr("Its contents have not been read.");
    } else if (lines.isEmpty()) {
        details = tr("It holds what the unit shows now: nothing will change.");
    } else {
        details =
            tr("These will change:\n%1").arg(lines.mid(0, kMaxListedPorts).join(QLatin1Char('\n')));
        if (lines.size() > kMaxListedPorts) {
            details += tr("\n… and %1 more.").arg(lines.size() - kMaxListedPorts);
        }
    }
    if (!Confirmed(kAskLoad,
                   tr("Load memory location %1 into %2?")
                       .arg(PresetLabel(*location), UnitText(unit->bID())),
                   details, tr("&Load"))) {
        return;
    }
    const bool audio = unit->objAudioINFO() && unit->objAudioINFO()->blEnabled();
    const bool video = unit->objVideoINFO() && unit->objVideoINFO()->blEnabled();
    if (audio || video) {
        // What the preset holds is what the unit will show once loaded.
        const uint32_t tag = core_.history.Record(preview);
        const QString preset = PresetLabel(*location);
        const QString unitText = UnitText(unit->bID());
        core_.path.SendThen(
            Change::Preset(Change::Kind::PresetLoad, unit->bID(), *location, audio, video),
            [this, preset, unitText](bool answered) {
                core_.activity.Act((answered ? tr("Loaded memory location %1 into %2")
                                             : tr("Not loaded memory location %1 into %2: the "
                                                  "unit did not answer"))
                                       .arg(preset, unitText));
            },
            tag);
        core_.status.SetLoadingStatus(true);
        core_.status.RequestUnitStatus(0);
    }
}

int UnitPane::MemoryRowCount() const {
    return lstMemory_->RowCount();
}

SettingValues UnitPane::presetPreview() const {
    const UnitRef unit = core_.model.objSelectedUnit;
    const std::optional<int> location = SelectedMemoryLocation();
    if (!IsUnitConnected(unit) || !location) {
        return {};
    }
    return ChangeHistory::Of(PresetValues(core_.model.Presets, *location, UnitIdentity::Of(*unit)));
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
