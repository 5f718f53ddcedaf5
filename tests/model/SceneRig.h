#pragma once

// Two emulated units on one line, found by a scan, and the scene job over them.
#include "link/CommandCodes.h"
#include "model/SceneJob.h"
#include "support/SimCoreHarness.h"

#include <gtest/gtest.h>

#include <random>

namespace quadrel::test {

using namespace std::chrono_literals;

struct SceneRig {
    explicit SceneRig(sim::LineConfig line = {}, int silentAfter = 0) : h(line) {
        for (uint8_t id : {1, 2}) {
            sim::UnitConfig u = SimCoreHarness::Config(id, 8, 8);
            if (id == 2 && silentAfter > 0) {
                u.faults = sim::FaultConfig{};
                u.faults->silentAfterFrames = silentAfter;
            }
            h.AddUnit(u);
        }
        EXPECT_TRUE(h.Scan());
        EXPECT_TRUE(h.clock.advanceUntil([&] { return h.Idle(); }, 30s));
    }
    sim::Unit& Unit(uint8_t id) { return *h.port.engine().unit(id); }

    SceneJob::Captured Capture(SceneCapture::What what = SceneCapture::What::Everything) {
        std::optional<SceneJob::Captured> out;
        job.Capture({"Lecture", what, {{1, {}, {}}, {2, {}, {}}}},
                    [&out](const SceneJob::Captured& c) { out = c; });
        EXPECT_TRUE(h.clock.advanceUntil([&] { return out.has_value(); }, 120s));
        return out.value_or(SceneJob::Captured{});
    }
    SceneReport Run(const std::function<void(SceneJob::Done)>& start) {
        std::optional<SceneReport> out;
        start([&out](const SceneReport& r) { out = r; });
        EXPECT_TRUE(h.clock.advanceUntil([&] { return out.has_value(); }, 300s));
        EXPECT_FALSE(job.Running());
        return out.value_or(SceneReport{});
    }
    SceneReport Recall(const Scene& scene) {
        return Run([&](auto done) { job.Recall(scene, done); });
    }

    // Settings written since `from` (a byte offset into the line), to `id` or
    // any; a delay's two frames count as one.
    int Settings(size_t from, int id = -1) const {
        const Bytes& w = h.port.written();
        int n = 0;
        for (size_t i = from; i + 4 < w.size(); i += 5) {
            n += IsSetCommand(w[i + 1]) && w[i + 1] != kCmdSetDelayHigh &&
                         (id < 0 || (w[i] & 0x1F) == id)
                     ? 1
                     : 0;
        }
        return n;
    }
    size_t Mark() const { return h.port.written().size(); }

    // Where the emulated unit holds otherwise than `values` say.
    std::vector<std::string> Against(const UnitValues& values, uint8_t id) {
        std::vector<std::string> out;
        const sim::Unit& unit = Unit(id);
        const sim::UnitState& s = unit.state();
        for (const auto& [o, v] : values.outputs) {
            const auto k = static_cast<size_t>(o - 1);
            const sim::AudioOutputState& a = s.audio[k];
            const std::pair<std::optional<int>, int> pairs[] = {
                {v.audioInput, a.input},    {v.videoInput, s.videoRoutes[k]},
                {v.mute, a.mute ? 1 : 0},   {v.volume, a.volume},
                {v.bass, a.bass},           {v.treble, a.treble},
                {v.subwoofer, a.subwoofer}, {v.delay, a.delayLevel * unit.config().delayStepMs}};
            for (const auto& [wanted, real] : pairs) {
                if (wanted && wanted != real) {
                    out.push_back("output " + std::to_string(o) + ": " + std::to_string(*wanted) +
                                  " wanted, " + std::to_string(real) + " held");
                }
            }
        }
        for (const auto& [i, edid] : values.edid) {
            if (s.edid[static_cast<size_t>(i - 1)] != edid) {
                out.push_back("edid " + std::to_string(i));
            }
        }
        return out;
    }

    // The live state of an emulated unit, as comparable values.
    static std::vector<int> Live(const sim::UnitState& s) {
        std::vector<int> out;
        for (size_t o = 0; o < s.audio.size(); ++o) {
            const sim::AudioOutputState& a = s.audio[o];
            out.insert(out.end(), {a.input, s.videoRoutes[o], a.mute ? 1 : 0, a.volume, a.bass,
                                   a.treble, a.subwoofer, a.delayLevel});
        }
        out.insert(out.end(), s.edid.begin(), s.edid.end());
        return out;
    }

    // Every value of both units at random, within range.
    void Scramble(std::mt19937& random) {
        for (uint8_t id : {1, 2}) {
            sim::Unit& unit = Unit(id);
            sim::UnitState& s = unit.state();
            const auto in = [&](int low, int high) {
                return static_cast<uint8_t>(std::uniform_int_distribution<int>(low, high)(random));
            };
            for (size_t o = 0; o < s.audio.size(); ++o) {
                sim::AudioOutputState& a = s.audio[o];
                a.input = in(1, 8);
                s.videoRoutes[o] = in(1, 8);
                a.mute = in(0, 1) == 1;
                for (uint8_t* level : {&a.volume, &a.bass, &a.treble, &a.subwoofer}) {
                    *level = in(0, 100);
                }
                a.delayLevel = in(0, unit.config().maxDelayLevel());
            }
            for (auto& e : s.edid) {
                e = in(0, 1);
            }
        }
    }

    SimCoreHarness h;
    SceneJob job{h.core, h.clock, [this](const UnitRef& u) { h.core.SelectUnit(u); }};
};

} // namespace quadrel::test
