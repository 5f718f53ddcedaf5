#pragma once

#include "model/StatusTables.h"

#include <Qt>

namespace quadrel {

// Mouse button and shift state as the output boxes see them.
constexpr int kLeftButton = 1;
constexpr int kShiftMask = 1;
constexpr int kCtrlMask = 2;
constexpr int kAltMask = 4;

int ShiftStateOf(Qt::KeyboardModifiers modifiers);

// A mouse-up on the box of `output`: Ctrl toggles it and moves the anchor,
// Shift selects the range from the anchor, anything else selects it alone.
// `anchor` is -1 when there is none. Only outputs 1..outputCount change.
void ApplyOutputClick(PortTable<PORT_SELECT>& select, int outputCount, int& anchor, int output,
                      int button, int shiftState);

// "Select all" ticked selects every output of the unit (none when no unit
// answers); unticked clears all 255.
void ApplySelectAll(PortTable<PORT_SELECT>& select, int outputCount, bool connected, bool ticked);

// Every output that exists on the unit is selected.
bool IsAllOutputsSelected(const PortTable<PORT_SELECT>& select);

} // namespace quadrel
