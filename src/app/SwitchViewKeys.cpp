// The keyboard over the switch page's window: arrows move between the input
// buttons, the output boxes and the cells in their direction and scroll the
// window at its edge; Page Up and Page Down move it by a window's height
// (with Shift, by its width).
#include "app/SwitchView.h"

#include "app/CrosspointCell.h"
#include "app/SwitchGrid.h"
#include "control/PortWindow.h"
#include "model/QuadrelCore.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>

namespace quadrel {

bool SwitchView::WindowKey(QObject* watched, const QKeyEvent* key) {
    int c = -2;
    int r = -2;
    for (int i = 0; i < grid::kSide; ++i) {
        if (watched == chkSwitchInput_[static_cast<size_t>(i)]) {
            c = i;
            r = -1;
        } else if (watched == chkSwitchOutput_[static_cast<size_t>(i)]) {
            c = -1;
            r = i;
        }
    }
    for (int k = 0; k < grid::kCells && c == -2; ++k) {
        if (watched == picSwitchBackground_->cell(k)) {
            c = grid::Column(k);
            r = grid::Row(k);
        }
    }
    if (c == -2) {
        return false;
    }
    const UnitRef unit = core_.model.objSelectedUnit;
    const bool connected = IsUnitConnected(unit);
    const int inputs = connected ? std::min(unit->iInputCount(), kMaxPort) : 0;
    const int outputs = connected ? std::min(unit->iOutputCount(), kMaxPort) : 0;
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;

    if (key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown) {
        if (mods != Qt::NoModifier && mods != Qt::ShiftModifier) {
            return false;
        }
        const bool across = mods == Qt::ShiftModifier;
        QScrollBar* bar = across ? scoSwitchInput_ : scoSwitchOutput_;
        if (bar->isEnabled()) {
            const int page = key->key() == Qt::Key_PageUp ? -grid::kSide : grid::kSide;
            bar->setValue(
                PortWindow::ScrollBy(bar->value(), page, across ? inputs : outputs, grid::kSide));
        }
        return true;
    }
    if (mods != Qt::NoModifier) {
        return false;
    }
    int dc = 0;
    int dr = 0;
    switch (key->key()) {
    case Qt::Key_Left:
        dc = -1;
        break;
    case Qt::Key_Right:
        dc = 1;
        break;
    case Qt::Key_Up:
        dr = -1;
        break;
    case Qt::Key_Down:
        dr = 1;
        break;
    default:
        return false;
    }
    // Along one axis: the next port, scrolling when it lies outside the
    // window. Off the window's first column or row lie the output boxes and
    // the input buttons.
    const auto along = [&](int position, int delta, QScrollBar* bar, int count,
                           bool leavesToSide) -> std::optional<int> {
        const int scroll = bar->value();
        const auto spot =
            PortWindow::Move(scroll + position + 1, delta, scroll, count, grid::kSide);
        if (!spot) {
            return leavesToSide && delta < 0 ? std::optional<int>(-1) : std::nullopt;
        }
        if (spot->scroll != scroll) {
            bar->setValue(spot->scroll);
        }
        return spot->port - 1 - bar->value();
    };
    if (dc != 0) {
        if (c == -1) { // an output box: only into the grid
            if (dc > 0) {
                FocusAt(0, r);
            }
            return true;
        }
        if (const auto to = along(c, dc, scoSwitchInput_, inputs, r >= 0)) {
            FocusAt(*to, r);
        }
        return true;
    }
    if (r == -1) { // an input button: only into the grid
        if (dr > 0) {
            FocusAt(c, 0);
        }
        return true;
    }
    if (const auto to = along(r, dr, scoSwitchOutput_, outputs, c >= 0)) {
        FocusAt(c, *to);
    }
    return true;
}

void SwitchView::FocusAt(int c, int r) {
    QWidget* target = nullptr;
    if (r < 0) {
        target = chkSwitchInput_[static_cast<size_t>(c)];
    } else if (c < 0) {
        target = chkSwitchOutput_[static_cast<size_t>(r)];
    } else {
        target = picSwitchBackground_->cell(grid::Cell(c, r));
    }
    if (target->isEnabled()) {
        target->setFocus(Qt::TabFocusReason);
    }
}

} // namespace quadrel
