// The run's steps: each unit in turn selected, read, set and read back, then
// the unit selected before selected again and the outcome told.
#include "model/QuadrelCore.h"
#include "model/SceneJobRun.h"

namespace quadrel {

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
