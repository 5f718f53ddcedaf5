#pragma once

#include "ctl/CtlCommand.h"
#include "model/QRDSTA.h"

#include <QString>

namespace quadrel::ctl {

// Whether a command suits the unit as it reported itself: its port counts,
// its abilities, 0 to 100 for levels, its delay range and step, its presets.
// Empty when it does; otherwise why not, in one line, and nothing is sent.
QString Refusal(const CtlCommand& command, const QRDSTA& unit);

// The kinds a route or disconnect touches: those named, else those the unit has.
bool TouchesAudio(const CtlCommand& command, const QRDSTA& unit);
bool TouchesVideo(const CtlCommand& command, const QRDSTA& unit);

} // namespace quadrel::ctl
