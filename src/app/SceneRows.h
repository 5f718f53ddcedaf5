#pragma once

#include "model/Scene.h"
#include "model/Setting.h"
#include "model/UnitSettings.h"

#include <optional>
#include <vector>

namespace quadrel {

// One value a scene sets, as the scene dialog lists it: a setting of an
// output (an input's for EDID) of one unit.
struct SceneRow {
    uint8_t id = 0;
    Setting setting = Setting::AudioRoute;
    int port = 0;
    int value = 0;
    bool operator==(const SceneRow&) const = default;
};

// The values a row may take on its unit: from `low` to `high` in steps of
// `step`. `fixed` when the unit is not on the line to tell its limits: the
// value stays as captured.
struct SceneRowRange {
    int low = 0, high = 0, step = 1;
    bool fixed = false;
};

// A scene's values as rows and back: what the dialog shows, removes and
// changes, kept in the scene itself so that Save writes what is shown.
namespace SceneRows {

// Units in the scene's order; per unit its outputs in order with their
// settings in the pages' order, then the inputs' EDID.
std::vector<SceneRow> Of(const Scene& scene);
// Takes the value out of the scene; an output left with nothing to set goes.
void Remove(Scene& scene, const SceneRow& row);
// Sets the row's value when it is within `RangeOf`; false otherwise.
bool Set(Scene& scene, const SceneRow& row, int value, const SceneRowRange& range);
// What the unit takes for the row: routes up to the scene's input count,
// levels 0-100, mute and EDID 0 or 1, delay in the unit's steps. `live` is
// the unit on the line, when it is there and the same unit.
SceneRowRange RangeOf(const SceneUnit& unit, const SceneRow& row,
                      const std::optional<UnitIdentity>& live);

} // namespace SceneRows

} // namespace quadrel
