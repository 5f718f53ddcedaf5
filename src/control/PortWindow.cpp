#include "control/PortWindow.h"

#include <algorithm>

namespace quadrel::PortWindow {

std::optional<Spot> Move(int port, int delta, int scroll, int count, int shown) {
    const int target = port + delta;
    if (target < 1 || target > count || shown < 1) {
        return std::nullopt;
    }
    if (target - 1 < scroll || target - 1 >= scroll + shown) {
        // A whole step of the move, so a row of panels stays a row.
        scroll = std::clamp(scroll + delta, 0, std::max(count - shown, 0));
        scroll = std::clamp(scroll, target - shown, target - 1);
    }
    return Spot{target, scroll};
}

int ScrollBy(int scroll, int delta, int count, int shown) {
    return std::clamp(scroll + delta, 0, std::max(count - shown, 0));
}

} // namespace quadrel::PortWindow
