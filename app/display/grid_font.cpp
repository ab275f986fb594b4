#include "display/grid_font.h"

#include <algorithm>

namespace zelapp {

int gridValuePixelSize(int height, int rows, int basePixels) {
    if (rows <= 0 || height <= 0) {
        return basePixels;
    }
    const long long pixels = static_cast<long long>(height) * kGridValueShareNum /
                             (static_cast<long long>(rows) * kGridValueShareDen);
    return std::max(basePixels, static_cast<int>(std::min<long long>(pixels, kGridValueMaxPixels)));
}

int gridRowHeight(int pixels, int baseRow) {
    const long long row =
        static_cast<long long>(std::max(pixels, 0)) * kGridValueShareDen / kGridValueShareNum;
    return std::max(baseRow, static_cast<int>(std::min<long long>(row, 1 << 20)));
}

namespace {
int scaled(int advance, int pixels, int measuredAt) {
    if (measuredAt <= 0) {
        return advance;
    }
    // Rounded up: a text one pixel short of its column is cut.
    return static_cast<int>((static_cast<long long>(advance) * pixels + measuredAt - 1) /
                            measuredAt);
}
}  // namespace

GridColumns gridColumns(int pixels, const GridAdvance &advance, const GridColumns &least) {
    const int margin = scaled(advance.margin, pixels, advance.pixels);
    return {std::max(least.value, scaled(advance.value, pixels, advance.pixels) + margin),
            std::max(least.mark, scaled(advance.mark, pixels, advance.pixels) + margin)};
}

int gridValuePixelsFitting(int byHeight, int basePixels, int width, int description,
                           const GridAdvance &advance, const GridColumns &least) {
    int pixels = byHeight;
    while (pixels > basePixels) {
        const GridColumns columns = gridColumns(pixels, advance, least);
        if (description + columns.value + columns.mark <= width) {
            break;
        }
        --pixels;
    }
    return std::max(pixels, basePixels);
}

}  // namespace zelapp
