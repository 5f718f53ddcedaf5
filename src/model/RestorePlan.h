#pragma once

#include "model/UnitSettings.h"

#include <cstdint>
#include <vector>

namespace quadrel {

// One step of a restore. A preset is restored by passing it through the live
// outputs: its values are set, it is saved to its location, and the live
// state of the file is set last.
struct RestoreStep {
    enum class Kind { Set, SavePreset, ReadLive, ReadPreset };
    Kind kind = Kind::Set;
    Difference change; // Set: its location is the preset being passed, 0 for the live pass
    int location = 0;  // SavePreset, ReadPreset
};

// The steps that bring a unit holding `unitLive` and `unitPresets` to the
// file: only what differs is set, presets only when asked and only those that
// differ, then the live state and the restored presets are read back.
std::vector<RestoreStep> PlanRestore(const UnitSettings& file, const UnitValues& unitLive,
                                     const std::map<int, UnitValues>& unitPresets, bool presets);
// Number of Set and SavePreset steps: what the progress counts.
int CountChanges(const std::vector<RestoreStep>& steps);

} // namespace quadrel
