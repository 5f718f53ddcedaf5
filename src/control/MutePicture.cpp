#include "control/MutePicture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>

namespace quadrel {

QString MuteKey(int muteStatus) {
    return muteStatus == 1 ? QStringLiteral("Mute") : QStringLiteral("Unmute");
}

void PaintMute(QPainter& p, const QRectF& rect, const QString& key) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(rect.topLeft());
    const qreal w = rect.width();
    const qreal h = rect.height();

    // A loudspeaker: box and cone on the left half.
    const QPolygonF speaker({QPointF(w * 0.08, h * 0.35), QPointF(w * 0.25, h * 0.35),
                             QPointF(w * 0.48, h * 0.12), QPointF(w * 0.48, h * 0.88),
                             QPointF(w * 0.25, h * 0.65), QPointF(w * 0.08, h * 0.65)});
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(64, 64, 64));
    p.drawPolygon(speaker);

    if (key == UnknownMuteKey()) {
        // A question mark where the sound would be: neither state claimed.
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(std::max(8, static_cast<int>(h * 0.8)));
        p.setFont(font);
        p.setPen(QColor(96, 96, 96));
        p.drawText(QRectF(w * 0.5, 0, w * 0.5, h), Qt::AlignCenter, QStringLiteral("?"));
    } else if (key == QLatin1String("Mute")) {
        // A red cross where the sound would be.
        p.setPen(QPen(QColor(220, 0, 0), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(w * 0.60, h * 0.28), QPointF(w * 0.92, h * 0.72));
        p.drawLine(QPointF(w * 0.60, h * 0.72), QPointF(w * 0.92, h * 0.28));
    } else {
        // Two sound waves.
        p.setPen(QPen(QColor(0, 128, 0), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(w * 0.40, h * 0.30, w * 0.22, h * 0.40), -60 * 16, 120 * 16);
        p.drawArc(QRectF(w * 0.38, h * 0.12, w * 0.44, h * 0.76), -60 * 16, 120 * 16);
    }
    p.restore();
}

MuteImage::MuteImage(QWidget* parent) : QLabel(parent) {
    setFixedSize(22, 18);
}

void MuteImage::setKey(const QString& key) {
    // Most replies change nothing: no repaint, no accessibility event then.
    if (key == key_) {
        return;
    }
    key_ = key;
    setProperty("imageKey", key);
    setAccessibleDescription(Description(key));
    update();
}

QString MuteImage::Description(const QString& key) {
    if (key == UnknownMuteKey()) {
        //: a mute picture: the unit has not reported whether the output is muted
        return tr("Unknown");
    }
    if (key == QLatin1String("Mute")) {
        //: a mute picture: the output is muted
        return tr("Mute");
    }
    //: a mute picture: the output is not muted
    return tr("Unmute");
}

void MuteImage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!isEnabled()) {
        p.setOpacity(0.4); // greyed with its page
    }
    PaintMute(p, QRectF(rect()), key_);
}

void MuteImage::mousePressEvent(QMouseEvent* event) {
    // Taken, so the release comes here too.
    event->setAccepted(event->button() == Qt::LeftButton);
}

void MuteImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

} // namespace quadrel
