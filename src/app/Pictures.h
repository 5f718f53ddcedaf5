#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

namespace quadrel::Pictures {

// The pictures behind the image keys of the views (switch cells, plugs, unit
// state, mute), drawn as vectors so they stay sharp at any size and scale.

// Every key that has a picture.
QStringList Keys();
bool Has(const QString& key);

// Draws the picture of `key` into `rect`; a disabled picture is paled.
// An unknown key draws nothing.
void Paint(QPainter& painter, const QRectF& rect, const QString& key, bool enabled = true);

// Draws the picture of `key` filling `rect` from a pixmap drawn once for
// that key, size, pixel ratio, state and interface font. The grid, the plugs and the unit
// list repaint hundreds of pictures at a time: drawing each one's shapes and
// letters again held the line for milliseconds. Under a painter turned or
// scaled it draws the shapes, as Paint does.
void PaintCached(QPainter& painter, const QRect& rect, const QString& key, bool enabled = true);

// What the picture shows, in words, for screen readers ("audio routed,
// video not routed", "plugged"). Empty for an unknown key.
QString Describe(const QString& key);

// An icon that draws itself at whatever size and device pixel ratio it is
// asked for.
QIcon Icon(const QString& key);

// A pixmap of `size` logical pixels for a screen of the given pixel ratio.
QPixmap Pixmap(const QString& key, const QSize& size, qreal devicePixelRatio = 1.0,
               bool enabled = true);

} // namespace quadrel::Pictures
