#pragma once

#include <map>
#include <optional>

namespace quadrel {

// The values of one output that a unit keeps and a preset stores. A value the
// unit has no ability for stays empty. Delay in milliseconds.
struct OutputValues {
    std::optional<int> audioInput, videoInput, mute, volume, bass, treble, subwoofer, delay;
    bool operator==(const OutputValues&) const = default;
};

// A unit's outputs by port number, and for the live state its inputs' EDID
// types (0 fixed, 1 output 1's); a preset holds no EDID.
struct UnitValues {
    std::map<int, OutputValues> outputs;
    std::map<int, int> edid;
    bool operator==(const UnitValues&) const = default;
};

// What each memory location's read returned for the selected unit, as the
// reply handlers took it: the views show only the location chosen, this
// keeps every one read.
class PresetStore {
public:
    OutputValues& At(int location, int output) { return locations_[location].outputs[output]; }
    // Null when the location has not been read.
    const UnitValues* Location(int location) const {
        const auto it = locations_.find(location);
        return it == locations_.end() ? nullptr : &it->second;
    }
    void Forget(int location) { locations_.erase(location); }
    void Clear() { locations_.clear(); }

private:
    std::map<int, UnitValues> locations_;
};

} // namespace quadrel
