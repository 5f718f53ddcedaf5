// A restore with presets as a job on the change path: on units of every
// size, at the latencies of real units, cancelled at each phase, and cut
// short by the line.
#include "model/SettingsRig.h"

using namespace quadrel;
using namespace quadrel::test;

namespace {

// Restores `prepared`, asking `when` at each progress report whether to cancel.
Outcome CancelWhen(Rig& r, const Outcome& prepared, std::function<bool(int, int)> when) {
    bool asked = false;
    r.job.setOnProgress([&](int done, int total) {
        if (!asked && when(done, total)) {
            asked = true;
            r.job.Cancel();
        }
    });
    Outcome out = r.Restore(prepared);
    r.job.setOnProgress(nullptr);
    return out;
}

} // namespace

// Units of every size, and one at the latencies of real units: saved, changed
// behind the program's back and restored, live and presets.
TEST(RestoreJob, EverySizeAndLatencyComesBackAsSaved) {
    const struct {
        int size, ms;
    } rows[] = {{1, 2}, {127, 2}, {128, 2}, {255, 2}, {8, 5}, {8, 10}, {8, 50}};
    for (const auto& [size, ms] : rows) {
        SCOPED_TRACE(testing::Message() << size << " ports, " << ms << " ms");
        Rig r(size, size, 3, "Unit 3", sim::LineConfig{.latency = std::chrono::milliseconds(ms)});
        std::mt19937 random(static_cast<unsigned>(size * 100 + ms));
        r.ScrambleAll(random, true);
        ASSERT_TRUE(r.Save(true).ok);
        // The read behind the save saw every port, live and in each preset.
        EXPECT_EQ(r.h.Differences(r.unit, 255), std::vector<std::string>{});
        const UnitSettings file = r.ReadFile();
        ASSERT_EQ(file.live.outputs.size(), static_cast<size_t>(size));
        ASSERT_EQ(file.live.edid.size(), static_cast<size_t>(size));
        for (const auto& [m, preset] : file.presets.value_or(std::map<int, UnitValues>{})) {
            ASSERT_EQ(preset.outputs.size(), static_cast<size_t>(size)) << m;
        }
        EXPECT_EQ(r.Against(file), std::vector<std::string>{});

        r.ScrambleAll(random, true);
        const Outcome prepared = r.Prepare(true);
        ASSERT_TRUE(prepared.ok) << prepared.message.toStdString();
        EXPECT_EQ(prepared.differences.size(), r.Against(file).size());
        // Seen by the poll while the operator reads the differences: planned for too.
        r.unit.state().audio[0].volume = static_cast<uint8_t>(*file.live.outputs.at(1).volume ^ 1);
        r.h.clock.advance(3s);
        const Outcome restored = r.Restore(prepared);
        EXPECT_TRUE(restored.ok) << restored.message.toStdString();
        EXPECT_EQ(r.Against(file), std::vector<std::string>{}); // the emulator's own presets
        EXPECT_TRUE(restored.notTaken.empty());
        EXPECT_TRUE(restored.unknown.empty());
        EXPECT_EQ(restored.sent, restored.planned);
        EXPECT_EQ(r.h.Differences(r.unit, 255), std::vector<std::string>{});
        EXPECT_EQ(r.h.trace.overlaps, 0);
    }
}

TEST(RestoreJob, ACancelAtEachPhaseLeavesTheUnitAsTheReportSays) {
    Rig r(4, 8, 3, "Unit 3", sim::LineConfig{.latency = std::chrono::milliseconds(10)});
    sim::UnitState& s = r.unit.state();
    std::mt19937 random(3);
    r.ScrambleAll(random);
    ASSERT_TRUE(r.Save(true).ok);
    const UnitSettings file = r.ReadFile();
    // What the report says is what the unit holds: each value it lists as
    // not taken differs on the unit, every other one is the file's.
    const auto asReported = [&](const Outcome& out) {
        EXPECT_TRUE(out.cancelled);
        EXPECT_TRUE(out.readBack);
        EXPECT_TRUE(out.unknown.empty());
        EXPECT_EQ(r.Against(file).size(), out.notTaken.size()) << out.message.toStdString();
        EXPECT_TRUE(r.h.Differences(r.unit).empty()); // the model read back
        EXPECT_FALSE(r.h.core.status.IsBusy());
    };

    // While the unit is read for the plan: nothing is sent.
    r.ScrambleAll(random);
    const sim::UnitState before = s;
    std::optional<Outcome> planned;
    const size_t written = r.h.port.written().size();
    r.job.Prepare(r.path, true, [&](const Outcome& o) { planned = o; });
    r.job.Cancel();
    ASSERT_TRUE(r.h.clock.advanceUntil([&] { return planned.has_value(); }, 30s));
    EXPECT_FALSE(planned->ok);
    EXPECT_TRUE(planned->cancelled);
    EXPECT_EQ(r.Settings(written), 0);
    EXPECT_EQ(Live(s), Live(before));

    // In a preset's pass: its values leave the live outputs again.
    Outcome out = CancelWhen(r, r.Prepare(true), [](int done, int) { return done >= 2; });
    asReported(out);
    EXPECT_TRUE(out.putBack);
    EXPECT_EQ(Live(s), Live(before));
    EXPECT_LT(out.sent, out.planned);
    EXPECT_TRUE(out.message.contains("the live outputs were put back as they were"));

    // In the live pass, after every preset: the presets stay, the live
    // outputs are put back as they were.
    r.ScrambleAll(random);
    const sim::UnitState second = s;
    out = CancelWhen(r, r.Prepare(true), [](int done, int total) { return done >= total - 3; });
    asReported(out);
    EXPECT_TRUE(out.putBack);
    EXPECT_EQ(Live(s), Live(second));
    for (int m = 0; m < 3; ++m) {
        EXPECT_EQ(s.audioPresets[m].outputs[0].volume,
                  *file.presets->at(m + 1).outputs.at(1).volume);
    }

    // In the read back, with the file's live state equal to its last preset:
    // everything was sent, nothing is put back.
    s.audio = s.audioPresets[2].outputs;
    s.videoRoutes = s.videoPresets[2].routes;
    ASSERT_TRUE(r.Save(true).ok);
    const UnitSettings same = r.ReadFile();
    r.ScrambleAll(random);
    out = CancelWhen(r, r.Prepare(true), [](int done, int total) { return done == total; });
    EXPECT_TRUE(out.cancelled);
    EXPECT_FALSE(out.putBack);
    EXPECT_EQ(out.sent, out.planned);
    EXPECT_TRUE(out.notTaken.empty());
    EXPECT_EQ(r.Against(same), std::vector<std::string>{});
    EXPECT_EQ(out.message, QStringLiteral("cancelled: %1 of %1 changes sent; the unit still "
                                          "differs from the file in 0 values")
                               .arg(out.planned));
}

TEST(RestoreJob, ASilentUnitOrALostPortEndsWithWhatIsUnknown) {
    Rig r(4, 8, 3, "Unit 3", sim::LineConfig{.latency = std::chrono::milliseconds(5)});
    std::mt19937 random(9);
    r.ScrambleAll(random);
    ASSERT_TRUE(r.Save(true).ok);
    r.ScrambleAll(random);

    // Silent halfway: what went out is unknown, what never did is not taken.
    Outcome prepared = r.Prepare(true);
    ASSERT_TRUE(prepared.ok);
    sim::FaultConfig silent;
    silent.silent = true;
    Outcome out = CancelWhen(r, prepared, [&](int done, int) {
        if (done >= 6) {
            r.h.port.engine().setLineFaults(silent);
        }
        return false;
    });
    EXPECT_EQ(out.ending, UnitSettingsJob::Ending::UnitSilent);
    EXPECT_FALSE(out.ok);
    EXPECT_FALSE(out.readBack);
    EXPECT_FALSE(out.unknown.empty());
    EXPECT_FALSE(out.notTaken.empty());
    EXPECT_TRUE(out.confirmed.empty());
    EXPECT_GE(out.sent, 6);
    EXPECT_TRUE(out.message.startsWith("unit 3 stopped answering: ")) << out.message.toStdString();
    EXPECT_TRUE(out.message.contains("nothing could be read back"));

    // The port lost halfway: the same account, at once.
    r.h.port.engine().setLineFaults({});
    ASSERT_TRUE(r.h.Scan());
    prepared = r.Prepare(false);
    ASSERT_TRUE(prepared.ok);
    out = CancelWhen(r, prepared, [&](int done, int) {
        if (done >= 3) {
            r.h.port.loseLine();
        }
        return false;
    });
    EXPECT_EQ(out.ending, UnitSettingsJob::Ending::PortLost);
    EXPECT_FALSE(out.readBack);
    EXPECT_EQ(static_cast<int>(out.unknown.size() + out.notTaken.size()),
              static_cast<int>(prepared.differences.size()));
}
