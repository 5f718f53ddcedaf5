#pragma once

#include <QColor>
#include <QIcon>
#include <QPalette>

#include "log/TraceSink.h"

namespace quadrel {

// The pictures of the log window's tool bar, drawn rather than shipped.
QIcon RunIcon();  // a green triangle pointing right
QIcon StopIcon(); // a red square

// The colour of a trace line on a text box with this palette: a darker shade
// on a light base, a lighter one on a dark base, so both directions stay
// readable and distinct either way.
QColor TraceLineColour(TraceColour colour, const QPalette& palette);

} // namespace quadrel
