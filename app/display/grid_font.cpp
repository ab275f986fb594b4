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

}  // namespace zelapp
