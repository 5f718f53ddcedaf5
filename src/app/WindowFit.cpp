#include "app/WindowFit.h"

#include <algorithm>

namespace quadrel::WindowFit {

namespace {

// Places `size` inside `room` (the area the window itself may take), keeping
// `wanted` where it is as far as the room allows; too large a window stands
// at the room's top left, so its title bar stays on the screen.
QRect Inside(const QRect& room, QSize size, QPoint wanted) {
    const int x = std::max(room.left(), std::min(wanted.x(), room.right() + 1 - size.width()));
    const int y = std::max(room.top(), std::min(wanted.y(), room.bottom() + 1 - size.height()));
    return {QPoint(x, y), size};
}

QSize Bounded(QSize size, QSize minimum, QSize room) {
    return size.boundedTo(room).expandedTo(minimum);
}

} // namespace

QRect FirstPlace(QSize preferred, QSize minimum, const QRect& available, const QMargins& frame) {
    const QRect room = available.marginsRemoved(frame);
    const QSize size = Bounded(preferred, minimum, room.size());
    const QPoint centred(room.left() + (room.width() - size.width()) / 2,
                         room.top() + (room.height() - size.height()) / 2);
    return Inside(room, size, centred);
}

QRect FitToScreens(const QRect& remembered, const QList<QRect>& screens, QSize minimum,
                   const QMargins& frame) {
    if (!remembered.isValid() || screens.isEmpty()) {
        return {};
    }
    const QRect outer = remembered.marginsAdded(frame);
    QRect best = screens.first();
    qint64 bestArea = 0;
    for (const QRect& screen : screens) {
        const QRect common = screen.intersected(outer);
        const qint64 area = common.isEmpty() ? 0 : qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    const QRect room = best.marginsRemoved(frame);
    return Inside(room, Bounded(remembered.size(), minimum, room.size()), remembered.topLeft());
}

} // namespace quadrel::WindowFit
