#include "sim/PlugMotion.h"

#include <algorithm>

namespace quadrel::sim {
namespace {

std::vector<bool>& Plugs(UnitState& state, PlugKind kind) {
    switch (kind) {
    case PlugKind::VideoInput:
        return state.videoInputPlugs;
    case PlugKind::AudioInput:
        return state.audioInputPlugs;
    case PlugKind::VideoOutput:
        return state.videoOutputPlugs;
    case PlugKind::AudioOutput:
    default:
        return state.audioOutputPlugs;
    }
}

bool Detects(const UnitConfig& config, PlugKind kind) {
    switch (kind) {
    case PlugKind::VideoInput:
        return config.videoInputPlug;
    case PlugKind::AudioInput:
        return config.audioInputPlug;
    case PlugKind::VideoOutput:
        return config.videoOutputPlug;
    case PlugKind::AudioOutput:
    default:
        return config.audioOutputPlug;
    }
}

} // namespace

PlugMotion::PlugMotion(const UnitConfig& config, uint32_t seed)
    : rng_(seed), schedule_(config.plugSchedule) {
    std::stable_sort(schedule_.begin(), schedule_.end(),
                     [](const PlugEvent& a, const PlugEvent& b) { return a.atMs < b.atMs; });
}

void PlugMotion::advance(const UnitConfig& config, UnitState& state, Scheduler::TimePoint now) {
    const auto nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    if (config.plugPeriodMs > 0) {
        std::vector<PlugKind> kinds;
        for (PlugKind k : {PlugKind::VideoInput, PlugKind::AudioInput, PlugKind::VideoOutput,
                           PlugKind::AudioOutput}) {
            if (Detects(config, k) && !Plugs(state, k).empty()) {
                kinds.push_back(k);
            }
        }
        while (!kinds.empty() && (periodsDone_ + 1) * config.plugPeriodMs <= nowMs) {
            ++periodsDone_;
            std::vector<bool>& list = Plugs(state, kinds[rng_() % kinds.size()]);
            const size_t port = rng_() % list.size();
            list[port] = !list[port];
        }
    }
    while (eventsDone_ < schedule_.size() && schedule_[eventsDone_].atMs <= nowMs) {
        const PlugEvent& e = schedule_[eventsDone_++];
        std::vector<bool>& list = Plugs(state, e.kind);
        if (e.port >= 1 && static_cast<size_t>(e.port) <= list.size()) {
            list[static_cast<size_t>(e.port - 1)] = e.plugged;
        }
    }
}

} // namespace quadrel::sim
