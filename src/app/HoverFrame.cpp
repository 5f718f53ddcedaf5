#include "app/HoverFrame.h"

#include <QPainter>

namespace quadrel {

HoverFrame::HoverFrame(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void HoverFrame::setBorderStyle(Qt::PenStyle style) {
    if (style != style_) {
        style_ = style;
        update();
    }
}

void HoverFrame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // Black on white dashes stay visible over any cell picture.
    p.setPen(QPen(Qt::white, 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(QPen(Qt::black, 1, style_));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace quadrel
