// Who may change what: the staff's rules, the gate on the way to the line,
// and the roles file.
#include "model/ChangePath.h"
#include "model/FileBytes.h"
#include "model/RolesFile.h"
#include "support/CoreHarness.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;

namespace {

// Staff of unit 0A's outputs 1 and 2, the scene "Evening", and the bass granted.
StaffRules Staff() {
    StaffRules s;
    s.outputs[0x0A] = {1, 2};
    s.scenes = {QStringLiteral("Evening")};
    s.granted = {Action::Bass};
    return s;
}

} // namespace

// Every action, for the technician and for the staff: allowed, or refused
// with the reason the window shows.
TEST(StaffRules, EveryActionForEachRole) {
    const StaffRules rules = Staff();
    struct Row {
        RoleRequest request;
        const char* staff; // empty: allowed
    };
    const QString evening = QStringLiteral("Evening");
    const Row rows[] = {
        {{Action::Route, 0x0A, {1, 2}, {}}, ""},
        {{Action::Route, 0x0A, {2, 5}, {}}, "Locked: output 5 is not among the staff's outputs"},
        {{Action::Route, 0x0B, {1}, {}}, "Locked: unit 0B has no staff's outputs"},
        {{Action::Mute, 0x0A, {1}, {}}, ""},
        {{Action::Volume, 0x0A, {2}, {}}, ""},
        {{Action::Volume, 0x0A, {3}, {}}, "Locked: output 3 is not among the staff's outputs"},
        {{Action::Bass, 0x0A, {1}, {}}, ""},
        {{Action::Bass, 0x0A, {4}, {}}, "Locked: output 4 is not among the staff's outputs"},
        {{Action::Treble, 0x0A, {1}, {}}, "Locked: only the technician may change the treble"},
        {{Action::Subwoofer, 0x0A, {1}, {}},
         "Locked: only the technician may change the subwoofer"},
        {{Action::Delay, 0x0A, {1}, {}}, "Locked: only the technician may change the delay"},
        {{Action::Edid, 0x0A, {1}, {}}, "Locked: only the technician may change the EDID"},
        {{Action::PresetSave, 0x0A, {}, {}}, "Locked: only the technician may save memory presets"},
        {{Action::PresetLoad, 0x0A, {}, {}}, "Locked: only the technician may load memory presets"},
        {{Action::SaveUnitSettings, 0x0A, {}, {}},
         "Locked: only the technician may save unit settings"},
        {{Action::RestoreUnitSettings, 0x0A, {}, {}},
         "Locked: only the technician may restore unit settings"},
        {{Action::Rename, -1, {}, {}}, "Locked: only the technician may rename"},
        {{Action::Options, -1, {}, {}}, "Locked: only the technician may open Options"},
        {{Action::RecallScene, -1, {}, evening}, ""},
        {{Action::RecallScene, -1, {}, QStringLiteral("Gala")},
         "Locked: scene \"Gala\" is not among the staff's scenes"},
    };
    for (const Row& row : rows) {
        const auto what = StaffRules::Key(row.request.action);
        EXPECT_TRUE(rules.Decide(Role::Technician, row.request)) << what.toStdString();
        const Verdict v = rules.Decide(Role::Staff, row.request);
        EXPECT_EQ(v.allowed, *row.staff == 0) << what.toStdString();
        EXPECT_EQ(v.reason.toStdString(), row.staff) << what.toStdString();
    }
    // Options are never granted, whatever the file says.
    StaffRules all = rules;
    all.granted.insert(Action::Options);
    EXPECT_FALSE(all.Decide(Role::Staff, {Action::Options, -1, {}, {}}));
    EXPECT_FALSE(StaffRules::Grantable(Action::Options));
}

// A staff change outside the allowed outputs sends nothing at all and says
// why; undo is refused as well and keeps its step; quadrel-ctl's changes
// pass as the technician's.
TEST(StaffRules, TheGateRefusesBeforeTheLine) {
    CoreHarness h;
    h.AddUnit(0x0A, 8, 8);
    h.Select(0x0A);
    ChangePath& path = h.core.path;
    Role role = Role::Technician;
    const StaffRules rules = Staff();
    QStringList told;
    path.setGate([&](const Change& c) { return rules.Decide(role, c).reason; },
                 [&](const QString& why) { told << why; });

    // The technician sets output 5's volume: recorded, so undo has a step.
    SettingValues target;
    ChangeHistory::Add(target, Setting::Volumn, {5}, 40);
    path.Send(Change::Of(0x0A, Setting::Volumn, {5}, 40), h.core.history.Record(target));
    EXPECT_FALSE(h.Waiting().empty());
    h.core.link.queue.ClearQueue();
    h.core.model.AudioOutputs[5].iVolumnLevel = 40; // as the unit's answer left it
    ASSERT_TRUE(h.core.history.CanUndo());

    role = Role::Staff;
    const size_t framesBefore = h.port.writes.size();
    EXPECT_TRUE(path.Send(Change::Of(0x0A, Setting::AudioRoute, {1, 5}, 3)).empty());
    bool answered = true;
    path.SendThen(Change::Preset(Change::Kind::PresetLoad, 0x0A, 2, true, true),
                  [&](bool a) { answered = a; });
    EXPECT_FALSE(answered) << "a refused preset is not reported as done";
    EXPECT_EQ(h.core.history.Undo(), ChangeHistory::Outcome::Refused);
    EXPECT_TRUE(h.core.history.CanUndo());
    EXPECT_EQ(h.core.history.Message(ChangeHistory::Outcome::Refused),
              "Locked: output 5 is not among the staff's outputs");
    EXPECT_TRUE(h.Waiting().empty());
    EXPECT_EQ(h.port.writes.size(), framesBefore);
    EXPECT_EQ(told, (QStringList{"Locked: output 5 is not among the staff's outputs",
                                 "Locked: only the technician may load memory presets"}));

    // The staff's own outputs go, and a change refused is never recorded.
    EXPECT_FALSE(path.Send(Change::Of(0x0A, Setting::Mute, {2}, 1)).empty());
    SettingValues outside;
    ChangeHistory::Add(outside, Setting::Volumn, {6}, 10);
    h.core.history.Record(outside);
    EXPECT_EQ(h.core.history.NextStep(true).toStdString(), "Output 5: volume 40 → 0");
    {
        const ChangePath::Trusted technician(path);
        EXPECT_FALSE(path.Send(Change::Of(0x0A, Setting::Edid, {1}, 2)).empty());
    }
    EXPECT_TRUE(path.Send(Change::Of(0x0A, Setting::Edid, {1}, 2)).empty());
}

// Written and read back whole; limits, damage and a newer format lock safe;
// only the owner may read the file.
TEST(RolesFile, RoundTripLimitsAndDamage) {
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/roles.json");
    RolesConfig c;
    c.password = {RolesFile::kMinIterations, QByteArray(16, 's'), QByteArray(32, 'h')};
    c.startLocked = true;
    c.staff = Staff();
    c.staff.outputs[0x1F] = {255};
    QString error;
    ASSERT_TRUE(RolesFile::Save(path, c, error)) << error.toStdString();
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    const RolesFile::Loaded back = RolesFile::Load(path);
    EXPECT_EQ(back.state, RolesFile::State::Read);
    EXPECT_EQ(back.config, c);
    EXPECT_EQ(RolesFile::Load(dir.filePath("none.json")).state, RolesFile::State::Missing);

    const QByteArray good = RolesFile::ToJson(c);
    struct Bad {
        QByteArray from, to;
    };
    const Bad bad[] = {
        {"\"version\": 1", "\"version\": 2"},               // newer
        {"\"id\": 31", "\"id\": 32"},                       // unit out of range
        {"255", "256"},                                     // output out of range
        {"\"iterations\": 200000", "\"iterations\": 1000"}, // too fast to be safe
        {"\"startLocked\": true", "\"startLocked\": 1"},
        {"quadrel-roles", "quadrel-names"},
    };
    for (const Bad& b : bad) {
        ASSERT_TRUE(good.contains(b.from)) << b.from.toStdString();
        QByteArray text = good;
        ASSERT_TRUE(WriteBytes(path, text.replace(b.from, b.to)));
        const RolesFile::Loaded l = RolesFile::Load(path);
        EXPECT_EQ(l.state, RolesFile::State::Damaged) << b.to.toStdString();
        EXPECT_TRUE(l.problem.contains("delete the file")) << l.problem.toStdString();
        EXPECT_FALSE(l.config.password.isSet());
        EXPECT_TRUE(l.config.staff.outputs.empty());
    }
    ASSERT_TRUE(WriteBytes(path, good.left(good.size() / 2)));
    EXPECT_EQ(RolesFile::Load(path).state, RolesFile::State::Damaged);
    ASSERT_TRUE(WriteBytes(path, QByteArray(RolesFile::kMaxBytes + 1, ' ')));
    EXPECT_EQ(RolesFile::Load(path).state, RolesFile::State::Damaged);
}

// The technician's lists of outputs, as typed in Options and written back.
TEST(StaffRules, PortListsAsTyped) {
    struct Row {
        const char* text;
        std::optional<std::set<int>> ports;
    };
    const Row rows[] = {
        {"1-4, 7", std::set<int>{1, 2, 3, 4, 7}},
        {" 8 ,2,2", std::set<int>{2, 8}},
        {"", std::set<int>{}},
        {"0", std::nullopt},
        {"9", std::nullopt}, // beyond the unit's 8 outputs
        {"5-3", std::nullopt},
        {"1-2-3", std::nullopt},
        {"1-", std::nullopt},
        {"two", std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(StaffRules::ParsePorts(row.text, 8), row.ports) << row.text;
    }
    EXPECT_EQ(StaffRules::PortsText({1, 2, 3, 5, 7, 8}), "1-3, 5, 7-8");
}
