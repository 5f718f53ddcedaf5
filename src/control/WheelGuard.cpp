#include "control/WheelGuard.h"

#include <QAbstractSpinBox>
#include <QEvent>
#include <QWidget>

namespace quadrel {

namespace {

class WheelFilter : public QObject {
public:
    explicit WheelFilter(QWidget* control) : QObject(control), control_(control) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == control_ && event->type() == QEvent::Wheel) {
            const bool upDown = qobject_cast<QAbstractSpinBox*>(control_) != nullptr;
            if (upDown || !control_->hasFocus()) {
                // Ignored and filtered: the application hands it to the parent.
                event->ignore();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* control_;
};

} // namespace

void GuardWheel(QWidget* control) {
    if ((control->focusPolicy() & Qt::WheelFocus) == Qt::WheelFocus) {
        control->setFocusPolicy(Qt::StrongFocus);
    }
    control->installEventFilter(new WheelFilter(control));
}

} // namespace quadrel
