// The group's channel list: order, doubles, removal at and past the ends.
#include <gtest/gtest.h>

#include "group_list.h"
#include "model/group.h"

namespace {

TEST(Group, NewGroupHasTwoBlanksInItsNameAndNothingElse) {
    zelapp::group g;
    g.SetDefaults(2);
    EXPECT_EQ(g.Index, 2);
    EXPECT_EQ(g.Description, QStringLiteral("Group  2"));
    EXPECT_EQ(g.Count, 0);
    EXPECT_EQ(g.WindowGridTop + g.WindowGridLeft + g.WindowGridHeight + g.WindowGridWidth, 0);
    EXPECT_EQ(g.WindowBarTop + g.WindowBarLeft + g.WindowBarHeight + g.WindowBarWidth, 0);
    EXPECT_EQ(g.WindowDialTop + g.WindowDialLeft + g.WindowDialHeight + g.WindowDialWidth, 0);
}

TEST(Group, KeepsTheOrderOfAddingAndAllowsDoubles) {
    zelapp::group g;
    g.AddChannel(3);
    g.AddChannel(1);
    g.AddChannel(3);
    EXPECT_EQ(g.Count, 3);
    EXPECT_EQ(zeltest::channelsOf(g), (std::vector<int>{3, 1, 3}));
}

TEST(Group, RemovesByPositionAndIgnoresPositionsOutsideTheList) {
    zelapp::group g;
    for (int ch : {3, 1, 3}) {
        g.AddChannel(ch);
    }
    g.RemoveChannel(1);
    EXPECT_EQ(zeltest::channelsOf(g), (std::vector<int>{1, 3}));
    g.RemoveChannel(5);
    g.RemoveChannel(0);
    g.RemoveChannel(-1);
    EXPECT_EQ(zeltest::channelsOf(g), (std::vector<int>{1, 3}));
    g.RemoveChannel(2);
    g.RemoveChannel(1);
    EXPECT_EQ(g.Count, 0);
    g.RemoveChannel(1);
    EXPECT_EQ(g.Count, 0);
    g.AddChannel(7);
    EXPECT_EQ(zeltest::channelsOf(g), (std::vector<int>{7}));
}

TEST(Group, PositionsOutsideTheListReadAsZero) {
    zelapp::group g;
    g.AddChannel(4);
    EXPECT_EQ(g.GetChannel(0), 0);
    EXPECT_EQ(g.GetChannel(2), 0);
    EXPECT_EQ(g.GetChannel(-3), 0);
}

TEST(Group, ACountSetFromOutsideDoesNotBreakTheList) {
    zelapp::group g;
    g.AddChannel(4);
    g.Count = 5;  // public and writable, though only the operations should change it
    EXPECT_EQ(g.GetChannel(3), 0);
    g.Count = -2;
    g.AddChannel(6);
    EXPECT_EQ(zeltest::channelsOf(g), (std::vector<int>{6}));
}

}  // namespace
