#pragma once

#include <optional>

namespace quadrel::PortWindow {

// A window of `shown` positions over `count` ports, as the pages scroll them:
// the scroll value is the number of ports scrolled off before the window, so
// position p shows port scroll + p + 1.

// Where the focus lands when it moves by `delta` ports from `port`, and the
// scroll value that shows that port: when the port lies outside the window,
// the window moves by `delta` too (as far as there are ports), so the focus
// keeps its place in a row of panels. Nothing when there is no such port.
struct Spot {
    int port = 0;
    int scroll = 0;
};
std::optional<Spot> Move(int port, int delta, int scroll, int count, int shown);

// The scroll value after a page key or a wheel: `delta` ports on, kept within
// the ports there are.
int ScrollBy(int scroll, int delta, int count, int shown);

} // namespace quadrel::PortWindow
