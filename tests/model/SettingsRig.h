#pragma once

// A unit with presets on the emulated line, and the settings job around it.
#include "link/CommandCodes.h"
#include "model/UnitSettingsFile.h"
#include "model/UnitSettingsJob.h"
#include "support/SimCoreHarness.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace quadrel::test {

using namespace std::chrono_literals;
using Outcome = UnitSettingsJob::Outcome;

// Unit 3 with its presets (three unless told), found by a scan.
struct Rig {
    explicit Rig(int inputs = 6, int outputs = 5, int memories = 3,
                 const std::string& name = "Unit 3", sim::LineConfig line = {})
        : h(line), unit(Add(h, inputs, outputs, memories, name)) {
        EXPECT_TRUE(h.Scan());
    }
    static sim::Unit& Add(SimCoreHarness& h, int inputs, int outputs, int memories,
                          const std::string& name) {
        sim::UnitConfig u = SimCoreHarness::Config(3, inputs, outputs);
        u.memories = memories;
        u.name = name;
        return h.AddUnit(u);
    }

    Outcome Run(const std::function<void(UnitSettingsJob::Done)>& start) {
        std::optional<Outcome> out;
        start([&out](const Outcome& o) { out = o; });
        EXPECT_TRUE(h.clock.advanceUntil([&] { return out.has_value(); }, 120s));
        return out.value_or(Outcome{});
    }
    Outcome Save(bool presets) {
        return Run(
            [&](auto done) { job.Save(path, presets, names, "2026-01-02T03:04:05Z", done); });
    }
    Outcome Prepare(bool presets) {
        return Run([&](auto done) { job.Prepare(path, presets, done); });
    }
    Outcome Restore(const Outcome& prepared) {
        return Run([&](auto done) { job.Restore(prepared, done); });
    }
    // Setting requests written since `from` (a byte offset into the line).
    int Settings(size_t from) const {
        const std::vector<Bytes> f = h.Frames(from);
        return static_cast<int>(
            std::count_if(f.begin(), f.end(), [](const Bytes& b) { return IsSetCommand(b[1]); }));
    }

    // Where the emulated unit differs from the file, live and presets.
    std::vector<std::string> Against(const UnitSettings& file) const {
        std::vector<std::string> out;
        for (const auto& [o, v] : file.live.outputs) {
            test::Against(out, "output " + std::to_string(o), v, unit, o - 1, 0, true);
        }
        for (const auto& [i, edid] : file.live.edid) {
            if (unit.state().edid[i - 1] != edid) {
                out.push_back("edid " + std::to_string(i));
            }
        }
        for (const auto& [m, preset] : file.presets.value_or(std::map<int, UnitValues>{})) {
            for (const auto& [o, v] : preset.outputs) {
                const std::string where = "preset " + std::to_string(m) + " output ";
                test::Against(out, where + std::to_string(o), v, unit, o - 1, m, true);
            }
        }
        return out;
    }

    void Scramble(std::mt19937& random, sim::AudioOutputState& a, uint8_t& video) {
        test::Scramble(random, unit.config(), a, video);
    }
    // Every output, live and in each preset, at random; the EDID too if asked.
    void ScrambleAll(std::mt19937& random, bool edid = false) {
        sim::UnitState& s = unit.state();
        for (size_t o = 0; o < s.audio.size(); ++o) {
            Scramble(random, s.audio[o], s.videoRoutes[o]);
            for (size_t m = 0; m < s.audioPresets.size(); ++m) {
                Scramble(random, s.audioPresets[m].outputs[o], s.videoPresets[m].routes[o]);
            }
        }
        if (edid) {
            for (uint8_t& e : s.edid) {
                e = static_cast<uint8_t>(random() % 2);
            }
        }
    }
    // The saved file, holding presets unless told otherwise.
    UnitSettings ReadFile(bool presets = true) const {
        QString error;
        std::optional<UnitSettings> file = UnitSettingsFile::Read(path, error);
        EXPECT_TRUE(file && (file->presets || !presets)) << error.toStdString();
        return file.value_or(UnitSettings{});
    }

    SimCoreHarness h;
    sim::Unit& unit;
    UnitSettingsJob job{h.core, h.clock};
    QTemporaryDir dir;
    QString path = dir.filePath("unit.json");
    UnitNames names;
};

} // namespace quadrel::test
