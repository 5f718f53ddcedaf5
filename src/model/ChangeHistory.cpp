#include "model/ChangeHistory.h"

#include "model/SettingRange.h"

#include "link/basCommunication.h"
#include "model/ChangePath.h"
#include "model/Views.h"
#include "model/basQRD.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>

namespace quadrel {

namespace {

struct SettingInfo {
    Setting setting;
    const char* words; // as the questions name it
    bool perInput;
};

constexpr std::array<SettingInfo, 9> kSettings{{
    {Setting::AudioRoute, QT_TRANSLATE_NOOP("ChangeHistory", "audio input"), false},
    {Setting::VideoRoute, QT_TRANSLATE_NOOP("ChangeHistory", "video input"), false},
    //: the setting (muted or not) in an undo description: "mute on → off"
    {Setting::Mute, QT_TRANSLATE_NOOP("ChangeHistory", "mute"), false},
    {Setting::Volumn, QT_TRANSLATE_NOOP("ChangeHistory", "volume"), false},
    {Setting::Bass, QT_TRANSLATE_NOOP("ChangeHistory", "bass"), false},
    {Setting::Treble, QT_TRANSLATE_NOOP("ChangeHistory", "treble"), false},
    {Setting::Subwoofer, QT_TRANSLATE_NOOP("ChangeHistory", "subwoofer"), false},
    {Setting::Delay, QT_TRANSLATE_NOOP("ChangeHistory", "delay"), false},
    {Setting::Edid, QT_TRANSLATE_NOOP("ChangeHistory", "EDID"), true},
}};

const SettingInfo& Info(Setting setting) {
    return kSettings[static_cast<size_t>(setting)];
}

QString ValueText(Setting setting, int32_t value) {
    switch (setting) {
    case Setting::AudioRoute:
    case Setting::VideoRoute:
        //: no input routed to the output
        return value == 0 ? ChangeHistory::tr("none") : QString::number(value);
    case Setting::Mute:
        if (value == 1) {
            //: muted
            return ChangeHistory::tr("on");
        }
        //: not muted
        return ChangeHistory::tr("off");
    case Setting::Delay:
        return ChangeHistory::tr("%1 ms").arg(value);
    case Setting::Edid:
        //: the EDID an input presents: the unit's own fixed one, or that of output 1
        return value == 0 ? ChangeHistory::tr("fixed") : ChangeHistory::tr("output 1");
    default:
        return QString::number(value);
    }
}

} // namespace

ChangeHistory::ChangeHistory(basQRD& model, basCommunication& link, ChangePath& path, Views& views)
    : model_(model), link_(link), path_(path), views_(views) {}

ChangeHistory::UnitKey ChangeHistory::KeyOfSelected() const {
    const UnitRef unit = model_.objSelectedUnit;
    if (!unit) {
        return {};
    }
    return {link_.port().portNumber(), unit->bID(), unit->sName(), unit->iInputCount(),
            unit->iOutputCount()};
}

int32_t ChangeHistory::Current(const SettingKey& key) const {
    const AUDIO_OUTPUT_STATUS& a = model_.AudioOutputs[key.port];
    switch (key.setting) {
    case Setting::AudioRoute:
        return a.iInputPort;
    case Setting::VideoRoute:
        return model_.VideoOutputs[key.port].iInputPort;
    case Setting::Mute:
        return a.lMuteStatus;
    case Setting::Volumn:
        return a.iVolumnLevel;
    case Setting::Bass:
        return a.iBassLevel;
    case Setting::Treble:
        return a.iTrebleLevel;
    case Setting::Subwoofer:
        return a.iSubwooferLevel;
    case Setting::Delay:
        return a.lDelayTime;
    case Setting::Edid:
        return model_.VideoInputs[key.port].lEdidType;
    }
    return 0;
}

bool ChangeHistory::Supported(Setting setting) const {
    const UnitRef unit = model_.objSelectedUnit;
    return unit && SettingRange::Supported(setting, *unit);
}

SettingValues ChangeHistory::LiveValues() const {
    SettingValues out;
    const UnitRef unit = model_.objSelectedUnit;
    if (!IsUnitConnected(unit)) {
        return out;
    }
    for (const SettingInfo& info : kSettings) {
        if (!Supported(info.setting)) {
            continue;
        }
        const int ports =
            std::min(info.perInput ? unit->iInputCount() : unit->iOutputCount(), kMaxPort);
        for (int p = 1; p <= ports; ++p) {
            const SettingKey key{info.setting, p};
            out[key] = Current(key);
        }
    }
    return out;
}

std::vector<SettingChange> ChangeHistory::DifferencesFrom(const SettingValues& target) const {
    std::vector<SettingChange> out;
    for (const auto& [key, value] : target) {
        if (key.port < 1 || key.port > kMaxPort) {
            continue;
        }
        const int32_t now = Current(key);
        if (now != value) {
            out.push_back({key, now, value});
        }
    }
    return out;
}

void ChangeHistory::Add(SettingValues& target, Setting setting, const std::vector<int>& ports,
                        int32_t value) {
    for (int port : ports) {
        target[{setting, port}] = value;
    }
}

SettingValues ChangeHistory::Of(const UnitValues& values) {
    SettingValues out;
    for (const auto& [output, v] : values.outputs) {
        const std::pair<Setting, const std::optional<int>*> fields[] = {
            {Setting::AudioRoute, &v.audioInput},
            {Setting::VideoRoute, &v.videoInput},
            {Setting::Mute, &v.mute},
            {Setting::Volumn, &v.volume},
            {Setting::Bass, &v.bass},
            {Setting::Treble, &v.treble},
            {Setting::Subwoofer, &v.subwoofer},
            {Setting::Delay, &v.delay}};
        for (const auto& [setting, value] : fields) {
            if (value->has_value()) {
                out[{setting, output}] = **value;
            }
        }
    }
    return out;
}

uint32_t ChangeHistory::Record(const SettingValues& target) {
    const Notify notify{*this};
    const UnitRef unit = model_.objSelectedUnit;
    TransmitQueue& queue = link_.queue;
    if (!IsUnitConnected(unit)) {
        return queue.NewTag();
    }
    // A change the window may not make is refused on its way: nothing to keep.
    if (!path_.Refusal(::quadrel::Change::Of(unit->bID(), target)).isEmpty()) {
        return queue.NewTag();
    }
    forgotten_.clear();
    const UnitKey key = KeyOfSelected();
    // A change made again while the last one's setting has not yet left (a
    // held arrow key, a quick second choice) joins it as one step, keeping
    // its "before", as long as it covers the same ports: the new setting
    // withdraws the waiting one, so the unit never sees the first.
    if (!undo_.empty() && undo_.back().unit == key && queue.HasWaiting(undo_.back().tag, true)) {
        Change& last = undo_.back();
        const bool joins = std::all_of(last.items.begin(), last.items.end(),
                                       [&](const auto& c) { return target.count(c.key) == 1; });
        if (joins) {
            std::vector<SettingChange> items;
            for (const auto& entry : target) {
                const SettingKey& k = entry.first; // a binding no lambda may capture
                const int32_t value = entry.second;
                if (k.port < 1 || k.port > kMaxPort) {
                    continue;
                }
                const auto old = std::find_if(last.items.begin(), last.items.end(),
                                              [&k](const auto& c) { return c.key == k; });
                const int32_t before = old != last.items.end() ? old->before : Current(k);
                if (before != value) {
                    items.push_back({k, before, value});
                }
            }
            last.items = std::move(items);
            const uint32_t tag = last.tag;
            if (last.items.empty()) {
                undo_.pop_back();
            }
            redo_.clear();
            return tag;
        }
    }
    // The last change still on its way: the unit will hold what it sets,
    // which is what this one takes back to.
    std::vector<SettingChange> items = DifferencesFrom(target);
    if (!undo_.empty() && undo_.back().unit == key && queue.HasPending(undo_.back().tag)) {
        const auto& last = undo_.back().items;
        for (SettingChange& c : items) {
            const auto old = std::find_if(last.begin(), last.end(),
                                          [&c](const auto& l) { return l.key == c.key; });
            if (old != last.end()) {
                c.before = old->after;
            }
        }
        std::erase_if(items, [](const SettingChange& c) { return c.before == c.after; });
    }
    Change change{key, std::move(items), queue.NewTag(), nullptr};
    const uint32_t tag = change.tag;
    if (change.items.empty()) {
        return tag;
    }
    undo_.push_back(std::move(change));
    if (undo_.size() > kMaxChanges) {
        undo_.pop_front();
    }
    redo_.clear();
    return tag;
}

void ChangeHistory::RecordRecall(RecallStep step) {
    const Notify notify{*this};
    forgotten_.clear();
    Change change;
    change.recall = std::make_shared<const RecallStep>(std::move(step));
    undo_.push_back(std::move(change));
    if (undo_.size() > kMaxChanges) {
        undo_.pop_front();
    }
    redo_.clear();
}

const RecallStep* ChangeHistory::NextRecall(bool undo) const {
    const std::deque<Change>& from = undo ? undo_ : redo_;
    return from.empty() ? nullptr : from.back().recall.get();
}

void ChangeHistory::RecallStepped(bool undo, RecallStep step) {
    const Notify notify{*this};
    std::deque<Change>& from = undo ? undo_ : redo_;
    std::deque<Change>& to = undo ? redo_ : undo_;
    if (from.empty() || !from.back().recall) {
        return;
    }
    from.pop_back();
    if (step.after.empty()) {
        return; // nothing left to make again or take back
    }
    Change change;
    change.recall = std::make_shared<const RecallStep>(std::move(step));
    to.push_back(std::move(change));
}

ChangeHistory::Outcome ChangeHistory::Undo() {
    const Notify notify{*this};
    return Step(undo_, redo_, Way::Back);
}

ChangeHistory::Outcome ChangeHistory::Redo() {
    const Notify notify{*this};
    return Step(redo_, undo_, Way::Again);
}

void ChangeHistory::Clear() {
    const Notify notify{*this};
    undo_.clear();
    redo_.clear();
}

void ChangeHistory::Forget(const QString& why) {
    if (CanUndo() || CanRedo()) {
        forgotten_ = why;
    }
    Clear();
}

void ChangeHistory::ForgetUnit(uint8_t id, const QString& why) {
    const Notify notify{*this};
    // A recall checks each of its units again when it is taken back.
    const auto of = [id](const Change& c) { return !c.recall && c.unit.id == id; };
    const auto before = undo_.size() + redo_.size();
    std::erase_if(undo_, of);
    std::erase_if(redo_, of);
    if (undo_.size() + redo_.size() != before) {
        forgotten_ = why;
    }
}

QString ChangeHistory::NextStep(bool undo) const {
    const std::deque<Change>& from = undo ? undo_ : redo_;
    if (from.empty()) {
        return {};
    }
    if (from.back().recall) {
        //: the step Undo or Redo would take: a scene's recall
        return tr("scene “%1”").arg(from.back().recall->scene);
    }
    std::vector<SettingChange> shown = from.back().items;
    if (undo) {
        for (SettingChange& c : shown) {
            std::swap(c.before, c.after);
        }
    }
    //: between the ports of one change: "Output 1: volume 80 → 51; Output 2: …"
    return Describe(shown).join(tr("; "));
}

ChangeHistory::Outcome ChangeHistory::Step(std::deque<Change>& from, std::deque<Change>& to,
                                           Way way) {
    if (from.empty()) {
        return forgotten_.isEmpty() ? Outcome::Nothing : Outcome::Forgotten;
    }
    const Change& change = from.back();
    if (change.recall) {
        return Outcome::Recall;
    }
    lastUnit_ = change.unit.id;
    const UnitRef unit = model_.objSelectedUnit;
    if (!IsUnitConnected(unit)) {
        return Outcome::NoUnit;
    }
    if (KeyOfSelected() != change.unit) {
        return Outcome::OtherUnit;
    }
    if (model_.blLoadingStatus || model_.blScanning || model_.blLoadingMemory) {
        return Outcome::Busy;
    }
    // The model must show what the change left (or, for a redo, what the
    // undo left); anything else was set by someone else since.
    const bool shows = std::all_of(change.items.begin(), change.items.end(), [&](const auto& c) {
        return Current(c.key) == (way == Way::Back ? c.after : c.before);
    });
    if (!shows) {
        // An undo or redo just sent may be what the unit has not answered yet.
        const auto pending = [this](const Change& c) { return link_.queue.HasPending(c.tag); };
        if (std::any_of(undo_.begin(), undo_.end(), pending) ||
            std::any_of(redo_.begin(), redo_.end(), pending)) {
            return Outcome::StillSending;
        }
        Clear();
        return Outcome::Moved;
    }
    Change next = change;
    next.tag = link_.queue.NewTag();
    lastStep_ = NextStep(way == Way::Back);
    ::quadrel::Change send;
    send.unit = change.unit.id;
    for (const SettingChange& c : change.items) {
        send.items.push_back({c.key.setting, c.key.port, way == Way::Back ? c.before : c.after});
    }
    // Outputs' settings in the order of their kinds, as a page sends them.
    std::stable_sort(send.items.begin(), send.items.end(),
                     [](const auto& a, const auto& b) { return a.setting < b.setting; });
    // Locked out of it, the step stays where it is for the technician.
    refusal_ = path_.Refusal(send);
    if (!refusal_.isEmpty()) {
        return Outcome::Refused;
    }
    path_.Send(send, next.tag);
    views_.SetBusyPointer(true);
    to.push_back(std::move(next));
    from.pop_back();
    return Outcome::Sent;
}

QString ChangeHistory::Message(Outcome outcome) const {
    if (outcome == Outcome::Forgotten && !forgotten_.isEmpty()) {
        //: %1: why, as "the port was lost"
        return tr("Nothing was sent: the changes to undo and redo were forgotten when %1.")
            .arg(forgotten_);
    }
    if (outcome == Outcome::Refused) {
        return refusal_;
    }
    return Message(outcome, lastUnit_);
}

QString ChangeHistory::Message(Outcome outcome, uint8_t unit) {
    const QString id = QStringLiteral("%1").arg(unit, 2, 16, QLatin1Char('0')).toUpper();
    switch (outcome) {
    case Outcome::NoUnit:
        return tr("No answering unit is selected.");
    case Outcome::OtherUnit:
        return tr("That change was made on unit %1. Select it to take the change back or make it "
                  "again.")
            .arg(id);
    case Outcome::Busy:
        return tr("The unit is being read. Try again once the reading has finished.");
    case Outcome::StillSending:
        return tr("The last change is still on its way to the unit. Try again once the unit has "
                  "answered.");
    case Outcome::Moved:
        return tr("Nothing was sent: unit %1 has changed since (its answers show other values than "
                  "that change left), and sending it could overwrite someone else's setting. The "
                  "list of changes to undo and redo has been cleared.")
            .arg(id);
    case Outcome::Forgotten:
        return tr("Nothing was sent: the changes to undo and redo were forgotten.");
    case Outcome::Sent:
    case Outcome::Nothing:
    case Outcome::Recall:
    case Outcome::Refused: // its reason is the history's own
        break;
    }
    return QString();
}

QStringList ChangeHistory::Describe(const std::vector<SettingChange>& changes) {
    // Grouped by port, outputs before inputs, each in the order of the kinds.
    std::map<std::pair<bool, int>, QStringList> lines;
    std::vector<SettingChange> sorted = changes;
    std::sort(sorted.begin(), sorted.end(),
              [](const SettingChange& a, const SettingChange& b) { return a.key < b.key; });
    for (const SettingChange& c : sorted) {
        const SettingInfo& info = Info(c.key.setting);
        lines[{info.perInput, c.key.port}]
            //: a setting's change: "volume 80 → 51"
            << tr("%1 %2 → %3")
                   .arg(tr(info.words), ValueText(c.key.setting, c.before),
                        ValueText(c.key.setting, c.after));
    }
    QStringList out;
    for (const auto& [where, parts] : lines) {
        //: between the changes of one port: "volume 80 → 51, bass 50 → 60"
        const QString list = parts.join(tr(", "));
        //: %2: the port's changes, as "volume 80 → 51, bass 50 → 60"
        out << (where.first ? tr("Input %1: %2") : tr("Output %1: %2")).arg(where.second).arg(list);
    }
    return out;
}

} // namespace quadrel
