// What the grid shows per view: caption, header cell and the item descriptions; an empty or
// missing group gets the header row alone, and only an unknown view keeps what is shown.
#include <gtest/gtest.h>

#include "display/grid_rows.h"
#include "group_list.h"
#include "setup_fixture.h"

using namespace Qt::StringLiterals;

namespace {

TEST(GridRows, ChannelViewListsEveryChannel) {
    zeltest::SetupFixture f(3, 2, 1);
    f.setup.channel(2)->Description = u"Bore"_s;
    f.state.ViewType = zelapp::VIEWTYPECHANNELS;

    const zelapp::GridRows rows = zelapp::gridRows(f.setup, f.state);
    EXPECT_EQ(rows.caption, u"Channels"_s);
    ASSERT_TRUE(rows.table);
    EXPECT_EQ(rows.table->header, u"Channel"_s);
    EXPECT_EQ(rows.table->items, (QStringList{u"Channel 1"_s, u"Bore"_s, u"Channel 3"_s}));
}

TEST(GridRows, ProbeAndAnalogViews) {
    zeltest::SetupFixture f(3, 2, 2);
    f.setup.lvdt(2)->Description = u"Top"_s;
    f.state.ViewType = zelapp::VIEWTYPELVDTS;
    zelapp::GridRows rows = zelapp::gridRows(f.setup, f.state);
    EXPECT_EQ(rows.caption, u"LVDTs"_s);
    ASSERT_TRUE(rows.table);
    EXPECT_EQ(*rows.table, (zelapp::GridTable{u"LVDT"_s, {u"Lvdt 1"_s, u"Top"_s}}));

    f.state.ViewType = zelapp::VIEWTYPEANALOGS;
    rows = zelapp::gridRows(f.setup, f.state);
    EXPECT_EQ(rows.caption, u"Analogs"_s);
    ASSERT_TRUE(rows.table);
    EXPECT_EQ(*rows.table,
              (zelapp::GridTable{u"Analog Inputs"_s, {u"Analog  1"_s, u"Analog  2"_s}}));
}

TEST(GridRows, GroupViewListsTheGroupsChannelsInItsOrder) {
    zeltest::SetupFixture f(8, 1, 1);
    f.setup.channel(7)->Description = u"Seven"_s;
    zeltest::addGroup(f.setup, u"Empty"_s, {});
    zeltest::addGroup(f.setup, u"Front"_s, {7, 2, 7});
    f.state.ViewType = zelapp::VIEWTYPEGROUPS;
    f.state.CurrentGroup = 2;

    const zelapp::GridRows rows = zelapp::gridRows(f.setup, f.state);
    EXPECT_EQ(rows.caption, u"Group: Front"_s);
    ASSERT_TRUE(rows.table);
    EXPECT_EQ(*rows.table,
              (zelapp::GridTable{u"Front"_s, {u"Seven"_s, u"Channel 2"_s, u"Seven"_s}}));
}

TEST(GridRows, AnEmptyOrMissingGroupGetsTheHeaderRowOnly) {
    zeltest::SetupFixture f;
    zeltest::addGroup(f.setup, u"Empty"_s, {});
    f.state.ViewType = zelapp::VIEWTYPEGROUPS;
    f.state.CurrentGroup = 1;
    zelapp::GridRows rows = zelapp::gridRows(f.setup, f.state);
    EXPECT_EQ(rows.caption, u"Group: Empty"_s);
    EXPECT_EQ(rows.table, (zelapp::GridTable{u"Empty"_s, {}}));

    // Removed in the group dialog, or never there: no name either.
    for (int current : {0, 2, -1}) {
        f.state.CurrentGroup = current;
        rows = zelapp::gridRows(f.setup, f.state);
        EXPECT_EQ(rows.caption, u"Group: "_s) << current;
        EXPECT_EQ(rows.table, zelapp::GridTable{}) << current;
    }
}

TEST(GridRows, AnUnknownViewKeepsEverything) {
    zeltest::SetupFixture f;
    zeltest::addGroup(f.setup, u"Front"_s, {1});
    f.state.ViewType = 0;  // no view at all
    f.state.CurrentGroup = 1;
    EXPECT_FALSE(zelapp::gridRows(f.setup, f.state).caption);
    EXPECT_FALSE(zelapp::gridRows(f.setup, f.state).table);
}

TEST(GridRows, ItemsTheSetupDoesNotHoldShowEmptyCells) {
    zeltest::SetupFixture f(2, 1, 1);
    zeltest::addGroup(f.setup, u"Stale"_s, {2, 9});  // channel 9 is not in the setup
    f.state.ViewType = zelapp::VIEWTYPEGROUPS;
    f.state.CurrentGroup = 1;
    zelapp::GridRows rows = zelapp::gridRows(f.setup, f.state);
    ASSERT_TRUE(rows.table);
    EXPECT_EQ(rows.table->items, (QStringList{u"Channel 2"_s, QString()}));
}

}  // namespace
