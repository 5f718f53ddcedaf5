#pragma once

#include "model/QRDSTA.h"
#include "model/Setting.h"

#include <QString>

#include <cstdint>

namespace quadrel::SettingRange {

// Whether `value` suits `setting` of one port of `unit` as the unit reported
// itself: mute 0 or 1, levels 0 to 100, a delay within 0 and the unit's
// maximum and a whole number of its steps, EDID 0 or 1, each only where the
// unit has that control. Empty when it does; otherwise why not, in one line
// ("volume 150 is outside 0-100"). The pages and quadrel-ctl refuse alike
// with it; ports and routes are the caller's.
QString Refusal(Setting setting, int64_t value, const QRDSTA& unit);

// Whether `unit` has the control that `setting` sets, as it reported itself.
bool Supported(Setting setting, const QRDSTA& unit);

// The setting's name in those lines: "volume", "delay", "EDID".
QString Words(Setting setting);

} // namespace quadrel::SettingRange
