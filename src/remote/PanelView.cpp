#include "remote/PanelView.h"

#include "model/NamesStore.h"
#include "model/basQRD.h"

#include <QJsonArray>

namespace quadrel::remote::PanelView {

namespace {

QJsonObject Ports(const std::map<int, QString>& names) {
    QJsonObject out;
    for (const auto& [port, name] : names) {
        out.insert(QString::number(port), name);
    }
    return out;
}

} // namespace

QJsonObject Describe(Role role, const StaffRules& staff, const basQRD& model, int line,
                     const NamesStore& names) {
    QJsonObject out{{"role", role == Role::Technician ? QStringLiteral("technician")
                                                      : QStringLiteral("staff")}};
    if (role == Role::Staff) {
        QJsonObject outputs;
        for (const auto& [unit, ports] : staff.outputs) {
            QJsonArray list;
            for (int port : ports) {
                list.append(port);
            }
            outputs.insert(QString::number(unit), list);
        }
        QJsonArray scenes;
        for (const QString& scene : staff.scenes) {
            scenes.append(scene);
        }
        QJsonArray granted;
        for (Action action : staff.granted) {
            granted.append(StaffRules::Key(action));
        }
        out.insert("outputs", outputs);
        out.insert("scenes", scenes);
        out.insert("granted", granted);
    }
    QJsonObject named;
    for (const auto& entry : model.objUnits()) {
        const UnitNames* given = names.Exact(UnitReport::Of(*entry.unit, line));
        if (given != nullptr && !given->empty()) {
            named.insert(QString::number(entry.unit->bID()),
                         QJsonObject{{"unit", given->unit},
                                     {"inputs", Ports(given->inputs)},
                                     {"outputs", Ports(given->outputs)}});
        }
    }
    out.insert("names", named);
    return out;
}

} // namespace quadrel::remote::PanelView
