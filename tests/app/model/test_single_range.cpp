// What a Single can hold: the one rule every check of a typed, read or computed number uses.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "model/single_range.h"

namespace {

TEST(SingleRange, FitsWhatStaysFiniteAsASingle) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        bool fits;
    } cases[] = {
        {0, true},
        {FLT_MAX, true},
        {-FLT_MAX, true},
        {3.4028235e38, true},  // the Single's own text of its largest value rounds back to it
        {0x1.fffffefffffffp+127, true},  // just short of half a step beyond
        {0x1.ffffffp+127, false},        // half a step beyond rounds to infinity
        {1e39, false},
        {-1e300, false},
        {inf, false},
        {std::nan(""), false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(zelapp::fitsSingle(c.value), c.fits) << c.value;
        if (c.fits) {
            EXPECT_TRUE(std::isfinite(zelapp::narrowToSingle(c.value))) << c.value;
        }
    }
    EXPECT_EQ(zelapp::narrowToSingle(-1e300), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(zelapp::narrowToSingle(0.5), 0.5f);
    EXPECT_TRUE(std::isnan(zelapp::narrowToSingle(std::nan(""))));
}

}  // namespace
