#pragma once

#include <QList>
#include <QMargins>
#include <QRect>
#include <QSize>

namespace quadrel::WindowFit {

// Room for a title bar and borders around the window's own rectangle, for
// the window system draws them outside it and they must stay on the screen.
inline const QMargins kFrameAllowance{4, 32, 4, 4};

// The window's rectangle at its first start: the preferred size, smaller
// where the screen's available area (less the frame) is smaller, never below
// `minimum`, centred on that area.
QRect FirstPlace(QSize preferred, QSize minimum, const QRect& available,
                 const QMargins& frame = kFrameAllowance);

// A remembered rectangle brought back onto the screens (their available
// areas, the primary first): on the screen it overlaps most, or on the
// primary one when it overlaps none (a monitor gone); shrunk to fit that
// screen and moved inside it, so the title bar is always reachable. A
// rectangle that fits is returned unchanged; an empty one, or no screens,
// gives an invalid rectangle (use the first place).
QRect FitToScreens(const QRect& remembered, const QList<QRect>& screens, QSize minimum,
                   const QMargins& frame = kFrameAllowance);

} // namespace quadrel::WindowFit
