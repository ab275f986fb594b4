// The constants of Shewhart control charts for subgroups of n = 2 to 25, with the definitions
// they come from in the source file. Pure, Qt-free.
#pragma once

namespace zelapp {

struct ControlConstants {
    int n = 0;
    double d2 = 0;  // mean of the relative range W = R / sigma of n normal values
    double d3 = 0;  // standard deviation of W
    double c4 = 0;  // mean of s / sigma
    double A2 = 0, A3 = 0, D3 = 0, D4 = 0, B3 = 0, B4 = 0, E2 = 0;
};

inline constexpr int kMostConstantsN = 25;

// nullptr outside 2..25.
const ControlConstants *controlConstants(int n);

}  // namespace zelapp
