#include "model/StaffRules.h"

#include "model/ChangePath.h"

#include <QStringList>

#include <algorithm>

namespace quadrel {

namespace {

struct ActionName {
    Action action;
    const char* key;
};

constexpr ActionName kNames[] = {
    {Action::Route, "route"},
    {Action::Mute, "mute"},
    {Action::Volume, "volume"},
    {Action::RecallScene, "scene"},
    {Action::Bass, "bass"},
    {Action::Treble, "treble"},
    {Action::Subwoofer, "subwoofer"},
    {Action::Delay, "delay"},
    {Action::Edid, "edid"},
    {Action::PresetSave, "preset-save"},
    {Action::PresetLoad, "preset-load"},
    {Action::SaveUnitSettings, "unit-settings-save"},
    {Action::RestoreUnitSettings, "unit-settings-restore"},
    {Action::Rename, "rename"},
    {Action::Options, "options"},
};

QString Hex(int unit) {
    return QStringLiteral("%1").arg(unit, 2, 16, QLatin1Char('0')).toUpper();
}

Verdict Refused(QString reason) {
    return {false, std::move(reason)};
}

} // namespace

bool StaffRules::StaffAction(Action action) {
    return action == Action::Route || action == Action::Mute || action == Action::Volume ||
           action == Action::RecallScene;
}

bool StaffRules::OnOutputs(Action action) {
    switch (action) {
    case Action::Route:
    case Action::Mute:
    case Action::Volume:
    case Action::Bass:
    case Action::Treble:
    case Action::Subwoofer:
    case Action::Delay:
        return true;
    default:
        return false;
    }
}

bool StaffRules::Grantable(Action action) {
    return !StaffAction(action) && action != Action::Options;
}

Verdict StaffRules::Decide(Role role, const RoleRequest& r) const {
    if (role == Role::Technician) {
        return {};
    }
    if (!StaffAction(r.action) && !(Grantable(r.action) && granted.count(r.action) != 0)) {
        //: %1: what is refused, as "change the bass"
        return Refused(QCoreApplication::translate("StaffRules", "Locked: only the technician "
                                                                 "may %1")
                           .arg(RoleWords::What(r.action)));
    }
    if (r.action == Action::RecallScene) {
        if (scenes.count(r.scene) == 0) {
            return Refused(QCoreApplication::translate(
                               "StaffRules", "Locked: scene \"%1\" is not among the staff's scenes")
                               .arg(r.scene));
        }
        return {};
    }
    if (r.unit < 0) {
        return {}; // asked of no unit in particular: the ports are checked when it acts
    }
    const auto unit = outputs.find(r.unit);
    if (unit == outputs.end() || unit->second.empty()) {
        return Refused(
            QCoreApplication::translate("StaffRules", "Locked: unit %1 has no staff's outputs")
                .arg(Hex(r.unit)));
    }
    if (!OnOutputs(r.action)) {
        return {}; // the unit as a whole, or its inputs: granted on the staff's units
    }
    for (int port : r.ports) {
        if (unit->second.count(port) == 0) {
            return Refused(QCoreApplication::translate(
                               "StaffRules", "Locked: output %1 is not among the staff's outputs")
                               .arg(port));
        }
    }
    return {};
}

Verdict StaffRules::Decide(Role role, const Change& change) const {
    if (role == Role::Technician) {
        return {};
    }
    if (change.kind != Change::Kind::Set) {
        const Action action =
            change.kind == Change::Kind::PresetSave ? Action::PresetSave : Action::PresetLoad;
        return Decide(role, {action, change.unit, {}, {}});
    }
    for (const Change::Item& item : change.items) {
        const Verdict v = Decide(role, {ActionOf(item.setting), change.unit, {item.port}, {}});
        if (!v) {
            return v;
        }
    }
    return {};
}

std::optional<std::set<int>> StaffRules::ParsePorts(const QString& text, int last) {
    std::set<int> ports;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList ends = part.trimmed().split(QLatin1Char('-'));
        bool ok1 = false, ok2 = false;
        const int from = ends.value(0).trimmed().toInt(&ok1);
        const int to = ends.size() == 2 ? ends[1].trimmed().toInt(&ok2) : from;
        ok2 = ok2 || ends.size() == 1;
        if (ends.size() > 2 || !ok1 || !ok2 || from < 1 || to > last || from > to) {
            return std::nullopt;
        }
        for (int p = from; p <= to; ++p) {
            ports.insert(p);
        }
    }
    return ports;
}

QString StaffRules::PortsText(const std::set<int>& ports) {
    QStringList parts;
    for (auto it = ports.begin(); it != ports.end();) {
        const int from = *it;
        int to = from;
        while (++it != ports.end() && *it == to + 1) {
            ++to;
        }
        parts << (to == from ? QString::number(from) : QStringLiteral("%1-%2").arg(from).arg(to));
    }
    return parts.join(QStringLiteral(", "));
}

QString StaffRules::Key(Action action) {
    for (const ActionName& n : kNames) {
        if (n.action == action) {
            return QString::fromLatin1(n.key);
        }
    }
    return {};
}

bool StaffRules::FromKey(const QString& key, Action& action) {
    for (const ActionName& n : kNames) {
        if (key == QLatin1String(n.key)) {
            action = n.action;
            return true;
        }
    }
    return false;
}

Action ActionOf(Setting setting) {
    switch (setting) {
    case Setting::AudioRoute:
    case Setting::VideoRoute:
        return Action::Route;
    case Setting::Mute:
        return Action::Mute;
    case Setting::Volumn:
        return Action::Volume;
    case Setting::Bass:
        return Action::Bass;
    case Setting::Treble:
        return Action::Treble;
    case Setting::Subwoofer:
        return Action::Subwoofer;
    case Setting::Delay:
        return Action::Delay;
    case Setting::Edid:
        return Action::Edid;
    }
    return Action::Options; // never: every kind is named above
}

QString RoleWords::What(Action action) {
    const char* words = nullptr;
    switch (action) {
    case Action::Route:
        words = QT_TRANSLATE_NOOP("StaffRules", "switch sources");
        break;
    case Action::Mute:
        words = QT_TRANSLATE_NOOP("StaffRules", "mute");
        break;
    case Action::Volume:
        words = QT_TRANSLATE_NOOP("StaffRules", "change the volume");
        break;
    case Action::RecallScene:
        words = QT_TRANSLATE_NOOP("StaffRules", "recall scenes");
        break;
    case Action::Bass:
        words = QT_TRANSLATE_NOOP("StaffRules", "change the bass");
        break;
    case Action::Treble:
        words = QT_TRANSLATE_NOOP("StaffRules", "change the treble");
        break;
    case Action::Subwoofer:
        words = QT_TRANSLATE_NOOP("StaffRules", "change the subwoofer");
        break;
    case Action::Delay:
        words = QT_TRANSLATE_NOOP("StaffRules", "change the delay");
        break;
    case Action::Edid:
        words = QT_TRANSLATE_NOOP("StaffRules", "change the EDID");
        break;
    case Action::PresetSave:
        words = QT_TRANSLATE_NOOP("StaffRules", "save memory presets");
        break;
    case Action::PresetLoad:
        words = QT_TRANSLATE_NOOP("StaffRules", "load memory presets");
        break;
    case Action::SaveUnitSettings:
        words = QT_TRANSLATE_NOOP("StaffRules", "save unit settings");
        break;
    case Action::RestoreUnitSettings:
        words = QT_TRANSLATE_NOOP("StaffRules", "restore unit settings");
        break;
    case Action::Rename:
        words = QT_TRANSLATE_NOOP("StaffRules", "rename");
        break;
    case Action::Options:
        words = QT_TRANSLATE_NOOP("StaffRules", "open Options");
        break;
    }
    return QCoreApplication::translate("StaffRules", words);
}

} // namespace quadrel
