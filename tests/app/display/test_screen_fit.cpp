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
