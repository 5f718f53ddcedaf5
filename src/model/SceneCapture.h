#pragma once

#include "model/Scene.h"
#include "model/UnitSettings.h"

#include <cstdint>
#include <vector>

namespace quadrel {

// What "New scene from…" asks to take from the live state.
struct SceneCapture {
    enum class What {
        Everything, // routes, mute, levels, delay of the outputs; EDID of the inputs
        Routes,     // audio and video routes of the outputs
        AudioRoutes,
        VideoRoutes,
    };
    struct Pick {
        uint8_t id = 0;
        std::vector<int> outputs; // empty: every output
        std::vector<int> inputs;  // EDID (Everything only); empty: every input
    };
    QString name;
    What what = What::Everything;
    std::vector<Pick> units;
};

// The part of a unit's live values that `pick` and `what` choose; only
// values the unit has (its identity) and reported are taken.
SceneUnit CaptureUnit(const UnitIdentity& unit, const UnitValues& live,
                      const SceneCapture::Pick& pick, SceneCapture::What what);

} // namespace quadrel
