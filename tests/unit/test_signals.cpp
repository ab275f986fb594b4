// Signal sources: the noise generator, hand-set inputs and the demo gauging station.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <vector>

#include "signals.h"

namespace zelunit {
namespace {

using Demo = DemoSignal;

struct Stats {
    double mean = 0.0;
    double stddev = 0.0;
};

Stats statsOf(const std::vector<double> &values) {
    double sum = 0.0;
    double squares = 0.0;
    for (double v : values) {
        sum += v;
        squares += v * v;
    }
    const double n = static_cast<double>(values.size());
    const double mean = sum / n;
    return {mean, std::sqrt(squares / n - mean * mean)};
}

// Start of part k's measuring, in seconds.
double measuring(int k) {
    return k * Demo::kCycleSeconds + Demo::kEmptySeconds + Demo::kLoadSeconds;
}

TEST(NoiseTest, SameSeedRepeatsDifferentSeedDoesNot) {
    Noise a(42), b(42), c(43);
    int same = 0;
    for (int i = 0; i < 100; ++i) {
        const double x = a.gaussian(1.0);
        EXPECT_EQ(x, b.gaussian(1.0));
        same += x == c.gaussian(1.0);
    }
    EXPECT_EQ(same, 0);
}

TEST(NoiseTest, DrawsHaveTheRequestedSpread) {
    Noise noise(7);
    std::vector<double> uniform, gaussian;
    for (int i = 0; i < 200000; ++i) {
        uniform.push_back(noise.uniform());
        gaussian.push_back(noise.gaussian(2.5));
    }
    for (double u : uniform) {
        ASSERT_TRUE(u >= 0.0 && u < 1.0) << u;
    }
    EXPECT_NEAR(statsOf(uniform).mean, 0.5, 0.005);
    EXPECT_NEAR(statsOf(uniform).stddev, std::sqrt(1.0 / 12.0), 0.005);
    EXPECT_NEAR(statsOf(gaussian).mean, 0.0, 0.03);
    EXPECT_NEAR(statsOf(gaussian).stddev, 2.5, 0.03);
}

TEST(NoiseTest, ZeroSigmaGivesZeroAndDrawsNothing) {
    Noise a(5), b(5);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(a.gaussian(0.0), 0.0);
        EXPECT_EQ(a.gaussian(1.0), b.gaussian(1.0));
    }
}

TEST(FixedSignalTest, ReadsBackWhatWasSetExactlyWithoutNoise) {
    FixedSignal signal(8, 2);
    EXPECT_EQ(signal.probe(3, 0.0), 0.0);
    EXPECT_TRUE(signal.setProbe(3, 0.01234));
    EXPECT_TRUE(signal.setAnalog(2, 0.75));
    EXPECT_EQ(signal.probeValue(3), 0.01234);
    EXPECT_EQ(signal.analogValue(2), 0.75);
    for (double t : {0.0, 1.0, 1e6}) {
        EXPECT_EQ(signal.probe(3, t), 0.01234);
        EXPECT_EQ(signal.analog(2, t), 0.75);
        EXPECT_EQ(signal.probe(4, t), 0.0);
    }
}

TEST(FixedSignalTest, RefusesInputsOutOfRangeAndValuesNotFinite) {
    FixedSignal signal(2, 1, 0.001);
    signal.setProbe(1, 0.02);
    EXPECT_FALSE(signal.setProbe(0, 1.0));
    EXPECT_FALSE(signal.setProbe(3, 1.0));
    EXPECT_FALSE(signal.setAnalog(2, 1.0));
    EXPECT_FALSE(signal.setProbe(1, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(signal.setProbe(1, std::numeric_limits<double>::infinity()));
    EXPECT_EQ(signal.probeValue(1), 0.02);
    for (int n : {-1, 0, 3, 1000}) {
        EXPECT_EQ(signal.probe(n, 0.0), 0.0) << n;
        EXPECT_EQ(signal.probeValue(n), 0.0) << n;
    }
    EXPECT_EQ(signal.analog(2, 0.0), 0.0);
    FixedSignal none(-3, -1);
    EXPECT_FALSE(none.setProbe(1, 0.0));
    EXPECT_EQ(none.analog(1, 0.0), 0.0);
}

TEST(FixedSignalTest, NoisySamplesAverageToTheValue) {
    FixedSignal signal(1, 1, 0.001, 9);
    signal.setProbe(1, 0.02);
    std::vector<double> samples;
    for (int i = 0; i < 10000; ++i) {
        samples.push_back(signal.probe(1, 0.0));
    }
    EXPECT_NEAR(statsOf(samples).mean, 0.02, 0.00005);
    EXPECT_NEAR(statsOf(samples).stddev, 0.001, 0.00005);
}

TEST(DemoSignalTest, SameSeedRepeatsDifferentSeedDoesNot) {
    Demo a(8, 1, 3), b(8, 1, 3), c(8, 1, 4);
    int same = 0;
    for (double t = 0.0; t < 60.0; t += 0.4) {
        for (int n = 1; n <= 8; ++n) {
            const double x = a.probe(n, t);
            EXPECT_EQ(x, b.probe(n, t));
            same += x == c.probe(n, t);
        }
    }
    EXPECT_EQ(same, 0);
}

TEST(DemoSignalTest, PartsComeAndGoEveryCycle) {
    const Demo demo(8, 1);
    EXPECT_EQ(demo.partAt(0.0), -1) << "the fixture is empty at power-on";
    EXPECT_EQ(demo.phaseAt(0.1), Demo::Phase::Empty);
    EXPECT_EQ(demo.phaseAt(0.5), Demo::Phase::Loading);
    EXPECT_EQ(demo.phaseAt(2.0), Demo::Phase::Measuring);
    EXPECT_EQ(demo.phaseAt(4.8), Demo::Phase::Unloading);
    EXPECT_EQ(demo.partAt(2.0), 0);
    EXPECT_EQ(demo.partAt(measuring(37)), 37);
    EXPECT_FALSE(demo.partPresent(37 * Demo::kCycleSeconds + 0.1));
}

TEST(DemoSignalTest, ProbesRestAtTheirStopsWithoutAPart) {
    Demo demo(8, 0);
    for (int k : {0, 1, 100}) {
        for (int n = 1; n <= 8; ++n) {
            EXPECT_NEAR(demo.probe(n, k * Demo::kCycleSeconds + 0.1), Demo::kRestPosition, 0.0004);
        }
    }
}

TEST(DemoSignalTest, MeasuredPartsReadSmallDeviationsInsideFullScale) {
    Demo demo(8, 0);
    for (double t = measuring(0); t < 1000.0; t += 0.0371) {
        if (demo.phaseAt(t) != Demo::Phase::Measuring) {
            continue;
        }
        for (int n = 1; n <= 8; ++n) {
            const double v = demo.probe(n, t);
            ASSERT_LT(std::fabs(v), 0.005) << "probe " << n << " at " << t;
        }
    }
}

TEST(DemoSignalTest, ProbesTravelSmoothlyOntoAndOffThePart) {
    Demo demo(8, 0);
    double previous = demo.probe(1, 5.0);
    for (double t = 5.0; t < 10.0; t += 0.01) {
        const double v = demo.probe(1, t);
        ASSERT_LT(std::fabs(v - previous), 0.002) << t;
        previous = v;
    }
}

// Diameter at section A from opposite probes over one turn, with the drift taken off from the
// reading at the stops just before.
double diameterA(Demo &demo, int k) {
    const double drift = demo.probe(1, k * Demo::kCycleSeconds + 0.1) - Demo::kRestPosition;
    const double turn = 1.0 / Demo::kTurnsPerSecond;
    double sum = 0.0;
    const int steps = 100;
    for (int i = 0; i < steps; ++i) {
        const double t = measuring(k) + 0.5 + turn * i / steps;
        sum += demo.probe(1, t) + demo.probe(2, t) - 2.0 * drift;
    }
    return sum / steps;
}

TEST(DemoSignalTest, PartsDifferAndAFewAreOutOfTolerance) {
    Demo demo(8, 0);
    std::set<long> sizes;
    int rejects = 0;
    const int parts = 200;
    for (int k = 0; k < parts; ++k) {
        const double d = diameterA(demo, k);
        sizes.insert(std::lround(d * 1e5));
        rejects += std::fabs(d) > Demo::kDiameterTolerance;
        EXPECT_LT(std::fabs(d), 0.006);
    }
    EXPECT_GT(sizes.size(), 50u);
    EXPECT_GE(rejects, parts / 16);
    EXPECT_LE(rejects, parts / 4);
}

TEST(DemoSignalTest, RunoutSwingsAsThePartTurnsWhileLengthHoldsStill) {
    Demo demo(8, 0);
    double tir7 = 0.0, tir8 = 0.0, low7 = 1.0, high7 = -1.0, low8 = 1.0, high8 = -1.0;
    for (int k = 0; k < 20; ++k) {
        low7 = low8 = 1.0;
        high7 = high8 = -1.0;
        for (double t = measuring(k); t < measuring(k) + 2.0; t += 0.02) {
            low7 = std::min(low7, demo.probe(7, t));
            high7 = std::max(high7, demo.probe(7, t));
            low8 = std::min(low8, demo.probe(8, t));
            high8 = std::max(high8, demo.probe(8, t));
        }
        tir7 = std::max(tir7, high7 - low7);
        tir8 = std::max(tir8, high8 - low8);
    }
    EXPECT_GT(tir7, 0.0004);
    EXPECT_LT(tir8, 0.0003) << "noise only";
}

TEST(DemoSignalTest, ReadingsDependOnTheTimeNotOnWhatWasAskedBefore) {
    Demo direct(8, 0, 11), walked(8, 0, 11);
    for (double t = 0.0; t < 1000.0; t += 0.4) {
        walked.probe(3, t);
    }
    const double t = measuring(250) + 1.0;
    double a = 0.0, b = 0.0;
    for (int i = 0; i < 400; ++i) {
        a += direct.probe(3, t);
        b += walked.probe(3, t);
    }
    EXPECT_NEAR(a / 400, b / 400, 0.00001);
}

TEST(DemoSignalTest, AnalogInputsSwingSlowlyInsideFullScale) {
    Demo demo(8, 3);
    double low = 1.0, high = 0.0;
    for (double t = 0.0; t < 120.0; t += 0.4) {
        for (int n = 1; n <= 3; ++n) {
            const double v = demo.analog(n, t);
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    EXPECT_GT(low, 0.15);
    EXPECT_LT(high, 0.85);
    EXPECT_GT(high - low, 0.5);
    EXPECT_GT(std::fabs(demo.analog(1, 30.0) - demo.analog(2, 30.0)), 0.01) << "own phases";
    EXPECT_EQ(demo.analog(4, 30.0), 0.0);
}

TEST(DemoSignalTest, OtherProbeCountsAndOddArgumentsStayFinite) {
    Demo wide(12, 1), narrow(3, 0);
    const double t = measuring(4) + 1.0;
    EXPECT_LT(std::fabs(wide.probe(12, t)), 0.005);
    EXPECT_EQ(narrow.probe(4, t), 0.0);
    EXPECT_EQ(narrow.analog(1, t), 0.0);
    EXPECT_EQ(wide.probe(0, t), 0.0);
    EXPECT_EQ(wide.probe(13, t), 0.0);
    const double inf = std::numeric_limits<double>::infinity();
    for (double odd : {0.0, -5.0, 1e9, 1e300, -inf, inf, std::nan("")}) {
        for (int n = 1; n <= 12; ++n) {
            EXPECT_TRUE(std::isfinite(wide.probe(n, odd))) << odd;
            EXPECT_LT(std::fabs(wide.probe(n, odd)), Demo::kFullScale) << odd;
        }
        EXPECT_TRUE(std::isfinite(wide.analog(1, odd))) << odd;
        EXPECT_GE(wide.partAt(odd), -1) << odd;
    }
    EXPECT_EQ(wide.partAt(-5.0), -1) << "before power-on";
}

}  // namespace
}  // namespace zelunit
