#include "model/UnitSettingsJob.h"

#include "model/ChangePath.h"
#include "model/QuadrelCore.h"
#include "model/UnitSettingsFile.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>

namespace quadrel {

namespace {

// Settings in the queue at once: enough to keep the line busy, few enough
// that Cancel stops within a few frames.
constexpr int kWindow = 4;

QString Count(size_t n) {
    return n == 1 ? QCoreApplication::translate("UnitSettingsJob", "1 value")
                  : QCoreApplication::translate("UnitSettingsJob", "%1 values").arg(n);
}

} // namespace

UnitSettingsJob::UnitSettingsJob(QuadrelCore& core, TimerFactory& timers)
    : core_(core), tell_(timers.createTimer(std::chrono::milliseconds(0))) {
    tell_->setOnTick([this] {
        tell_->stop();
        Done done = std::move(tellTo_);
        tellTo_ = nullptr;
        if (done) {
            done(told_);
        }
    });
}

UnitSettingsJob::~UnitSettingsJob() {
    tell_->stop();
    if (tag_ != 0) {
        core_.link.queue.DropTag(tag_);
        core_.status.RemoveIdleListener(idleListener_);
    }
}

QString UnitSettingsJob::Lost(Ending& ending) const {
    if (!core_.link.IsPortOpen()) {
        ending = Ending::PortLost;
        return tr("the port closed");
    }
    const UnitRef unit = core_.model.objSelectedUnit;
    if (!IsUnitConnected(unit) || unit->bID() != id_) {
        ending = Ending::UnitSilent;
        return tr("unit %1 stopped answering").arg(id_);
    }
    return {};
}

std::deque<UnitSettingsJob::Item> UnitSettingsJob::ReadItems(bool presets) const {
    std::deque<Item> items{{Step::Info, {}, 0}};
    const UnitRef unit = core_.model.objSelectedUnit;
    for (int m = 1; presets && m <= unit->iMemoryCount(); ++m) {
        items.push_back({Step::ReadPreset, {}, m});
    }
    return items;
}

UnitSettings UnitSettingsJob::ReadBack(bool presets) const {
    UnitSettings s;
    s.unit = UnitIdentity::Of(*core_.model.objSelectedUnit);
    s.live = LiveValues(core_.model, s.unit);
    if (presets) {
        s.presets.emplace();
        for (int m = 1; m <= s.unit.memories; ++m) {
            (*s.presets)[m] = PresetValues(core_.model.Presets, m, s.unit);
        }
    }
    return s;
}

void UnitSettingsJob::Start(std::deque<Item> items, std::function<void()> then, Done done) {
    items_ = std::move(items);
    runs_.clear();
    then_ = std::move(then);
    done_ = std::move(done);
    running_ = true;
    carriesPreset_ = false;
    readingBack_ = false;
    outstanding_ = 0;
    lastWasSet_ = false;
    reported_ = -1;
    if (tag_ == 0) {
        tag_ = core_.link.queue.NewTag(
            [this](const SEND_PACKET& p, TransmitQueue::FrameEnd end) { OnFrame(p, end); });
        idleListener_ = core_.status.AddIdleListener([this] { Pump(); });
    }
    // The poll would only slow the job down; its reads are the job's own.
    pollWasOn_ = core_.status.timRequestStatus().isActive();
    core_.status.timRequestStatus().stop();
    Pump();
}

void UnitSettingsJob::Save(const QString& path, bool presets, const UnitNames& names,
                           const QString& savedAt, Done done) {
    out_ = {};
    const UnitRef unit = core_.model.objSelectedUnit;
    if (running_ || !IsUnitConnected(unit) || core_.status.IsBusy()) {
        out_.message = tr("no unit that answers is selected, or it is busy");
        return done(out_);
    }
    id_ = unit->bID();
    Start(
        ReadItems(presets),
        [this, path, presets, names, savedAt] {
            out_.file = ReadBack(presets);
            out_.file.names = names;
            out_.file.saved = savedAt;
            out_.unit = out_.file;
            QString error;
            out_.ok = UnitSettingsFile::Write(path, out_.file, error);
            out_.ending = out_.ok ? Ending::Done : Ending::Refused;
            out_.message = out_.ok ? tr("unit %1 saved to %2").arg(id_).arg(path)
                                   : tr("%1 could not be written: %2").arg(path, error);
            End(out_);
        },
        std::move(done));
}

void UnitSettingsJob::Prepare(const QString& path, bool presets, Done done) {
    out_ = {};
    const UnitRef unit = core_.model.objSelectedUnit;
    if (running_ || !IsUnitConnected(unit) || core_.status.IsBusy()) {
        out_.message = tr("no unit that answers is selected, or it is busy");
        return done(out_);
    }
    QString error;
    const std::optional<UnitSettings> file = UnitSettingsFile::Read(path, error);
    if (!file) {
        //: %1: a file; %2: why it cannot be used
        out_.message = tr("%1: %2").arg(path, error);
        return done(out_);
    }
    out_.file = *file;
    out_.presets = presets && file->presets.has_value();
    id_ = unit->bID();
    // Refused on the record already known, before anything is asked.
    const auto refuse = [this](const UnitIdentity& now) {
        const QStringList why = SizeMismatch(out_.file.unit, now, out_.presets);
        if (!why.isEmpty()) {
            //: %2: the differences, as "presets: the file has 8 locations, this unit 4"
            out_.message = tr("the file does not fit unit %1: %2")
                               .arg(now.id)
                               //: between the differences of a file and a unit
                               .arg(why.join(tr("; ")));
        }
        return !why.isEmpty();
    };
    if (refuse(UnitIdentity::Of(*unit))) {
        return done(out_);
    }
    Start(
        ReadItems(out_.presets),
        [this, refuse] {
            out_.unit = ReadBack(out_.presets);
            if (!refuse(out_.unit.unit)) {
                out_.ok = true;
                out_.ending = Ending::Done;
                out_.notes = IdentityNotes(out_.file.unit, out_.unit.unit);
                out_.differences = Differences(out_.unit.live, out_.file.live, 0);
                for (const auto& [m, values] :
                     out_.presets ? *out_.file.presets : std::map<int, UnitValues>{}) {
                    const auto more = Differences(out_.unit.presets->at(m), values, m);
                    out_.differences.insert(out_.differences.end(), more.begin(), more.end());
                }
            }
            End(out_);
        },
        std::move(done));
}

void UnitSettingsJob::Restore(const Outcome& prepared, Done done) {
    out_ = prepared;
    out_.ok = false;
    out_.ending = Ending::Refused;
    const UnitRef unit = core_.model.objSelectedUnit;
    // A read of the unit under way (the window reads on after a job) is
    // waited for; a scan is not.
    if (running_ || !IsUnitConnected(unit) || unit->bID() != prepared.unit.unit.id ||
        core_.status.blScanning() || UnitIdentity::Of(*unit) != prepared.unit.unit) {
        out_.message = tr("the unit read is no longer the selected one, or it is busy");
        return done(out_);
    }
    id_ = unit->bID();
    // Planned from the unit as the model shows it now: the poll may have
    // seen changes while the operator read the differences.
    out_.unit.live = LiveValues(core_.model, out_.unit.unit);
    const std::vector<RestoreStep> plan = PlanRestore(
        out_.file, out_.unit.live,
        out_.unit.presets ? *out_.unit.presets : std::map<int, UnitValues>{}, out_.presets);
    out_.planned = CountChanges(plan);
    std::deque<Item> items;
    for (const RestoreStep& s : plan) {
        const Step step = s.kind == RestoreStep::Kind::Set          ? Step::Set
                          : s.kind == RestoreStep::Kind::SavePreset ? Step::SavePreset
                          : s.kind == RestoreStep::Kind::ReadLive   ? Step::ReadLive
                                                                    : Step::ReadPreset;
        items.push_back({step, s.change, s.location});
    }
    restoring_ = true;
    Start(
        std::move(items), [this] { AfterRestore(); }, std::move(done));
}

void UnitSettingsJob::Cancel() {
    if (!running_ || out_.cancelled) {
        return;
    }
    out_.cancelled = true;
    if (!restoring_) {
        // A read under way ends; nothing else is asked.
        items_.clear();
        Pump();
        return;
    }
    if (readingBack_) {
        return; // everything is sent: the read back ends the job as planned
    }
    std::deque<Item> kept;
    for (const Item& item : items_) {
        if (item.step == Step::ReadLive || item.step == Step::ReadPreset) {
            kept.push_back(item);
        }
    }
    // The outputs carry a preset's values: read what they hold, put the live
    // state back as it was, then read back as planned.
    if (carriesPreset_) {
        kept.push_front({Step::PutBack, {}, 0});
        kept.push_front({Step::ReadLive, {}, 0});
    }
    items_ = std::move(kept);
    // Settings still waiting are withdrawn; a preset's save, once begun, is
    // left to end so that its audio and video halves agree.
    for (size_t i = 0; i < runs_.size(); ++i) {
        if (runs_[i].item.step == Step::Set && !runs_[i].Done()) {
            core_.link.queue.PurgeCommandsByTag(tag_, static_cast<int32_t>(i));
        }
    }
    Pump();
}

void UnitSettingsJob::Submit(const Item& item) {
    runs_.push_back({item});
    const auto index = static_cast<int32_t>(runs_.size() - 1);
    TransmitQueue& q = core_.link.queue;
    const uint32_t tagBefore = q.currentTag();
    q.setCurrentTag(tag_, index);
    // Started by whoever may restore, the job runs to its end even if the
    // window is locked meanwhile: stopping halfway would leave a mixed unit.
    const ChangePath::Trusted started(core_.path);
    const UnitIdentity& u = out_.unit.unit;
    switch (item.step) {
    case Step::Info:
        core_.link.senders.CmdGetUnitInfo(id_, 0, 1);
        break;
    case Step::ReadLive:
        core_.status.SetLoadingStatus(true);
        core_.status.RequestUnitStatus(0);
        break;
    case Step::ReadPreset:
        core_.status.ReadMemoryLocation(static_cast<uint8_t>(item.location));
        break;
    case Step::Set: {
        carriesPreset_ = carriesPreset_ || item.change.location != 0;
        Change change = Change::Of(id_, item.change.field, {item.change.port}, item.change.file);
        change.follow = Change::Follow::None;
        core_.path.Send(change);
        break;
    }
    case Step::SavePreset:
        carriesPreset_ = true;
        core_.path.Send(
            Change::Preset(Change::Kind::PresetSave, id_, item.location, u.audio, u.video));
        break;
    case Step::PutBack: {
        const auto back = Differences(LiveValues(core_.model, u), out_.unit.live, 0);
        for (auto it = back.rbegin(); it != back.rend(); ++it) {
            items_.push_front({Step::Set, *it, 0, false});
        }
        out_.putBack = true;
        carriesPreset_ = false;
        break;
    }
    }
    q.setCurrentTag(tagBefore);
}

void UnitSettingsJob::OnFrame(const SEND_PACKET& packet, TransmitQueue::FrameEnd end) {
    if (!running_ || packet.lStep < 0 || static_cast<size_t>(packet.lStep) >= runs_.size()) {
        return;
    }
    Run& run = runs_[static_cast<size_t>(packet.lStep)];
    if (end == TransmitQueue::FrameEnd::Queued) {
        ++run.frames;
        ++outstanding_;
        return;
    }
    --outstanding_;
    (end == TransmitQueue::FrameEnd::Answered ? run.answered : run.failed) += 1;
    const bool change = run.item.step == Step::Set || run.item.step == Step::SavePreset;
    if (run.Done() && change && run.failed == 0 && run.item.planned) {
        ++out_.sent;
        if (run.item.step == Step::Set) {
            out_.sentChanges.push_back(run.item.change);
        }
    }
    Pump();
}

void UnitSettingsJob::Pump() {
    // Frames end inside the queue's own calls, and a step queues frames that
    // may end at once (a closed port): one pass at a time.
    if (pumping_) {
        pumpAgain_ = true;
        return;
    }
    pumping_ = true;
    do {
        pumpAgain_ = false;
        if (!running_) {
            break;
        }
        Ending ending = Ending::Done;
        const QString lost = Lost(ending);
        if (!lost.isEmpty()) {
            if (outstanding_ > 0) {
                core_.link.queue.PurgeCommandsByTag(tag_);
                continue; // the awaited frame still ends: a time-out, or a closed port
            }
            out_.ok = false;
            out_.ending = ending;
            if (restoring_) {
                Report();
                //: %1: why the restore stopped; %2: how far it got
                out_.message = tr("%1: %2").arg(lost, out_.message);
            } else {
                out_.message = lost;
            }
            End(out_);
            break;
        }
        // Nothing goes out while a scan or a read is under way (the job's own
        // reads end before its next step): the idle listener pumps again.
        const bool busy = core_.status.IsBusy();
        while (!items_.empty() && !busy) {
            // Settings of one pass share the window; anything else waits for
            // every answer before it, and holds back what follows until its own.
            const bool windowed = items_.front().step == Step::Set && lastWasSet_;
            if (windowed ? outstanding_ >= kWindow : outstanding_ > 0) {
                break;
            }
            lastWasSet_ = items_.front().step == Step::Set;
            const Item item = items_.front();
            items_.pop_front();
            if (restoring_ && (item.step == Step::ReadLive || item.step == Step::ReadPreset) &&
                std::none_of(items_.begin(), items_.end(),
                             [](const Item& i) { return i.step == Step::PutBack; })) {
                readingBack_ = true; // all sent: the live state is the file's
                carriesPreset_ = false;
            }
            Submit(item);
        }
        if (progress_ && restoring_ && out_.sent != reported_) {
            reported_ = out_.sent;
            progress_(out_.sent, out_.planned);
        }
        if (items_.empty() && outstanding_ == 0 && !core_.status.IsBusy()) {
            if (out_.cancelled && !restoring_) {
                out_.ok = false;
                out_.ending = Ending::Cancelled;
                out_.message = tr("cancelled: nothing was sent");
                End(out_);
                break;
            }
            auto then = std::move(then_);
            then_ = nullptr;
            if (then) {
                then();
            }
        }
    } while (pumpAgain_);
    pumping_ = false;
}

void UnitSettingsJob::AfterRestore() {
    out_.readBack = true;
    Report();
    out_.ok = !out_.cancelled && out_.notTaken.empty();
    out_.ending = out_.cancelled ? Ending::Cancelled : Ending::Done;
    End(out_);
}

void UnitSettingsJob::Report() {
    const UnitIdentity& u = out_.unit.unit;
    // What the restore meant to change, from the plan's starting point.
    std::vector<Difference> intended = Differences(out_.unit.live, out_.file.live, 0);
    std::map<int, bool> touched; // location: a setting of it was handed to the queue
    for (const Run& run : runs_) {
        if (run.item.planned && (run.item.step == Step::Set || run.item.step == Step::SavePreset)) {
            touched[run.item.step == Step::Set ? run.item.change.location : run.item.location] =
                true;
        }
    }
    if (out_.presets) {
        for (const auto& [m, wanted] : *out_.file.presets) {
            const auto it = out_.unit.presets ? out_.unit.presets->find(m)
                                              : std::map<int, UnitValues>::const_iterator{};
            if (out_.unit.presets && it != out_.unit.presets->end()) {
                const auto more = Differences(it->second, wanted, m);
                intended.insert(intended.end(), more.begin(), more.end());
            }
        }
    }
    out_.confirmed.clear();
    out_.notTaken.clear();
    out_.unknown.clear();
    if (out_.readBack) {
        out_.notTaken = Differences(LiveValues(core_.model, u), out_.file.live, 0);
        if (out_.presets) {
            for (const auto& [m, wanted] : *out_.file.presets) {
                if (core_.model.Presets.Location(m) != nullptr) {
                    const auto more =
                        Differences(PresetValues(core_.model.Presets, m, u), wanted, m);
                    out_.notTaken.insert(out_.notTaken.end(), more.begin(), more.end());
                }
            }
        }
        for (const Difference& d : intended) {
            const bool left = std::any_of(out_.notTaken.begin(), out_.notTaken.end(), [&](auto& n) {
                return n.location == d.location && n.field == d.field && n.port == d.port;
            });
            if (!left) {
                out_.confirmed.push_back(d);
            }
        }
    } else {
        // No read back: what was handed to the queue may or may not be on the
        // unit; what never was is known not to be.
        for (const Difference& d : intended) {
            (touched.count(d.location) != 0 ? out_.unknown : out_.notTaken).push_back(d);
        }
    }
    QStringList parts{
        (out_.cancelled ? tr("cancelled: %1 of %2 changes sent") : tr("%1 of %2 changes sent"))
            .arg(out_.sent)
            .arg(out_.planned)};
    if (out_.putBack) {
        parts << tr("the live outputs were put back as they were");
    }
    if (!out_.readBack) {
        //: %1, %2: counts, as "3 values"
        parts << tr("nothing could be read back: %1 unknown, %2 not sent")
                     .arg(Count(out_.unknown.size()), Count(out_.notTaken.size()));
    } else if (out_.cancelled) {
        //: %1: a count, as "3 values"
        parts << tr("the unit still differs from the file in %1").arg(Count(out_.notTaken.size()));
    } else if (!out_.notTaken.empty()) {
        //: %1: a count, as "3 values"
        parts << tr("the unit did not take %1").arg(Count(out_.notTaken.size()));
    } else {
        parts << tr("the unit took every value");
    }
    //: between the parts of a restore's report
    out_.message = parts.join(tr("; "));
}

void UnitSettingsJob::End(Outcome out) {
    items_.clear();
    then_ = nullptr;
    running_ = false;
    restoring_ = false;
    readingBack_ = false;
    if (pollWasOn_) {
        core_.status.timRequestStatus().start();
    }
    told_ = std::move(out);
    tellTo_ = std::move(done_);
    done_ = nullptr;
    tell_->start();
}

} // namespace quadrel
