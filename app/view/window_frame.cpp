#include "view/window_frame.h"

#include <algorithm>
#include <cstdlib>

#include "display/twips.h"

namespace zelapp {

namespace {

// Within a pixel: a window manager may round a size it was asked for.
bool near(int a, int b) {
    return std::abs(a - b) <= 1;
}

bool near(const QRect &a, const QRect &b) {
    return near(a.x(), b.x()) && near(a.y(), b.y()) && near(a.width(), b.width()) &&
           near(a.height(), b.height());
}

}  // namespace

QRect clientRectForPlace(const WindowGeometry &place, const QMargins &frame, double dpi,
                         QSize minimum) {
    const int width = twipsToPixels(place.Width, dpi) - frame.left() - frame.right();
    const int height = twipsToPixels(place.Height, dpi) - frame.top() - frame.bottom();
    return {twipsToPixels(place.Left, dpi) + frame.left(),
            twipsToPixels(place.Top, dpi) + frame.top(), std::max({width, minimum.width(), 1}),
            std::max({height, minimum.height(), 1})};
}

WindowGeometry placeOfOuterRect(const QRect &outer, double dpi) {
    return {pixelsToTwips(outer.y(), dpi), pixelsToTwips(outer.x(), dpi),
            pixelsToTwips(outer.height(), dpi), pixelsToTwips(outer.width(), dpi)};
}

WindowGeometry placeToStore(const std::optional<WindowGeometry> &restored,
                            const QRect &restoredClient, const QRect &client, const QRect &outer,
                            double dpi) {
    if (restored && near(client, restoredClient)) {
        return *restored;
    }
    return placeOfOuterRect(outer, dpi);
}

}  // namespace zelapp
