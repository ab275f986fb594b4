// A display window's stored place against its rectangles on screen: the frame the window
// manager adds, the minimum size, the rounding of twips to pixels, and what is stored back.
#include "view/window_frame.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "display/twips.h"

using zelapp::WindowGeometry;

namespace {

constexpr double kDpi = 96;  // 15 twips a pixel
const QMargins kOpenbox(1, 20, 1, 5);

// The outer rectangle the window manager puts around a client rectangle.
QRect outerOf(const QRect &client, const QMargins &frame) {
    return client.marginsAdded(frame);
}

void expectWithinAPixel(const WindowGeometry &a, const WindowGeometry &b) {
    EXPECT_LE(std::abs(a.Top - b.Top), 15);
    EXPECT_LE(std::abs(a.Left - b.Left), 15);
    EXPECT_LE(std::abs(a.Height - b.Height), 15);
    EXPECT_LE(std::abs(a.Width - b.Width), 15);
}

TEST(WindowFrame, TheOuterRectangleLandsOnThePlaceWhateverTheFrame) {
    const WindowGeometry place{2407, 77, 5103, 3661};  // not whole pixels
    for (const QMargins &frame : {QMargins(), kOpenbox, QMargins(4, 30, 4, 4)}) {
        const QRect client = zelapp::clientRectForPlace(place, frame, kDpi, QSize(10, 10));
        const QRect outer = outerOf(client, frame);
        EXPECT_EQ(outer.topLeft(), QPoint(5, 160));
        EXPECT_EQ(outer.size(), QSize(244, 340));
        expectWithinAPixel(zelapp::placeOfOuterRect(outer, kDpi), place);
    }
    // The client gets the outer size less the frame; giving it the outer size made windows grow
    // by their frame in every session.
    EXPECT_EQ(zelapp::clientRectForPlace(place, kOpenbox, kDpi, {}).size(), QSize(242, 315));
}

TEST(WindowFrame, APlaceBelowTheMinimumShowsAtTheMinimumFromItsTopLeft) {
    const QRect client =
        zelapp::clientRectForPlace({300, 300, 300, 300}, kOpenbox, kDpi, QSize(120, 80));
    EXPECT_EQ(client, QRect(21, 40, 120, 80));
    EXPECT_EQ(zelapp::clientRectForPlace({0, 0, -900, 0}, {}, kDpi, {}).size(), QSize(1, 1));
}

TEST(WindowFrame, TheRestoredPlaceIsStoredBackUntilTheWindowIsMovedOrResized) {
    const WindowGeometry small{300, 300, 300, 300};
    const QRect client = zelapp::clientRectForPlace(small, kOpenbox, kDpi, QSize(120, 80));
    const QRect outer = outerOf(client, kOpenbox);
    // Unchanged, whatever the rounding, the frame or the minimum did to the window.
    EXPECT_EQ(zelapp::placeToStore(small, client, client, outer, kDpi), small);
    EXPECT_EQ(zelapp::placeToStore(small, client, client.adjusted(1, 0, 1, 1), outer, kDpi), small);
    // Moved, resized, or never restored: where the window is.
    const QRect moved = client.translated(40, 0);
    EXPECT_EQ(zelapp::placeToStore(small, client, moved, outerOf(moved, kOpenbox), kDpi),
              zelapp::placeOfOuterRect(outerOf(moved, kOpenbox), kDpi));
    const QRect grown = client.adjusted(0, 0, 30, 0);
    EXPECT_EQ(zelapp::placeToStore(small, client, grown, outerOf(grown, kOpenbox), kDpi).Width,
              zelapp::pixelsToTwips(152, kDpi));
    EXPECT_EQ(zelapp::placeToStore(std::nullopt, client, client, outer, kDpi),
              zelapp::placeOfOuterRect(outer, kDpi));
}

}  // namespace
