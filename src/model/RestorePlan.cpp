#include "model/RestorePlan.h"

namespace quadrel {

namespace {

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

} // namespace quadrel
