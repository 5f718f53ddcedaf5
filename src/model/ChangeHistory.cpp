#include "model/ChangeHistory.h"

#include "link/basCommunication.h"
#include "model/Views.h"
#include "model/basQRD.h"

#include <algorithm>
#include <array>

namespace quadrel {

namespace {

constexpr int32_t kSettingPriority = 0;
constexpr int32_t kQueryPriority = 1;

struct SettingInfo {
    Setting setting;
    const char* words; // as the questions name it
    bool perInput;
};

constexpr std::array<SettingInfo, 9> kSettings{{
    {Setting::AudioRoute, "audio input", false},
    {Setting::VideoRoute, "video input", false},
    {Setting::Mute, "mute", false},
    {Setting::Volumn, "volume", false},
    {Setting::Bass, "bass", false},
    {Setting::Treble, "treble", false},
    {Setting::Subwoofer, "subwoofer", false},
    {Setting::Delay, "delay", false},
    {Setting::Edid, "EDID", true},
}};

const SettingInfo& Info(Setting setting) {
    return kSettings[static_cast<size_t>(setting)];
}

QString ValueText(Setting setting, int32_t value) {
    switch (setting) {
    case Setting::AudioRoute:
    case Setting::VideoRoute:
        return value == 0 ? QStringLiteral("none") : QString::number(value);
    case Setting::Mute:
        return value == 1 ? QStringLiteral("on") : QStringLiteral("off");
    case Setting::Delay:
        return QStringLiteral("%1 ms").arg(value);
    case Setting::Edid:
        return value == 0 ? QStringLiteral("fixed") : QStringLiteral("output 1");
    default:
        return QString::number(value);
    }
}

bool Within(int32_t value, int32_t a, int32_t b) {
    return std::min(a, b) <= value && value <= std::max(a, b);
}

} // namespace

ChangeHistory::ChangeHistory(basQRD& model, basCommunication& link, Views& views)
    : model_(model), link_(link), views_(views) {}

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
    const auto audio = unit ? unit->objAudioINFO() : nullptr;
    const auto video = unit ? unit->objVideoINFO() : nullptr;
    switch (setting) {
    case Setting::AudioRoute:
        return audio && audio->blEnabled();
    case Setting::VideoRoute:
        return video && video->blEnabled();
    case Setting::Mute:
    case Setting::Volumn:
        return audio && audio->blSupportVolumnControl();
    case Setting::Bass:
        return audio && audio->blSupportBassControl();
    case Setting::Treble:
        return audio && audio->blSupportTrebleControl();
    case Setting::Subwoofer:
        return audio && audio->blSupportSubwooferControl();
    case Setting::Delay:
        return audio && audio->blSupportDelayControl() && audio->iDelayUnit() > 0;
    case Setting::Edid:
        return video && video->blSupportEdidTypeSelect();
    }
    return false;
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

bool ChangeHistory::LineIdle() const {
    return !link_.queue.IsWaitingForAnswer() && link_.queue.SendQueue().empty() &&
           !model_.blLoadingStatus && !model_.blScanning && !model_.blLoadingMemory;
}

void ChangeHistory::Record(const SettingValues& target) {
    const UnitRef unit = model_.objSelectedUnit;
    if (!IsUnitConnected(unit)) {
        return;
    }
    // A change made again before the unit has answered the last one (a held
    // arrow key, a quick second choice) joins it as one step, keeping its
    // "before", as long as it covers the same ports and nothing else has been
    // seen meanwhile.
    if (!undo_.empty() && !LineIdle() && undo_.back().unit == unit->bID()) {
        Change& last = undo_.back();
        const bool joins = std::all_of(last.items.begin(), last.items.end(), [&](const auto& c) {
            return target.count(c.key) == 1 && Within(Current(c.key), c.before, c.after);
        });
        if (joins) {
            std::vector<SettingChange> items;
            for (const auto& entry : target) {
                const auto& key = entry.first;
                const auto value = entry.second;
                if (key.port < 1 || key.port > kMaxPort) {
                    continue;
                }
                const auto old = std::find_if(last.items.begin(), last.items.end(),
                                              [&key](const auto& c) { return c.key == key; });
                const int32_t before = old != last.items.end() ? old->before : Current(key);
                if (before != value) {
                    items.push_back({key, before, value});
                }
            }
            last.items = std::move(items);
            if (last.items.empty()) {
                undo_.pop_back();
            }
            redo_.clear();
            return;
        }
    }
    Change change{unit->bID(), DifferencesFrom(target)};
    if (change.items.empty()) {
        return;
    }
    undo_.push_back(std::move(change));
    if (undo_.size() > kMaxChanges) {
        undo_.pop_front();
    }
    redo_.clear();
}

ChangeHistory::Outcome ChangeHistory::Undo() {
    return Step(undo_, redo_, Way::Back);
}

ChangeHistory::Outcome ChangeHistory::Redo() {
    return Step(redo_, undo_, Way::Again);
}

void ChangeHistory::Clear() {
    undo_.clear();
    redo_.clear();
}

ChangeHistory::Outcome ChangeHistory::Step(std::deque<Change>& from, std::deque<Change>& to,
                                           Way way) {
    if (from.empty()) {
        return Outcome::Nothing;
    }
    const Change& change = from.back();
    lastUnit_ = change.unit;
    const UnitRef unit = model_.objSelectedUnit;
    if (!IsUnitConnected(unit)) {
        return Outcome::NoUnit;
    }
    if (unit->bID() != change.unit) {
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
        if (!LineIdle()) {
            return Outcome::StillSending;
        }
        Clear();
        return Outcome::Moved;
    }
    Send(change.unit, change.items, way);
    to.push_back(change);
    from.pop_back();
    return Outcome::Sent;
}

void ChangeHistory::Send(uint8_t id, const std::vector<SettingChange>& items, Way way) {
    TransmitQueue& queue = link_.queue;
    CommandSenders& send = link_.senders;
    const auto delayUnit = [&] {
        const UnitRef unit = model_.objSelectedUnit;
        return unit && unit->objAudioINFO() ? unit->objAudioINFO()->iDelayUnit() : 0;
    }();
    std::map<Setting, bool> queried;
    for (const SettingChange& c : items) {
        const auto port = static_cast<uint8_t>(c.key.port);
        const int32_t value = way == Way::Back ? c.before : c.after;
        const auto v = static_cast<uint8_t>(value);
        switch (c.key.setting) {
        case Setting::AudioRoute:
            queue.PurgeCommandsByData0(kCmdSetAudioSwitch, port);
            send.CmdSetAudioSwitch(id, port, v, kSettingPriority);
            break;
        case Setting::VideoRoute:
            queue.PurgeCommandsByData0(kCmdSetVideoSwitch, port);
            send.CmdSetVideoSwitch(id, port, v, kSettingPriority);
            break;
        case Setting::Mute:
            queue.PurgeCommandsByData0(kCmdSetMute, port);
            send.CmdSetMute(id, port, v, kSettingPriority);
            break;
        case Setting::Volumn:
            queue.PurgeCommandsByData0(kCmdSetVolumnLevel, port);
            send.CmdSetVolumnLevel(id, port, v, kSettingPriority);
            break;
        case Setting::Bass:
            queue.PurgeCommandsByData0(kCmdSetBassLevel, port);
            send.CmdSetBassLevel(id, port, v, kSettingPriority);
            break;
        case Setting::Treble:
            queue.PurgeCommandsByData0(kCmdSetTrebleLevel, port);
            send.CmdSetTrebleLevel(id, port, v, kSettingPriority);
            break;
        case Setting::Subwoofer:
            queue.PurgeCommandsByData0(kCmdSetSubwooferLevel, port);
            send.CmdSetSubwooferLevel(id, port, v, kSettingPriority);
            break;
        case Setting::Delay:
            if (delayUnit <= 0) {
                continue;
            }
            queue.PurgeCommandsByData0(kCmdSetDelayLow, port);
            queue.PurgeCommandsByData0(kCmdSetDelayHigh, port);
            send.CmdSetDelayLevel(id, port, value / delayUnit, kSettingPriority);
            break;
        case Setting::Edid:
            queue.PurgeCommandsByData0(kCmdSetEdidType, port);
            send.CmdSetEdidType(id, port, v, kSettingPriority);
            break;
        }
        queried[c.key.setting] = true;
    }
    // One query of each kind for all ports; the views follow its answer.
    for (const auto& [setting, unused] : queried) {
        switch (setting) {
        case Setting::AudioRoute:
            queue.PurgeCommandsByData(kCmdGetAudioSwitch, 0, 0);
            send.CmdGetAudioSwitch(id, 0, 0, kQueryPriority);
            break;
        case Setting::VideoRoute:
            queue.PurgeCommandsByData(kCmdGetVideoSwitch, 0, 0);
            send.CmdGetVideoSwitch(id, 0, 0, kQueryPriority);
            break;
        case Setting::Mute:
            queue.PurgeCommandsByData(kCmdGetMute, 0, 0);
            send.CmdGetMute(id, 0, 0, kQueryPriority);
            break;
        case Setting::Volumn:
            queue.PurgeCommandsByData(kCmdGetVolumnLevel, 0, 0);
            send.CmdGetVolumnLevel(id, 0, 0, kQueryPriority);
            break;
        case Setting::Bass:
            queue.PurgeCommandsByData(kCmdGetBassLevel, 0, 0);
            send.CmdGetBassLevel(id, 0, 0, kQueryPriority);
            break;
        case Setting::Treble:
            queue.PurgeCommandsByData(kCmdGetTrebleLevel, 0, 0);
            send.CmdGetTrebleLevel(id, 0, 0, kQueryPriority);
            break;
        case Setting::Subwoofer:
            queue.PurgeCommandsByData(kCmdGetSubwooferLevel, 0, 0);
            send.CmdGetSubwooferLevel(id, 0, 0, kQueryPriority);
            break;
        case Setting::Delay:
            queue.PurgeCommandsByData(kCmdGetDelayLow, 0, 0);
            queue.PurgeCommandsByData(kCmdGetDelayHigh, 0, 0);
            send.CmdGetDelayLevel(id, 0, 0, kQueryPriority);
            break;
        case Setting::Edid:
            queue.PurgeCommandsByData0(kCmdGetEdidType, 0);
            send.CmdGetEdidType(id, 0, kQueryPriority);
            break;
        }
    }
    views_.SetBusyPointer(true);
}

QString ChangeHistory::Message(Outcome outcome, uint8_t unit) {
    const QString id = QStringLiteral("%1").arg(unit, 2, 16, QLatin1Char('0')).toUpper();
    switch (outcome) {
    case Outcome::NoUnit:
        return QStringLiteral("No answering unit is selected.");
    case Outcome::OtherUnit:
        return QStringLiteral("That change was made on unit %1. Select it to take the change back "
                              "or make it again.")
            .arg(id);
    case Outcome::Busy:
        return QStringLiteral("The unit is being read. Try again once the reading has finished.");
    case Outcome::StillSending:
        return QStringLiteral("The last change is still on its way to the unit. Try again once "
                              "the unit has answered.");
    case Outcome::Moved:
        return QStringLiteral("Nothing was sent: unit %1 has changed since (its answers show other "
                              "values than that change left), and sending it could overwrite "
                              "someone else's setting. The list of changes to undo and redo has "
                              "been cleared.")
            .arg(id);
    case Outcome::Sent:
    case Outcome::Nothing:
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
            << QStringLiteral("%1 %2 → %3")
                   .arg(QLatin1String(info.words), ValueText(c.key.setting, c.before),
                        ValueText(c.key.setting, c.after));
    }
    QStringList out;
    for (const auto& [where, parts] : lines) {
        out << QStringLiteral("%1 %2: %3")
                   .arg(where.first ? QStringLiteral("Input") : QStringLiteral("Output"))
                   .arg(where.second)
                   .arg(parts.join(QStringLiteral(", ")));
    }
    return out;
}

} // namespace quadrel
