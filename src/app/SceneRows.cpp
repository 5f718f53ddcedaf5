#include "app/SceneRows.h"

#include <algorithm>
#include <utility>

namespace quadrel::SceneRows {

namespace {

// The pages' order of an output's settings.
constexpr std::pair<Setting, std::optional<int> OutputValues::*> kFields[] = {
    {Setting::AudioRoute, &OutputValues::audioInput},
    {Setting::VideoRoute, &OutputValues::videoInput},
    {Setting::Mute, &OutputValues::mute},
    {Setting::Volumn, &OutputValues::volume},
    {Setting::Bass, &OutputValues::bass},
    {Setting::Treble, &OutputValues::treble},
    {Setting::Subwoofer, &OutputValues::subwoofer},
    {Setting::Delay, &OutputValues::delay},
};

std::optional<int> OutputValues::*MemberOf(Setting setting) {
    for (const auto& [field, member] : kFields) {
        if (field == setting) {
            return member;
        }
    }
    return nullptr;
}

SceneUnit* UnitOf(Scene& scene, uint8_t id) {
    const auto it = std::find_if(scene.units.begin(), scene.units.end(),
                                 [id](const SceneUnit& u) { return u.id == id; });
    return it == scene.units.end() ? nullptr : &*it;
}

} // namespace

std::vector<SceneRow> Of(const Scene& scene) {
    std::vector<SceneRow> rows;
    for (const SceneUnit& unit : scene.units) {
        for (const auto& [port, values] : unit.values.outputs) {
            for (const auto& [field, member] : kFields) {
                if (const std::optional<int>& value = values.*member) {
                    rows.push_back({unit.id, field, port, *value});
                }
            }
        }
        for (const auto& [port, value] : unit.values.edid) {
            rows.push_back({unit.id, Setting::Edid, port, value});
        }
    }
    return rows;
}

void Remove(Scene& scene, const SceneRow& row) {
    SceneUnit* unit = UnitOf(scene, row.id);
    if (unit == nullptr) {
        return;
    }
    if (row.setting == Setting::Edid) {
        unit->values.edid.erase(row.port);
        return;
    }
    const auto it = unit->values.outputs.find(row.port);
    if (it == unit->values.outputs.end()) {
        return;
    }
    (it->second.*MemberOf(row.setting)).reset();
    if (it->second == OutputValues{}) {
        unit->values.outputs.erase(it);
    }
}

bool Set(Scene& scene, const SceneRow& row, int value, const SceneRowRange& range) {
    SceneUnit* unit = UnitOf(scene, row.id);
    if (unit == nullptr || range.fixed || value < range.low || value > range.high ||
        (value - range.low) % std::max(range.step, 1) != 0) {
        return false;
    }
    if (row.setting == Setting::Edid) {
        const auto it = unit->values.edid.find(row.port);
        if (it == unit->values.edid.end()) {
            return false;
        }
        it->second = value;
        return true;
    }
    const auto it = unit->values.outputs.find(row.port);
    if (it == unit->values.outputs.end() || !(it->second.*MemberOf(row.setting))) {
        return false;
    }
    it->second.*MemberOf(row.setting) = value;
    return true;
}

SceneRowRange RangeOf(const SceneUnit& unit, const SceneRow& row,
                      const std::optional<UnitIdentity>& live) {
    switch (row.setting) {
    case Setting::AudioRoute:
    case Setting::VideoRoute:
        // 0 routes no input; the scene knows the unit's size even when the
        // unit is away.
        return {0, unit.inputs, 1, false};
    case Setting::Mute:
    case Setting::Edid:
        return {0, 1, 1, false};
    case Setting::Delay:
        if (!live || !live->delay || live->delayStep <= 0) {
            return {row.value, row.value, 1, true};
        }
        return {0, live->maxDelay - live->maxDelay % live->delayStep, live->delayStep, false};
    default:
        return {0, 100, 1, false};
    }
}

} // namespace quadrel::SceneRows
