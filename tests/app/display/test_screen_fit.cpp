// A window kept on its screen: where it fits it stays, near an edge it moves in just enough,
// on a second screen it keeps to that screen, and one larger than the screen shows its top left.
#include "display/screen_fit.h"

#include <gtest/gtest.h>

namespace {

const QRect kScreen(0, 0, 1920, 1040);          // a work area above a task bar
const QRect kRightScreen(1920, 0, 1280, 1024);  // a second screen to its right
const QSize kDialog(272, 330);

TEST(FitOnScreen, MovesAWindowInJustEnoughToBeWhollyOnItsScreen) {
    struct Case {
        QRect screen;
        QPoint wanted, placed;
    };
    for (const Case &c : {
             Case{kScreen, {100, 200}, {100, 200}},
             Case{kScreen, {1648, 710}, {1648, 710}},  // touching the right and bottom edges
             Case{kScreen, {1649, 711}, {1648, 710}},
             Case{kScreen, {1900, 1030}, {1648, 710}},
             Case{kScreen, {-40, -5}, {0, 0}},
             Case{kRightScreen, {3190, 20}, {2928, 20}},
             Case{kRightScreen, {1925, 1000}, {1925, 694}},
         }) {
        SCOPED_TRACE(testing::Message() << c.wanted.x() << ", " << c.wanted.y());
        EXPECT_EQ(zelapp::fitOnScreen(QRect(c.wanted, kDialog), c.screen), c.placed);
    }
    // Larger than the screen: its top left stays in reach.
    EXPECT_EQ(zelapp::fitOnScreen(QRect(QPoint(500, 500), QSize(2000, 1200)), kScreen),
              QPoint(0, 0));
}

}  // namespace

namespace {

TEST(PlaceBeside, LeavesTheBarItWasOpenedFromInViewWhenThereIsRoom) {
    const QRect bar(800, 300, 60, 400);
    // Room on the right: beside the bar's right edge, at the wanted height.
    EXPECT_EQ(zelapp::placeBeside(QRect(QPoint(820, 500), kDialog), bar, kScreen),
              QPoint(860, 500));
    // Kept on the screen at the bottom.
    EXPECT_EQ(zelapp::placeBeside(QRect(QPoint(820, 1000), kDialog), bar, kScreen),
              QPoint(860, 710));
    // No room on the right: left of the bar.
    const QRect rightBar(1700, 300, 60, 400);
    EXPECT_EQ(zelapp::placeBeside(QRect(QPoint(1720, 400), kDialog), rightBar, kScreen),
              QPoint(1428, 400));
    // No room on either side: as fitOnScreen places it.
    const QRect wide(100, 300, 1700, 400);
    EXPECT_EQ(zelapp::placeBeside(QRect(QPoint(1800, 400), kDialog), wide, kScreen),
              zelapp::fitOnScreen(QRect(QPoint(1800, 400), kDialog), kScreen));
    // Exactly room on the right.
    const QRect edge(1588, 0, 60, 100);
    EXPECT_EQ(zelapp::placeBeside(QRect(QPoint(1600, 50), kDialog), edge, kScreen),
              QPoint(1648, 50));
}

}  // namespace
