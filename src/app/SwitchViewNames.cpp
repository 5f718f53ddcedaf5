// Names of the selected unit's ports on the switch page.
#include "app/SwitchView.h"

#include "model/QuadrelCore.h"

#include <QCheckBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

namespace quadrel {

void SwitchView::ShowNames(const UnitNames& names) {
    if (names == names_) {
        return;
    }
    names_ = names;
    ++namesDrawn_;
    Draw_SwitchView();
}

std::optional<NamedPort> SwitchView::PortOf(const QObject* widget) const {
    const UnitRef unit = core_.model.objSelectedUnit;
    if (!IsUnitConnected(unit)) {
        return std::nullopt;
    }
    for (int p = 0; p < std::max(shape_.columns, shape_.rows); ++p) {
        if (p < shape_.columns && widget == chkSwitchInput_[static_cast<size_t>(p)] &&
            InputAt(p) <= unit->iInputCount()) {
            return NamedPort{NameKind::Input, InputAt(p)};
        }
        if (p < shape_.rows &&
            (widget == chkSwitchOutput_[static_cast<size_t>(p)] ||
             widget == lblOutputSource_[static_cast<size_t>(p)]) &&
            OutputAt(p) <= unit->iOutputCount()) {
            return NamedPort{NameKind::Output, OutputAt(p)};
        }
    }
    return std::nullopt;
}

QList<QWidget*> SwitchView::NameTargets() const {
    QList<QWidget*> targets;
    for (QPushButton* button : chkSwitchInput_) {
        targets << button;
    }
    for (int p = 0; p < shape_.rows; ++p) {
        targets << chkSwitchOutput_[static_cast<size_t>(p)]
                << lblOutputSource_[static_cast<size_t>(p)];
    }
    return targets;
}

bool SwitchView::GoTo(const QString& text) {
    const UnitRef unit = core_.model.objSelectedUnit;
    if (!IsUnitConnected(unit)) {
        return false;
    }
    const int inputs = std::min(unit->iInputCount(), kMaxPort);
    const int outputs = std::min(unit->iOutputCount(), kMaxPort);
    const auto port = FindPort(names_, text, inputs, outputs);
    if (!port) {
        return false;
    }
    const bool input = port->kind == NameKind::Input;
    QScrollBar* bar = input ? scoSwitchInput_ : scoSwitchOutput_;
    const int shown = input ? shape_.columns : shape_.rows;
    if (port->number - 1 < bar->value() || port->number > bar->value() + shown) {
        // Brought in as the window's first port, as far as the ports go.
        bar->setValue(std::min(port->number - 1, bar->maximum()));
    }
    const int position = port->number - 1 - bar->value();
    FocusAt(input ? position : -1, input ? -1 : position);
    return true;
}

void SwitchView::AskGoTo() {
    const UnitRef unit = core_.model.objSelectedUnit;
    if (!IsUnitConnected(unit) || !chkSelAllSwitchOutput_->isEnabled()) {
        return;
    }
    QStringList choices;
    for (const auto& [number, name] : names_.outputs) {
        if (number <= unit->iOutputCount()) {
            choices << name;
        }
    }
    for (const auto& [number, name] : names_.inputs) {
        if (number <= unit->iInputCount()) {
            choices << name;
        }
    }
    auto* completer = new QCompleter(choices, txtGoTo_);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    // A name picked from the list goes there at once.
    connect(completer, qOverload<const QString&>(&QCompleter::activated), this,
            [this](const QString& name) {
                txtGoTo_->setText(name);
                txtGoTo_Return();
            });
    delete txtGoTo_->completer();
    txtGoTo_->setCompleter(completer);
    lblGoTo_->setText(tr("Go to:"));
    lblGoTo_->show();
    txtGoTo_->show();
    txtGoTo_->selectAll();
    txtGoTo_->setFocus(Qt::ShortcutFocusReason);
}

void SwitchView::txtGoTo_Return() {
    const QString text = txtGoTo_->text();
    if (GoTo(text)) {
        txtGoTo_->clear();
        txtGoTo_->hide();
        lblGoTo_->hide();
        return;
    }
    lblGoTo_->setText(tr("No single input or output is \"%1\": go to:").arg(text.simplified()));
}

} // namespace quadrel
