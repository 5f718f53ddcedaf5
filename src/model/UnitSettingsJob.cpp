#include "model/UnitSettingsJob.h"

#include "model/QuadrelCore.h"
#include "model/UnitSettingsFile.h"

#include <algorithm>
#include <chrono>

namespace quadrel {

namespace {

using namespace std::chrono_literals;

// Settings waiting in the queue at once: enough to keep the line busy, few
// enough that Cancel stops within a few frames.
constexpr size_t kWindow = 4;

} // namespace

UnitSettingsJob::UnitSettingsJob(QuadrelCore& core, TimerFactory& timers)
    : core_(core), tick_(timers.createTimer(10ms)) {
    tick_->setOnTick([this] { Tick(); });
}

UnitSettingsJob::~UnitSettingsJob() {
    tick_->stop();
}

bool UnitSettingsJob::LineIdle() const {
    const TransmitQueue& q = core_.link.queue;
    return !q.IsWaitingForAnswer() && q.iSendQueueCount() == 0 && !q.IsSettling() &&
           !core_.status.IsBusy();
}

QString UnitSettingsJob::Lost() const {
    if (!core_.link.IsPortOpen()) {
        return QStringLiteral("the port closed");
    }
    const UnitRef unit = core_.model.objSelectedUnit;
    if (!IsUnitConnected(unit) || unit->bID() != id_) {
        return QStringLiteral("unit %1 stopped answering").arg(id_);
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
    then_ = std::move(then);
    done_ = std::move(done);
    running_ = true;
    handed_ = 0;
    reported_ = -1;
    // The poll would only slow the job down; its reads are the job's own.
    pollWasOn_ = core_.status.timRequestStatus().isActive();
    core_.status.timRequestStatus().stop();
    tick_->start();
}

void UnitSettingsJob::Save(const QString& path, bool presets, const UnitNames& names,
                           const QString& savedAt, Done done) {
    out_ = {};
    const UnitRef unit = core_.model.objSelectedUnit;
    if (running_ || !IsUnitConnected(unit) || core_.status.IsBusy()) {
        out_.message = QStringLiteral("no unit that answers is selected, or it is busy");
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
            out_.message = out_.ok ? QStringLiteral("unit %1 saved to %2").arg(id_).arg(path)
                                   : QStringLiteral("%1 could not be written: %2").arg(path, error);
            End(out_);
        },
        std::move(done));
}

void UnitSettingsJob::Prepare(const QString& path, bool presets, Done done) {
    out_ = {};
    const UnitRef unit = core_.model.objSelectedUnit;
    if (running_ || !IsUnitConnected(unit) || core_.status.IsBusy()) {
        out_.message = QStringLiteral("no unit that answers is selected, or it is busy");
        return done(out_);
    }
    QString error;
    const std::optional<UnitSettings> file = UnitSettingsFile::Read(path, error);
    if (!file) {
        out_.message = QStringLiteral("%1: %2").arg(path, error);
        return done(out_);
    }
    out_.file = *file;
    out_.presets = presets && file->presets.has_value();
    id_ = unit->bID();
    // Refused on the record already known, before anything is asked.
    const auto refuse = [this](const UnitIdentity& now) {
        const QStringList why = SizeMismatch(out_.file.unit, now, out_.presets);
        if (!why.isEmpty()) {
            out_.message = QStringLiteral("the file does not fit unit %1: %2")
                               .arg(now.id)
                               .arg(why.join(QStringLiteral("; ")));
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
    const UnitRef unit = core_.model.objSelectedUnit;
    if (running_ || !IsUnitConnected(unit) || unit->bID() != prepared.unit.unit.id ||
        core_.status.IsBusy()) {
        out_.message = QStringLiteral("the unit read is no longer the selected one, or it is busy");
        return done(out_);
    }
    id_ = unit->bID();
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
    inPresetPass_ = false;
    Start(
        std::move(items), [this] { AfterRestore(); }, std::move(done));
}

void UnitSettingsJob::AfterRestore() {
    const UnitIdentity& u = out_.unit.unit;
    out_.notTaken = Differences(LiveValues(core_.model, u), out_.file.live, 0);
    if (out_.presets) {
        for (const auto& [m, wanted] : *out_.file.presets) {
            if (core_.model.Presets.Location(m) != nullptr) {
                const auto more = Differences(PresetValues(core_.model.Presets, m, u), wanted, m);
                out_.notTaken.insert(out_.notTaken.end(), more.begin(), more.end());
            }
        }
    }
    out_.sent = handed_;
    out_.ok = !out_.cancelled && out_.notTaken.empty();
    const QString sent = QStringLiteral("%1 of %2 changes sent").arg(out_.sent).arg(out_.planned);
    const QString values = out_.notTaken.size() == 1
                               ? QStringLiteral("1 value")
                               : QStringLiteral("%1 values").arg(out_.notTaken.size());
    if (out_.cancelled) {
        out_.message = QStringLiteral("cancelled: %1; the unit still differs from the file in %2")
                           .arg(sent, values);
    } else if (!out_.notTaken.empty()) {
        out_.message = QStringLiteral("%1; the unit did not take %2").arg(sent, values);
    } else {
        out_.message = QStringLiteral("%1; the unit took every value").arg(sent);
    }
    End(out_);
}

void UnitSettingsJob::Cancel() {
    if (!running_ || !restoring_ || out_.cancelled) {
        return;
    }
    out_.cancelled = true;
    std::deque<Item> kept;
    for (const Item& item : items_) {
        if (item.step == Step::ReadLive || item.step == Step::ReadPreset) {
            kept.push_back(item);
        }
    }
    // Halfway through a preset, the outputs carry it: put the live state back
    // as it was before the restore, then read back as planned.
    if (inPresetPass_) {
        kept.push_front({Step::PutBack, {}, 0});
        kept.push_front({Step::ReadLive, {}, 0});
    }
    items_ = std::move(kept);
}

void UnitSettingsJob::Run(const Item& item) {
    CommandSenders& s = core_.link.senders;
    switch (item.step) {
    case Step::Info:
        s.CmdGetUnitInfo(id_, 0, 1);
        break;
    case Step::ReadLive:
        core_.status.SetLoadingStatus(true);
        core_.status.RequestUnitStatus(0);
        break;
    case Step::ReadPreset:
        core_.status.ReadMemoryLocation(static_cast<uint8_t>(item.location));
        break;
    case Step::Set:
        ++handed_;
        inPresetPass_ = item.change.location != 0;
        SendChange(s, id_, item.change, out_.unit.unit.delayStep);
        break;
    case Step::SavePreset:
        ++handed_;
        inPresetPass_ = true;
        if (out_.unit.unit.audio) {
            s.CmdSaveAudioMemory(id_, 0, static_cast<uint8_t>(item.location), 1);
        }
        if (out_.unit.unit.video) {
            s.CmdSaveVideoMemory(id_, 0, static_cast<uint8_t>(item.location), 1);
        }
        break;
    case Step::PutBack: {
        const auto back = Differences(LiveValues(core_.model, out_.unit.unit), out_.unit.live, 0);
        for (auto it = back.rbegin(); it != back.rend(); ++it) {
            items_.push_front({Step::Set, *it, 0});
        }
        break;
    }
    }
}

void UnitSettingsJob::Tick() {
    if (!running_) {
        return;
    }
    const QString lost = Lost();
    if (!lost.isEmpty()) {
        out_.ok = false;
        out_.sent = handed_;
        out_.message = lost;
        End(out_);
        return;
    }
    const TransmitQueue& q = core_.link.queue;
    while (!items_.empty()) {
        const bool windowed = items_.front().step == Step::Set;
        if (windowed ? core_.status.IsBusy() || q.iSendQueueCount() >= kWindow : !LineIdle()) {
            break;
        }
        const Item item = items_.front();
        items_.pop_front();
        Run(item);
        if (!windowed) {
            break;
        }
    }
    if (progress_ && restoring_) {
        const int done = std::max(0, handed_ - static_cast<int>(q.iSendQueueCount()));
        if (done != reported_) {
            reported_ = done;
            progress_(done, out_.planned);
        }
    }
    if (items_.empty() && LineIdle()) {
        auto then = std::move(then_);
        then_ = nullptr;
        if (then) {
            then();
        }
    }
}

void UnitSettingsJob::End(Outcome out) {
    tick_->stop();
    items_.clear();
    then_ = nullptr;
    running_ = false;
    restoring_ = false;
    if (pollWasOn_) {
        core_.status.timRequestStatus().start();
    }
    Done done = std::move(done_);
    done_ = nullptr;
    if (done) {
        done(out);
    }
}

} // namespace quadrel
