#include "app/OutputSelection.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quadrel;

namespace {

std::vector<int> Selected(const PortTable<PORT_SELECT>& t) {
    std::vector<int> out;
    for (int o = 1; o <= kMaxPort; ++o) {
        if (t[o].blSelected) {
            out.push_back(o);
        }
    }
    return out;
}

constexpr int kShift = kShiftMask;
constexpr int kCtrl = kCtrlMask;

} // namespace

TEST(OutputSelection, PlainShiftAndCtrlClicks) {
    PortTable<PORT_SELECT> t;
    int anchor = -1;
    ApplyOutputClick(t, 8, anchor, 3, kLeftButton, 0);
    ApplyOutputClick(t, 8, anchor, 6, kLeftButton, kShift);
    EXPECT_EQ(Selected(t), (std::vector<int>{3, 4, 5, 6}));
    EXPECT_EQ(anchor, 3);
    ApplyOutputClick(t, 8, anchor, 4, kLeftButton, kCtrl);
    EXPECT_EQ(Selected(t), (std::vector<int>{3, 5, 6}));
    EXPECT_EQ(anchor, 4);
    // Shift from the new anchor upwards replaces the selection by the range.
    ApplyOutputClick(t, 8, anchor, 2, kLeftButton, kShift);
    EXPECT_EQ(Selected(t), (std::vector<int>{2, 3, 4}));
    // A plain click leaves only that output.
    ApplyOutputClick(t, 8, anchor, 7, kLeftButton, 0);
    EXPECT_EQ(Selected(t), (std::vector<int>{7}));
    EXPECT_EQ(anchor, 7);
}

TEST(OutputSelection, ShiftWithoutAnchorAddsAndOtherStatesSelectAlone) {
    PortTable<PORT_SELECT> t;
    int anchor = -1;
    t[2].blSelected = true;
    ApplyOutputClick(t, 8, anchor, 5, kLeftButton, kShift);
    EXPECT_EQ(Selected(t), (std::vector<int>{2, 5}));
    EXPECT_EQ(anchor, -1);
    // Ctrl+Shift is not "exactly Ctrl": the output is selected alone.
    ApplyOutputClick(t, 8, anchor, 4, kLeftButton, kShift | kCtrl);
    EXPECT_EQ(Selected(t), (std::vector<int>{4}));
    // The right button with Ctrl selects alone as well.
    ApplyOutputClick(t, 8, anchor, 1, 2, kCtrl);
    EXPECT_EQ(Selected(t), (std::vector<int>{1}));
}

TEST(OutputSelection, SelectAllAndAllSelected) {
    PortTable<PORT_SELECT> t;
    for (int o = 1; o <= 8; ++o) {
        t[o].blEnabled = true;
    }
    EXPECT_FALSE(IsAllOutputsSelected(t));
    ApplySelectAll(t, 8, false, true); // no unit answering: nothing changes
    EXPECT_TRUE(Selected(t).empty());
    ApplySelectAll(t, 8, true, true);
    EXPECT_EQ(Selected(t).size(), 8u);
    EXPECT_TRUE(IsAllOutputsSelected(t));
    t[200].blSelected = true;
    ApplySelectAll(t, 8, true, false);
    EXPECT_TRUE(Selected(t).empty());
    EXPECT_EQ(ShiftStateOf(Qt::ShiftModifier | Qt::ControlModifier), kShift | kCtrl);
    EXPECT_EQ(ShiftStateOf(Qt::KeypadModifier), 0);
}
