// The control chart constants: the table against a fresh numeric integration of their
// definitions, and against the classic published values to their printed digits.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "stats/control_constants.h"

using namespace zelapp;

namespace {

double phi(double x) {
    return 0.5 * std::erfc(-x / std::sqrt(2.0));
}

// d2 and d3 integrated from their definitions with the trapezoid rule, coarser than the table's.
struct Integrated {
    double d2 = 0;
    double d3 = 0;
};

Integrated integrate(int n) {
    const double from = -8;
    const int steps = 800;
    const double h = 16.0 / steps;
    std::vector<double> p(steps + 1);
    for (int i = 0; i <= steps; ++i) {
        p[size_t(i)] = phi(from + i * h);
    }
    const auto weight = [](int i, int last) { return i == 0 || i == last ? 0.5 : 1.0; };
    Integrated out;
    for (int i = 0; i <= steps; ++i) {
        out.d2 +=
            weight(i, steps) * (1 - std::pow(p[size_t(i)], n) - std::pow(1 - p[size_t(i)], n));
    }
    out.d2 *= h;
    double squared = 0;
    for (int t = 0; t <= steps; ++t) {
        double inner = 0;
        for (int s = 0; s <= t; ++s) {
            const double ps = p[size_t(s)];
            const double pt = p[size_t(t)];
            inner +=
                weight(s, t) * (1 - std::pow(1 - ps, n) - std::pow(pt, n) + std::pow(pt - ps, n));
        }
        squared += weight(t, steps) * inner * h;
    }
    squared *= 2 * h;
    out.d3 = std::sqrt(squared - out.d2 * out.d2);
    return out;
}

}  // namespace

TEST(ControlConstants, OnlyTwoToTwentyFive) {
    EXPECT_EQ(controlConstants(1), nullptr);
    EXPECT_EQ(controlConstants(26), nullptr);
    ASSERT_NE(controlConstants(2), nullptr);
    ASSERT_NE(controlConstants(25), nullptr);
    EXPECT_EQ(controlConstants(25)->n, 25);
}

TEST(ControlConstants, RangeMomentsMatchTheirIntegrals) {
    for (int n = 2; n <= 25; ++n) {
        const Integrated fresh = integrate(n);
        const ControlConstants &k = *controlConstants(n);
        EXPECT_NEAR(k.d2, fresh.d2, 5e-4) << "n = " << n;
        EXPECT_NEAR(k.d3, fresh.d3, 5e-4) << "n = " << n;
    }
}

TEST(ControlConstants, ClassicValuesToTheirDigits) {
    struct Classic {
        int n;
        double d2, d3, c4, A2, A3, D3, D4, B3, B4;
    };
    // As printed in the quality control handbooks' tables, rounded to 3 or 4 places.
    const Classic classic[] = {
        {2, 1.128, 0.853, 0.7979, 1.880, 2.659, 0, 3.267, 0, 3.267},
        {5, 2.326, 0.864, 0.9400, 0.577, 1.427, 0, 2.114, 0, 2.089},
        {7, 2.704, 0.833, 0.9594, 0.419, 1.182, 0.076, 1.924, 0.118, 1.882},
        {10, 3.078, 0.797, 0.9727, 0.308, 0.975, 0.223, 1.777, 0.284, 1.716},
        {25, 3.931, 0.708, 0.9896, 0.153, 0.606, 0.459, 1.541, 0.565, 1.435},
    };
    for (const Classic &c : classic) {
        const ControlConstants &k = *controlConstants(c.n);
        EXPECT_NEAR(k.d2, c.d2, 6e-4) << c.n;
        EXPECT_NEAR(k.d3, c.d3, 6e-4) << c.n;
        EXPECT_NEAR(k.c4, c.c4, 6e-5) << c.n;
        EXPECT_NEAR(k.A2, c.A2, 6e-4) << c.n;
        EXPECT_NEAR(k.A3, c.A3, 6e-4) << c.n;
        EXPECT_NEAR(k.D3, c.D3, 6e-4) << c.n;
        EXPECT_NEAR(k.D4, c.D4, 6e-4) << c.n;
        EXPECT_NEAR(k.B3, c.B3, 6e-4) << c.n;
        EXPECT_NEAR(k.B4, c.B4, 6e-4) << c.n;
    }
    EXPECT_NEAR(controlConstants(2)->E2, 2.659, 6e-4);
}
