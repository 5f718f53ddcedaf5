#include "remote/ModelView.h"

#include "ctl/Report.h"

#include <QJsonArray>

namespace quadrel::remote::ModelView {

namespace {

QJsonObject Record(const basQRD& model, const UnitRef& unit) {
    return {{"unit", ctl::Report::Unit(*unit)},
            {"answering", IsUnitConnected(unit)},
            {"selected", model.objSelectedUnit == unit}};
}

} // namespace

QJsonObject Units(const basQRD& model, int port, int baud) {
    QJsonArray units;
    for (const auto& entry : model.objUnits()) {
        units.append(Record(model, entry.unit));
    }
    return {{"port", port}, {"baud", baud}, {"units", units}};
}

std::optional<QJsonObject> Unit(const basQRD& model, int id) {
    if (id < 0 || id > 31) {
        return std::nullopt;
    }
    const UnitRef unit = model.FindUnit(static_cast<uint8_t>(id));
    if (!unit) {
        return std::nullopt;
    }
    QJsonObject out = Record(model, unit);
    // Only the selected unit's tables are the unit's: while it is being
    // read they are still filling.
    if (model.objSelectedUnit == unit && !model.blLoadingStatus) {
        out.insert(
            "state",
            QJsonObject{{"outputs", ctl::Report::Outputs(
                                        model, *unit, ctl::Report::AllPorts(unit->iOutputCount()))},
                        {"inputs", ctl::Report::Inputs(
                                       model, *unit, ctl::Report::AllPorts(unit->iInputCount()))}});
    } else {
        out.insert("state", QJsonValue::Null);
    }
    return out;
}

} // namespace quadrel::remote::ModelView
