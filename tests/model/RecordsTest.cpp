#include "model/DeviceName.h"
#include "model/QRD_INFO.h"
#include "model/basQRD.h"
#include "support/QtPrinters.h"
#include "support/RecordingViews.h"

#include <gtest/gtest.h>

using namespace quadrel;

namespace {

UnitRef AddTo(QRD_INFO& units, uint8_t id) {
    return units.Add(id, "n", true, 0, 1, 1, 128, false, nullptr, nullptr, nullptr, nullptr,
                     QString::number(id));
}

} // namespace

TEST(UnitRecords, CollectionKeepsInsertionOrderAndLooksUpWholeKeys) {
    QRD_INFO units;
    EXPECT_EQ(units.Item("7"), nullptr);
    for (uint8_t id : {7, 2, 31}) {
        AddTo(units, id);
    }
    EXPECT_EQ(units.Item(1)->bID(), 7); // counted from 1
    EXPECT_EQ(units.Item("31")->bID(), 31);
    // By ID: the whole decimal key, so 3 is neither "31" nor "-3".
    EXPECT_EQ(units.ItemById(31)->bID(), 31);
    EXPECT_EQ(units.ItemById(3), nullptr);
    EXPECT_EQ(units.ItemById(-31), nullptr);
    EXPECT_EQ(units.Item(4), nullptr);
    EXPECT_EQ(units.Item(0), nullptr);
    std::vector<int> order;
    for (const auto& entry : units) {
        order.push_back((*entry)->bID());
    }
    EXPECT_EQ(order, (std::vector<int>{7, 2, 31}));
    EXPECT_THROW(AddTo(units, 2), std::exception);
    EXPECT_TRUE(units.Remove("2"));
    EXPECT_FALSE(units.Remove("2"));
    EXPECT_TRUE(units.Remove(1));
    EXPECT_EQ(units.Item(1)->bID(), 31);

    // A replaced collection outlives a reply still holding one of its units.
    basQRD model;
    UnitRef unit = AddTo(model.objUnits(), 4);
    model.ReplaceUnits();
    EXPECT_EQ(model.objUnits().Count(), 0);
    EXPECT_EQ(unit->bID(), 4);
}

TEST(UnitRecords, AudioControlsNeedTheAudioSectionButEdidSelectDoesNot) {
    AUDIO_INFO audio;
    audio.setblSupportVolumnControl(true);
    audio.setblSupportBassControl(true);
    audio.setblSupportTrebleControl(true);
    audio.setblSupportSubwooferControl(true);
    audio.setblSupportDelayControl(true);
    EXPECT_FALSE(audio.blSupportVolumnControl() || audio.blSupportBassControl() ||
                 audio.blSupportTrebleControl() || audio.blSupportSubwooferControl() ||
                 audio.blSupportDelayControl());
    audio.setblEnabled(true);
    EXPECT_TRUE(audio.blSupportVolumnControl() && audio.blSupportBassControl() &&
                audio.blSupportTrebleControl() && audio.blSupportSubwooferControl() &&
                audio.blSupportDelayControl());
    VIDEO_INFO video;
    video.setblSupportEdidTypeSelect(true);
    EXPECT_TRUE(video.blSupportEdidTypeSelect());
}

TEST(StatusTables, PortBoundsAndClearing) {
    basQRD model;
    model.AudioOutputs[255].iVolumnLevel = 9;
    model.Crosspoints[255][255].blAudio = true;
    EXPECT_THROW(model.AudioOutputs[0], std::out_of_range);
    EXPECT_THROW(model.VideoInputs[256], std::out_of_range);
    EXPECT_THROW(model.Crosspoints[0][1], std::out_of_range);
    model.MemoryAudioOutputs[3].bDelayLevelLow = 0xE8;
    model.ClearUnitStatus();
    EXPECT_EQ(model.AudioOutputs[255].iVolumnLevel, 0);
    EXPECT_FALSE(model.Crosspoints[255][255].blAudio);
    EXPECT_EQ(model.MemoryAudioOutputs[3].bDelayLevelLow, 0xE8);
    // A table written after it was cleared is cleared again, however it was
    // written (a cell handed out, a route), and a clear of clean tables keeps
    // them clean.
    model.ClearUnitStatus();
    test::RecordingViews views;
    model.SetVideoRoute(7, 200, views);
    model.VideoInputSelect[1].blSelected = true;
    model.ClearUnitStatus();
    const basQRD& read = model;
    EXPECT_FALSE(read.Crosspoints[200][7].blVideo);
    EXPECT_EQ(read.VideoOutputs[7].iInputPort, 0);
    EXPECT_FALSE(read.VideoInputSelect[1].blSelected);
    model.Reset();
    EXPECT_EQ(read.MemoryAudioOutputs[3].bDelayLevelLow, 0);
    EXPECT_TRUE(basQRD::IsInRange(-1, -1, 3));
    EXPECT_FALSE(basQRD::IsInRange(4, -1, 3));
}

TEST(StatusTables, RoutingMovesTheCrosspointFlag) {
    basQRD model;
    test::RecordingViews views;
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
}

TEST(DeviceNames, Utf8ElseLatin1AndNoControlCharacters) {
    const uint8_t utf8[] = {'Z', 0xC3, 0xBC, 'r', 'i', 'c', 'h'};
    EXPECT_EQ(DecodeDeviceName(utf8, 7), QString::fromUtf8("Zürich"));
    const uint8_t latin1[] = {'Z', 0xFC, 'r', 'i', 'c', 'h'};
    EXPECT_EQ(DecodeDeviceName(latin1, 6), QString::fromUtf8("Zürich"));
    const uint8_t control[] = {'A', 0x0A, 'B', 0x1B, '<', 'b', '>'};
    const QString name = DecodeDeviceName(control, 7);
    EXPECT_EQ(name, QString("A") + QChar::ReplacementCharacter + "B" + QChar::ReplacementCharacter +
                        "<b>");
    EXPECT_TRUE(DecodeDeviceName(control, 0).isEmpty());
}
