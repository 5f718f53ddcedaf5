#pragma once

// The state of one run of SceneJob, shared by the files that make it.
#include "model/ChangeHistory.h"
#include "model/SceneJob.h"

namespace quadrel {

// One capture, recall, undo or redo under way. It moves on only on a turn of
// its own timer, after the read or the unit's job it waits for has ended, so
// nothing it does runs inside the receive path.
struct SceneJob::Run {
    enum class Kind { Capture, Recall, Undo, Redo };
    enum class Phase { Abilities, Start, Reading, Preset, Restoring, Reselecting };

    Kind kind = Kind::Recall;
    Phase phase = Phase::Start;
    Scene scene;                            // recall, undo, redo: as asked
    std::vector<SceneUnit> guard;           // undo, redo: what the units must still show
    std::vector<ScenePlan::UnitPlan> plans; // recall, undo, redo
    SceneCapture capture;
    Captured captured;
    CaptureDone captureDone;
    SceneReport report;
    Done done;
    RecallStep step; // what the history keeps of this run
    size_t index = 0;
    UnitRef previous, unit;
    UnitValues startLive; // the unit in turn as first read, before its preset
    bool started = false;
    bool pollWasOn = false;
    bool cancelled = false;
};

} // namespace quadrel
