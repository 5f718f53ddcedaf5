#include "app/CrosspointCell.h"

#include "app/Pictures.h"

#include <QMouseEvent>
#include <QPainter>

namespace quadrel {

CrosspointCell::CrosspointCell(int index, QWidget* parent)
    : QAbstractButton(parent), index_(index) {
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
}

void CrosspointCell::setKey(const QString& key) {
    if (key == key_) {
        return;
    }
    key_ = key;
    setAccessibleDescription(Pictures::Describe(key));
    update();
}

void CrosspointCell::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // A disabled cell that still shows a route shows a silent unit's last
    // known route: faded, so that it does not read as current.
    if (!isEnabled()) {
        p.setOpacity(0.4);
    }
    Pictures::PaintCached(p, rect(), key_);
    p.setOpacity(1.0);
    if (hasFocus()) {
        p.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

// The cell keeps the hover while the pointer stays inside it; a move that
// lands outside (the button held down keeps the moves here) or a leave ends it.
void CrosspointCell::mouseMoveEvent(QMouseEvent* event) {
    if (!hovered_) {
        hovered_ = true;
        emit hoverStarted(index_);
    } else if (!rect().contains(event->position().toPoint())) {
        EndHover();
    }
    QAbstractButton::mouseMoveEvent(event);
}

void CrosspointCell::leaveEvent(QEvent* event) {
    EndHover();
    QAbstractButton::leaveEvent(event);
}

void CrosspointCell::changeEvent(QEvent* event) {
    // A disabled cell hears no more mouse moves: let go of the hover now.
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        EndHover();
    }
    QAbstractButton::changeEvent(event);
}

void CrosspointCell::EndHover() {
    if (hovered_) {
        hovered_ = false;
        emit hoverEnded(index_);
    }
}

} // namespace quadrel
