#pragma once

#include "model/PresetStore.h"
#include "model/QRDSTA.h"
#include "model/Setting.h"
#include "model/UnitNames.h"

#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

namespace quadrel {

class basQRD;

// Who a unit is and what it has: what a settings file must match before any
// of it is sent.
struct UnitIdentity {
    int id = 0;
    QString name;
    QString firmware; // "2.1.10"; empty when the unit does not tell
    int inputs = 0, outputs = 0, memories = 0;
    bool audio = false, video = false;
    bool volume = false, bass = false, treble = false, subwoofer = false, delay = false;
    bool edid = false;
    int delayStep = 0, maxDelay = 0; // ms, when the unit has delay control

    static UnitIdentity Of(const QRDSTA& unit);
    bool operator==(const UnitIdentity&) const = default;
};

// A unit's settings as a file holds them.
struct UnitSettings {
    UnitIdentity unit;
    QString saved; // when, as the saver gave it (ISO 8601)
    UnitValues live;
    UnitNames names;
    std::optional<std::map<int, UnitValues>> presets; // absent: not saved
};

// The selected unit's live values from the status tables, one field per
// ability the unit has.
UnitValues LiveValues(const basQRD& model, const UnitIdentity& unit);
// What the read of `location` returned, limited to the same fields.
UnitValues PresetValues(const PresetStore& store, int location, const UnitIdentity& unit);

// Why a file saved from `file` cannot go to `unit` (other size or sections),
// one line per difference; empty when it fits. The memory count matters only
// when presets are to be restored.
QStringList SizeMismatch(const UnitIdentity& file, const UnitIdentity& unit, bool presets);
// What differs but does not stop a restore: the ID, the name, the firmware.
QStringList IdentityNotes(const UnitIdentity& file, const UnitIdentity& unit);

// What differs in who the unit is ("firmware", "reported name", "ID"), as
// the difference list shows it: what the unit says now, what the file says.
struct IdentityDifference {
    QString what;
    QString unit, file;
    bool operator==(const IdentityDifference&) const = default;
};
std::vector<IdentityDifference> IdentityDifferences(const UnitIdentity& file,
                                                    const UnitIdentity& unit);

// A name the file holds otherwise than this PC keeps for the unit; empty
// text for no name. Applied only when the operator asks.
struct NameDifference {
    NamedPort port;
    QString now, file;
    bool operator==(const NameDifference&) const = default;
};
std::vector<NameDifference> NameDifferences(const UnitNames& now, const UnitNames& file);

// One value the unit holds otherwise than the file: at a preset location, or
// live (location 0).
struct Difference {
    int location = 0;
    Field field = Setting::AudioRoute;
    int port = 0;
    std::optional<int> unit; // empty when the unit did not report it
    int file = 0;
    bool operator==(const Difference&) const = default;
};

// Every value that the file holds and the unit does not, outputs in order,
// then the inputs' EDID.
std::vector<Difference> Differences(const UnitValues& unit, const UnitValues& file, int location);
// The value `d` sets, written into `values`.
void Apply(const Difference& d, UnitValues& values);

// "Output 3", "Input 2", "Preset 4, output 3".
QString Where(const Difference& d);
// "audio input", "volume", "delay (ms)", "EDID".
QString FieldName(Field field);
// A value as the operator reads it: "none" for no route, "on"/"off" for mute.
QString ValueText(Field field, std::optional<int> value);
// "Output 3 volume: 40 → 55".
QString Describe(const Difference& d);

} // namespace quadrel
