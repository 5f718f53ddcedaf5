#include "model/SceneCapture.h"

#include <algorithm>

namespace quadrel {

namespace {

bool Chosen(const std::vector<int>& ports, int port) {
    return ports.empty() || std::find(ports.begin(), ports.end(), port) != ports.end();
}

} // namespace

SceneUnit CaptureUnit(const UnitIdentity& unit, const UnitValues& live,
                      const SceneCapture::Pick& pick, SceneCapture::What what) {
    using What = SceneCapture::What;
    SceneUnit out;
    out.id = static_cast<uint8_t>(unit.id);
    out.name = unit.name;
    out.inputs = unit.inputs;
    out.outputs = unit.outputs;
    const bool audio = what != What::VideoRoutes;
    const bool video = what != What::AudioRoutes;
    for (const auto& [port, v] : live.outputs) {
        if (port > unit.outputs || !Chosen(pick.outputs, port)) {
            continue;
        }
        OutputValues taken;
        if (what == What::Everything) {
            taken = v;
        } else {
            if (audio) {
                taken.audioInput = v.audioInput;
            }
            if (video) {
                taken.videoInput = v.videoInput;
            }
        }
        if (taken != OutputValues{}) {
            out.values.outputs[port] = taken;
        }
    }
    for (const auto& [port, type] : what == What::Everything ? live.edid : std::map<int, int>{}) {
        if (port <= unit.inputs && Chosen(pick.inputs, port)) {
            out.values.edid[port] = type;
        }
    }
    return out;
}

} // namespace quadrel
