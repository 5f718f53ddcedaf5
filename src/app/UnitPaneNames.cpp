// Names of the selected unit in the unit pane: its presets and memory rows.
#include "app/UnitPane.h"

#include "app/MemoryRowList.h"
#include "app/UnitRowTexts.h"
#include "model/QuadrelCore.h"

#include <QComboBox>
#include <QTreeWidget>

namespace quadrel {

void UnitPane::ShowNames(const UnitNames& names) {
    names_ = names;
    // Named locations need more room than "#8"; without names it stays as it was.
    cboMemoryLOC_->setSizeAdjustPolicy(names.presets.empty()
                                           ? QComboBox::AdjustToContentsOnFirstShow
                                           : QComboBox::AdjustToContents);
    for (int i = 0; i < cboMemoryLOC_->count(); ++i) {
        const QString label = PresetLabel(cboMemoryLOC_->itemData(i).toInt());
        if (cboMemoryLOC_->itemText(i) != label) {
            cboMemoryLOC_->setItemText(i, label);
        }
    }
    lstMemory_->ShowNames(names);
    for (const auto& entry : core_.model.objUnits()) {
        if (entry.unit && unitRows_.contains(UnitKey(entry.unit->bID()))) {
            ShowUnitRow(*entry.unit);
        }
    }
}

std::optional<NamedPort> UnitPane::PortOf(const QObject* widget) const {
    const UnitRef unit = core_.model.objSelectedUnit;
    if (!IsUnitConnected(unit)) {
        return std::nullopt;
    }
    if (widget == cboMemoryLOC_ && cboMemoryLOC_->currentIndex() >= 0) {
        return NamedPort{NameKind::Preset, cboMemoryLOC_->currentData().toInt()};
    }
    if (widget == lstMemory_ && lstMemory_->currentItem() != nullptr) {
        const int output = lstMemory_->currentItem()->data(0, Qt::UserRole + 1).toInt();
        if (output >= 1 && output <= unit->iOutputCount()) {
            return NamedPort{NameKind::Output, output};
        }
    }
    // The selected unit's own row: not one last seen, nor another unit's
    // that a right click made current without selecting it.
    const QTreeWidgetItem* row = unitRows_.value(UnitKey(unit->bID()));
    if (widget == lstQRD_ && row != nullptr && !IsLastSeen(row) && row == lstQRD_->currentItem()) {
        return NamedPort{NameKind::Unit, 0};
    }
    return std::nullopt;
}

QRect UnitPane::NameArea(const QWidget* widget) {
    const UnitRef unit = core_.model.objSelectedUnit;
    QTreeWidgetItem* row = unit ? unitRows_.value(UnitKey(unit->bID())) : nullptr;
    if (widget != lstQRD_ || row == nullptr) {
        return {};
    }
    const QModelIndex cell = lstQRD_->model()->index(lstQRD_->indexOfTopLevelItem(row),
                                                     UnitColumnOf(QStringLiteral("NAME")));
    lstQRD_->scrollTo(cell);
    const QRect area = lstQRD_->visualRect(cell);
    return {lstQRD_->viewport()->mapTo(lstQRD_, area.topLeft()), area.size()};
}

QList<QWidget*> UnitPane::NameTargets() const {
    return {lstQRD_, cboMemoryLOC_, lstMemory_};
}

} // namespace quadrel
