#pragma once

#include <QSpinBox>

namespace quadrel {

// An up-down spinner: only the two arrows of a spin box. Its value is shown
// by the text box beside it.
class UpDown : public QSpinBox {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
};

} // namespace quadrel
