// The range of a Single, the unit's number: whether a computed or typed value can be held.
#pragma once

#include <cmath>
#include <limits>

namespace zelapp {

// Whether the value stays finite once it is a Single. Values a little beyond the largest Single
// still round to it; from half a step beyond, they would become infinite. Written as a
// comparison, since converting a double beyond a Single's range is undefined. NaN never fits.
inline bool fitsSingle(double value) {
    // The largest Single plus half its last step: 2^128 - 2^103.
    constexpr double kSingleOverflow = 0x1.ffffffp+127;
    return std::fabs(value) < kSingleOverflow;
}

// The value as a Single; beyond the range the infinity of its sign.
inline float narrowToSingle(double value) {
    if (std::isnan(value) || fitsSingle(value)) {
        return static_cast<float>(value);
    }
    return value < 0 ? -std::numeric_limits<float>::infinity()
                     : std::numeric_limits<float>::infinity();
}

}  // namespace zelapp
