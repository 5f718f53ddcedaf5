#pragma once

#include <QString>

#include <map>

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

} // namespace quadrel
