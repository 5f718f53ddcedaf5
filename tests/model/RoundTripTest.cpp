// Units of every size, saved, changed behind the program's back and restored.
#include "model/SettingsRig.h"

using namespace quadrel;
using namespace quadrel::test;

namespace {

// Every value the unit keeps, live and in its presets, at random.
void ScrambleAll(Rig& r, std::mt19937& random) {
    sim::UnitState& s = r.unit.state();
    for (size_t o = 0; o < s.audio.size(); ++o) {
        r.Scramble(random, s.audio[o], s.videoRoutes[o]);
        for (size_t m = 0; m < s.audioPresets.size(); ++m) {
            r.Scramble(random, s.audioPresets[m].outputs[o], s.videoPresets[m].routes[o]);
        }
    }
    for (uint8_t& edid : s.edid) {
        edid = static_cast<uint8_t>(random() % 2);
    }
}

} // namespace

TEST(RoundTrip, EverySizeComesBackAsSavedLiveAndPresets) {
    for (const int size : {1, 127, 128, 255}) {
        SCOPED_TRACE(size);
        Rig r(size, size, 2);
        std::mt19937 random(static_cast<unsigned>(size));
        ScrambleAll(r, random);
        const Outcome saved = r.Save(true);
        ASSERT_TRUE(saved.ok) << saved.message.toStdString();
        // The read behind the save saw every port, live and in each preset.
        EXPECT_EQ(r.h.Differences(r.unit, 255), std::vector<std::string>{});
        QString error;
        const auto file = UnitSettingsFile::Read(r.path, error);
        ASSERT_TRUE(file && file->presets) << error.toStdString();
        ASSERT_EQ(file->live.outputs.size(), static_cast<size_t>(size));
        ASSERT_EQ(file->live.edid.size(), static_cast<size_t>(size));
        for (const auto& [m, preset] : *file->presets) {
            ASSERT_EQ(preset.outputs.size(), static_cast<size_t>(size)) << m;
        }
        EXPECT_EQ(r.Against(*file), std::vector<std::string>{});

        ScrambleAll(r, random);
        const Outcome prepared = r.Prepare(true);
        ASSERT_TRUE(prepared.ok) << prepared.message.toStdString();
        EXPECT_EQ(prepared.differences.size(), r.Against(*file).size());
        const Outcome restored = r.Restore(prepared);
        EXPECT_TRUE(restored.ok) << restored.message.toStdString();
        EXPECT_EQ(r.Against(*file), std::vector<std::string>{});
        EXPECT_EQ(r.h.Differences(r.unit, 255), std::vector<std::string>{});
        EXPECT_EQ(r.h.trace.overlaps, 0);
    }
}
