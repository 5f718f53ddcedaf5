// The scenes file: its limits, its merges and what a damaged file leaves.
#include "model/SceneStore.h"
#include "model/FileBytes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;

namespace {

Scene Lecture() {
    SceneUnit u{2, "Audio 8x8", 8, 8, 3, {}};
    u.values.outputs[1].audioInput = 4;
    u.values.outputs[1].volume = 70;
    u.values.outputs[8].mute = 1;
    u.values.edid[2] = 1;
    return {"Lecture", "Ctrl+1", {u}};
}

} // namespace

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
