#pragma once

#include <QString>

#include <map>
#include <optional>

namespace quadrel {

// Names the operator gives a unit and its ports on this PC; the line carries
// numbers only. Ports and memory locations are numbered as the pages show
// them (input 1 is the first input). A port without an entry has no name.
struct UnitNames {
    QString unit;
    std::map<int, QString> inputs;
    std::map<int, QString> outputs;
    std::map<int, QString> presets;

    bool empty() const {
        return unit.isEmpty() && inputs.empty() && outputs.empty() && presets.empty();
    }
    bool operator==(const UnitNames&) const = default;
};

// The longest name kept, in characters.
constexpr int kMaxPortNameLength = 64;

enum class NameKind { Unit, Input, Output, Preset };

// One thing that can carry a name: the unit itself (number 0), an input, an
// output or a preset location.
struct NamedPort {
    NameKind kind = NameKind::Unit;
    int number = 0;
    bool operator==(const NamedPort&) const = default;
};

// The name of `port`, empty when it has none.
QString NameOf(const UnitNames& names, NamedPort port);
// Sets the name of `port` as PlainName() makes it; an empty name removes it.
void SetName(UnitNames& names, NamedPort port, const QString& name);
// "Unit", "Input 5", "Output 3", "Preset 2", as the names file writes them:
// the same in every language.
QString PortWords(NamedPort port);
// The same words in the operator's language, for the screen.
QString PortCaption(NamedPort port);

// The input or output that the operator's `text` means on a unit with
// `inputs` and `outputs`: "Input 12", "in 12", "i12", "Output 5", "o5", a
// bare number (an output), or a name: a whole name first, else the one name
// that begins with the text, else the one that contains it (case aside).
// Nothing when no port, or more than one name, fits.
std::optional<NamedPort> FindPort(const UnitNames& names, const QString& text, int inputs,
                                  int outputs);

// A name as it is kept and shown: line breaks and tabs become blanks, other
// control and format characters a visible mark (as a unit's reported name),
// blanks trimmed, at most kMaxPortNameLength characters.
QString PlainName(const QString& text);

} // namespace quadrel
