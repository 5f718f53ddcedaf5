#pragma once

#include <QCoreApplication>
#include <QString>

#include "model/Setting.h"

#include <map>
#include <optional>
#include <set>
#include <vector>

namespace quadrel {

struct Change;

// Who is at the window: the technician may do everything; the staff only
// what the technician allows them.
enum class Role { Technician, Staff };

// Everything an operator may ask, as the rules tell them apart.
enum class Action {
    Route,
    Mute,
    Volume,
    RecallScene,
    Bass,
    Treble,
    Subwoofer,
    Delay,
    Edid,
    PresetSave,
    PresetLoad,
    SaveUnitSettings,
    RestoreUnitSettings,
    Rename,
    Options,
};

// One request: what, on which unit and ports (outputs, or inputs for an
// EDID), or which scene. A unit of -1 is none in particular.
struct RoleRequest {
    Action action = Action::Route;
    int unit = -1;
    std::vector<int> ports;
    QString scene;
};

// The answer, with the reason shown to whoever asked when it is a refusal.
struct Verdict {
    bool allowed = true;
    QString reason;
    explicit operator bool() const { return allowed; }
};

// What the technician lets the staff touch: per unit the outputs, the scenes
// by name, and the technician's actions granted besides (levels other than
// the volume, delay, EDID, presets, unit settings, names). Options are never
// granted: they hold the password.
struct StaffRules {
    std::map<int, std::set<int>> outputs; // by unit ID
    std::set<QString> scenes;
    std::set<Action> granted;

    bool operator==(const StaffRules&) const = default;

    // The actions staff may always take on their own outputs.
    static bool StaffAction(Action action);
    // The actions that act on outputs, and so need them allowed.
    static bool OnOutputs(Action action);
    // Whether the technician may grant it to the staff.
    static bool Grantable(Action action);

    // Whether `role` may do `request`, and why not.
    Verdict Decide(Role role, const RoleRequest& request) const;
    // The same for a change on its way to the line: every item must pass.
    Verdict Decide(Role role, const Change& change) const;

    // A list of ports as the technician writes it: "1-4, 7"; null when a
    // part is not a port from 1 to `last`.
    static std::optional<std::set<int>> ParsePorts(const QString& text, int last);
    // The same, written back shortest: "1-4, 7".
    static QString PortsText(const std::set<int>& ports);

    // "bass", "edid": the action's name in the roles file; empty for none.
    static QString Key(Action action);
    static bool FromKey(const QString& key, Action& action);
};

// The action that setting a kind of value is.
Action ActionOf(Setting setting);

namespace RoleWords {
// The refusal texts, in the window's language.
QString What(Action action);
} // namespace RoleWords

} // namespace quadrel
