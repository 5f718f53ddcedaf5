// Scenes over two emulated units: captured, recalled with only what differs,
// cut short by a silent unit or Cancel, and taken back as one step; the
// scenes file: its limits, its merges and what a damaged file leaves.
#include "model/SceneJob.h"
#include "link/CommandCodes.h"
#include "model/FileBytes.h"
#include "model/SceneStore.h"
#include "support/SimCoreHarness.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

// Two emulated units on one line, found by a scan, and the scene job over them.
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

const SceneUnit& Part(const Scene& scene, uint8_t id) {
    return *std::find_if(scene.units.begin(), scene.units.end(),
                         [id](const SceneUnit& u) { return u.id == id; });
}

// Frames written to unit `id` before its first setting.
int FramesBeforeSetting(const SceneRig& r, uint8_t id) {
    int n = 0;
    for (const Bytes& f : r.h.Frames()) {
        if ((f[0] & 0x1F) == id) {
            if (IsSetCommand(f[1])) {
                break;
            }
            ++n;
        }
    }
    return n;
}

Scene Lecture() {
    SceneUnit u{2, "Audio 8x8", 8, 8, 3, {}};
    u.values.outputs[1].audioInput = 4;
    u.values.outputs[1].volume = 70;
    u.values.outputs[8].mute = 1;
    u.values.edid[2] = 1;
    return {"Lecture", "Ctrl+1", {u}};
}

} // namespace

TEST(SceneJob, ARecallSetsBothUnitsToTheSceneSendingOnlyWhatDiffers) {
    for (const int ms : {2, 50}) {
        SCOPED_TRACE(ms);
        SceneRig r(sim::LineConfig{.latency = std::chrono::milliseconds(ms)});
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
        heard = FramesBeforeSetting(dry, 2);
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

TEST(SceneJob, ACancelLeavesBothUnitsAsTheReportSays) {
    SceneRig r(sim::LineConfig{.latency = std::chrono::milliseconds(10)});
    std::mt19937 random(11);
    r.Scramble(random);
    const Scene scene = r.Capture().scene;
    r.Scramble(random);
    const sim::UnitState second = r.Unit(2).state();
    const size_t differ = r.Against(Part(scene, 1).values, 1).size();
    r.job.setOnProgress([&r](const SceneProgress& p) {
        if (p.unit == 0 && p.done >= 3) {
            r.job.Cancel();
        }
    });
    const SceneReport report = r.Recall(scene);
    EXPECT_EQ(report.ending, SceneReport::Ending::Cancelled);
    ASSERT_EQ(report.units.size(), 2u);
    const SceneUnitReport& first = report.units[0];
    EXPECT_EQ(first.state, SceneUnitReport::State::Cancelled);
    EXPECT_GE(first.sent.size(), 3u);
    EXPECT_LT(first.sent.size(), differ);
    // Read back: what it lists as not on the unit is exactly what differs.
    EXPECT_TRUE(first.unknown.empty());
    EXPECT_EQ(r.Against(Part(scene, 1).values, 1).size(), first.notTaken.size());
    EXPECT_EQ(first.confirmed.size() + first.notTaken.size(), differ);
    EXPECT_EQ(report.units[1].state, SceneUnitReport::State::Cancelled);
    EXPECT_TRUE(report.units[1].sent.empty());
    EXPECT_EQ(Live(r.Unit(2).state()), Live(second));

    // Cancelled while the first unit is still being read: nothing is sent.
    r.Scramble(random);
    const sim::UnitState before = r.Unit(1).state();
    r.job.setOnProgress([&r](const SceneProgress&) { r.job.Cancel(); });
    const SceneReport early = r.Recall(scene);
    EXPECT_EQ(early.ending, SceneReport::Ending::Cancelled);
    ASSERT_EQ(early.units.size(), 2u);
    EXPECT_EQ(early.units[0].state, SceneUnitReport::State::Cancelled);
    EXPECT_TRUE(early.units[0].sent.empty());
    EXPECT_EQ(Live(r.Unit(1).state()), Live(before));
}

TEST(SceneJob, UndoTakesARecallBackAsOneStepLeavingWhatWasChangedSince) {
    SceneRig r;
    std::mt19937 random(5);
    r.Scramble(random);
    const Scene scene = r.Capture().scene;
    r.Scramble(random);
    const sim::UnitState first = r.Unit(1).state(), second = r.Unit(2).state();
    ChangeHistory& history = r.h.core.history;
    ASSERT_TRUE(r.Recall(scene).ok());
    ASSERT_TRUE(history.NextIsRecall(true));
    EXPECT_EQ(history.Undo(), ChangeHistory::Outcome::Recall);

    // Someone else sets output 1's volume on unit 1 since: it stays theirs.
    r.Unit(1).state().audio[0].volume = 3;
    const SceneReport undone = r.Run([&](auto done) { r.job.Undo(done); });
    EXPECT_EQ(undone.ending, SceneReport::Ending::Partial) << undone.message.toStdString();
    EXPECT_EQ(undone.units[0].leftOut.size(), 1u);
    EXPECT_EQ(undone.units[1].state, SceneUnitReport::State::Complete);
    sim::UnitState expected = first;
    expected.audio[0].volume = 3;
    EXPECT_EQ(Live(r.Unit(1).state()), Live(expected));
    EXPECT_EQ(Live(r.Unit(2).state()), Live(second));
    EXPECT_FALSE(history.NextIsRecall(true));
    ASSERT_TRUE(history.NextIsRecall(false));

    // Made again as one step: the scene on both, but for the value left out.
    const SceneReport redone = r.Run([&](auto done) { r.job.Redo(done); });
    EXPECT_TRUE(redone.ok()) << redone.message.toStdString();
    EXPECT_EQ(r.Against(Part(scene, 1).values, 1).size(), 1u);
    EXPECT_TRUE(r.Against(Part(scene, 2).values, 2).empty());
    EXPECT_TRUE(history.NextIsRecall(true));

    // A preset loaded first is part of the step: undo puts back what it changed too.
    Scene preset{"Preset first", {}, {Part(scene, 2)}};
    preset.units[0].preset = 2;
    preset.units[0].values.outputs = {{1, {}}};
    preset.units[0].values.outputs[1].volume = 9;
    sim::UnitState& two = r.Unit(2).state();
    for (size_t o = 0; o < two.audio.size(); ++o) {
        two.audioPresets[1].outputs[o].bass = static_cast<uint8_t>(two.audio[o].bass ^ 1);
    }
    const std::vector<int> held = Live(two);
    const SceneReport loaded = r.Recall(preset);
    EXPECT_TRUE(loaded.ok()) << loaded.message.toStdString();
    EXPECT_TRUE(loaded.units[0].presetLoaded);
    EXPECT_NE(Live(two), held);
    EXPECT_TRUE(r.Run([&](auto done) { r.job.Undo(done); }).ok());
    EXPECT_EQ(Live(two), held);
}

// A scene is checked against the units on the line before anything is sent:
// what a unit lacks is left out, a value it cannot take refuses the scene.
TEST(SceneJob, RecallsWhatItCanAndRefusesValuesOutOfRange) {
    SceneRig r;
    SceneUnit one{1, "Unit 1", 8, 8, std::nullopt, {}};
    one.values.outputs[1].volume = 42;
    one.values.outputs[2].audioInput = 9; // past its 8 inputs
    one.values.outputs[12].mute = 1;      // past its 8 outputs
    one.values.edid[9] = 1;
    SceneUnit other{2, "Another unit", 8, 8, std::nullopt, {}};
    other.values.outputs[1].volume = 42;
    SceneUnit gone{5, "Unit 5", 8, 8, std::nullopt, {}};
    gone.values.outputs[1].volume = 42;
    // Unit 2, never selected since the scan, has not told its controls yet:
    // they are asked before its values are checked.
    SceneUnit two{2, "Unit 2", 8, 8, std::nullopt, {}};
    two.values.outputs[3].bass = 11;
    two.values.edid[2] = 1;
    ASSERT_FALSE(r.h.core.model.FindUnit(2)->blExtendedRead());
    const SceneReport first = r.Recall({"Unit 2", {}, {two}});
    EXPECT_TRUE(first.ok()) << first.Lines().join('\n').toStdString();
    EXPECT_EQ(r.Unit(2).state().audio[2].bass, 11);
    const sim::UnitState second = r.Unit(2).state();
    const SceneReport report = r.Recall({"Partly", {}, {one, other, gone}});
    EXPECT_EQ(report.ending, SceneReport::Ending::Partial);
    ASSERT_EQ(report.units.size(), 3u);
    EXPECT_EQ(report.units[0].state, SceneUnitReport::State::Partial);
    EXPECT_EQ(report.units[0].leftOut.size(), 3u);
    EXPECT_EQ(r.Unit(1).state().audio[0].volume, 42);
    EXPECT_EQ(report.units[1].state, SceneUnitReport::State::NotOnLine);
    EXPECT_EQ(report.units[2].state, SceneUnitReport::State::NotOnLine);
    EXPECT_EQ(Live(r.Unit(2).state()), Live(second));

    const struct {
        const char* what;
        std::function<void(SceneUnit&)> edit;
    } refused[] = {
        {"a level past 100", [](SceneUnit& u) { u.values.outputs[2].bass = 101; }},
        {"a delay past the unit's", [](SceneUnit& u) { u.values.outputs[2].delay = 5000; }},
        {"a delay off its steps", [](SceneUnit& u) { u.values.outputs[2].delay = 7; }},
        {"a preset past its memories", [](SceneUnit& u) { u.preset = 9; }},
    };
    for (const auto& f : refused) {
        SCOPED_TRACE(f.what);
        SceneUnit bad{1, "Unit 1", 8, 8, std::nullopt, {}};
        bad.values.outputs[1].volume = 7;
        f.edit(bad);
        const size_t mark = r.Mark();
        const SceneReport out = r.Recall({"Bad", {}, {bad}});
        EXPECT_EQ(out.ending, SceneReport::Ending::Refused);
        EXPECT_EQ(r.Mark(), mark); // not a frame
        EXPECT_EQ(r.Unit(1).state().audio[0].volume, 42);
    }
}

// What "New scene from…" takes of a unit's live values for each choice.
TEST(SceneCapture, TakesOnlyThePickedPortsAndSettings) {
    UnitIdentity unit;
    unit.id = 4;
    unit.name = "Hall";
    unit.inputs = 2;
    unit.outputs = 3;
    UnitValues live;
    for (int o = 1; o <= 3; ++o) {
        live.outputs[o] = {o, o + 1, 0, 50, 50, 50, 50, 10};
    }
    live.edid = {{1, 0}, {2, 1}};
    using W = SceneCapture::What;
    const struct {
        W what;
        std::vector<int> outputs, inputs;
        size_t ports, edid;
        bool audio, video, levels;
    } cases[] = {
        {W::Everything, {}, {}, 3, 2, true, true, true},
        {W::Everything, {2}, {2}, 1, 1, true, true, true},
        {W::Routes, {1, 3}, {}, 2, 0, true, true, false},
        {W::AudioRoutes, {}, {1}, 3, 0, true, false, false},
        {W::VideoRoutes, {3, 9}, {}, 1, 0, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.what));
        const SceneUnit u = CaptureUnit(unit, live, {4, c.outputs, c.inputs}, c.what);
        EXPECT_EQ(u.id, 4);
        EXPECT_EQ(u.name, "Hall");
        EXPECT_EQ(u.values.outputs.size(), c.ports);
        EXPECT_EQ(u.values.edid.size(), c.edid);
        for (const auto& [port, v] : u.values.outputs) {
            EXPECT_EQ(v.audioInput.has_value(), c.audio);
            EXPECT_EQ(v.videoInput.has_value(), c.video);
            EXPECT_EQ(v.volume.has_value() && v.delay.has_value() && v.mute.has_value(), c.levels);
            EXPECT_TRUE(c.outputs.empty() || std::count(c.outputs.begin(), c.outputs.end(), port));
        }
    }
}

TEST(SceneStore, KeepsScenesRoundTripAndMergesWithAnotherProgram) {
    QTemporaryDir dir;
    const QString path = dir.filePath("scenes.json");
    SceneStore a(path), b(path);
    a.Load();
    b.Load();
    ASSERT_TRUE(a.Save(Lecture()));
    Scene night = Lecture();
    night.name = "Night";
    night.units[0].preset.reset();
    // b never saw Lecture: its change is applied to the file as it is now.
    ASSERT_TRUE(b.Save(night));
    ASSERT_EQ(b.scenes().size(), 2u);
    EXPECT_EQ(*b.Find("Lecture"), Lecture());
    EXPECT_FALSE(b.Save(Lecture(), "Night")); // renamed onto a name taken
    EXPECT_FALSE(b.problem().isEmpty());
    Scene renamed = night;
    renamed.name = "Late night";
    ASSERT_TRUE(a.Save(renamed, "Night"));
    ASSERT_TRUE(a.Remove("Lecture"));
    SceneStore c(path);
    c.Load();
    ASSERT_EQ(c.scenes().size(), 1u);
    EXPECT_EQ(c.scenes()[0], renamed);
    // Full at its most scenes: one more is refused, a change to one is kept.
    for (int n = 1; n < SceneStore::kMaxScenes; ++n) {
        renamed.name = QString::number(n);
        ASSERT_TRUE(c.Save(renamed));
    }
    EXPECT_FALSE(c.Save(Lecture()));
    EXPECT_TRUE(c.Save(renamed, renamed.name));
}

// Each fault refuses the whole file: no scene of it is recalled.
TEST(SceneStore, RefusesDamagedOrOutOfRangeFilesWhole) {
    const QByteArray good = SceneStore::ToJson({Lecture()});
    const struct {
        const char* what;
        QByteArray from, to;
    } faults[] = {
        {"volume past 100", "\"volume\": 70", "\"volume\": 150"},
        {"negative route", "\"audio\": 4", "\"audio\": -1"},
        {"fractional level", "\"volume\": 70", "\"volume\": 70.5"},
        {"mute neither 0 nor 1", "\"mute\": 1", "\"mute\": 2"},
        {"ID past 0x1F", "\"id\": 2", "\"id\": 32"},
        {"output 0", "\"output\": 1", "\"output\": 0"},
        {"an output set twice", "\"output\": 8", "\"output\": 1"},
        {"EDID type 2", "\"type\": 1", "\"type\": 2"},
        {"preset 0", "\"preset\": 3", "\"preset\": 0"},
        {"empty name", "\"name\": \"Lecture\"", "\"name\": \"\""},
        {"cut short", "}", ""},
        {"another format", "quadrel-scenes", "quadrel-names"},
    };
    QString error;
    ASSERT_TRUE(SceneStore::FromJson(good, error)) << error.toStdString();
    for (const auto& f : faults) {
        SCOPED_TRACE(f.what);
        QByteArray bad = good;
        bad.replace(f.from, f.to);
        ASSERT_NE(bad, good);
        EXPECT_FALSE(SceneStore::FromJson(bad, error));
    }
    Scene twice = Lecture();
    twice.units.push_back(twice.units[0]);
    EXPECT_FALSE(SceneStore::Check(twice).isEmpty());

    // A damaged file is kept aside whole and the store starts empty; a newer
    // one is left as it is and changes are refused.
    QTemporaryDir dir;
    const QString path = dir.filePath("scenes.json");
    QByteArray damaged = good;
    damaged.replace("\"volume\": 70", "\"volume\": 150");
    ASSERT_TRUE(WriteBytes(path, damaged));
    SceneStore s(path, [] { return QStringLiteral("20260102-030405"); });
    s.Load();
    EXPECT_TRUE(s.scenes().empty());
    EXPECT_FALSE(s.problem().isEmpty());
    EXPECT_EQ(ReadBytes(path + ".damaged-20260102-030405"), damaged);
    QByteArray newer = good;
    newer.replace("\"version\": 1", "\"version\": 9");
    ASSERT_TRUE(WriteBytes(path, newer));
    s.Load();
    EXPECT_FALSE(s.Save(Lecture()));
    EXPECT_EQ(ReadBytes(path), newer);
}
