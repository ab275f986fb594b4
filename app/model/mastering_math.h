// The arithmetic of mastering a channel: the zero offset that makes a reading on master 1 read
// master 1, and the scaling and zero offset that make readings on two masters read both. Each
// answers nothing when the result cannot be computed or would not fit a Single, the unit's
// number: the channel then keeps what it has.
#pragma once

#include <optional>

namespace zelapp {

// Two master readings closer than this cannot tell a scaling.
inline constexpr double kLeastReadingSpan = 0.00005;

// The new zero offset from a reading on master 1 taken with the old zero offset:
// master1 - (reading - oldZero).
std::optional<double> masteredZero(double master1, double reading, double oldZero);

struct MasterFit {
    double scaling = 1;
    double zero = 0;
};

// The new scaling and zero offset from readings on master 1 and master 2 taken with the old
// zero offset and scaling. The readings are taken back through both first; then
// scaling = (m1 - m2) / (r1 - r2) and zero = (m2 r1 - m1 r2) / (r1 - r2). Nothing for
// readings closer than kLeastReadingSpan or an old scaling of 0.
std::optional<MasterFit> twoMasterFit(double master1, double master2, double reading1,
                                      double reading2, double oldZero, double oldScaling);

}  // namespace zelapp
