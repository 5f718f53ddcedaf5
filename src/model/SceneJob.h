#pragma once

#include "link/Timer.h"
#include "model/Scene.h"
#include "model/SceneCapture.h"
#include "model/ScenePlan.h"
#include "model/SceneReport.h"
#include "model/UnitSettingsJob.h"

#include <QCoreApplication>

#include <functional>
#include <memory>

namespace quadrel {

class QuadrelCore;

// Capturing and recalling scenes, for the window, quadrel-ctl and the
// owner's clients alike: a job on the one change path. The model holds the
// live state of the selected unit only, so the job selects each unit the
// scene names in turn, waits for its read, and restores its part of the
// scene with UnitSettingsJob (only what differs, then a read back); the unit
// selected before is selected again at the end. A unit that is silent or
// refuses a value does not stop the others.
class SceneJob {
    Q_DECLARE_TR_FUNCTIONS(SceneJob)

public:
    // Makes a unit the selected one and reads it, as the unit list does
    // (the window's own routine, or QuadrelCore::SelectUnit).
    using Select = std::function<void(const UnitRef&)>;
    using Done = std::function<void(const SceneReport&)>;
    struct Captured {
        bool ok = false;
        QString message; // why not, or which units could not be read
        Scene scene;
    };
    using CaptureDone = std::function<void(const Captured&)>;

    SceneJob(QuadrelCore& core, TimerFactory& timers, Select select);
    ~SceneJob();
    SceneJob(const SceneJob&) = delete;
    SceneJob& operator=(const SceneJob&) = delete;

    // Until its outcome has been told.
    bool Running() const;
    void setOnProgress(std::function<void(const SceneProgress&)> progress) {
        progress_ = std::move(progress);
    }

    // Reads each picked unit afresh and takes its values. A unit not on the
    // line or silent is left out and named in the message.
    void Capture(const SceneCapture& request, CaptureDone done);

    // Recalls `scene`. Refused with nothing sent when a job runs, the line is
    // busy, the scene is invalid or a value is outside what its unit takes.
    // A recall that sent anything becomes one step of the core's history
    // (QuadrelCore::history), to take back with Undo.
    void Recall(const Scene& scene, Done done);
    // Takes back the history's newest step when it is a recall
    // (ChangeHistory::NextIsRecall(true)): each unit gets back the values the
    // recall replaced, only where it still shows what the recall set. Redo
    // makes it again the same way. Both are jobs like Recall, and leave the
    // step on the other side of the history once they have sent anything.
    void Undo(Done done);
    void Redo(Done done);

    // Stops: settings not yet sent are withdrawn, the unit being set is read
    // back, units not yet reached are left as they are. The report says so.
    void Cancel();

private:
    struct Run;
    bool Begin(int kind);
    void StartRecall(int kind, const Scene& scene, const std::vector<SceneUnit>& guard, Done done);
    // The units' abilities are known: each unit's part is checked and trimmed.
    void Plan();
    // Moves the run on by one step; called on the run's own timer.
    void Step();
    SceneUnitReport& Report(const ScenePlan::UnitPlan& plan);
    // The unit in turn has been read (or read again after its preset).
    void Read();
    void Restored(const UnitSettingsJob::Outcome& outcome);
    // Adds what the run changed on the unit in turn, now holding `reached`,
    // to the step the history keeps.
    void Keep(const ScenePlan::UnitPlan& plan, const UnitValues& reached);
    void NextUnit();
    void Reselect();
    void Finish();

    std::unique_ptr<Run> run_;
    QuadrelCore& core_;
    Select select_;
    // Each unit's part is restored by the one-unit job.
    std::unique_ptr<UnitSettingsJob> job_;
    // The run moves on on turns of its own.
    std::unique_ptr<Timer> next_;
    int idleListener_ = 0;
    // Frames of the run's own questions (a unit's abilities) not yet done with.
    uint32_t tag_ = 0;
    int asked_ = 0;
    std::function<void(const SceneProgress&)> progress_;
};

} // namespace quadrel
