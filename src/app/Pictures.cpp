#include "app/Pictures.h"

#include "app/ImageKeys.h"

#include <QCoreApplication>
#include <QFont>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

#include <algorithm>
#include <cmath>

namespace quadrel::Pictures {

namespace {

const QColor kAudioOn(0xD0, 0x7A, 0x00);
const QColor kVideoOn(0x1F, 0x62, 0xD0);
const QColor kOffInk(0xA4, 0xA4, 0xA4);
const QColor kPlugged(0x2E, 0x8B, 0x3A);
const QColor kUnplugged(0xC8, 0x28, 0x28);

// Sets up the painter so that the picture is drawn in a square of `units`.
void Frame(QPainter& p, const QRectF& rect, qreal units) {
    p.translate(rect.topLeft());
    p.scale(rect.width() / units, rect.height() / units);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

void Letter(QPainter& p, const QRectF& box, const QString& text, const QColor& ink, qreal size) {
    QFont font;
    font.setBold(true);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
    p.setFont(font);
    p.setPen(ink);
    p.drawText(box, Qt::AlignCenter, text);
}

// One half of a crosspoint cell: a filled lamp with its letter when routed,
// an empty lamp when not, a hatched blank when that kind cannot be switched.
void SwitchHalf(QPainter& p, const QRectF& box, const QString& part, const QColor& on,
                const QString& letter) {
    if (part.startsWith(QLatin1String("On"))) {
        p.setPen(QPen(on.darker(140), 1.0));
        p.setBrush(on);
        p.drawRoundedRect(box, 2, 2);
        Letter(p, box, letter, Qt::white, 10);
    } else if (part.startsWith(QLatin1String("Off"))) {
        // Faint, so that the routed lamps stand out across the grid.
        p.setPen(QPen(kOffInk, 0.8));
        p.setBrush(Qt::white);
        p.drawRoundedRect(box, 2, 2);
        Letter(p, box, letter, kOffInk, 9);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(QBrush(QColor(0xB0, 0xB0, 0xB0), Qt::BDiagPattern));
        p.drawRoundedRect(box, 2, 2);
    }
}

void PaintSwitch(QPainter& p, const QString& key) {
    const bool pressed = key.endsWith(QLatin1String("_DN"));
    // The audio part ends at its "A" ("OnA", "OffA", "NoA"), the video part at "_".
    const int videoAt = static_cast<int>(key.indexOf(QLatin1Char('A'))) + 1;
    const QString audio = key.left(videoAt);
    const QString video = key.mid(videoAt, key.indexOf(QLatin1Char('_')) - videoAt);
    const bool none =
        audio.startsWith(QLatin1String("No")) && video.startsWith(QLatin1String("No"));
    QLinearGradient face(0, 0, 0, 26);
    if (pressed) {
        face.setColorAt(0, QColor(0x9C, 0xAE, 0xC8));
        face.setColorAt(1, QColor(0xC4, 0xD0, 0xE2));
    } else if (none) {
        face.setColorAt(0, QColor(0xDA, 0xDA, 0xDA));
        face.setColorAt(1, QColor(0xDA, 0xDA, 0xDA));
    } else {
        face.setColorAt(0, QColor(0xFA, 0xFA, 0xFA));
        face.setColorAt(1, QColor(0xDC, 0xDC, 0xDC));
    }
    p.setPen(pressed ? QPen(QColor(0x1F, 0x3F, 0x7F), 2.0) : QPen(QColor(0x70, 0x70, 0x70), 1.0));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(1, 1, 24, 24), 3, 3);
    if (none) {
        // Nothing can be routed here: a plain struck-out tile.
        p.setPen(QPen(QColor(0xA8, 0xA8, 0xA8), 1.5));
        p.drawLine(QPointF(7, 19), QPointF(19, 7));
        return;
    }
    const qreal shift = pressed ? 1.0 : 0.0;
    SwitchHalf(p, QRectF(3.5 + shift, 5 + shift, 9, 16), audio, kAudioOn, QStringLiteral("A"));
    SwitchHalf(p, QRectF(13.5 + shift, 5 + shift, 9, 16), video, kVideoOn, QStringLiteral("V"));
}

// A plug badge: green and filled when plugged, struck out in red when
// unplugged, a pale dashed question when unknown. An arrow tells in from out.
void PaintPlug(QPainter& p, const QString& key) {
    const QString letter =
        key.startsWith(QLatin1String("Audio")) ? QStringLiteral("A") : QStringLiteral("V");
    const bool output = key.contains(QLatin1String("Out"));
    const QRectF badge(1, 1, 14, 14);
    if (key.contains(QLatin1String("UnknowPlug"))) {
        QPen pen(QColor(0x98, 0x98, 0x98), 1.0, Qt::DashLine);
        p.setPen(pen);
        p.setBrush(QColor(0xEC, 0xEC, 0xEC));
        p.drawRoundedRect(badge, 3, 3);
        Letter(p, badge, QStringLiteral("?"), QColor(0x90, 0x90, 0x90), 10);
        return;
    }
    if (key.contains(QLatin1String("Unplug"))) {
        p.setPen(QPen(kUnplugged, 1.5));
        p.setBrush(Qt::white);
        p.drawRoundedRect(badge, 3, 3);
        Letter(p, badge, letter, QColor(0x50, 0x50, 0x50), 9);
        p.setPen(QPen(kUnplugged, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 12.5), QPointF(12.5, 3.5));
        return;
    }
    p.setPen(QPen(kPlugged.darker(130), 1.0));
    p.setBrush(kPlugged);
    p.drawRoundedRect(badge, 3, 3);
    Letter(p, QRectF(1, 1, 14, 13), letter, Qt::white, 9);
    // Inputs point down into the grid, outputs point right into it.
    QPainterPath arrow;
    if (output) {
        arrow.moveTo(12, 11);
        arrow.lineTo(15, 13);
        arrow.lineTo(12, 15);
    } else {
        arrow.moveTo(6, 12.5);
        arrow.lineTo(10, 12.5);
        arrow.lineTo(8, 15);
    }
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(arrow);
}

// A lamp with a tick (answering) or a cross (not answering), so the two are
// told apart without colour as well.
void PaintLamp(QPainter& p, bool on) {
    const QColor base = on ? QColor(0x2E, 0xA0, 0x3C) : QColor(0xD0, 0x2A, 0x2A);
    QRadialGradient glow(QPointF(6, 6), 8);
    glow.setColorAt(0, base.lighter(150));
    glow.setColorAt(1, base);
    p.setPen(QPen(base.darker(150), 1.0));
    p.setBrush(glow);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (on) {
        p.drawPolyline(QPolygonF({QPointF(4.8, 8.2), QPointF(7, 10.5), QPointF(11.2, 5.5)}));
    } else {
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
    }
}

// A loudspeaker with sound waves, or struck out with a red cross.
void PaintSpeaker(QPainter& p, bool muted) {
    QPainterPath body;
    body.moveTo(1.5, 6);
    body.lineTo(4.5, 6);
    body.lineTo(8.5, 2.5);
    body.lineTo(8.5, 13.5);
    body.lineTo(4.5, 10);
    body.lineTo(1.5, 10);
    body.closeSubpath();
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0x50, 0x50, 0x50));
    p.drawPath(body);
    p.setBrush(Qt::NoBrush);
    if (muted) {
        p.setPen(QPen(kUnplugged, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10.5, 5.5), QPointF(14.5, 10.5));
        p.drawLine(QPointF(14.5, 5.5), QPointF(10.5, 10.5));
        return;
    }
    p.setPen(QPen(kVideoOn, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(6.5, 5, 5, 6), -60 * 16, 120 * 16);
    p.drawArc(QRectF(5.5, 2.5, 9, 11), -60 * 16, 120 * 16);
}

class PictureEngine : public QIconEngine {
public:
    explicit PictureEngine(QString key) : key_(std::move(key)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        PaintCached(*painter, rect, key_, mode != QIcon::Disabled);
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        // QIcon asks for the size in device pixels, already scaled.
        const QSizeF logical = QSizeF(size) / (scale > 0 ? scale : 1.0);
        QPixmap pm(size);
        pm.setDevicePixelRatio(scale > 0 ? scale : 1.0);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        Paint(p, QRectF(QPointF(0, 0), logical), key_, mode != QIcon::Disabled);
        return pm;
    }
    QIconEngine* clone() const override { return new PictureEngine(key_); }
    QString key() const override { return QStringLiteral("QuadrelPicture"); }
    bool isNull() override { return !Has(key_); }

private:
    QString key_;
};

} // namespace

QStringList Keys() {
    QStringList keys;
    const ImageKeyTables& t = ImageKeys();
    for (const QString& k : t.SwitchKeys) {
        if (!keys.contains(k)) {
            keys << k;
        }
    }
    for (const QString& k : t.PlugKeys) {
        keys << k;
    }
    keys << QStringLiteral("GreenON") << QStringLiteral("RedON") << t.MuteKeys[0] << t.MuteKeys[1];
    return keys;
}

bool Has(const QString& key) {
    return Keys().contains(key);
}

void Paint(QPainter& painter, const QRectF& rect, const QString& key, bool enabled) {
    const ImageKeyTables& t = ImageKeys();
    painter.save();
    if (!enabled) {
        painter.setOpacity(painter.opacity() * 0.45);
    }
    if (std::find(t.SwitchKeys.begin(), t.SwitchKeys.end(), key) != t.SwitchKeys.end()) {
        Frame(painter, rect, 26);
        PaintSwitch(painter, key);
    } else if (std::find(t.PlugKeys.begin(), t.PlugKeys.end(), key) != t.PlugKeys.end()) {
        Frame(painter, rect, 16);
        PaintPlug(painter, key);
    } else if (key == QLatin1String("GreenON") || key == QLatin1String("RedON")) {
        Frame(painter, rect, 16);
        PaintLamp(painter, key == QLatin1String("GreenON"));
    } else if (key == t.MuteKeys[0] || key == t.MuteKeys[1]) {
        Frame(painter, rect, 16);
        PaintSpeaker(painter, key == t.MuteKeys[1]);
    }
    painter.restore();
}

QString Describe(const QString& key) {
    const ImageKeyTables& t = ImageKeys();
    if (std::find(t.SwitchKeys.begin(), t.SwitchKeys.end(), key) != t.SwitchKeys.end()) {
        // One whole phrase per state, so that a translation may order it.
        auto part = [&](const QString& code, const char* on, const char* off, const char* none) {
            const char* words = key.contains(QStringLiteral("On") + code)    ? on
                                : key.contains(QStringLiteral("Off") + code) ? off
                                                                             : none;
            return QCoreApplication::translate("Pictures", words);
        };
        QString text =
            QCoreApplication::translate("Pictures", "%1, %2")
                .arg(part(QStringLiteral("A"), QT_TRANSLATE_NOOP("Pictures", "audio routed"),
                          QT_TRANSLATE_NOOP("Pictures", "audio not routed"),
                          QT_TRANSLATE_NOOP("Pictures", "audio not switchable")),
                     part(QStringLiteral("V"), QT_TRANSLATE_NOOP("Pictures", "video routed"),
                          QT_TRANSLATE_NOOP("Pictures", "video not routed"),
                          QT_TRANSLATE_NOOP("Pictures", "video not switchable")));
        if (key.endsWith(QLatin1String("_DN"))) {
            text = QCoreApplication::translate("Pictures", "%1, pressed").arg(text);
        }
        return text;
    }
    if (std::find(t.PlugKeys.begin(), t.PlugKeys.end(), key) != t.PlugKeys.end()) {
        if (key.contains(QLatin1String("UnknowPlug"))) {
            return QCoreApplication::translate("Pictures", "plug state unknown");
        }
        return key.contains(QLatin1String("Unplug"))
                   ? QCoreApplication::translate("Pictures", "unplugged")
                   : QCoreApplication::translate("Pictures", "plugged");
    }
    if (key == QLatin1String("GreenON")) {
        return QCoreApplication::translate("Pictures", "answering");
    }
    if (key == QLatin1String("RedON")) {
        return QCoreApplication::translate("Pictures", "not answering");
    }
    if (key == t.MuteKeys[0] || key == t.MuteKeys[1]) {
        return key == t.MuteKeys[1] ? QCoreApplication::translate("Pictures", "muted")
                                    : QCoreApplication::translate("Pictures", "not muted");
    }
    return {};
}

QIcon Icon(const QString& key) {
    return QIcon(new PictureEngine(key));
}

QPixmap Pixmap(const QString& key, const QSize& size, qreal devicePixelRatio, bool enabled) {
    QPixmap pm(size * devicePixelRatio);
    pm.setDevicePixelRatio(devicePixelRatio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    Paint(p, QRectF(QPointF(0, 0), QSizeF(size)), key, enabled);
    return pm;
}

void PaintCached(QPainter& painter, const QRect& rect, const QString& key, bool enabled) {
    const QTransform& world = painter.worldTransform();
    const bool whole = world.type() <= QTransform::TxTranslate &&
                       world.dx() == std::round(world.dx()) && world.dy() == std::round(world.dy());
    if (!whole || rect.isEmpty() || painter.device() == nullptr) {
        Paint(painter, QRectF(rect), key, enabled);
        return;
    }
    const qreal ratio = painter.device()->devicePixelRatioF();
    // The letters take the interface font's family, which the desktop may
    // change (their size is the picture's own).
    const QFont font;
    const QString cacheKey = QStringLiteral("quadrel-picture/") + font.family() + QLatin1Char('/') +
                             font.styleName() + QLatin1Char('/') + key + QLatin1Char('/') +
                             QString::number(rect.width()) + QLatin1Char('x') +
                             QString::number(rect.height()) + QLatin1Char('@') +
                             QString::number(ratio) + QLatin1String(enabled ? "/on" : "/off");
    QPixmap pm;
    if (!QPixmapCache::find(cacheKey, &pm)) {
        pm = Pixmap(key, rect.size(), ratio, enabled);
        QPixmapCache::insert(cacheKey, pm);
    }
    painter.drawPixmap(rect.topLeft(), pm);
}

} // namespace quadrel::Pictures
