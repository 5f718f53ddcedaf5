#pragma once

#include <QWidget>

namespace quadrel {

// A control's own enabled flag, whatever its containers say: the routines
// that ask "is this control enabled" mean the flag set on it.
inline bool OwnEnabled(const QWidget* w) {
    return !w->testAttribute(Qt::WA_ForceDisabled);
}

} // namespace quadrel
