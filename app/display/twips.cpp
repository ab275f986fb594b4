#include "display/twips.h"

#include <algorithm>
#include <cmath>

namespace zelapp {

namespace {
constexpr double kDefaultDpi = 96.0;

double usableDpi(double dpi) {
    return dpi > 0 && std::isfinite(dpi) ? dpi : kDefaultDpi;
}
}  // namespace

int twipsToPixels(double twips, double dpi) {
    if (!std::isfinite(twips)) {
        return 0;
    }
    return static_cast<int>(std::lround(twips * usableDpi(dpi) / kTwipsPerInch));
}

int pixelsToTwips(double pixels, double dpi) {
    return clampTwips(pixels * kTwipsPerInch / usableDpi(dpi));
}

int clampTwips(double twips) {
    if (std::isnan(twips)) {
        return 0;
    }
    // Halves go to the even neighbour, as every conversion of a real to an Integer does.
    return static_cast<int>(std::nearbyint(std::clamp(twips, -32768.0, 32767.0)));
}

}  // namespace zelapp
