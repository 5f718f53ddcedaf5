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

// The audio-only unit without delay is covered by the pane's own test; these
// are the other branches of the row texts.
TEST(UnitRowTexts, CapabilityBranches) {
    QRDSTA u = Unit(31, false, true);
    u.setblConnected(false);
    u.objAudioINFO()->setblSupportDelayControl(true); // no audio: no delay either
    u.objFirmwareVersion()->setblEnabled(true);
    UnitRow row = UnitRowOf(u);
    EXPECT_EQ(row.text, "1F");
    EXPECT_EQ(row.key, "QRD31");
    EXPECT_EQ(row.iconKey, "RedON");
    EXPECT_EQ(row.cells[static_cast<size_t>(UnitColumnOf("AV"))], "Video");
    EXPECT_EQ(row.cells[static_cast<size_t>(UnitColumnOf("Delay"))], "Disable");
    EXPECT_EQ(row.cells[static_cast<size_t>(UnitColumnOf("Max Delay"))], "");
    EXPECT_EQ(row.cells[static_cast<size_t>(UnitColumnOf("Firmware Version"))], "");

    u = Unit(1, true, true);
    u.objAudioINFO()->setblSupportDelayControl(true);
    u.objAudioINFO()->setiDelayUnit(10);
    u.objAudioINFO()->setiMaxDelayTime(2500);
    row = UnitRowOf(u);
    EXPECT_EQ(row.cells[static_cast<size_t>(UnitColumnOf("AV"))], "Both");
    EXPECT_EQ(row.cells[static_cast<size_t>(UnitColumnOf("Delay Unit"))], "10");
    EXPECT_EQ(row.cells[static_cast<size_t>(UnitColumnOf("Max Delay"))], "2500");
    EXPECT_EQ(UnitRowOf(Unit(2, false, false)).cells[static_cast<size_t>(UnitColumnOf("AV"))],
              "None");
}
