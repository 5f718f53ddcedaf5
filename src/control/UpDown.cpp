#include "control/UpDown.h"

#include <QLineEdit>

namespace quadrel {

UpDown::UpDown(QWidget* parent) : QSpinBox(parent) {
    lineEdit()->setVisible(false);
    lineEdit()->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(sizeHint());
}

QSize UpDown::sizeHint() const {
    const QSize full = QSpinBox::sizeHint();
    return {18, full.height()};
}

} // namespace quadrel
