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
    const QColor text = palette.color(QPalette::Text);
    // The shades suit the usual light and dark bases; a base in between
    // (a grey theme) gets them pushed until they read.
    QColor shade;
    switch (colour) {
    case TraceColour::Words:
        return Contrast::Readable(text, base);
    case TraceColour::Piece:
        // Weaker than the frames they make up, still readable.
        return Contrast::Readable(Contrast::Faded(text, base), base, 3.0);
    case TraceColour::Send:
        shade = darkBase ? QColor(0x7c, 0xc4, 0xff) : QColor(0x0b, 0x4f, 0x9c);
        break;
    case TraceColour::Recv:
        shade = darkBase ? QColor(0xff, 0xc0, 0x6b) : QColor(0x8a, 0x3c, 0x00);
        break;
    case TraceColour::Fault:
        shade = darkBase ? QColor(0xff, 0x8a, 0x80) : QColor(0xb7, 0x1c, 0x1c);
        break;
    }
    return Contrast::Readable(shade, base);
}

} // namespace quadrel
