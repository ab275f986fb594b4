#include "stats/control_constants.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zelapp {

namespace {

// For n independent normal values with standard deviation sigma, W = R / sigma, the relative
// range, and Phi the standard normal distribution function:
//   d2 = E[W]   = integral over x of 1 - Phi(x)^n - (1 - Phi(x))^n
//   d3 = sd(W)  = sqrt(E[W^2] - d2^2), where
//        E[W^2] = 2 * double integral over s < t of
//                 1 - (1 - Phi(s))^n - Phi(t)^n + (Phi(t) - Phi(s))^n
//        (W^2 = 2 * the area of the pairs s < t with min <= s and t < max; the integrand is the
//        probability of that event).
// Both were integrated numerically (Simpson over -9..9, step 0.005) and are checked against a
// fresh integration in the tests. The rest follow in closed form:
//   c4 = E[s / sigma] = sqrt(2 / (n - 1)) * Gamma(n / 2) / Gamma((n - 1) / 2)
//   A2 = 3 / (d2 sqrt n)           X-bar limits from R-bar
//   A3 = 3 / (c4 sqrt n)           X-bar limits from s-bar
//   D3 = max(0, 1 - 3 d3 / d2)     R chart, lower
//   D4 = 1 + 3 d3 / d2             R chart, upper
//   B3 = max(0, 1 - 3 sqrt(1 - c4^2) / c4), B4 = 1 + 3 sqrt(1 - c4^2) / c4   s chart
//   E2 = 3 / d2                    individuals' limits from the moving range (n = 2)
struct RangeMoments {
    double d2;
    double d3;
};
constexpr std::array<RangeMoments, kMostConstantsN - 1> kRange{{
    {1.128379, 0.852505}, {1.692569, 0.888370}, {2.058751, 0.879811}, {2.325929, 0.864084},
    {2.534413, 0.848042}, {2.704357, 0.833208}, {2.847201, 0.819834}, {2.970026, 0.807837},
    {3.077505, 0.797053}, {3.172873, 0.787317}, {3.258455, 0.778481}, {3.335980, 0.770419},
    {3.406763, 0.763026}, {3.471827, 0.756214}, {3.531983, 0.749911}, {3.587884, 0.744055},
    {3.640064, 0.738594}, {3.688963, 0.733484}, {3.734950, 0.728689}, {3.778336, 0.724176},
    {3.819385, 0.719918}, {3.858323, 0.715890}, {3.895348, 0.712071}, {3.930629, 0.708444},
}};

ControlConstants derive(int n) {
    ControlConstants k;
    k.n = n;
    k.d2 = kRange[n - 2].d2;
    k.d3 = kRange[n - 2].d3;
    k.c4 = std::sqrt(2.0 / (n - 1)) * std::exp(std::lgamma(n / 2.0) - std::lgamma((n - 1) / 2.0));
    const double root = std::sqrt(double(n));
    k.A2 = 3 / (k.d2 * root);
    k.A3 = 3 / (k.c4 * root);
    k.D3 = std::max(0.0, 1 - 3 * k.d3 / k.d2);
    k.D4 = 1 + 3 * k.d3 / k.d2;
    const double sRatio = 3 * std::sqrt(1 - k.c4 * k.c4) / k.c4;
    k.B3 = std::max(0.0, 1 - sRatio);
    k.B4 = 1 + sRatio;
    k.E2 = 3 / k.d2;
    return k;
}

}  // namespace

const ControlConstants *controlConstants(int n) {
    if (n < 2 || n > kMostConstantsN) {
        return nullptr;
    }
    // Made once, read-only afterwards.
    static const std::array<ControlConstants, kMostConstantsN - 1> table = [] {
        std::array<ControlConstants, kMostConstantsN - 1> out;
        for (int i = 2; i <= kMostConstantsN; ++i) {
            out[i - 2] = derive(i);
        }
        return out;
    }();
    return &table[n - 2];
}

}  // namespace zelapp
