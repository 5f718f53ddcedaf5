#include "model/SceneJob.h"

#include "model/QuadrelCore.h"
#include "model/ScenePlan.h"
#include "model/SceneStore.h"

#include <chrono>

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

void SceneJob::Finish() {
    std::unique_ptr<Run> r = std::move(run_);
    if (r->pollWasOn) {
        core_.status.timRequestStatus().start();
    }
    if (r->kind == Run::Kind::Capture) {
        QStringList missed;
        for (const SceneUnitReport& u : r->report.units) {
            if (u.state != SceneUnitReport::State::Complete) {
                missed << QStringLiteral("%1").arg(u.id, 2, 16, QLatin1Char('0')).toUpper();
            }
        }
        r->captured.ok = r->captured.scene.units.size() == r->capture.units.size();
        if (!r->captured.ok) {
            //: %1: IDs of units, as "03, 1F"
            r->captured.message = tr("units not read: %1").arg(missed.join(QStringLiteral(", ")));
        }
        return r->captureDone(r->captured);
    }
    SceneReport& report = r->report;
    bool whole = true;
    for (const SceneUnitReport& u : report.units) {
        whole = whole && u.state == SceneUnitReport::State::Complete;
    }
    const bool lost = !core_.link.IsPortOpen();
    report.ending = r->cancelled ? SceneReport::Ending::Cancelled
                    : lost       ? SceneReport::Ending::PortLost
                    : whole      ? SceneReport::Ending::Done
                                 : SceneReport::Ending::Partial;
    report.way = r->kind == Run::Kind::Undo   ? SceneReport::Way::Undo
                 : r->kind == Run::Kind::Redo ? SceneReport::Way::Redo
                                              : SceneReport::Way::Recall;
    report.message = report.Headline();
    if (!r->step.after.empty()) {
        if (r->kind == Run::Kind::Recall) {
            core_.history.RecordRecall(std::move(r->step));
        } else {
            // An undone recall is made again by setting what the undo replaced.
            if (r->kind == Run::Kind::Undo) {
                std::swap(r->step.before, r->step.after);
            }
            core_.history.RecallStepped(r->kind == Run::Kind::Undo, std::move(r->step));
        }
    } else if (r->kind != Run::Kind::Recall && report.ending == SceneReport::Ending::Partial) {
        // Nothing of it could be sent (every value changed since): it goes.
        core_.history.RecallStepped(r->kind == Run::Kind::Undo, {});
    }
    r->done(report);
}

void SceneJob::Step() {
    Run& r = *run_;
    if (r.phase == Run::Phase::Abilities) {
        if (asked_ == 0) {
            Plan();
        }
        return;
    }
    if (r.phase == Run::Phase::Reselecting) {
        if (!core_.status.IsBusy()) {
            Finish();
        }
        return;
    }
    if (r.phase == Run::Phase::Reading && core_.status.IsBusy()) {
        return;
    }
    if (r.phase == Run::Phase::Reading || r.phase == Run::Phase::Preset) {
        Read();
        return;
    }
    // Phase::Start: the next unit, or the end.
    while (r.index < r.plans.size()) {
        ScenePlan::UnitPlan& plan = r.plans[r.index];
        SceneUnitReport& out = Report(plan);
        if (!core_.link.IsPortOpen()) {
            out.state = SceneUnitReport::State::NotReached;
        } else if (r.cancelled) {
            out.state = SceneUnitReport::State::Cancelled;
        } else if (r.kind == Run::Kind::Capture) {
            r.unit = core_.model.FindUnit(plan.unit.id);
            if (IsUnitConnected(r.unit)) {
                break;
            }
            out.state = SceneUnitReport::State::NotOnLine;
        } else if (plan.onLine) {
            r.unit = core_.model.FindUnit(plan.unit.id);
            if (IsUnitConnected(r.unit)) {
                break;
            }
            out.state = SceneUnitReport::State::Silent;
        } else {
            out.state = SceneUnitReport::State::NotOnLine;
        }
        ++r.index;
    }
    if (r.index >= r.plans.size()) {
        Reselect();
        return;
    }
    if (progress_ && r.kind != Run::Kind::Capture) {
        progress_({static_cast<int>(r.index), static_cast<int>(r.plans.size()),
                   r.plans[r.index].unit.id, 0, 0});
    }
    r.phase = Run::Phase::Reading;
    select_(r.unit);
    if (!core_.status.IsBusy()) {
        next_->start();
    }
}

SceneUnitReport& SceneJob::Report(const ScenePlan::UnitPlan& plan) {
    std::vector<SceneUnitReport>& units = run_->report.units;
    if (units.size() <= run_->index) {
        SceneUnitReport out;
        out.id = plan.unit.id;
        out.name = plan.unit.name;
        out.leftOut = plan.leftOut;
        units.push_back(out);
    }
    return units[run_->index];
}

void SceneJob::Read() {
    Run& r = *run_;
    ScenePlan::UnitPlan& plan = r.plans[r.index];
    SceneUnitReport& out = Report(plan);
    const bool answers = IsUnitConnected(r.unit) && core_.model.objSelectedUnit == r.unit;
    if (!answers || r.cancelled || !core_.link.IsPortOpen()) {
        out.state = !core_.link.IsPortOpen() ? SceneUnitReport::State::NotReached
                    : r.cancelled            ? SceneUnitReport::State::Cancelled
                                             : SceneUnitReport::State::Silent;
        // Cancelled once its preset was loaded: the preset's values are on
        // the unit, and an undo takes them back too.
        if (answers && r.started && out.presetLoaded) {
            Keep(plan, LiveValues(core_.model, UnitIdentity::Of(*r.unit)));
        }
        NextUnit();
        return;
    }
    const UnitIdentity identity = UnitIdentity::Of(*r.unit);
    const UnitValues live = LiveValues(core_.model, identity);
    if (!r.started) {
        r.started = true;
        r.startLive = live; // before its preset too
    }
    if (r.kind == Run::Kind::Capture) {
        r.captured.scene.units.push_back(
            CaptureUnit(identity, live, r.capture.units[r.index], r.capture.what));
        out.state = SceneUnitReport::State::Complete;
        NextUnit();
        return;
    }
    // A preset is loaded first, then the unit read again: the values are
    // set over what the preset left.
    if (plan.unit.preset && r.phase == Run::Phase::Reading) {
        r.phase = Run::Phase::Preset;
        core_.path.SendThen(Change::Preset(Change::Kind::PresetLoad, r.unit->bID(),
                                           *plan.unit.preset, identity.audio, identity.video),
                            [this](bool answered) {
                                if (!run_) {
                                    return;
                                }
                                Report(run_->plans[run_->index]).presetLoaded = answered;
                                run_->phase = Run::Phase::Reading;
                                core_.status.SetLoadingStatus(true);
                                core_.status.RequestUnitStatus(0);
                                if (!core_.status.IsBusy()) {
                                    next_->start();
                                }
                            });
        plan.unit.preset.reset();
        return;
    }
    UnitValues wanted = ScenePlan::Guarded(plan, live, out.leftOut);
    UnitSettingsJob::Outcome prepared;
    prepared.file.unit = identity;
    prepared.file.live = wanted;
    prepared.unit.unit = identity;
    prepared.unit.live = live;
    prepared.ok = true;
    prepared.ending = UnitSettingsJob::Ending::Done;
    if (Differences(live, wanted, 0).empty()) {
        // Nothing to send: the read just made shows the unit as the scene.
        Keep(plan, live);
        out.state = out.leftOut.isEmpty() ? SceneUnitReport::State::Complete
                                          : SceneUnitReport::State::Partial;
        NextUnit();
        return;
    }
    r.phase = Run::Phase::Restoring;
    job_->Restore(prepared, [this](const UnitSettingsJob::Outcome& o) { Restored(o); });
}

void SceneJob::Restored(const UnitSettingsJob::Outcome& o) {
    Run& r = *run_;
    const ScenePlan::UnitPlan& plan = r.plans[r.index];
    SceneUnitReport& out = Report(plan);
    out.sent = o.sentChanges;
    out.confirmed = o.confirmed;
    out.notTaken = o.notTaken;
    out.unknown = o.unknown;
    out.planned = o.planned;
    r.report.sent += o.sent;
    r.report.planned += o.planned;
    using E = UnitSettingsJob::Ending;
    switch (o.ending) {
    case E::Done:
        out.state = o.notTaken.empty() && out.leftOut.isEmpty() ? SceneUnitReport::State::Complete
                                                                : SceneUnitReport::State::Partial;
        break;
    case E::Cancelled:
        out.state = SceneUnitReport::State::Cancelled;
        break;
    case E::PortLost:
        out.state = SceneUnitReport::State::NotReached;
        break;
    case E::UnitSilent:
    case E::Refused:
        out.state = SceneUnitReport::State::Silent;
        break;
    }
    // What the unit holds now: as read back, or else as the plan found it
    // with every value that may have reached it.
    UnitValues reached = o.unit.live;
    if (o.readBack) {
        reached = LiveValues(core_.model, o.unit.unit);
    } else {
        for (const auto* list : {&o.confirmed, &o.unknown}) {
            for (const Difference& d : *list) {
                Apply(d, reached);
            }
        }
    }
    Keep(plan, reached);
    NextUnit();
}

void SceneJob::Keep(const ScenePlan::UnitPlan& plan, const UnitValues& reached) {
    // The history keeps each value the run changed on the unit, its preset's
    // included, with the value it replaced.
    SceneUnit before = plan.unit, after = plan.unit;
    before.values = {};
    after.values = {};
    before.preset.reset();
    after.preset.reset();
    for (const Difference& d : Differences(run_->startLive, reached, 0)) {
        if (d.unit) {
            Difference back = d;
            back.file = *d.unit;
            Apply(back, before.values);
            Apply(d, after.values);
        }
    }
    if (!after.values.outputs.empty() || !after.values.edid.empty()) {
        run_->step.before.push_back(std::move(before));
        run_->step.after.push_back(std::move(after));
    }
}

void SceneJob::NextUnit() {
    ++run_->index;
    run_->started = false;
    run_->phase = Run::Phase::Start;
    next_->start();
}

void SceneJob::Reselect() {
    Run& r = *run_;
    r.phase = Run::Phase::Reselecting;
    // The unit selected before is selected and read again; when it was the
    // last one set, its read back is fresh already.
    if (IsUnitConnected(r.previous) && core_.link.IsPortOpen() &&
        core_.model.objSelectedUnit != r.previous) {
        select_(r.previous);
    }
    if (!core_.status.IsBusy()) {
        next_->start();
    }
}

} // namespace quadrel
