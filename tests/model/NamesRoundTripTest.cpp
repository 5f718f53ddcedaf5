// Every name Quadrel accepts comes back whole from each file that holds names.
#include "model/NamesCsv.h"
#include "model/NamesStore.h"
#include "model/SettingsRig.h"

using namespace quadrel;
using namespace quadrel::test;

namespace {

QString Repeated(const char* utf8, int times) {
    QString out;
    for (int i = 0; i < times; ++i) {
        out += QString::fromUtf8(utf8);
    }
    return out;
}

struct Case {
    const char* what;
    std::string reported; // the unit's name as its bytes
    UnitNames names;
};

} // namespace

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
    const std::vector<Case> cases = {
        {"64 characters", "Hall", longest},
        {"beyond the first plane", "Hall", astral},
        {"ports beyond the counts", "Hall", beyond},
        {"what a spreadsheet evaluates", "Hall", formulas},
        {"252-byte unit name", std::string(252, 'R'), longest},
        {"252 bytes of UTF-8", Repeated("€", 84).toStdString(), astral},
        {"252 bytes that are not UTF-8", std::string(252, '\xE9'), beyond},
    };
    for (const Case& c : cases) {
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
