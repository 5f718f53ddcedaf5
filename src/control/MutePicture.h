#pragma once

#include <QLabel>
#include <QRectF>
#include <QString>

class QPainter;

namespace quadrel {

// The mute pictures by key, "Mute", "Unmute" or "Unknown" (a state the unit
// has not reported; any other key: "Unmute"), drawn as vectors into `rect`. The one place the
// pictures come from, so a shared picture set can take its place.
void PaintMute(QPainter& painter, const QRectF& rect, const QString& key);

// MuteKeys: 0 is "Unmute", 1 "Mute"; any other status shows as not muted.
QString MuteKey(int muteStatus);
inline QString UnknownMuteKey() {
    return QStringLiteral("Unknown");
}

// An image control showing a mute picture, drawn when it is painted, so at
// the pixel ratio of the screen it is on (sharp on a scaled screen, and
// again when the window moves to another). The key is kept in the
// "imageKey" property for tests, and its words are the description for
// screen readers.
// A left click on it is reported; whoever listens decides what it does.
class MuteImage : public QLabel {
    Q_OBJECT
public:
    explicit MuteImage(QWidget* parent = nullptr);

    void setKey(const QString& key);
    const QString& key() const { return key_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    static QString Description(const QString& key);

    QString key_;
};

} // namespace quadrel
