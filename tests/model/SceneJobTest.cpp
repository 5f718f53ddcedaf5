// Scenes over two emulated units: captured, recalled with only what differs,
// cut short by a silent unit or Cancel, and taken back as one step.
#include "model/SceneRig.h"

using namespace quadrel;
using namespace quadrel::test;

namespace {

sim::LineConfig Latency(int ms) {
    sim::LineConfig line;
    line.latency = std::chrono::milliseconds(ms);
    return line;
}

const SceneUnit& Part(const Scene& scene, uint8_t id) {
    return *std::find_if(scene.units.begin(), scene.units.end(),
                         [id](const SceneUnit& u) { return u.id == id; });
}

// Frames written to unit `id` from byte `from` on, up to its first setting
// (all of them when `untilSetting` is false).
int FramesTo(const SceneRig& r, uint8_t id, size_t from, bool untilSetting) {
    const Bytes& w = r.h.port.written();
    int n = 0;
    for (size_t i = from; i + 4 < w.size(); i += 5) {
        if ((w[i] & 0x1F) == id) {
            if (untilSetting && IsSetCommand(w[i + 1])) {
                break;
            }
            ++n;
        }
    }
    return n;
}

} // namespace

TEST(SceneJob, ARecallSetsBothUnitsToTheSceneSendingOnlyWhatDiffers) {
    for (const int ms : {2, 50}) {
        SCOPED_TRACE(ms);
        SceneRig r(Latency(ms));
        std::mt19937 random(static_cast<unsigned>(ms));
        r.Scramble(random);
        const UnitRef selected = r.h.core.model.objSelectedUnit;
        const SceneJob::Captured captured = r.Capture();
        ASSERT_TRUE(captured.ok) << captured.message.toStdString();
        const Scene& scene = captured.scene;
        ASSERT_EQ(scene.units.size(), 2u);
        for (uint8_t id : {1, 2}) {
            EXPECT_EQ(Part(scene, id).values.outputs.size(), 8u);
            EXPECT_EQ(Part(scene, id).values.edid.size(), 8u);
            EXPECT_EQ(r.Against(Part(scene, id).values, id), std::vector<std::string>{});
        }
        r.Scramble(random);
        const size_t differ =
            r.Against(Part(scene, 1).values, 1).size() + r.Against(Part(scene, 2).values, 2).size();
        const size_t mark = r.Mark();
        const SceneReport report = r.Recall(scene);
        EXPECT_EQ(report.ending, SceneReport::Ending::Done) << report.message.toStdString();
        for (uint8_t id : {1, 2}) {
            EXPECT_EQ(r.Against(Part(scene, id).values, id), std::vector<std::string>{});
        }
        EXPECT_EQ(static_cast<size_t>(r.Settings(mark)), differ);
        EXPECT_EQ(static_cast<size_t>(report.sent), differ);
        // The unit selected before is selected again, and shown as it is.
        EXPECT_EQ(r.h.core.model.objSelectedUnit, selected);
        EXPECT_TRUE(r.h.Differences(r.Unit(selected->bID())).empty());
        EXPECT_EQ(r.h.trace.overlaps, 0);

        // Again: the units already hold the scene, nothing is sent.
        const size_t again = r.Mark();
        EXPECT_TRUE(r.Recall(scene).ok());
        EXPECT_EQ(r.Settings(again), 0);
    }
}

TEST(SceneJob, ASilentUnitLeavesItsPartUnsentAndTheOtherUnitComplete) {
    Scene scene;
    // How many frames unit 2 hears before its first setting, on a line
    // without faults: the same conversation replays in virtual time.
    int heard = 0;
    {
        std::mt19937 random(7);
        SceneRig dry;
        dry.Scramble(random);
        scene = dry.Capture().scene;
        dry.Scramble(random);
        ASSERT_TRUE(dry.Recall(scene).ok());
        heard = FramesTo(dry, 2, 0, true);
    }
    std::mt19937 random(7);
    SceneRig r({}, heard + 2); // silent after two of its settings
    r.Scramble(random);
    ASSERT_TRUE(r.Capture().ok);
    r.Scramble(random);
    const size_t differ = r.Against(Part(scene, 2).values, 2).size();
    const SceneReport report = r.Recall(scene);
    EXPECT_EQ(report.ending, SceneReport::Ending::Partial);
    ASSERT_EQ(report.units.size(), 2u);
    EXPECT_EQ(report.units[0].state, SceneUnitReport::State::Complete);
    EXPECT_EQ(r.Against(Part(scene, 1).values, 1), std::vector<std::string>{});
    const SceneUnitReport& silent = report.units[1];
    EXPECT_EQ(silent.state, SceneUnitReport::State::Silent);
    EXPECT_EQ(silent.sent.size(), 2u);
    // No read back: each value may or may not be on it, and the unit holds
    // exactly those it answered for.
    EXPECT_EQ(silent.unknown.size() + silent.notTaken.size(), differ);
    EXPECT_EQ(r.Against(Part(scene, 2).values, 2).size(), differ - 2);
    EXPECT_TRUE(report.Lines().join('\n').contains("stopped answering"));
}
