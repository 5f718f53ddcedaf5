#include "app/UnitRowTexts.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace quadrel;

namespace {

QRDSTA Unit(int id, bool audio, bool video) {
    QRDSTA u;
    u.setbID(static_cast<uint8_t>(id));
    u.setblConnected(true);
    u.setiInputCount(8);
    u.setiOutputCount(4);
    u.setiMemoryCount(15);
    auto a = std::make_shared<AUDIO_INFO>();
    a->setblEnabled(audio);
    u.setobjAudioINFO(a);
    auto v = std::make_shared<VIDEO_INFO>();
    v->setblEnabled(video);
    u.setobjVideoINFO(v);
    u.setobjPlugINFO(std::make_shared<PLUG_INFO>());
    u.setobjFirmwareVersion(std::make_shared<FIRMWARE_VERSION>());
    return u;
}

} // namespace

TEST(UnitRowTexts, KeysTextsAndCapabilities) {
    QRDSTA u = Unit(10, true, false);
    UnitRow row = UnitRowOf(u);
    EXPECT_EQ(row.key, "QRD10");
    EXPECT_EQ(row.text, "0A");
    EXPECT_EQ(row.tag, "10");
    EXPECT_EQ(row.iconKey, "GreenON");
    EXPECT_EQ(row.cells[static_cast<size_t>(UnitColumnOf("AV"))], "Audio");
    EXPECT_EQ(row.cells[static_cast<size_t>(UnitColumnOf("IO"))], "8/4");
    EXPECT_EQ(row.cells[static_cast<size_t>(UnitColumnOf("MEMORY"))], "15");
    // No delay control: both delay numbers empty, "Disable" under Delay.
    EXPECT_EQ(row.cells[static_cast<size_t>(UnitColumnOf("Delay"))], "Disable");
    EXPECT_EQ(row.cells[static_cast<size_t>(UnitColumnOf("Delay Unit"))], "");
    EXPECT_EQ(row.cells[static_cast<size_t>(UnitColumnOf("Max Delay"))], "");
    EXPECT_EQ(row.cells[static_cast<size_t>(UnitColumnOf("Firmware Version"))], "Unknow");

    u = Unit(31, false, true);
    u.setblConnected(false);
    u.objAudioINFO()->setblSupportDelayControl(true); // no audio: no delay either
    u.objFirmwareVersion()->setblEnabled(true);
    row = UnitRowOf(u);
    EXPECT_EQ(row.text, "1F");
    EXPECT_EQ(row.iconKey, "RedON");
    EXPECT_EQ(row.cells[2], "Video");
    EXPECT_EQ(row.cells[14], "Disable");
    EXPECT_EQ(row.cells[17], "");

    u = Unit(1, true, true);
    u.objAudioINFO()->setblSupportDelayControl(true);
    u.objAudioINFO()->setiDelayUnit(10);
    u.objAudioINFO()->setiMaxDelayTime(2500);
    row = UnitRowOf(u);
    EXPECT_EQ(row.cells[2], "Both");
    EXPECT_EQ(row.cells[15], "10");
    EXPECT_EQ(row.cells[16], "2500");
    EXPECT_EQ(UnitRowOf(Unit(2, false, false)).cells[2], "None");
}

TEST(UnitRowTexts, ColumnTables) {
    EXPECT_EQ(UnitColumnOf("Volumn"), 10);
    EXPECT_STREQ(UnitColumns()[10].header, "Volume");
    EXPECT_STREQ(UnitColumns()[2].toolTip, " Support Audio/Video switch tools request.");
    EXPECT_EQ(UnitColumnOf("nothing"), -1);
    EXPECT_EQ(MemoryColumnOf("Delay Time"), 8);
    EXPECT_STREQ(MemoryColumns()[0].header, "Port");
    EXPECT_EQ(OutputRowKey(7), "Output7");
}
