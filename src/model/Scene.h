#pragma once

#include "model/PresetStore.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace quadrel {

// What a scene sets on one unit of the line. Only the values present are
// set; an empty one is left as the unit holds it.
struct SceneUnit {
    uint8_t id = 0;
    // The unit as it was when the scene was made: a unit at that ID that
    // reports another name or size is another unit, and is left out.
    QString name;
    int inputs = 0, outputs = 0;
    std::optional<int> preset; // memory location loaded before the values
    UnitValues values;
    bool operator==(const SceneUnit&) const = default;
};

// A named set of settings over any units and ports of one line, recalled in
// one action.
struct Scene {
    QString name;
    QString shortcut; // QKeySequence's portable text; empty for none
    std::vector<SceneUnit> units;
    bool operator==(const Scene&) const = default;
};

} // namespace quadrel
