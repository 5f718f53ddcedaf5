#include "app/OutputSelection.h"

#include <algorithm>

namespace quadrel {

int ShiftStateOf(Qt::KeyboardModifiers modifiers) {
    return (modifiers.testFlag(Qt::ShiftModifier) ? kShiftMask : 0) |
           (modifiers.testFlag(Qt::ControlModifier) ? kCtrlMask : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? kAltMask : 0);
}

void ApplyOutputClick(PortTable<PORT_SELECT>& select, int outputCount, int& anchor, int output,
                      int button, int shiftState) {
    const bool left = button == kLeftButton;
    if (left && shiftState == kCtrlMask) {
        anchor = output;
        select[output].blSelected = !select[output].blSelected;
        return;
    }
    select[output].blSelected = true;
    if (!(left && shiftState == kShiftMask)) {
        anchor = output;
    }
    // Shift without an anchor only adds the output to what is selected.
    if (anchor < 1) {
        return;
    }
    const int low = std::min(anchor, output);
    const int high = std::max(anchor, output);
    for (int o = 1; o <= outputCount; ++o) {
        select[o].blSelected = o >= low && o <= high;
    }
}

void ApplySelectAll(PortTable<PORT_SELECT>& select, int outputCount, bool connected, bool ticked) {
    if (ticked) {
        if (connected) {
            for (int o = 1; o <= outputCount; ++o) {
                select[o].blSelected = true;
            }
        }
        return;
    }
    for (int o = 1; o <= kMaxPort; ++o) {
        select[o].blSelected = false;
    }
}

bool IsAllOutputsSelected(const PortTable<PORT_SELECT>& select) {
    for (int o = 1; o <= kMaxPort; ++o) {
        if (select[o].blEnabled && !select[o].blSelected) {
            return false;
        }
    }
    return true;
}

} // namespace quadrel
