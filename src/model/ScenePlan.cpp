#include "model/ScenePlan.h"

#include "model/SettingRange.h"
#include "model/UnitSettings.h"
#include "model/basQRD.h"

#include <QCoreApplication>

#include <map>

namespace quadrel::ScenePlan {

namespace {

QString Hex(int id) {
    return QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper();
}

// Every value `values` holds, as differences from nothing.
std::vector<Difference> Each(const UnitValues& values) {
    return Differences(UnitValues{}, values, 0);
}

} // namespace

UnitPlan Make(const SceneUnit& unit, const QRDSTA* found, QString& refusal) {
    UnitPlan plan;
    plan.unit = unit;
    plan.unit.values = {};
    if (found == nullptr || !found->blConnected()) {
        //: %1: a unit's ID in hex
        plan.leftOut << QCoreApplication::translate("ScenePlan",
                                                    "no unit answers at ID %1: nothing sent to it")
                            .arg(Hex(unit.id));
        plan.unit.values = unit.values;
        return plan;
    }
    if (found->sName() != unit.name || found->iInputCount() != unit.inputs ||
        found->iOutputCount() != unit.outputs) {
        //: %1: an ID; %2, %5: units' names; %3, %6: input counts; %4, %7: output counts
        plan.leftOut << QCoreApplication::translate(
                            "ScenePlan",
                            "at ID %1 answers “%2” (%3 in, %4 out), not the scene's “%5” (%6 in, "
                            "%7 out): nothing sent to it")
                            .arg(Hex(unit.id), found->sName())
                            .arg(found->iInputCount())
                            .arg(found->iOutputCount())
                            .arg(unit.name)
                            .arg(unit.inputs)
                            .arg(unit.outputs);
        plan.unit.values = unit.values;
        return plan;
    }
    plan.onLine = true;
    if (unit.preset && *unit.preset > found->iMemoryCount()) {
        //: %1: an ID; %2: a memory location; %3: how many the unit has
        refusal = QCoreApplication::translate("ScenePlan", "unit %1 has no preset %2 (it has %3)")
                      .arg(Hex(unit.id))
                      .arg(*unit.preset)
                      .arg(found->iMemoryCount());
        return plan;
    }
    for (const Difference& d : Each(unit.values)) {
        const bool input = d.field == Setting::Edid;
        const bool route = d.field == Setting::AudioRoute || d.field == Setting::VideoRoute;
        QString why;
        if (d.port > (input ? found->iInputCount() : found->iOutputCount())) {
            why = (input ? QCoreApplication::translate("ScenePlan", "past the unit's %1 inputs")
                         : QCoreApplication::translate("ScenePlan", "past the unit's %1 outputs"))
                      .arg(input ? found->iInputCount() : found->iOutputCount());
        } else if (route && d.file > found->iInputCount()) {
            //: %1: an input port; %2: how many inputs the unit has
            why = QCoreApplication::translate("ScenePlan", "input %1 is past the unit's %2 inputs")
                      .arg(d.file)
                      .arg(found->iInputCount());
        } else if (!SettingRange::Supported(d.field, *found)) {
            why = SettingRange::Refusal(d.field, d.file, *found);
            if (why.isEmpty()) {
                why = QCoreApplication::translate("ScenePlan", "the unit has no such control");
            }
        } else if (const QString out = SettingRange::Refusal(d.field, d.file, *found);
                   !out.isEmpty()) {
            //: %1: an ID; %2: where, as "Output 3"; %3: why, as "volume 150 is outside 0-100"
            refusal = QCoreApplication::translate("ScenePlan", "unit %1, %2: %3")
                          .arg(Hex(unit.id), Where(d), out);
            return plan;
        }
        if (!why.isEmpty()) {
            //: %1: where, as "Output 3"; %2: the setting; %3: why it is left out
            plan.leftOut << QCoreApplication::translate("ScenePlan", "%1 %2: %3")
                                .arg(Where(d), FieldName(d.field), why);
            continue;
        }
        Apply(d, plan.unit.values);
    }
    return plan;
}

std::vector<UnitPlan> Make(const Scene& scene, const basQRD& model, QString& refusal) {
    std::vector<UnitPlan> plans;
    for (const SceneUnit& unit : scene.units) {
        const UnitRef found = model.FindUnit(unit.id);
        plans.push_back(Make(unit, found.get(), refusal));
        if (!refusal.isEmpty()) {
            return {};
        }
    }
    return plans;
}

UnitValues Guarded(const UnitPlan& plan, const UnitValues& live, QStringList& leftOut) {
    if (!plan.guarded) {
        return plan.unit.values;
    }
    std::map<std::pair<Setting, int>, int> guard, now;
    for (const Difference& d : Each(plan.guard)) {
        guard[{d.field, d.port}] = d.file;
    }
    for (const Difference& d : Each(live)) {
        now[{d.field, d.port}] = d.file;
    }
    UnitValues out;
    for (const Difference& d : Each(plan.unit.values)) {
        const auto g = guard.find({d.field, d.port});
        const auto n = now.find({d.field, d.port});
        if (g != guard.end() && (n == now.end() || n->second != g->second)) {
            // Someone set it since: it is theirs now, and left alone.
            //: %1: where, as "Output 3"; %2: the setting; %3: its value now
            leftOut << QCoreApplication::translate("ScenePlan",
                                                   "%1 %2: changed since to %3, left as it is")
                           .arg(Where(d), FieldName(d.field),
                                ValueText(d.field, n == now.end() ? std::nullopt
                                                                  : std::optional<int>(n->second)));
            continue;
        }
        Apply(d, out);
    }
    return out;
}

} // namespace quadrel::ScenePlan
