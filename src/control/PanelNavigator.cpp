#include "control/PanelNavigator.h"

#include "control/PortWindow.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>

namespace quadrel {

PanelNavigator::PanelNavigator(QWidget* area, QScrollBar* bar, std::vector<QWidget*> boxes,
                               int columns, std::function<int()> count)
    : QObject(area), area_(area), bar_(bar), boxes_(std::move(boxes)), columns_(columns),
      shown_(static_cast<int>(boxes_.size())), count_(std::move(count)) {
    bar_->setFocusPolicy(Qt::StrongFocus);
    PutBarAfterPanels();
    area_->installEventFilter(this);
    for (QWidget* box : boxes_) {
        box->installEventFilter(this);
    }
}

void PanelNavigator::PutBarAfterPanels() {
    // Tab in reading order: the panels' controls, then the scroll bar beside
    // them, whichever was made first.
    std::vector<QWidget*> panels;
    for (QWidget* w = boxes_.front(); w != nullptr && area_->isAncestorOf(w);
         w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) != 0) {
            panels.push_back(w);
        }
        if (w->nextInFocusChain() == boxes_.front()) {
            break;
        }
    }
    QWidget* before = bar_->previousInFocusChain();
    if (panels.empty() || before == nullptr || area_->isAncestorOf(before)) {
        return;
    }
    QWidget::setTabOrder(before, panels.front());
    for (size_t i = 1; i < panels.size(); ++i) {
        QWidget::setTabOrder(panels[i - 1], panels[i]);
    }
}

bool PanelNavigator::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && watched == area_) {
        const QPoint delta = static_cast<QWheelEvent*>(event)->angleDelta();
        const int notches =
            (delta.y() != 0 ? delta.y() : delta.x()) / QWheelEvent::DefaultDeltasPerStep;
        if (Wheel(notches)) {
            event->accept();
            return true;
        }
        return false; // a unit that fits: the wheel goes on to the page
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto it = std::find(boxes_.begin(), boxes_.end(), watched);
        if (it != boxes_.end() && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            return KeyOnBox(static_cast<int>(it - boxes_.begin()), key->key());
        }
    }
    return QObject::eventFilter(watched, event);
}

bool PanelNavigator::KeyOnBox(int position, int key) {
    const int shown = shown_;
    if (position >= shown) {
        return false;
    }
    const int count = count_();
    const int scroll = bar_->value();
    const bool scrolls = bar_->isEnabled();
    int delta = 0;
    switch (key) {
    case Qt::Key_Left:
        delta = -1;
        break;
    case Qt::Key_Right:
        delta = 1;
        break;
    case Qt::Key_Up:
        delta = -columns_;
        break;
    case Qt::Key_Down:
        delta = columns_;
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (scrolls) {
            bar_->setValue(
                PortWindow::ScrollBy(scroll, key == Qt::Key_PageUp ? -shown : shown, count, shown));
        }
        return true;
    default:
        return false;
    }
    const auto spot = PortWindow::Move(scroll + position + 1, delta, scroll, count, shown);
    if (!spot || (spot->scroll != scroll && !scrolls)) {
        return true; // the edge of the unit: the focus stays
    }
    bar_->setValue(spot->scroll);
    boxes_[static_cast<size_t>(spot->port - 1 - bar_->value())]->setFocus(Qt::TabFocusReason);
    return true;
}

bool PanelNavigator::Wheel(int notches) {
    if (!bar_->isEnabled()) {
        return false;
    }
    bar_->setValue(PortWindow::ScrollBy(bar_->value(), -notches * columns_, count_(), shown_));
    return true;
}

} // namespace quadrel
