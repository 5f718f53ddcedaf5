// A unit's settings saved to a file and restored, against the emulator.
#include "link/CommandCodes.h"
#include "model/FileBytes.h"
#include "model/SettingsRig.h"
#include "model/UnitSettingsFile.h"
#include "model/UnitSettingsJob.h"

#include <gtest/gtest.h>

#include <random>

using namespace quadrel;
using namespace quadrel::test;
using Outcome = UnitSettingsJob::Outcome;

TEST(UnitSettings, SavedFileHoldsTheUnitARestoreSendsOnlyWhatDiffersBadFilesNothing) {
    Rig r;
    sim::UnitState& s = r.unit.state();
    s.audio[1].volume = 17;
    s.edid[4] = 1;
    r.names.unit = "Stage left";
    r.names.inputs[2] = "Camera";
    const Outcome saved = r.Save(false);
    ASSERT_TRUE(saved.ok) << saved.message.toStdString();
    QString error;
    const auto file = UnitSettingsFile::Read(r.path, error);
    ASSERT_TRUE(file) << error.toStdString();
    EXPECT_TRUE(r.Against(*file).empty());
    EXPECT_EQ(file->names, r.names);
    EXPECT_EQ(UnitSettingsFile::ToJson(*file), UnitSettingsFile::ToJson(saved.file));

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
    EXPECT_EQ(prepared.differences.size(), r.Against(*file).size());
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
              QStringLiteral("Output 5 treble: 1 \u2192 %1").arg(*file->live.outputs.at(5).treble));
    EXPECT_EQ(restored.message,
              QStringLiteral("%1 of %1 changes sent; the unit did not take 1 value").arg(sent));
    EXPECT_EQ(r.Settings(before), frames);
    EXPECT_EQ(r.Against(*file).size(), 1u);
    EXPECT_TRUE(r.h.Differences(r.unit).empty()); // the model read back
    EXPECT_EQ(r.h.trace.overlaps, 0);

    // Only that is left to send the second time, then nothing.
    const Outcome again = r.Prepare(false);
    EXPECT_EQ(again.differences, restored.notTaken);
    const size_t second = r.h.port.written().size();
    EXPECT_TRUE(r.Restore(again).ok);
    EXPECT_EQ(r.Settings(second), 1);
    EXPECT_TRUE(r.Against(*file).empty());
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
        {"truncated", text.left(text.size() / 2), "damaged or cut short"},
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

// A cancel at each phase is the restore job's test.
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
