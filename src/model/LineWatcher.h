#pragma once

#include <cstdint>

namespace quadrel {

// What a program following the line learns of it, in step with the views:
// a port of the selected unit drawn anew from the model, and a unit shown,
// lost or answering again. It reads the values from the model itself.
class LineWatcher {
public:
    enum class What : uint8_t {
        Route,      // a = input, b = output
        InputPlug,  // a = signal kind, b = input
        OutputPlug, // a = signal kind, b = output
        Audio,      // b = output: mute, a level or the delay
        VideoInput, // b = input: its EDID and plug
    };
    virtual ~LineWatcher() = default;
    virtual void PortChanged(What what, int a, int b) = 0;
    virtual void UnitChanged(uint8_t id) = 0;
};

} // namespace quadrel
