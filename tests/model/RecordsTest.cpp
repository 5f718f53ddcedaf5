#include "model/QRD_INFO.h"
#include "model/basQRD.h"
#include "support/QtPrinters.h"
#include "support/RecordingViews.h"

#include <gtest/gtest.h>

using namespace quadrel;

TEST(UnitRecords, CollectionKeepsInsertionOrderAndLooksUpWholeKeys) {
    const auto add = [](QRD_INFO& units, uint8_t id) {
        return units.Add(id, "n", true, 0, 1, 1, 128, false, nullptr, nullptr, nullptr, nullptr,
                         QString::number(id));
    };
    QRD_INFO units;
    EXPECT_EQ(units.Item("7"), nullptr);
    for (uint8_t id : {7, 2, 31}) {
        add(units, id);
    }
    EXPECT_EQ(units.Item(1)->bID(), 7); // counted from 1
    EXPECT_EQ(units.Item("31")->bID(), 31);
    // By ID: the whole decimal key, so 3 is neither "31" nor "-3".
    EXPECT_EQ(units.ItemById(31)->bID(), 31);
    EXPECT_EQ(units.ItemById(3), nullptr);
    EXPECT_EQ(units.ItemById(-31), nullptr);
    EXPECT_EQ(units.Item(4), nullptr);
    EXPECT_EQ(units.Item(0), nullptr);
    EXPECT_THROW(add(units, 2), std::exception);
    EXPECT_TRUE(units.Remove("2"));
    EXPECT_FALSE(units.Remove("2"));
    EXPECT_TRUE(units.Remove(1));
    EXPECT_EQ(units.Item(1)->bID(), 31);

    // A replaced collection outlives a reply still holding one of its units.
    basQRD model;
    UnitRef unit = add(model.objUnits(), 4);
    model.ReplaceUnits();
    EXPECT_EQ(model.objUnits().Count(), 0);
    EXPECT_EQ(unit->bID(), 4);
}

TEST(StatusTables, PortBoundsRoutingAndClearing) {
    basQRD model;
    test::RecordingViews views;
    EXPECT_THROW(model.AudioOutputs[0], std::out_of_range);
    EXPECT_THROW(model.VideoInputs[256], std::out_of_range);
    EXPECT_THROW(model.Crosspoints[0][1], std::out_of_range);
    EXPECT_TRUE(basQRD::IsInRange(-1, -1, 3));
    EXPECT_FALSE(basQRD::IsInRange(4, -1, 3));

    // A route moves the crosspoint flag of its own kind only.
    model.SetAudioRoute(2, 5, views);
    model.SetVideoRoute(2, 5, views);
    model.SetAudioRoute(2, 3, views);
    EXPECT_FALSE(model.Crosspoints[5][2].blAudio);
    EXPECT_TRUE(model.Crosspoints[5][2].blVideo);
    EXPECT_TRUE(model.Crosspoints[3][2].blAudio);
    model.SetAudioRoute(2, 0, views);
    EXPECT_FALSE(model.Crosspoints[3][2].blAudio);
    EXPECT_EQ(model.AudioOutputs[2].iInputPort, 0);
    EXPECT_EQ(views.Matching("Draw_Crosspoint"),
              (std::vector<std::string>{"Draw_Crosspoint(5,2)", "Draw_Crosspoint(5,2)",
                                        "Draw_Crosspoint(5,2)", "Draw_Crosspoint(3,2)",
                                        "Draw_Crosspoint(3,2)", "Draw_Crosspoint(0,2)"}));

    // A clear empties the live tables, also those written after an earlier
    // clear (a cell handed out, a route), and keeps the presets' delay bytes.
    model.AudioOutputs[255].iVolumnLevel = 9;
    model.Crosspoints[255][255].blAudio = true;
    model.MemoryAudioOutputs[3].bDelayLevelLow = 0xE8;
    model.ClearUnitStatus();
    EXPECT_EQ(model.AudioOutputs[255].iVolumnLevel, 0);
    EXPECT_FALSE(model.Crosspoints[255][255].blAudio);
    EXPECT_EQ(model.MemoryAudioOutputs[3].bDelayLevelLow, 0xE8);
    model.ClearUnitStatus(); // clean tables stay clean
    model.SetVideoRoute(7, 200, views);
    model.VideoInputSelect[1].blSelected = true;
    model.ClearUnitStatus();
    const basQRD& read = model;
    EXPECT_FALSE(read.Crosspoints[200][7].blVideo);
    EXPECT_EQ(read.VideoOutputs[7].iInputPort, 0);
    EXPECT_FALSE(read.VideoInputSelect[1].blSelected);
    model.Reset();
    EXPECT_EQ(read.MemoryAudioOutputs[3].bDelayLevelLow, 0);
}
