// Names of the selected unit's ports on the switch page.
#include "app/SwitchView.h"

#include "model/QuadrelCore.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

namespace quadrel {

void SwitchView::ShowNames(const UnitNames& names) {
    if (names == names_) {
        return;
    }
    names_ = names;
    // The labels beside the boxes widen for the longest input name, up to a
    // bound; a longer name is cut short there and whole in the tool tip.
    const QFontMetrics metrics = fontMetrics();
    const int bound = metrics.averageCharWidth() * 22;
    int width = sourceWidth_;
    for (const auto& [input, name] : names_.inputs) {
        width = std::max(
            width, std::min(bound, metrics.horizontalAdvance(QStringLiteral("AV ") + name) + 8));
    }
    QLabel* first = lblOutputSource_[0];
    if (first->width() != width) {
        picOutput_->setFixedWidth(first->x() + width);
        for (QLabel* label : lblOutputSource_) {
            label->resize(width, label->height());
        }
    }
    Draw_SwitchView();
}

std::optional<NamedPort> SwitchView::PortOf(const QObject* widget) const {
    const UnitRef unit = core_.model.objSelectedUnit;
    if (!IsUnitConnected(unit)) {
        return std::nullopt;
    }
    for (int p = 0; p < grid::kSide; ++p) {
        if (widget == chkSwitchInput_[static_cast<size_t>(p)] &&
            InputAt(p) <= unit->iInputCount()) {
            return NamedPort{NameKind::Input, InputAt(p)};
        }
        if ((widget == chkSwitchOutput_[static_cast<size_t>(p)] ||
             widget == lblOutputSource_[static_cast<size_t>(p)]) &&
            OutputAt(p) <= unit->iOutputCount()) {
            return NamedPort{NameKind::Output, OutputAt(p)};
        }
    }
    return std::nullopt;
}

QList<QWidget*> SwitchView::NameTargets() const {
    QList<QWidget*> targets;
    for (int p = 0; p < grid::kSide; ++p) {
        targets << chkSwitchInput_[static_cast<size_t>(p)]
                << chkSwitchOutput_[static_cast<size_t>(p)]
                << lblOutputSource_[static_cast<size_t>(p)];
    }
    return targets;
}

} // namespace quadrel
