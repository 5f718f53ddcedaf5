#include "control/SelectBox.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace quadrel {

void SelectBox::nextCheckState() {
    // Left click or Space: the tick stays as the page last set it.
    emit picked(Qt::LeftButton, modifiers_);
}

void SelectBox::mousePressEvent(QMouseEvent* e) {
    modifiers_ = e->modifiers();
    if (e->button() != Qt::LeftButton) {
        e->accept(); // the release of this button is ours too
        return;
    }
    QCheckBox::mousePressEvent(e);
}

void SelectBox::mouseReleaseEvent(QMouseEvent* e) {
    modifiers_ = e->modifiers();
    if (e->button() != Qt::LeftButton) {
        if (isEnabled() && hitButton(e->position().toPoint())) {
            emit picked(e->button(), e->modifiers());
        }
        e->accept();
        return;
    }
    QCheckBox::mouseReleaseEvent(e);
}

void SelectBox::keyPressEvent(QKeyEvent* e) {
    modifiers_ = e->modifiers();
    QCheckBox::keyPressEvent(e);
}

} // namespace quadrel
