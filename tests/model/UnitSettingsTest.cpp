// A unit's settings saved to a file and restored, against the emulator: as a
// job on the change path, on units of every size, at the latencies of real
// units, cancelled at each phase, cut short by the line; every name accepted
// comes back whole from each file that holds names.
#include "link/CommandCodes.h"
#include "model/FileBytes.h"
#include "model/NamesCsv.h"
#include "model/NamesStore.h"
#include "model/UnitSettingsFile.h"
#include "model/UnitSettingsJob.h"
#include "support/SimCoreHarness.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;
using Outcome = UnitSettingsJob::Outcome;

namespace {

// A unit with presets on the emulated line, and the settings job around it.
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

QString Repeated(const char* utf8, int times) {
    QString out;
    for (int i = 0; i < times; ++i) {
        out += QString::fromUtf8(utf8);
    }
    return out;
}

struct NamesCase {
    const char* what;
    std::string reported; // the unit's name as its bytes
    UnitNames names;
};

} // namespace

TEST(UnitSettings, SavedFileHoldsTheUnitARestoreSendsOnlyWhatDiffersBadFilesNothing) {
    Rig r;
    sim::UnitState& s = r.unit.state();
    s.audio[1].volume = 17;
    s.edid[4] = 1;
    r.names.unit = "Stage left";
    r.names.inputs[2] = "Camera";
    const Outcome saved = r.Save(false);
    ASSERT_TRUE(saved.ok) << saved.message.toStdString();
    const UnitSettings file = r.ReadFile(false);
    EXPECT_TRUE(r.Against(file).empty());
    EXPECT_EQ(file.names, r.names);
    EXPECT_EQ(UnitSettingsFile::ToJson(file), UnitSettingsFile::ToJson(saved.file));

    // Random changes behind the program's back, then a restore.
    std::mt19937 random(24);
    for (size_t o = 0; o < s.audio.size(); o += 2) {
        r.Scramble(random, s.audio[o], s.videoRoutes[o]);
    }
    s.edid[0] = 1;
    const Outcome prepared = r.Prepare(false);
    ASSERT_TRUE(prepared.ok) << prepared.message.toStdString();
    EXPECT_TRUE(prepared.notes.isEmpty());
    EXPECT_EQ(prepared.file.names, r.names);
    EXPECT_EQ(prepared.differences.size(), r.Against(file).size());
    ASSERT_GE(prepared.differences.size(), 12u);
    int frames = 0;
    for (const Difference& d : prepared.differences) {
        frames += d.field == Setting::Delay ? 2 : 1; // high byte, then low
    }
    // Once all is sent, someone turns output 5's treble down: the read back finds it.
    r.job.setOnProgress([&](int done, int total) {
        if (done == total) {
            s.audio[4].treble = 1;
        }
    });
    const size_t before = r.h.port.written().size();
    const Outcome restored = r.Restore(prepared);
    r.job.setOnProgress(nullptr);
    const int sent = static_cast<int>(prepared.differences.size());
    EXPECT_FALSE(restored.ok);
    EXPECT_EQ(restored.sent, sent);
    ASSERT_EQ(restored.notTaken.size(), 1u);
    EXPECT_EQ(Describe(restored.notTaken[0]),
              QStringLiteral("Output 5 treble: 1 \u2192 %1").arg(*file.live.outputs.at(5).treble));
    EXPECT_EQ(restored.message,
              QStringLiteral("%1 of %1 changes sent; the unit did not take 1 value").arg(sent));
    EXPECT_EQ(r.Settings(before), frames);
    EXPECT_EQ(r.Against(file).size(), 1u);
    EXPECT_TRUE(r.h.Differences(r.unit).empty()); // the model read back
    EXPECT_EQ(r.h.trace.overlaps, 0);

    // Only that is left to send the second time, then nothing.
    const Outcome again = r.Prepare(false);
    EXPECT_EQ(again.differences, restored.notTaken);
    const size_t second = r.h.port.written().size();
    EXPECT_TRUE(r.Restore(again).ok);
    EXPECT_EQ(r.Settings(second), 1);
    EXPECT_TRUE(r.Against(file).empty());
    EXPECT_TRUE(r.Prepare(false).differences.empty());
    EXPECT_TRUE(r.h.core.status.timRequestStatus().isActive()); // the poll is back

    // Every kind of bad file is refused and sends nothing, not even a read.
    ASSERT_TRUE(r.Save(true).ok);
    const QByteArray text = ReadBytes(r.path);
    const auto edit = [&text](const QByteArray& from, const QByteArray& to) {
        QByteArray t = text;
        const qsizetype at = t.indexOf(from);
        EXPECT_GE(at, 0) << from.constData();
        return t.replace(at, from.size(), to);
    };
    struct Case {
        const char* what;
        QByteArray text;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"damaged", "{\"format\": \"quadrel-unit-settings\", ]", "damaged or cut short"},
        {"oversized", QByteArray(UnitSettingsFile::kMaxBytes + 1, ' '), "larger than 4 MiB"},
        {"not ours", "{\"outputs\": []}", "not a Quadrel unit settings file"},
        {"newer", edit("\"version\": 1", "\"version\": 2"), "format version 2"},
        {"volume", edit("\"volume\": 50", "\"volume\": 101"), "volume: 101 is outside 0 to 100"},
        {"delay step", edit("\"delay\": 0", "\"delay\": 7"), "7 is not a multiple of 5"},
        {"route", edit("\"audioInput\": 2", "\"audioInput\": 7"),
         "audioInput: 7 is outside 0 to 6"},
        {"fraction", edit("\"bass\": 50", "\"bass\": 50.5"), "bass: not a whole number"},
        {"unknown key", edit("\"treble\": 50", "\"trebel\": 50"), "unknown key \"trebel\""},
        {"missing", edit("\"subwoofer\": 50,", ""), "subwoofer: missing"},
        {"twice", edit("\"output\": 2", "\"output\": 1"), "output 1 twice"},
        {"preset location", edit("\"location\": 3", "\"location\": 4"),
         "location: 4 is outside 1 to 3"},
        {"name", edit("\"unit\": \"Stage left\"", "\"unit\": \"" + QByteArray(65, 'x') + "\""),
         "longer than 64 characters"},
        {"other size", edit("\"outputs\": 5", "\"outputs\": 4"), "5 entries for 4 outputs"},
        {"other section", edit("\"bass\": true", "\"bass\": false"), "unknown key \"bass\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteBytes(r.path, c.text));
        const size_t written = r.h.port.written().size();
        const Outcome out = r.Prepare(true);
        EXPECT_FALSE(out.ok);
        EXPECT_TRUE(out.message.contains(QLatin1String(c.message))) << out.message.toStdString();
        EXPECT_EQ(r.h.port.written().size(), written);
    }
}

// (A cancel at each phase is RestoreJob's test, below.)
TEST(UnitSettings, OnlyThePresetThatDiffersIsPassedAndSaved) {
    Rig r(4, 16);
    sim::UnitState& s = r.unit.state();
    std::mt19937 random(7);
    for (size_t m = 0; m < 3; ++m) {
        for (size_t o = 0; o < s.audio.size(); ++o) {
            r.Scramble(random, s.audioPresets[m].outputs[o], s.videoPresets[m].routes[o]);
        }
    }
    ASSERT_TRUE(r.Save(true).ok);
    const UnitSettings file = r.ReadFile();
    ASSERT_TRUE(file.presets);
    EXPECT_EQ(file.presets->size(), 3u);
    EXPECT_TRUE(r.Against(file).empty());

    // Preset 2 changes, preset 1 and 3 do not; the live state changes too.
    const sim::UnitState untouched = s;
    r.Scramble(random, s.audioPresets[1].outputs[0], s.videoPresets[1].routes[0]);
    s.audio[3].volume = 99;
    EXPECT_EQ(r.Prepare(false).differences.size(), 1u); // presets only when asked
    const Outcome prepared = r.Prepare(true);
    ASSERT_TRUE(prepared.ok);
    EXPECT_GT(prepared.differences.size(), 1u);
    const size_t before = r.h.port.written().size();
    const Outcome restored = r.Restore(prepared);
    EXPECT_TRUE(restored.ok) << restored.message.toStdString();
    EXPECT_TRUE(r.Against(file).empty());
    // Only location 2 was saved, once for audio and once for video.
    std::vector<int> saves;
    for (const Bytes& f : r.h.Frames(before)) {
        if (f[1] == kCmdSaveAudioMemory || f[1] == kCmdSaveVideoMemory) {
            saves.push_back(f[3]);
        }
    }
    EXPECT_EQ(saves, (std::vector<int>{2, 2}));
    EXPECT_EQ(s.audioPresets[0].outputs[0].volume, untouched.audioPresets[0].outputs[0].volume);
}

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

TEST(NamesRoundTrip, EveryNameAcceptedSurvivesSettingsNamesFileAndTable) {
    UnitNames longest;
    longest.unit = QString(64, 'u');
    longest.inputs[1] = QString(64, 'n');
    UnitNames astral;
    astral.unit = Repeated("🎤", 64);
    astral.outputs[2] = Repeated("𝄞", 63) + QStringLiteral("x");
    UnitNames beyond; // made for a larger unit, kept on this one
    beyond.inputs[9] = QStringLiteral("Nine");
    beyond.outputs[255] = QStringLiteral("Last");
    beyond.presets[15] = QStringLiteral("Fifteen");
    UnitNames formulas;
    formulas.inputs = {{1, "=SUM(A1:A9)"}, {2, "+48 V mic"}, {3, "-10 dB"}, {4, "@stage"}};
    formulas.outputs = {{1, "'quoted'"}, {2, "<b>Bold</b> & \"x\", y"}};
    const std::vector<NamesCase> cases = {
        {"64 characters", "Hall", longest},
        {"beyond the first plane", "Hall", astral},
        {"ports beyond the counts", "Hall", beyond},
        {"what a spreadsheet evaluates", "Hall", formulas},
        {"252-byte unit name", std::string(252, 'R'), longest},
        {"252 bytes of UTF-8", Repeated("€", 84).toStdString(), astral},
        {"252 bytes that are not UTF-8", std::string(252, '\xE9'), beyond},
    };
    for (const NamesCase& c : cases) {
        SCOPED_TRACE(c.what);
        Rig r(4, 4, 3, c.reported);
        r.names = c.names;
        const Outcome saved = r.Save(false);
        ASSERT_TRUE(saved.ok) << saved.message.toStdString();
        const Outcome prepared = r.Prepare(false);
        ASSERT_TRUE(prepared.ok) << prepared.message.toStdString();
        EXPECT_EQ(prepared.file.names, c.names);
        EXPECT_EQ(prepared.file.unit.name, r.h.core.model.objSelectedUnit->sName());
        EXPECT_EQ(prepared.unit.unit.name, prepared.file.unit.name);

        // The names file, with the unit's report as its key.
        const NamesEntry entry{UnitReport::Of(*r.h.core.model.objSelectedUnit, 7), c.names};
        QString error;
        const auto entries = NamesStore::FromJson(NamesStore::ToJson({entry}), error);
        ASSERT_TRUE(entries) << error.toStdString();
        EXPECT_EQ(*entries, std::vector<NamesEntry>{entry});

        // The table, as a spreadsheet would have it back.
        NamesCsv::Imported imported;
        ASSERT_TRUE(NamesCsv::Import(NamesCsv::Export(c.names, 4, 4, 3), imported, error));
        EXPECT_EQ(imported.names, c.names);
        EXPECT_TRUE(imported.rejected.isEmpty());
    }
    // No cell of the table starts as a formula.
    const QByteArray table = NamesCsv::Export(formulas, 4, 4, 3);
    for (const char* cell : {",=", ",+", ",-", ",@"}) {
        EXPECT_FALSE(table.contains(cell)) << cell;
    }
}
