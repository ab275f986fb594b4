// A result tile's tolerance bar, without drawing it: LoTol at the left end, HiTol at the right,
// the approach zones inside them, a marker at the value and an arrow at the end it lies beyond.
// So a technician sees how close to a limit a good part was. The bar shows the limits the
// verdict is judged by: all four, whichever of them the exports call one-sided.
#pragma once

#include <optional>
#include <vector>

#include "model/tolerance.h"
#include "model/verdict_marks.h"

namespace zelapp {

// A stretch of the bar in one zone, [left, right) in pixels from the bar's left edge.
struct BarSpan {
    int left = 0;
    int right = 0;
    BarZone zone = BarZone::Neutral;
    bool operator==(const BarSpan &) const = default;
};

struct ToleranceBar {
    // The zones from LoTol to HiTol, left to right; empty: no bar (no tolerance band, a limit
    // that is no number, or no room).
    std::vector<BarSpan> spans;
    // Where the value stands: the marker's x, held within the zones; none without a value.
    std::optional<int> marker;
    // -1: the value lies below LoTol, +1 above HiTol (an arrow at that end); 0: within.
    int beyond = 0;
    // The room kept at each end for the arrow, whether or not one is drawn, so that the zones
    // stay where they were from part to part.
    int arrowWidth = 0;
    bool operator==(const ToleranceBar &) const = default;
};

// Narrower than this the bar is left out: its zones would be a few pixels each.
inline constexpr int kLeastToleranceBarWidth = 48;

// The bar `width` by `height` pixels. The side the value lies beyond is the verdict's (judged at
// the shown digits), so the arrow always agrees with the tile's mark.
ToleranceBar toleranceBar(const ToleranceLimits &limits, std::optional<float> value,
                          ToleranceVerdict verdict, int width, int height);

}  // namespace zelapp
