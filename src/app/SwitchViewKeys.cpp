// The keyboard over the switch page's window: arrows move between the input
// buttons, the output boxes and the cells in their direction and scroll the
// window at its edge; Page Up and Page Down move it by a window's height
// (with Shift, by its width); Home and End go to the first and last input
// of the row (on an output box, the first and last output), Ctrl+Home and
// Ctrl+End to the first and last crosspoint.
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
    if (const auto* cell = qobject_cast<const CrosspointCell*>(watched);
        cell != nullptr && cell->parentWidget() == picSwitchBackground_) {
        c = grid::Column(cell->index(), shape_.columns);
        r = grid::Row(cell->index(), shape_.columns);
    }
    for (int i = 0; i < shape_.columns && c == -2; ++i) {
        if (watched == chkSwitchInput_[static_cast<size_t>(i)]) {
            c = i;
            r = -1;
        }
    }
    for (int i = 0; i < shape_.rows && c == -2; ++i) {
        if (watched == chkSwitchOutput_[static_cast<size_t>(i)]) {
            c = -1;
            r = i;
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
    if (key->key() == Qt::Key_Home || key->key() == Qt::Key_End) {
        return EndKey(c, r, key, inputs, outputs);
    }

    if (key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown) {
        if (mods != Qt::NoModifier && mods != Qt::ShiftModifier) {
            return false;
        }
        const bool across = mods == Qt::ShiftModifier;
        QScrollBar* bar = across ? scoSwitchInput_ : scoSwitchOutput_;
        const int shown = across ? shape_.columns : shape_.rows;
        if (bar->isEnabled()) {
            const int page = key->key() == Qt::Key_PageUp ? -shown : shown;
            bar->setValue(
                PortWindow::ScrollBy(bar->value(), page, across ? inputs : outputs, shown));
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
        const int shown = bar == scoSwitchInput_ ? shape_.columns : shape_.rows;
        const auto spot = PortWindow::Move(scroll + position + 1, delta, scroll, count, shown);
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

bool SwitchView::EndKey(int c, int r, const QKeyEvent* key, int inputs, int outputs) {
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::NoModifier && mods != Qt::ControlModifier) {
        return false;
    }
    const bool first = key->key() == Qt::Key_Home;
    // Scrolls the window so that port `port` of `count` is in view; its position.
    const auto show = [](QScrollBar* bar, int port, int shown) {
        if (port - 1 < bar->value()) {
            bar->setValue(port - 1);
        } else if (port > bar->value() + shown) {
            bar->setValue(port - shown);
        }
        return port - 1 - bar->value();
    };
    const bool corner = mods == Qt::ControlModifier;
    if (!corner && c < 0) { // an output box: along the outputs
        if (outputs > 0) {
            FocusAt(-1, show(scoSwitchOutput_, first ? 1 : outputs, shape_.rows));
        }
        return true;
    }
    if (inputs == 0 || (corner && outputs == 0)) {
        return true;
    }
    const int column = show(scoSwitchInput_, first ? 1 : inputs, shape_.columns);
    const int row = corner ? show(scoSwitchOutput_, first ? 1 : outputs, shape_.rows) : r;
    FocusAt(column, row);
    return true;
}

void SwitchView::FocusAt(int c, int r) {
    QWidget* target = nullptr;
    if (r < 0) {
        target = chkSwitchInput_[static_cast<size_t>(c)];
    } else if (c < 0) {
        target = chkSwitchOutput_[static_cast<size_t>(r)];
    } else {
        target = picSwitchBackground_->cell(grid::Cell(c, r, shape_.columns));
    }
    if (target->isEnabled()) {
        target->setFocus(Qt::TabFocusReason);
    }
}

} // namespace quadrel
