#include "support/CoreHarness.h"

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

Bytes Info(uint8_t flags, uint8_t outputs, uint8_t inputs, const std::string& name) {
    Bytes b;
    b.reserve(3 + name.size());
    b.push_back(flags);
    b.push_back(outputs);
    b.push_back(inputs);
    b.insert(b.end(), name.begin(), name.end());
    return b;
}

} // namespace

TEST(InfoReplies, BasicInformationRegistersAndSelectsTheFirstUnit) {
    CoreHarness h;
    h.core.link.senders.CmdGetUnitInfo(5, 0, 1);
    h.Reply(Info(0x03, 8, 4, "ABCD"));
    const UnitRef unit = h.core.model.FindUnit(5);
    ASSERT_TRUE(unit);
    EXPECT_EQ(h.core.model.objSelectedUnit, unit);
    EXPECT_EQ(unit->iMemoryCount(), 3);
    EXPECT_EQ(unit->iOutputCount(), 8);
    EXPECT_EQ(unit->iInputCount(), 4);
    EXPECT_EQ(unit->sName(), "ABCD");
    EXPECT_TRUE(unit->blConnected());
    EXPECT_EQ(unit->iMaxCommandLB(), 128);
    EXPECT_FALSE(unit->blExtendedInfoExist());
    EXPECT_FALSE(unit->objAudioINFO()->blEnabled());
    EXPECT_FALSE(unit->objVideoINFO()->blEnabled());
    EXPECT_TRUE(h.views.Called("ShowUnitRow(5)"));
    // Nothing to read on a unit with neither section: the read ends at once.
    EXPECT_FALSE(h.core.model.blLoadingStatus);
    EXPECT_FALSE(h.views.busyPointer);
    EXPECT_TRUE(h.views.qrdEnabled);
    EXPECT_TRUE(h.views.Called("FillMemoryLocations()"));
    EXPECT_TRUE(h.core.link.queue.SendQueue().empty());

    // A second unit only adds its row.
    h.core.link.senders.CmdGetUnitInfo(6, 0, 1);
    h.Reply(Info(0xCF, 8, 4, ""));
    EXPECT_EQ(h.core.model.objSelectedUnit, unit);
    EXPECT_EQ(h.core.model.FindUnit(6)->iMemoryCount(), 15); // all four bits
    EXPECT_TRUE(h.core.model.FindUnit(6)->objAudioINFO()->blEnabled());
    EXPECT_TRUE(h.core.model.FindUnit(6)->objVideoINFO()->blEnabled());
    EXPECT_TRUE(h.core.model.FindUnit(6)->sName().isEmpty());
}

TEST(InfoReplies, BothSectionsReadSwitchMapsStraightAway) {
    CoreHarness h;
    h.core.link.senders.CmdGetUnitInfo(2, 0, 1);
    h.Reply(Info(0xC3, 8, 4, "AV"));
    EXPECT_TRUE(h.core.model.blLoadingStatus);
    h.Sent();
    EXPECT_EQ(h.Waiting(), (std::vector<std::string>{"07:0:0"}));
    EXPECT_EQ(h.port.writes.back()[1], 0x08); // audio map first, written at once
    h.Reply({0x01, 0x02});
    h.Reply({0x01, 0x03});
    EXPECT_FALSE(h.core.model.blLoadingStatus); // the video map was the last step
    EXPECT_TRUE(h.views.Called("Setup_AllViews()"));
}

TEST(InfoReplies, ExtendedInformationComesFirstThenTheStatusInStepOrder) {
    CoreHarness h;
    h.core.link.senders.CmdGetUnitInfo(3, 0, 1);
    h.Sent();
    h.Reply(Info(0xE4, 8, 8, "Big"));
    EXPECT_EQ(h.Sent(), (std::vector<std::string>{"3F:1:0"}));
    EXPECT_TRUE(h.Waiting().empty()); // nothing else until the extended reply
    h.Reply({0x81, 0x80, 0xCF, 0x0F, 0x0A});
    const UnitRef unit = h.core.model.FindUnit(3);
    EXPECT_EQ(unit->iMaxCommandLB(), 254);
    EXPECT_TRUE(unit->objFirmwareVersion()->blEnabled());
    EXPECT_TRUE(unit->objVideoINFO()->blSupportEdidTypeSelect());
    EXPECT_EQ(unit->objAudioINFO()->iDelayUnit(), 10);
    EXPECT_EQ(unit->objAudioINFO()->iMaxDelayTime(), 1000);
    EXPECT_EQ(unit->objAudioINFO()->lMaxDelayLevel(), 100);
    EXPECT_TRUE(unit->objPlugINFO()->blSupportAudioOutputPlugDetection());
    EXPECT_TRUE(h.views.Called("Setup_SelectedDelayRange(1000,10)"));
    std::vector<std::string> all = h.Sent();
    const auto waiting = h.Waiting();
    all.insert(all.end(), waiting.begin(), waiting.end());
    EXPECT_EQ(all, (std::vector<std::string>{"08:0:0", "07:0:0", "31:0:0", "0A:0:0", "09:0:0",
                                             "0C:0:0", "0B:0:0", "11:0:0", "13:0:0", "15:0:0",
                                             "17:0:0", "19:0:0", "1D:0:0", "1F:0:0", "21:0:0"}));
    EXPECT_EQ(h.core.model.lLastStatusStep, 12);
}

TEST(InfoReplies, ExtendedReplyThatClaimsDelayWithoutItsMaximumChangesNothing) {
    CoreHarness h;
    h.core.link.senders.CmdGetUnitInfo(3, 0, 1);
    h.Reply(Info(0xE4, 8, 8, "Big"));
    h.Reply({0x81, 0x80, 0xCF, 0x0F}); // L = 4 with delay control
    const UnitRef unit = h.core.model.FindUnit(3);
    EXPECT_EQ(unit->iMaxCommandLB(), 128);
    EXPECT_TRUE(h.core.link.queue.IsWaitingForAnswer());
    h.clock.advance(300ms);
    EXPECT_EQ(h.Sent().back(), "3F:1:0"); // repeated
}

TEST(InfoReplies, ExtendedReplyForAnUnknownUnitIsNotTaken) {
    CoreHarness h;
    h.core.link.senders.CmdGetUnitInfo(9, 1, 1);
    h.Reply({0x00, 0x00, 0x00, 0x00});
    EXPECT_TRUE(h.core.link.queue.IsWaitingForAnswer());
    EXPECT_EQ(h.core.model.objUnits().Count(), 0);
}

TEST(InfoReplies, RefreshKeepsTheRowAndTheSelection) {
    CoreHarness h;
    h.core.link.senders.CmdGetUnitInfo(1, 0, 1);
    h.Reply(Info(0x03, 8, 4, "One"));
    h.core.link.senders.CmdGetUnitInfo(2, 0, 1);
    h.Reply(Info(0x03, 8, 4, "Two"));
    const UnitRef two = h.core.model.FindUnit(2);
    h.core.link.senders.CmdGetUnitInfo(2, 0, 1);
    h.Reply(Info(0x05, 16, 4, "Two bis"));
    EXPECT_EQ(h.core.model.FindUnit(2), two);
    EXPECT_EQ(two->sName(), "Two bis");
    EXPECT_EQ(two->iOutputCount(), 16);
    EXPECT_EQ(h.core.model.objUnits().Count(), 2);
    EXPECT_EQ(h.core.model.objSelectedUnit->bID(), 1);
}
