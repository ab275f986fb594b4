// A scan: inputs through their amplifiers, burst and running averages, limits, and the
// channels evaluated from the fresh readings.
#include <gtest/gtest.h>

#include <cmath>

#include "amplifier.h"
#include "input_bank.h"
#include "unit_harness.h"

namespace {

namespace code = zelproto::code;
namespace st = zelproto::status;
using zeltest::UnitHarness;

// Hands out a fixed sequence of samples, one per call, the same for every input.
class ScriptedSignal : public zelunit::SignalSource {
  public:
    explicit ScriptedSignal(std::vector<double> samples) : samples_(std::move(samples)) {}
    double probe(int, double) override { return next(); }
    double analog(int, double) override { return next(); }

  private:
    double next() { return samples_[at_++ % samples_.size()]; }
    std::vector<double> samples_;
    std::size_t at_ = 0;
};

TEST(Amplifier, GainFollowsTheCalibrationFormula) {
    EXPECT_NEAR(zelunit::amplifierGain({255, 85, 0, 0}), 3.970329, 1e-6);
    EXPECT_NEAR(zelunit::amplifierGain({0, 85, 0, 0}), 1.014835, 1e-6);
    EXPECT_NEAR(zelunit::amplifierGain({255, 30, 0, 0}), 9.193094, 1e-6);
    EXPECT_NEAR(zelunit::amplifierGain({255, 85, 100, 0}), 4.069587, 1e-6);
    EXPECT_DOUBLE_EQ(zelunit::gainRatio(zelunit::kNominalAmplifier), 1.0);
}

TEST(ProbeReading, NominalAmplifierReadsTheDisplacementOneToOne) {
    UnitHarness h;
    h.signal.setProbe(3, 0.0123);
    h.scan();
    EXPECT_NEAR(h.read(code::ReadLvdt, 3), 0.0123f, 1e-9);
    EXPECT_EQ(h.read(code::ReadLvdt, 4), 0.0f);
}

TEST(ProbeReading, GainNullAndZeroShiftTheReading) {
    UnitHarness h;
    h.signal.setProbe(1, 0.002);
    h.request(code::SetLvdtGain, {1, 255, 30});
    h.scan();
    const double ratio = 9.193094 / zelunit::amplifierGain(zelunit::kNominalAmplifier);
    EXPECT_NEAR(h.read(code::ReadLvdt, 1), 0.002 * ratio, 1e-7);

    h.request(code::SetLvdtGain, {1, 128, 60});
    h.request(code::SetLvdtNull, {1, 100, 0});  // 100 thousandths of the 0.05 full scale
    h.set(code::SetTzero, 1, 0.001f);
    h.scan();
    EXPECT_NEAR(h.read(code::ReadLvdt, 1), 0.002 + 0.005 + 0.001, 1e-7);
}

TEST(ProbeReading, IsLimitedALittleBeyondFullScale) {
    UnitHarness h;
    h.signal.setProbe(1, 1.0);
    h.signal.setProbe(2, -1.0);
    h.scan();
    EXPECT_FLOAT_EQ(h.read(code::ReadLvdt, 1), 0.0525f);
    EXPECT_FLOAT_EQ(h.read(code::ReadLvdt, 2), -0.0525f);
    h.set(code::SetTfsv, 1, 0.05f);  // full scale 0.2
    h.scan();
    EXPECT_FLOAT_EQ(h.read(code::ReadLvdt, 1), 0.21f);
}

TEST(AnalogReading, AddsItsZeroAndIsLimitedToItsFullScale) {
    UnitHarness h;
    h.signal.setAnalog(1, 0.5);
    h.set(code::SetAzero, 1, 0.25f);
    h.scan();
    EXPECT_FLOAT_EQ(h.read(code::ReadAnalog, 1), 0.75f);
    h.set(code::SetAfsv, 1, 0.6f);
    h.scan();
    EXPECT_FLOAT_EQ(h.read(code::ReadAnalog, 1), 0.6f);
    h.signal.setAnalog(1, -3.0);
    h.scan();
    EXPECT_FLOAT_EQ(h.read(code::ReadAnalog, 1), -0.6f);
    EXPECT_EQ(h.request(code::ReadAnalog, {2}).status, st::BadProbe);
}

TEST(Averaging, EachScanAveragesABurstOfSamples) {
    ScriptedSignal signal({0.001, 0.003});
    zelunit::InputBank bank(1, 1);
    bank.setAdcAverage(1);
    bank.sample(signal, 0.0);
    EXPECT_DOUBLE_EQ(bank.probeReading(1), 0.001);
    EXPECT_DOUBLE_EQ(bank.analogReading(1), 0.003);
    bank.setAdcAverage(2);
    bank.sample(signal, 0.0);
    EXPECT_DOUBLE_EQ(bank.probeReading(1), 0.002);
    EXPECT_DOUBLE_EQ(bank.analogReading(1), 0.002);
}

TEST(Averaging, TheRunningAverageSpansTheLastScans) {
    zelunit::FixedSignal signal(1, 0);
    zelunit::InputBank bank(1, 0);
    bank.setAdcAverage(1);
    bank.setRunningAverage(4);
    signal.setProbe(1, 0.004);
    bank.sample(signal, 0.0);
    EXPECT_DOUBLE_EQ(bank.probeReading(1), 0.004);  // averages what it has so far
    signal.setProbe(1, 0.0);
    std::vector<double> seen;
    for (int i = 0; i < 4; ++i) {
        bank.sample(signal, 0.0);
        seen.push_back(bank.probeReading(1));
    }
    EXPECT_NEAR(seen[0], 0.002, 1e-12);
    EXPECT_NEAR(seen[1], 0.004 / 3, 1e-12);
    EXPECT_NEAR(seen[2], 0.001, 1e-12);
    EXPECT_NEAR(seen[3], 0.0, 1e-12);
    // A new length starts afresh from the next scan.
    signal.setProbe(1, 0.008);
    bank.setRunningAverage(2);
    bank.sample(signal, 0.0);
    EXPECT_DOUBLE_EQ(bank.probeReading(1), 0.008);
}

TEST(Averaging, NoiseAveragesDownWithTheBurst) {
    auto spread = [](int burst) {
        zelunit::FixedSignal signal(1, 0, 0.001, 42);
        zelunit::InputBank bank(1, 0);
        bank.setAdcAverage(burst);
        double sum = 0.0, squares = 0.0;
        constexpr int kScans = 2000;
        for (int i = 0; i < kScans; ++i) {
            bank.sample(signal, 0.0);
            sum += bank.probeReading(1);
            squares += bank.probeReading(1) * bank.probeReading(1);
        }
        const double mean = sum / kScans;
        return std::sqrt(squares / kScans - mean * mean);
    };
    EXPECT_NEAR(spread(1), 0.001, 0.0001);
    EXPECT_NEAR(spread(16), 0.00025, 0.00004);
}

TEST(Scanning, ChannelsSeeTheReadingsOfTheSameScan) {
    UnitHarness h;
    ASSERT_EQ(h.define(1, "(T1+T2)/2"), st::Ok);
    ASSERT_EQ(h.define(2, "GOR(T1:T3)-LOR(T1:T3)"), st::Ok);
    ASSERT_EQ(h.define(3, "C1*1000"), st::Ok);
    h.set(code::SetCscale, 3, 2.0f);
    h.set(code::SetCzero, 3, 1.0f);
    h.signal.setProbe(1, 0.001);
    h.signal.setProbe(2, 0.003);
    h.signal.setProbe(3, -0.002);
    h.scan();
    EXPECT_NEAR(h.read(code::ReadChannel, 1), 0.002, 1e-9);
    EXPECT_NEAR(h.read(code::ReadChannel, 2), 0.005, 1e-9);
    EXPECT_NEAR(h.read(code::ReadChannel, 3), 5.0, 1e-5);
    EXPECT_EQ(h.read(code::ReadChannel, 4), 0.0f);
}

TEST(Scanning, RunOutIsTheSpanSinceTheLastReset) {
    UnitHarness h;
    ASSERT_EQ(h.define(1, "T7"), st::Ok);
    ASSERT_EQ(h.define(2, "TIR(C1)"), st::Ok);
    ASSERT_EQ(h.define(3, "MAX(C1)"), st::Ok);
    ASSERT_EQ(h.define(4, "MIN(C1)"), st::Ok);
    for (double v : {0.0003, -0.0002, 0.0001}) {
        h.signal.setProbe(7, v);
        h.scan();
    }
    EXPECT_NEAR(h.read(code::ReadChannel, 2), 0.0005, 1e-9);
    EXPECT_NEAR(h.read(code::ReadChannel, 3), 0.0003, 1e-9);
    EXPECT_NEAR(h.read(code::ReadChannel, 4), -0.0002, 1e-9);
    EXPECT_EQ(h.request(code::ResetMM).status, st::Ok);
    h.signal.setProbe(7, 0.0002);
    h.scan();
    EXPECT_NEAR(h.read(code::ReadChannel, 2), 0.0001, 1e-9);
    EXPECT_NEAR(h.read(code::ReadChannel, 4), 0.0001, 1e-9);
}

}  // namespace
