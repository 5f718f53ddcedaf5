#pragma once

#include "model/Scene.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace quadrel {

class basQRD;
class QRDSTA;

// What a recall can do with each unit a scene names, as the model knows the
// line before anything is sent.
namespace ScenePlan {

struct UnitPlan {
    // The scene's part for the unit, without what the unit cannot take.
    SceneUnit unit;
    // Whether the same unit (ID, name, size) answers on the line.
    bool onLine = false;
    QStringList leftOut; // one line per value, port or unit left out, and why
    // Undo and redo: a value is set only where the unit still shows this.
    UnitValues guard;
    bool guarded = false;
};

// One plan per unit of `scene`, in its order. Ports past the unit's
// counts and settings it has no control for are left out and listed. A
// value out of the range the unit takes (a level past 100, a delay past its
// maximum, a preset past its memories) makes the whole scene unfit:
// `refusal` says why, and nothing is to be sent.
std::vector<UnitPlan> Make(const Scene& scene, const basQRD& model, QString& refusal);
// The same for one unit as it reports itself.
UnitPlan Make(const SceneUnit& unit, const QRDSTA* found, QString& refusal);

// The values to set now on a unit showing `live`: a guarded value that the
// unit no longer shows as the guard says is left out and listed.
UnitValues Guarded(const UnitPlan& plan, const UnitValues& live, QStringList& leftOut);

} // namespace ScenePlan

} // namespace quadrel
