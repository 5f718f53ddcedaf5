#include "model/SceneJob.h"

#include "model/SceneJobRun.h"

#include "model/QuadrelCore.h"
#include "model/ScenePlan.h"
#include "model/SceneStore.h"

#include <chrono>

namespace quadrel {

SceneJob::SceneJob(QuadrelCore& core, TimerFactory& timers, Select select)
    : core_(core), select_(std::move(select)),
      job_(std::make_unique<UnitSettingsJob>(core, timers)),
      next_(timers.createTimer(std::chrono::milliseconds(0))) {
    job_->setOnProgress([this](int done, int total) {
        if (progress_ && run_) {
            progress_({static_cast<int>(run_->index), static_cast<int>(run_->plans.size()),
                       run_->plans[run_->index].unit.id, done, total});
        }
    });
    next_->setOnTick([this] {
        next_->stop();
        if (run_) {
            Step();
        }
    });
    tag_ = core_.link.queue.NewTag([this](const SEND_PACKET&, TransmitQueue::FrameEnd end) {
        asked_ += end == TransmitQueue::FrameEnd::Queued ? 1 : -1;
        if (asked_ == 0 && run_ && run_->phase == Run::Phase::Abilities) {
            next_->start();
        }
    });
    // The reads that select each unit in turn are the run's own.
    idleListener_ = core_.status.AddIdleListener([this] {
        if (run_ &&
            (run_->phase == Run::Phase::Reading || run_->phase == Run::Phase::Reselecting)) {
            next_->start();
        }
    });
}

SceneJob::~SceneJob() {
    next_->stop();
    core_.link.queue.DropTag(tag_);
    core_.status.RemoveIdleListener(idleListener_);
}

bool SceneJob::Running() const {
    return run_ != nullptr;
}

bool SceneJob::Begin(int kind) {
    if (run_ || !core_.link.IsPortOpen() || core_.status.IsBusy()) {
        return false;
    }
    run_ = std::make_unique<Run>();
    run_->kind = static_cast<Run::Kind>(kind);
    run_->previous = core_.model.objSelectedUnit;
    // The poll would only slow the run down, and its reads are the run's own.
    run_->pollWasOn = core_.status.timRequestStatus().isActive();
    core_.status.timRequestStatus().stop();
    return true;
}

void SceneJob::Capture(const SceneCapture& request, CaptureDone done) {
    if (!Begin(static_cast<int>(Run::Kind::Capture))) {
        Captured refused;
        refused.message = tr("the line is busy, or no port is open");
        return done(refused);
    }
    run_->capture = request;
    run_->captured.scene.name = request.name;
    run_->captureDone = std::move(done);
    for (const SceneCapture::Pick& pick : request.units) {
        ScenePlan::UnitPlan plan;
        plan.unit.id = pick.id;
        run_->plans.push_back(plan);
    }
    next_->start();
}

void SceneJob::Recall(const Scene& scene, Done done) {
    StartRecall(static_cast<int>(Run::Kind::Recall), scene, {}, std::move(done));
}

void SceneJob::Undo(Done done) {
    const RecallStep* step = core_.history.NextRecall(true);
    if (step == nullptr) {
        SceneReport refused;
        refused.message = tr("the last step is not a scene's recall");
        return done(refused);
    }
    StartRecall(static_cast<int>(Run::Kind::Undo), Scene{step->scene, {}, step->before},
                step->after, std::move(done));
}

void SceneJob::Redo(Done done) {
    const RecallStep* step = core_.history.NextRecall(false);
    if (step == nullptr) {
        SceneReport refused;
        refused.message = tr("the next step is not a scene's recall");
        return done(refused);
    }
    StartRecall(static_cast<int>(Run::Kind::Redo), Scene{step->scene, {}, step->after},
                step->before, std::move(done));
}

void SceneJob::StartRecall(int kind, const Scene& scene, const std::vector<SceneUnit>& guard,
                           Done done) {
    SceneReport refused;
    refused.scene = scene.name;
    if (run_ || !core_.link.IsPortOpen() || core_.status.IsBusy()) {
        refused.message = tr("nothing was sent: the line is busy, or no port is open");
        return done(refused);
    }
    if (const QString why = SceneStore::Check(scene); !why.isEmpty()) {
        refused.message = tr("nothing was sent: scene “%1”: %2").arg(scene.name, why);
        refused.outOfRange = true;
        return done(refused);
    }
    Begin(kind);
    run_->scene = scene;
    run_->guard = guard;
    run_->report.scene = scene.name;
    run_->step.scene = scene.name;
    run_->done = std::move(done);
    // Each value is checked against what its unit takes before anything is
    // sent: a unit found by a scan but not yet selected has not told its
    // abilities, and is asked them first.
    run_->phase = Run::Phase::Abilities;
    TransmitQueue& q = core_.link.queue;
    const uint32_t tagBefore = q.currentTag();
    const int32_t stepBefore = q.currentStep();
    q.setCurrentTag(tag_);
    for (const SceneUnit& u : scene.units) {
        const UnitRef unit = core_.model.FindUnit(u.id);
        if (IsUnitConnected(unit) && unit->blExtendedInfoExist() && !unit->blExtendedRead()) {
            core_.link.senders.CmdGetUnitInfo(u.id, 1, 1);
        }
    }
    q.setCurrentTag(tagBefore, stepBefore);
    if (asked_ == 0) {
        next_->start();
    }
}

void SceneJob::Plan() {
    Run& r = *run_;
    QString why;
    r.plans = ScenePlan::Make(r.scene, core_.model, why);
    if (!why.isEmpty()) {
        //: %1: the scene's name; %2: what is wrong with it
        r.report.message = tr("nothing was sent: scene “%1”: %2").arg(r.scene.name, why);
        r.report.outOfRange = true;
        std::unique_ptr<Run> ended = std::move(run_);
        if (ended->pollWasOn) {
            core_.status.timRequestStatus().start();
        }
        return ended->done(ended->report);
    }
    for (ScenePlan::UnitPlan& plan : r.plans) {
        for (const SceneUnit& g : r.guard) {
            if (g.id == plan.unit.id) {
                plan.guard = g.values;
                plan.guarded = true;
            }
        }
    }
    r.phase = Run::Phase::Start;
    Step();
}

void SceneJob::Cancel() {
    if (!run_ || run_->cancelled) {
        return;
    }
    run_->cancelled = true;
    if (run_->phase == Run::Phase::Restoring) {
        job_->Cancel();
    }
}

} // namespace quadrel
