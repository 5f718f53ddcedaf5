// A scene's values as the dialog lists, removes and changes them.
#include "app/SceneRows.h"

#include <gtest/gtest.h>

using namespace quadrel;

TEST(SceneRows, ListRemoveAndSetWithinWhatTheUnitTakes) {
    SceneUnit unit{3, "Hall", 8, 4, std::nullopt, {}};
    unit.values.outputs[2].volume = 40;
    unit.values.outputs[2].audioInput = 5;
    unit.values.outputs[1].delay = 20;
    unit.values.edid[7] = 1;
    Scene scene{"Night", {}, {unit}};

    // Outputs in order, each in the pages' order, then the inputs' EDID.
    const std::vector<SceneRow> rows = SceneRows::Of(scene);
    const std::vector<SceneRow> expected = {{3, Setting::Delay, 1, 20},
                                            {3, Setting::AudioRoute, 2, 5},
                                            {3, Setting::Volumn, 2, 40},
                                            {3, Setting::Edid, 7, 1}};
    EXPECT_EQ(rows, expected);

    UnitIdentity live;
    live.delay = true;
    live.delayStep = 10;
    live.maxDelay = 1005;
    const struct {
        SceneRow row;
        int value;
        bool away; // the unit is not on the line
        bool taken;
    } sets[] = {
        {rows[1], 8, false, true},  // the last input
        {rows[1], 9, false, false}, // past the scene's inputs
        {rows[1], 0, false, true},  // no input
        {rows[2], 101, false, false},
        {rows[0], 1000, false, true}, // the largest whole step
        {rows[0], 1005, false, false},
        {rows[0], 25, false, false}, // between steps
        {rows[0], 30, true, false},  // away: its limits unknown
        {rows[3], 2, false, false},
        {{3, Setting::Bass, 2, 0}, 10, false, false}, // not in the scene
        {{4, Setting::Volumn, 2, 0}, 10, false, false},
    };
    for (const auto& s : sets) {
        Scene copy = scene;
        const SceneRowRange range =
            SceneRows::RangeOf(unit, s.row, s.away ? std::nullopt : std::optional(live));
        EXPECT_EQ(SceneRows::Set(copy, s.row, s.value, range), s.taken)
            << static_cast<int>(s.row.setting) << " " << s.value;
        EXPECT_EQ(copy != scene, s.taken);
    }

    // An output left with nothing to set goes; the others stay.
    SceneRows::Remove(scene, rows[0]);
    SceneRows::Remove(scene, rows[3]);
    EXPECT_EQ(scene.units[0].values.outputs.count(1), 0u);
    EXPECT_TRUE(scene.units[0].values.edid.empty());
    SceneRows::Remove(scene, rows[2]);
    EXPECT_EQ(scene.units[0].values.outputs.at(2).audioInput, 5);
    EXPECT_EQ(SceneRows::Of(scene).size(), 1u);
}
