#include "log/TraceIcons.h"

#include "log/Contrast.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quadrel {

namespace {

QIcon Draw(const std::function<void(QPainter&, int)>& paint) {
    QIcon icon;
    for (const int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(painter, size);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon RunIcon() {
    return Draw([](QPainter& p, int s) {
        QPainterPath path;
        path.moveTo(s * 0.25, s * 0.15);
        path.lineTo(s * 0.85, s * 0.5);
        path.lineTo(s * 0.25, s * 0.85);
        path.closeSubpath();
        p.setPen(QPen(QColor(0x1b, 0x5e, 0x20), 1));
        p.setBrush(QColor(0x2e, 0xa0, 0x43));
        p.drawPath(path);
    });
}

QIcon StopIcon() {
    return Draw([](QPainter& p, int s) {
        p.setPen(QPen(QColor(0x8b, 0x1a, 0x1a), 1));
        p.setBrush(QColor(0xd3, 0x2f, 0x2f));
        p.drawRoundedRect(QRectF(s * 0.2, s * 0.2, s * 0.6, s * 0.6), s * 0.08, s * 0.08);
    });
}

QColor TraceLineColour(TraceColour colour, const QPalette& palette) {
    const QColor base = palette.color(QPalette::Base);
    const bool darkBase = base.lightnessF() < 0.5;
    if (colour == TraceColour::Words) {
        return Contrast::Readable(palette.color(QPalette::Text), base);
    }
    // The shades suit the usual light and dark bases; a base in between
    // (a grey theme) gets them pushed until they read.
    const QColor shade = colour == TraceColour::Send
                             ? (darkBase ? QColor(0x7c, 0xc4, 0xff) : QColor(0x0b, 0x4f, 0x9c))
                             : (darkBase ? QColor(0xff, 0xc0, 0x6b) : QColor(0x8a, 0x3c, 0x00));
    return Contrast::Readable(shade, base);
}

} // namespace quadrel
