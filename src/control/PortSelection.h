#pragma once

#include "model/StatusTables.h"

#include <Qt>

namespace quadrel::PortSelection {

// How a mouse release on a port's check box changes the selection.
enum class Click {
    Toggle, // left button with Ctrl alone: flip the port, make it the anchor
    Range,  // left button with Shift alone: the ports from the anchor to it
    Single, // anything else: the port alone, made the anchor
};

Click ClickOf(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

// Applies a click on `port` of a unit with `count` ports; `anchor` is the
// Shift-range anchor (below 1: none).
void Apply(PortTable<PORT_SELECT>& table, int port, int count, Click click, int& anchor);

// Every enabled port is selected (true when none is enabled).
bool IsAllSelected(const PortTable<PORT_SELECT>& table);
// Some port is both enabled and selected.
bool AnySelected(const PortTable<PORT_SELECT>& table);

// "Select all" ticked selects ports 1 to `count`; unticked clears them all.
void SetAll(PortTable<PORT_SELECT>& table, bool ticked, int count);

} // namespace quadrel::PortSelection
