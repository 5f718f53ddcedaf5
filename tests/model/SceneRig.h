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

    // Settings written since `from` (a byte offset into the line); a delay's
    // two frames count as one.
    int Settings(size_t from) const {
        const std::vector<Bytes> f = h.Frames(from);
        return static_cast<int>(std::count_if(f.begin(), f.end(), [](const Bytes& b) {
            return IsSetCommand(b[1]) && b[1] != kCmdSetDelayHigh;
        }));
    }
    size_t Mark() const { return h.port.written().size(); }

    // Where the emulated unit holds otherwise than `values` say.
    std::vector<std::string> Against(const UnitValues& values, uint8_t id) {
        std::vector<std::string> out;
        for (const auto& [o, v] : values.outputs) {
            test::Against(out, "output " + std::to_string(o), v, Unit(id), o - 1, 0, false);
        }
        for (const auto& [i, edid] : values.edid) {
            if (Unit(id).state().edid[static_cast<size_t>(i - 1)] != edid) {
                out.push_back("edid " + std::to_string(i));
            }
        }
        return out;
    }

    // Every value of both units at random, within range.
    void Scramble(std::mt19937& random) {
        for (uint8_t id : {1, 2}) {
            sim::UnitState& s = Unit(id).state();
            for (size_t o = 0; o < s.audio.size(); ++o) {
                test::Scramble(random, Unit(id).config(), s.audio[o], s.videoRoutes[o], 1);
            }
            for (auto& e : s.edid) {
                e = static_cast<uint8_t>(std::uniform_int_distribution<int>(0, 1)(random));
            }
        }
    }

    SimCoreHarness h;
    SceneJob job{h.core, h.clock, [this](const UnitRef& u) { h.core.SelectUnit(u); }};
};

} // namespace quadrel::test
