// The arithmetic between a display window's stored place and its rectangles on screen. The
// place is the outer rectangle, frame included, in twips; the program sets and reads the client
// rectangle, and the window manager adds its frame around it, a frame that is known only once
// the window is on screen. Pure, so that every frame and minimum size can be tested headless.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>
#include <optional>

#include "setup/window_geometry.h"

namespace zelapp {

// The client rectangle, in pixels, that puts the outer rectangle at `place` inside `frame`. It
// is never smaller than `minimum` (nor than one pixel): such a window keeps its top left.
QRect clientRectForPlace(const WindowGeometry &place, const QMargins &frame, double dpi,
                         QSize minimum);

// An outer rectangle in pixels as a place in twips, each value held to 16 bits.
WindowGeometry placeOfOuterRect(const QRect &outer, double dpi);

// The place to store when the window loses activation. While the window still stands where the
// last restore put it (its client rectangle within a pixel of `restoredClient`), that is the
// stored place itself, so restoring and saving never moves or grows a window by rounding, by a
// frame or by a minimum size it could not honour; once it has been moved or resized it is the
// outer rectangle.
WindowGeometry placeToStore(const std::optional<WindowGeometry> &restored,
                            const QRect &restoredClient, const QRect &client, const QRect &outer,
                            double dpi);

}  // namespace zelapp
