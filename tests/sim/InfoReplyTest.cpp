#include "SimLineFixture.h"

#include <string>

namespace quadrel::sim::test {
namespace {

// What the program reads from the two information replies, decoded by the
// bit tables of the protocol, independently of how the emulator builds them.
struct Decoded {
    int memories = 0;
    bool extended = false, video = false, audio = false;
    int outputs = 0, inputs = 0;
    std::string name;
    bool firmwareReadable = false;
    int maxPayload = 0;
    bool edid = false, volume = false, bass = false, treble = false, subwoofer = false;
    bool delay = false;
    int delayUnit = 0, maxDelayMs = 0;
    bool vInPlug = false, aInPlug = false, vOutPlug = false, aOutPlug = false;
};

bool BitOf(uint8_t b, int bit) {
    return ((b >> bit) & 1) != 0;
}

Decoded Decode(const Bytes& basic, const Bytes& extended) {
    Decoded d;
    const uint8_t* p = basic.data() + 2; // after address and L
    d.memories = p[0] & 0x0F;
    d.extended = BitOf(p[0], 5);
    d.video = BitOf(p[0], 6);
    d.audio = BitOf(p[0], 7);
    d.outputs = p[1];
    d.inputs = p[2];
    d.name.assign(basic.begin() + 5, basic.end() - 1);
    if (extended.size() >= 3 + 4) {
        const uint8_t* e = extended.data() + 2;
        d.firmwareReadable = BitOf(e[0], 0);
        d.maxPayload = BitOf(e[0], 7) ? 254 : 128;
        d.edid = BitOf(e[1], 7);
        d.volume = BitOf(e[2], 0);
        d.bass = BitOf(e[2], 1);
        d.treble = BitOf(e[2], 2);
        d.subwoofer = BitOf(e[2], 3);
        d.delay = BitOf(e[2], 6);
        d.delayUnit = BitOf(e[2], 7) ? 10 : 5;
        d.vInPlug = BitOf(e[3], 0);
        d.aInPlug = BitOf(e[3], 1);
        d.vOutPlug = BitOf(e[3], 2);
        d.aOutPlug = BitOf(e[3], 3);
        if (extended[1] >= 5) {
            d.maxDelayMs = e[4] * 100;
        }
    }
    return d;
}

bool CrcHolds(const Bytes& frame) {
    return !frame.empty() && basCRC8_Dallas_1_Wire::CalculateCrc8(
                                 frame, static_cast<int>(frame.size()) - 1) == frame.back();
}

class InfoReplies : public SimLineFixture {};

TEST_F(InfoReplies, BasicInformationOfTheProtocolExample) {
    UnitConfig c;
    c.id = 0;
    c.memories = 3;
    c.outputs = 8;
    c.inputs = 4;
    c.name = "QRD1";
    c.audio = c.video = c.extendedInfo = false;
    ASSERT_TRUE(port.engine().addUnit(c));
    const Bytes reply = ask({0x20, 0x3F, 0x00, 0x00, 0xF1});
    ASSERT_GE(reply.size(), 3u);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 5), (Bytes{0x80, 0x07, 0x03, 0x08, 0x04}));
    EXPECT_TRUE(CrcHolds(reply));
    EXPECT_TRUE(ask(0, 0x3F, 1, 0).empty()); // no extended information to give
    EXPECT_TRUE(ask(0, 0x3F, 2, 0).empty()); // no such page
}

TEST_F(InfoReplies, BothRepliesDecodeToTheConfiguredUnit) {
    UnitConfig c;
    c.id = 9;
    c.name = "Studio A";
    c.memories = 15;
    c.inputs = 20;
    c.outputs = 12;
    c.video = false;
    c.bass = false;
    c.subwoofer = false;
    c.delayStepMs = 10;
    c.maxDelayTenths = 35;
    c.videoInputPlug = false;
    c.audioOutputPlug = true;
    c.edidSelect = false;
    c.longFrames = true;
    c.firmwareReadable = true;
    c.firmwareMajor = 2;
    c.firmwareMinor = 1;
    c.firmwareRevision = 10;
    ASSERT_TRUE(port.engine().addUnit(c));

    const Bytes basic = ask(9, 0x3F, 0, 0);
    const Bytes extended = ask(9, 0x3F, 1, 0);
    ASSERT_TRUE(CrcHolds(basic));
    ASSERT_TRUE(CrcHolds(extended));
    EXPECT_EQ(basic[0], 0x89);
    EXPECT_EQ(extended[1], 5);
    const Decoded d = Decode(basic, extended);
    EXPECT_EQ(d.memories, 15);
    EXPECT_TRUE(d.extended);
    EXPECT_TRUE(d.audio);
    EXPECT_FALSE(d.video);
    EXPECT_EQ(d.outputs, 12);
    EXPECT_EQ(d.inputs, 20);
    EXPECT_EQ(d.name, "Studio A");
    EXPECT_TRUE(d.firmwareReadable);
    EXPECT_EQ(d.maxPayload, 254);
    EXPECT_FALSE(d.edid);
    EXPECT_TRUE(d.volume);
    EXPECT_FALSE(d.bass);
    EXPECT_TRUE(d.treble);
    EXPECT_FALSE(d.subwoofer);
    EXPECT_TRUE(d.delay);
    EXPECT_EQ(d.delayUnit, 10);
    EXPECT_EQ(d.maxDelayMs, 3500);
    EXPECT_FALSE(d.vInPlug);
    EXPECT_TRUE(d.aInPlug);
    EXPECT_TRUE(d.vOutPlug);
    EXPECT_TRUE(d.aOutPlug);

    // Firmware 2.1.10 travels as 21 0A.
    const Bytes fw = ask(9, 0x31, 0, 0);
    EXPECT_EQ(Bytes(fw.begin(), fw.end() - 1), (Bytes{0x89, 0x02, 0x21, 0x0A}));
    EXPECT_TRUE(CrcHolds(fw));
    // What the unit lacks it does not answer.
    EXPECT_TRUE(ask(9, 0x15, 0, 0).empty()); // bass
    EXPECT_TRUE(ask(9, 0x07, 0, 0).empty()); // video switch
    EXPECT_TRUE(ask(9, 0x21, 0, 0).empty()); // EDID
    EXPECT_TRUE(ask(9, 0x09, 0, 0).empty()); // video input plugs
    EXPECT_EQ(ask(9, 0x17, 0, 0)[1], 24);    // treble of 12 outputs
}

TEST_F(InfoReplies, LongNamesAreCutToFitTheLengthByte) {
    UnitConfig c;
    c.id = 2;
    c.name = std::string(300, 'x');
    ASSERT_TRUE(port.engine().addUnit(c));
    const Bytes basic = ask(2, 0x3F, 0, 0);
    ASSERT_EQ(basic.size(), 255u + 3);
    EXPECT_EQ(basic[1], 255);
    EXPECT_TRUE(CrcHolds(basic));
}

} // namespace
} // namespace quadrel::sim::test
