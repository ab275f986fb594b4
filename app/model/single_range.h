// The range of a Single, the unit's number: whether a computed or typed value can be held.
#pragma once

#include <cmath>

namespace zelapp {

// Whether the value stays finite once it is a Single. Values a little beyond the largest Single
// still round to it; from half a step beyond, they would become infinite. Written as a
// comparison, since converting a double beyond a Single's range is undefined. NaN never fits.
inline bool fitsSingle(double value) {
    // The largest Single plus half its last step: 2^128 - 2^103.
    constexpr double kSingleOverflow = 0x1.ffffffp+127;
    return std::fabs(value) < kSingleOverflow;
}

}  // namespace zelapp
