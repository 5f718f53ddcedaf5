#include "app/PictureBox.h"

#include "app/Pictures.h"

#include <QPainter>

namespace quadrel {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

void PictureBox::setKey(const QString& key) {
    if (key == key_) {
        return;
    }
    key_ = key;
    setAccessibleDescription(Pictures::Describe(key));
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    Pictures::PaintCached(p, rect(), key_, isEnabled());
}

} // namespace quadrel
