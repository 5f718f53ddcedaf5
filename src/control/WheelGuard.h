#pragma once

class QWidget;

namespace quadrel {

// A value control that the wheel must not change by passing over it: a
// slider or drop-down list takes the wheel only while it has keyboard focus,
// an up-down never. Otherwise the wheel goes on to the control's containers,
// so the scroll area that holds it scrolls (where there is none, nothing
// happens). A list no longer takes focus from the wheel itself.
void GuardWheel(QWidget* control);

} // namespace quadrel
