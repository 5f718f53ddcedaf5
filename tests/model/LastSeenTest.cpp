// The units last seen on a port: asked first by the next scan (the next
// start's too), listed meanwhile as last seen, kept per port.
#include "model/LastSeenStore.h"
#include "model/ProgramState.h"
#include "support/SimCoreHarness.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;
using Kept = std::vector<LastSeenStore::Unit>;

namespace {

Kept Read(const QString& file, int port) {
    ProgramState state(file);
    LastSeenStore store;
    store.setState(&state);
    return store.Units(port);
}

bool ReadThrough(const SimCoreHarness& h, uint8_t id) {
    const UnitRef unit = h.core.model.objSelectedUnit;
    return unit && unit->bID() == id && unit->blExtendedRead() && !h.core.model.blLoadingStatus;
}

} // namespace

TEST(LastSeen, NextStartAsksThemFirstListsThemAtOnceAndForgetsOnlyWhatTheScanMissed) {
    QTemporaryDir dir;
    const QString file = dir.filePath("state.ini");
    ProgramState state(file);
    {
        SimCoreHarness before;
        before.core.status.memory().store().setState(&state);
        before.AddUnit(3);
        before.AddUnit(20, 16, 8);
        before.AddUnit(27);
        ASSERT_TRUE(before.Scan());
        // The operator picks unit 20: it comes first next time.
        before.core.model.objSelectedUnit = before.core.model.FindUnit(20);
        before.core.status.memory().Keep();
    }
    EXPECT_EQ(Read(file, 200), (Kept{{20, "Unit 20"}, {3, "Unit 3"}, {27, "Unit 27"}}));

    // The next start: unit 27 is gone.
    SimCoreHarness h;
    h.core.status.memory().store().setState(&state);
    sim::Unit& twenty = h.AddUnit(20, 16, 8);
    h.AddUnit(3);
    h.core.status.SetScanning(true);
    EXPECT_EQ(h.views.Matching("ShowLastSeenRow"),
              (std::vector<std::string>{"ShowLastSeenRow(20,Unit 20)", "ShowLastSeenRow(3,Unit 3)",
                                        "ShowLastSeenRow(27,Unit 27)"}));
    EXPECT_EQ(h.core.activity.Text(), "Scanning ID 20 of 31, last seen here: 0 units found");
    // Read through within 3 s at 9600 baud, ahead of every other probe.
    ASSERT_TRUE(h.clock.advanceUntil([&] { return ReadThrough(h, 20); }, 3s));
    EXPECT_TRUE(h.Differences(twenty).empty());
    // The next probe leaves with the read's last answer.
    EXPECT_EQ(h.Probes(), (std::vector<int>{20, 3}));
    EXPECT_EQ(h.port.written()[h.port.written().size() - 5], 0x23);
    ASSERT_TRUE(h.clock.advanceUntil([&] { return !h.core.status.IsBusy(); }, 40s));
    std::vector<int> order = {20, 3, 27, 0, 1, 2};
    for (int id = 4; id <= 31; ++id) {
        if (id != 20 && id != 27) {
            order.push_back(id);
        }
    }
    EXPECT_EQ(h.Probes(), order);
    EXPECT_EQ(h.views.Matching("DropLastSeenRows"),
              (std::vector<std::string>{"DropLastSeenRows(27)", "DropLastSeenRows(-1)"}));
    EXPECT_EQ(h.core.activity.Text(), "Scan ended: 2 units found");
    EXPECT_EQ(Read(file, 200), (Kept{{20, "Unit 20"}, {3, "Unit 3"}}));

    // Another line has its own units; a stopped scan forgets none it did not ask.
    h.port.addLine(201).addUnit(SimCoreHarness::Config(9));
    h.port.close();
    h.port.open(201, QStringLiteral("9600,n,8,1"));
    size_t from = h.port.written().size();
    ASSERT_TRUE(h.Scan());
    EXPECT_EQ(h.Probes(from).front(), 0);
    EXPECT_EQ(Read(file, 201), (Kept{{9, "Unit 9"}}));
    h.port.close();
    h.port.open(200, QStringLiteral("9600,n,8,1"));
    from = h.port.written().size();
    h.core.status.SetScanning(true);
    h.core.status.cmdScan_Click();
    h.clock.advance(2s);
    EXPECT_EQ(h.Probes(from), (std::vector<int>{20}));
    EXPECT_EQ(Read(file, 200), (Kept{{20, "Unit 20"}, {3, "Unit 3"}}));

    // A scan started while the unit's request is awaited: no second probe of
    // it, and its read still comes ahead of the other probes.
    ASSERT_TRUE(h.Scan());
    ASSERT_TRUE(h.clock.advanceUntil([&] { return h.Idle(); }, 5s));
    h.core.link.senders.CmdGetMute(20, 0, 0, 1);
    from = h.port.written().size();
    h.core.status.SetScanning(true);
    ASSERT_TRUE(h.clock.advanceUntil([&] { return ReadThrough(h, 20); }, 3s));
    EXPECT_EQ(h.Probes(from), (std::vector<int>{20, 3}));
    EXPECT_EQ(h.trace.overlaps, 0);
}

TEST(LastSeen, DamagedForeignOrOversizedValuesReadAsNoneAndNamesComeBackAsKept) {
    QTemporaryDir dir;
    const QString file = dir.filePath("state.ini");
    Kept many;
    for (uint8_t id = 0; id < 32; ++id) {
        many.push_back({id, QStringLiteral("Unit, \"%1\" = ;#").arg(id)});
    }
    {
        ProgramState state(file);
        LastSeenStore store;
        store.setState(&state);
        store.Keep(7, many);
        store.Keep(8, {{31, ""}});
    }
    EXPECT_EQ(Read(file, 7), many);
    EXPECT_EQ(Read(file, 8), (Kept{{31, ""}}));
    EXPECT_EQ(Read(file, 9), Kept{});
    const std::vector<std::pair<QString, QVariant>> bad = {
        {"LastSeen/COM7", QStringList{"2 A", "2 B"}},
        {"LastSeen/COM7", QStringList{"32 X"}},
        {"LastSeen/COM7", QStringList{"-1 X"}},
        {"LastSeen/COM7", QStringList{"x Hall"}},
        {"LastSeen/COM7", QStringList(33, "1 A")},
        {"LastSeen/COM7", QStringList{"1 " + QString(253, 'n')}},
        {"LastSeen/Format", 2},
    };
    for (const auto& [key, value] : bad) {
        QFile::remove(file);
        {
            ProgramState state(file);
            LastSeenStore store;
            store.setState(&state);
            store.Keep(7, {{1, "A"}});
        }
        QSettings(file, QSettings::IniFormat).setValue(key, value);
        EXPECT_EQ(Read(file, 7), Kept{})
            << key.toStdString() << " " << value.toString().toStdString();
    }
}
