#include "control/PortSelection.h"

#include <algorithm>

namespace quadrel::PortSelection {

Click ClickOf(Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    // A key of the numeric keypad held down is no modifier for this purpose.
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    if (button == Qt::LeftButton && held == Qt::ControlModifier) {
        return Click::Toggle;
    }
    if (button == Qt::LeftButton && held == Qt::ShiftModifier) {
        return Click::Range;
    }
    return Click::Single;
}

void Apply(PortTable<PORT_SELECT>& table, int port, int count, Click click, int& anchor) {
    count = std::clamp(count, 0, kMaxPort);
    switch (click) {
    case Click::Toggle:
        anchor = port;
        table[port].blSelected = !table[port].blSelected;
        break;
    case Click::Range:
        table[port].blSelected = true;
        if (anchor >= 1) {
            const int lo = std::min(port, anchor);
            const int hi = std::max(port, anchor);
            for (int m = 1; m <= count; ++m) {
                table[m].blSelected = lo <= m && m <= hi;
            }
        }
        break;
    case Click::Single:
        anchor = port;
        for (int m = 1; m <= count; ++m) {
            table[m].blSelected = m == port;
        }
        table[port].blSelected = true;
        break;
    }
}

bool IsAllSelected(const PortTable<PORT_SELECT>& table) {
    for (int n = 1; n <= kMaxPort; ++n) {
        if (table[n].blEnabled && !table[n].blSelected) {
            return false;
        }
    }
    return true;
}

bool AnySelected(const PortTable<PORT_SELECT>& table) {
    for (int n = 1; n <= kMaxPort; ++n) {
        if (table[n].blEnabled && table[n].blSelected) {
            return true;
        }
    }
    return false;
}

void SetAll(PortTable<PORT_SELECT>& table, bool ticked, int count) {
    if (ticked) {
        for (int n = 1; n <= std::clamp(count, 0, kMaxPort); ++n) {
            table[n].blSelected = true;
        }
        return;
    }
    for (int n = 1; n <= kMaxPort; ++n) {
        table[n].blSelected = false;
    }
}

} // namespace quadrel::PortSelection
