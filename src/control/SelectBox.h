#pragma once

#include <QCheckBox>

namespace quadrel {

// A port's check box: it never ticks itself. A release of any mouse button
// over it (or Space) reports the button and the modifiers held; the page
// decides the selection and sets the tick.
class SelectBox : public QCheckBox {
    Q_OBJECT
public:
    explicit SelectBox(QWidget* parent = nullptr) : QCheckBox(parent) {}

signals:
    void picked(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    // The whole box takes the click, not only its tick and caption: a short
    // caption leaves room beside it in a box of fixed width.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    void nextCheckState() override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    Qt::KeyboardModifiers modifiers_;
};

} // namespace quadrel
