#include "model/RestorePlan.h"

#include "link/CommandSenders.h"

namespace quadrel {

namespace {

constexpr int32_t kSetting = 0;

void AddSets(std::vector<RestoreStep>& steps, const std::vector<Difference>& changes) {
    for (const Difference& d : changes) {
        steps.push_back({RestoreStep::Kind::Set, d, 0});
    }
}

} // namespace

std::vector<RestoreStep> PlanRestore(const UnitSettings& file, const UnitValues& unitLive,
                                     const std::map<int, UnitValues>& unitPresets, bool presets) {
    std::vector<RestoreStep> steps;
    UnitValues current = unitLive;
    std::vector<int> restored;
    if (presets && file.presets) {
        for (const auto& [location, wanted] : *file.presets) {
            const auto it = unitPresets.find(location);
            if (it != unitPresets.end() && Differences(it->second, wanted, location).empty()) {
                continue;
            }
            // Set on the live outputs what the preset holds otherwise than they do now.
            std::vector<Difference> changes = Differences(current, wanted, location);
            for (const Difference& d : changes) {
                Apply(d, current);
            }
            AddSets(steps, changes);
            steps.push_back({RestoreStep::Kind::SavePreset, {}, location});
            restored.push_back(location);
        }
    }
    AddSets(steps, Differences(current, file.live, 0));
    steps.push_back({RestoreStep::Kind::ReadLive, {}, 0});
    for (int location : restored) {
        steps.push_back({RestoreStep::Kind::ReadPreset, {}, location});
    }
    return steps;
}

int CountChanges(const std::vector<RestoreStep>& steps) {
    int n = 0;
    for (const RestoreStep& s : steps) {
        n += s.kind == RestoreStep::Kind::Set || s.kind == RestoreStep::Kind::SavePreset ? 1 : 0;
    }
    return n;
}

void SendChange(CommandSenders& s, uint8_t id, const Difference& d, int delayStep) {
    const auto port = static_cast<uint8_t>(d.port);
    const auto value = static_cast<uint8_t>(d.file);
    switch (d.field) {
    case Field::AudioInput:
        s.CmdSetAudioSwitch(id, port, value, kSetting);
        break;
    case Field::VideoInput:
        s.CmdSetVideoSwitch(id, port, value, kSetting);
        break;
    case Field::Mute:
        s.CmdSetMute(id, port, value, kSetting);
        break;
    case Field::Volume:
        s.CmdSetVolumnLevel(id, port, value, kSetting);
        break;
    case Field::Bass:
        s.CmdSetBassLevel(id, port, value, kSetting);
        break;
    case Field::Treble:
        s.CmdSetTrebleLevel(id, port, value, kSetting);
        break;
    case Field::Subwoofer:
        s.CmdSetSubwooferLevel(id, port, value, kSetting);
        break;
    case Field::Delay:
        if (delayStep > 0) {
            s.CmdSetDelayLevel(id, port, d.file / delayStep, kSetting);
        }
        break;
    case Field::Edid:
        s.CmdSetEdidType(id, port, value, kSetting);
        break;
    }
}

} // namespace quadrel
