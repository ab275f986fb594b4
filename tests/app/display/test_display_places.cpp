// The display windows' headless helpers: where a window's place is kept per view and per group,
// what the current view counts and shows, and the twips conversions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "display/display_places.h"
#include "display/twips.h"
#include "display/view_items.h"
#include "group_list.h"
#include "setup_fixture.h"

using namespace Qt::StringLiterals;
using zelapp::DisplayKind;
using zelapp::SetupWindow;
using zelapp::WindowGeometry;

namespace {

WindowGeometry gridOf(const zelapp::group &g) {
    return {g.WindowGridTop, g.WindowGridLeft, g.WindowGridHeight, g.WindowGridWidth};
}
WindowGeometry barOf(const zelapp::group &g) {
    return {g.WindowBarTop, g.WindowBarLeft, g.WindowBarHeight, g.WindowBarWidth};
}

// --- display_places ---

struct ViewRecord {
    int viewType;
    DisplayKind kind;
    SetupWindow record;
};

TEST(DisplayPlaces, EachViewAndKindHasItsOwnSetupRecord) {
    const ViewRecord cases[] = {
        {zelapp::VIEWTYPECHANNELS, DisplayKind::Grid, SetupWindow::ChannelGrid},
        {zelapp::VIEWTYPECHANNELS, DisplayKind::Bars, SetupWindow::ChannelBar},
        {zelapp::VIEWTYPELVDTS, DisplayKind::Grid, SetupWindow::LvdtGrid},
        {zelapp::VIEWTYPELVDTS, DisplayKind::Bars, SetupWindow::LvdtBar},
        {zelapp::VIEWTYPEANALOGS, DisplayKind::Grid, SetupWindow::AnalogGrid},
        {zelapp::VIEWTYPEANALOGS, DisplayKind::Bars, SetupWindow::AnalogBar},
    };
    for (const ViewRecord &c : cases) {
        zeltest::SetupFixture f;
        zeltest::addGroup(f.setup, {1});
        f.state.ViewType = c.viewType;
        const WindowGeometry place{120, -30, 2400, 3600};
        zelapp::storeDisplayPlace(f.setup, f.state, c.kind, place);

        zelapp::SetupWindows expected{};
        zelapp::windowRecord(expected, c.record) = place;
        EXPECT_EQ(f.setup.windows(), expected) << c.viewType;
        EXPECT_EQ(gridOf(*f.setup.groupAt(1)), WindowGeometry{});
        // The analog view's places are kept in the setup but never restored.
        if (c.viewType == zelapp::VIEWTYPEANALOGS) {
            EXPECT_FALSE(zelapp::storedDisplayPlace(f.setup, f.state, c.kind));
        } else {
            EXPECT_EQ(zelapp::storedDisplayPlace(f.setup, f.state, c.kind), place) << c.viewType;
        }
    }
}

TEST(DisplayPlaces, GroupViewUsesTheShownGroupsOwnRecords) {
    zeltest::SetupFixture f;
    zelapp::group &first = zeltest::addGroup(f.setup, {1});
    zelapp::group &second = zeltest::addGroup(f.setup, {2});
    f.state.ViewType = zelapp::VIEWTYPEGROUPS;
    f.state.CurrentGroup = 2;

    zelapp::storeDisplayPlace(f.setup, f.state, DisplayKind::Grid, {1, 2, 3, 4});
    zelapp::storeDisplayPlace(f.setup, f.state, DisplayKind::Bars, {5, 6, 7, 8});
    EXPECT_EQ(gridOf(second), (WindowGeometry{1, 2, 3, 4}));
    EXPECT_EQ(barOf(second), (WindowGeometry{5, 6, 7, 8}));
    EXPECT_EQ(gridOf(first), WindowGeometry{});
    EXPECT_EQ(f.setup.windows(), zelapp::SetupWindows{});

    EXPECT_EQ(zelapp::storedDisplayPlace(f.setup, f.state, DisplayKind::Grid),
              (WindowGeometry{1, 2, 3, 4}));
    f.state.CurrentGroup = 1;  // never placed
    EXPECT_FALSE(zelapp::storedDisplayPlace(f.setup, f.state, DisplayKind::Grid));
}

TEST(DisplayPlaces, APlaceWithoutHeightIsNotRestored) {
    zeltest::SetupFixture f;
    zelapp::group &g = zeltest::addGroup(f.setup, {1});
    f.state.ViewType = zelapp::VIEWTYPECHANNELS;
    EXPECT_FALSE(zelapp::storedDisplayPlace(f.setup, f.state, DisplayKind::Grid));

    zelapp::windowRecord(f.setup.windows(), SetupWindow::ChannelGrid) = {10, 10, 0, 500};
    EXPECT_FALSE(zelapp::storedDisplayPlace(f.setup, f.state, DisplayKind::Grid));
    zelapp::windowRecord(f.setup.windows(), SetupWindow::ChannelGrid) = {10, 10, -1, 500};
    EXPECT_FALSE(zelapp::storedDisplayPlace(f.setup, f.state, DisplayKind::Grid));
    zelapp::windowRecord(f.setup.windows(), SetupWindow::ChannelGrid) = {10, 10, 1, 500};
    EXPECT_EQ(zelapp::storedDisplayPlace(f.setup, f.state, DisplayKind::Grid),
              (WindowGeometry{10, 10, 1, 500}));

    f.state.ViewType = zelapp::VIEWTYPEGROUPS;
    f.state.CurrentGroup = 1;
    g.WindowGridTop = 300;  // a place without height
    EXPECT_FALSE(zelapp::storedDisplayPlace(f.setup, f.state, DisplayKind::Grid));
}

TEST(DisplayPlaces, NoGroupToShowStoresAndRestoresNothing) {
    zeltest::SetupFixture f;
    zelapp::group &g = zeltest::addGroup(f.setup, {1});
    g.WindowGridHeight = 900;
    f.state.ViewType = zelapp::VIEWTYPEGROUPS;
    for (int current : {0, 2, -3}) {
        f.state.CurrentGroup = current;
        zelapp::storeDisplayPlace(f.setup, f.state, DisplayKind::Grid, {1, 2, 3, 4});
        EXPECT_FALSE(zelapp::storedDisplayPlace(f.setup, f.state, DisplayKind::Grid)) << current;
    }
    EXPECT_EQ(gridOf(g), (WindowGeometry{0, 0, 900, 0}));
    EXPECT_EQ(f.setup.windows(), zelapp::SetupWindows{});

    f.state.ViewType = 9;  // not a view
    zelapp::storeDisplayPlace(f.setup, f.state, DisplayKind::Grid, {1, 2, 3, 4});
    EXPECT_EQ(f.setup.windows(), zelapp::SetupWindows{});
    EXPECT_FALSE(zelapp::storedDisplayPlace(f.setup, f.state, DisplayKind::Grid));
}

TEST(DisplayPlaces, ValuesBeyondSixteenBitsAreHeldOnStore) {
    zeltest::SetupFixture f;
    zelapp::group &g = zeltest::addGroup(f.setup, {1});
    const WindowGeometry huge{40000, -40000, 32768, -32769};
    const WindowGeometry held{32767, -32768, 32767, -32768};

    f.state.ViewType = zelapp::VIEWTYPELVDTS;
    zelapp::storeDisplayPlace(f.setup, f.state, DisplayKind::Grid, huge);
    EXPECT_EQ(zelapp::windowRecord(f.setup.windows(), SetupWindow::LvdtGrid), held);

    f.state.ViewType = zelapp::VIEWTYPEGROUPS;
    f.state.CurrentGroup = 1;
    zelapp::storeDisplayPlace(f.setup, f.state, DisplayKind::Grid, huge);
    EXPECT_EQ(gridOf(g), held);
}

// --- view_items ---

TEST(ViewItems, CountPerView) {
    zeltest::SetupFixture f(6, 4, 2);
    zeltest::addGroup(f.setup, {3, 1, 5});
    zeltest::addGroup(f.setup, {});
    f.state.ViewType = zelapp::VIEWTYPECHANNELS;
    EXPECT_EQ(zelapp::viewItemCount(f.setup, f.state), 6);
    f.state.ViewType = zelapp::VIEWTYPELVDTS;
    EXPECT_EQ(zelapp::viewItemCount(f.setup, f.state), 4);
    f.state.ViewType = zelapp::VIEWTYPEANALOGS;
    EXPECT_EQ(zelapp::viewItemCount(f.setup, f.state), 2);

    f.state.ViewType = zelapp::VIEWTYPEGROUPS;
    f.state.CurrentGroup = 1;
    EXPECT_EQ(zelapp::viewItemCount(f.setup, f.state), 3);
    EXPECT_EQ(zelapp::shownGroup(f.setup, f.state), f.setup.groupAt(1));
    f.state.CurrentGroup = 2;
    EXPECT_EQ(zelapp::viewItemCount(f.setup, f.state), 0);
    for (int current : {0, 3}) {
        f.state.CurrentGroup = current;
        EXPECT_EQ(zelapp::viewItemCount(f.setup, f.state), 0) << current;
        EXPECT_EQ(zelapp::shownGroup(f.setup, f.state), nullptr) << current;
    }
    f.state.ViewType = 5;
    EXPECT_FALSE(zelapp::viewItemCount(f.setup, f.state));
}

TEST(ViewItems, ChannelAtAPosition) {
    zeltest::SetupFixture f(8, 8, 1);
    zeltest::addGroup(f.setup, {3, 1, 5});
    f.state.ViewType = zelapp::VIEWTYPEGROUPS;
    f.state.CurrentGroup = 1;
    EXPECT_EQ(zelapp::viewChannelAt(f.setup, f.state, 1), 3);
    EXPECT_EQ(zelapp::viewChannelAt(f.setup, f.state, 3), 5);
    EXPECT_EQ(zelapp::viewChannelAt(f.setup, f.state, 0), 0);
    EXPECT_EQ(zelapp::viewChannelAt(f.setup, f.state, 4), 0);
    f.state.CurrentGroup = 2;
    EXPECT_EQ(zelapp::viewChannelAt(f.setup, f.state, 1), 0);

    f.state.ViewType = zelapp::VIEWTYPECHANNELS;
    EXPECT_EQ(zelapp::viewChannelAt(f.setup, f.state, 1), 1);
    EXPECT_EQ(zelapp::viewChannelAt(f.setup, f.state, 8), 8);
    EXPECT_EQ(zelapp::viewChannelAt(f.setup, f.state, 9), 0);
    EXPECT_EQ(zelapp::viewChannelAt(f.setup, f.state, 0), 0);
    EXPECT_EQ(zelapp::viewChannelAt(f.setup, f.state, -1), 0);

    f.state.ViewType = zelapp::VIEWTYPELVDTS;  // probes are not channels
    EXPECT_EQ(zelapp::viewChannelAt(f.setup, f.state, 1), 0);
    f.state.ViewType = zelapp::VIEWTYPEANALOGS;
    EXPECT_EQ(zelapp::viewChannelAt(f.setup, f.state, 1), 0);
}

// --- twips ---

TEST(Twips, ToPixelsAtCommonDpis) {
    EXPECT_EQ(zelapp::twipsToPixels(1440, 96), 96);
    EXPECT_EQ(zelapp::twipsToPixels(1400, 96), 93);  // 93.33
    EXPECT_EQ(zelapp::twipsToPixels(1000, 96), 67);  // 66.67
    EXPECT_EQ(zelapp::twipsToPixels(1400, 144), 140);
    EXPECT_EQ(zelapp::twipsToPixels(1000, 144), 100);
    EXPECT_EQ(zelapp::twipsToPixels(-1000, 96), -67);
    EXPECT_EQ(zelapp::twipsToPixels(0, 96), 0);
}

TEST(Twips, ToTwipsAtCommonDpisHeldToSixteenBits) {
    EXPECT_EQ(zelapp::pixelsToTwips(96, 96), 1440);
    EXPECT_EQ(zelapp::pixelsToTwips(1, 96), 15);
    EXPECT_EQ(zelapp::pixelsToTwips(100, 144), 1000);
    EXPECT_EQ(zelapp::pixelsToTwips(-7, 144), -70);
    EXPECT_EQ(zelapp::pixelsToTwips(2184, 96), 32760);
    EXPECT_EQ(zelapp::pixelsToTwips(2185, 96), 32767);    // 32775 held
    EXPECT_EQ(zelapp::pixelsToTwips(-2185, 96), -32768);  // -32775 held
    // A place read back and converted again stays where it was.
    for (int px : {0, 1, 37, 640, 1919}) {
        for (double dpi : {96.0, 120.0, 144.0}) {
            EXPECT_EQ(zelapp::twipsToPixels(zelapp::pixelsToTwips(px, dpi), dpi), px) << dpi;
        }
    }
}

TEST(Twips, ClampRoundsToTheNearestAndHoldsTheRange) {
    EXPECT_EQ(zelapp::clampTwips(1234.4), 1234);
    EXPECT_EQ(zelapp::clampTwips(1234.6), 1235);
    EXPECT_EQ(zelapp::clampTwips(-1234.6), -1235);
    EXPECT_EQ(zelapp::clampTwips(32767.4), 32767);
    EXPECT_EQ(zelapp::clampTwips(32767.6), 32767);
    EXPECT_EQ(zelapp::clampTwips(-32768.6), -32768);
    EXPECT_EQ(zelapp::clampTwips(1e12), 32767);
    EXPECT_EQ(zelapp::clampTwips(-1e12), -32768);
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(zelapp::clampTwips(inf), 32767);
    EXPECT_EQ(zelapp::clampTwips(-inf), -32768);
    EXPECT_EQ(zelapp::clampTwips(std::nan("")), 0);
}

TEST(Twips, UnusableDpiCountsAsNinetySix) {
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    for (double dpi : {0.0, -96.0, nan, inf}) {
        EXPECT_EQ(zelapp::twipsToPixels(1440, dpi), 96) << dpi;
        EXPECT_EQ(zelapp::pixelsToTwips(96, dpi), 1440) << dpi;
    }
    EXPECT_EQ(zelapp::twipsToPixels(nan, 96), 0);
    EXPECT_EQ(zelapp::twipsToPixels(inf, 96), 0);
}

}  // namespace
