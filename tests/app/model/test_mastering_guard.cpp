// The question before a mastering result is written: the scaling's limit in percent and the
// zero's in tolerance bands, each with its boundary, both in one question, the limits as the
// settings store gives them; and which probes a formula reads, which decides what a probe's
// change asks to master again.
#include <gtest/gtest.h>

#include "base/settings_store.h"
#include "model/formula_probes.h"
#include "model/mastering_guard.h"

using namespace Qt::StringLiterals;
using zelapp::MasteringChangeCheck;
using zelapp::masteringGuardQuestion;

namespace {

const QChar point = u'.';

// Scaling old -> new with the zero unchanged.
QString scalingQuestion(double oldScaling, double newScaling, double percent = 10) {
    return masteringGuardQuestion({oldScaling, newScaling, 0, 0, 0.01, -0.01}, {percent, 1}, 4,
                                  point);
}
// Zero old -> new with a tolerance band of 0.02 and the scaling unchanged.
QString zeroQuestion(double oldZero, double newZero, double bands = 1) {
    return masteringGuardQuestion({1, 1, oldZero, newZero, 0.01, -0.01}, {10, bands}, 5, point);
}

TEST(MasteringGuard, AsksBeyondEitherLimitAndNotAtIt) {
    EXPECT_EQ(scalingQuestion(0.9534, 10.1147),
              u"The new scaling 10.1147 differs from the old 0.9534 by 961 %. A wrong master "
              u"or a stuck probe? Write it anyway?"_s);
    // Exactly 10 % either way is within; a hair more is not.
    EXPECT_TRUE(scalingQuestion(1.0, 1.1).isEmpty());
    EXPECT_TRUE(scalingQuestion(1.0, 0.9).isEmpty());
    EXPECT_TRUE(scalingQuestion(-2.0, -2.2).isEmpty());
    EXPECT_EQ(scalingQuestion(1.0, 1.1001),
              u"The new scaling 1.1001 differs from the old 1.0000 by 10 %. A wrong master or "
              u"a stuck probe? Write it anyway?"_s);
    EXPECT_FALSE(scalingQuestion(1.0, 0.8999).isEmpty());
    EXPECT_TRUE(scalingQuestion(1.0, 1.5, 50).isEmpty());
    EXPECT_FALSE(scalingQuestion(1.0, 1.5001, 50).isEmpty());

    // One tolerance band (HiTol - LoTol = 0.02) either way is within.
    EXPECT_TRUE(zeroQuestion(0, 0.02).isEmpty());
    EXPECT_TRUE(zeroQuestion(0.1, 0.08).isEmpty());
    EXPECT_EQ(zeroQuestion(0, 0.02001),
              u"The new zero 0.02001 differs from the old 0.00000 by 0.02001, more than the "
              u"tolerance band 0.02000. A wrong master or a stuck probe? Write it anyway?"_s);
    EXPECT_TRUE(zeroQuestion(0, 0.04, 2).isEmpty());
    EXPECT_FALSE(zeroQuestion(0, 0.04001, 2).isEmpty());
    // Without a band any move of the zero asks; a zero that does not move never does.
    EXPECT_FALSE(masteringGuardQuestion({1, 1, 0, 0.00001, 0, 0}, {}, 5, point).isEmpty());
    EXPECT_TRUE(masteringGuardQuestion({1, 1, 3, 3, 0, 0}, {}, 5, point).isEmpty());
    // Limits out of order give the same band.
    EXPECT_TRUE(masteringGuardQuestion({1, 1, 0, 0.02, -0.01, 0.01}, {}, 5, point).isEmpty());

    // Both beyond: one question naming both.
    EXPECT_EQ(masteringGuardQuestion({1, 0.5, 0, 5, 0.01, -0.01}, {}, 5, point),
              u"The new scaling 0.50000 differs from the old 1.00000 by 50 %. The new zero "
              u"5.00000 differs from the old 0.00000 by 5.00000, more than the tolerance band "
              u"0.02000. A wrong master or a stuck probe? Write it anyway?"_s);
}

TEST(MasteringGuard, LimitsComeFromTheSettingsStoreOrTheirDefaults) {
    zelapp::MemorySettingsStore store;
    zelapp::MasteringGuardLimits limits = zelapp::readMasteringGuard(store);
    EXPECT_EQ(limits.scalingPercent, 10);
    EXPECT_EQ(limits.zeroBands, 1);
    store.setValue(u"Mastering"_s, u"ScalingLimitPercent"_s, u" 25"_s);
    store.setValue(u"Mastering"_s, u"ZeroLimitBands"_s, u"0.5"_s);
    limits = zelapp::readMasteringGuard(store);
    EXPECT_EQ(limits.scalingPercent, 25);
    EXPECT_EQ(limits.zeroBands, 0.5);
    store.setValue(u"Mastering"_s, u"ScalingLimitPercent"_s, u"ten"_s);
    store.setValue(u"Mastering"_s, u"ZeroLimitBands"_s, u"-1"_s);
    limits = zelapp::readMasteringGuard(store);
    EXPECT_EQ(limits.scalingPercent, 10);
    EXPECT_EQ(limits.zeroBands, 1);
}

TEST(FormulaProbes, NamesEachProbeReadAloneOrInARange) {
    using zelapp::formulaUsesProbe;
    EXPECT_TRUE(formulaUsesProbe(u"T1"_s, 1));
    EXPECT_FALSE(formulaUsesProbe(u"T10"_s, 1));
    EXPECT_TRUE(formulaUsesProbe(u"T10"_s, 10));
    EXPECT_TRUE(formulaUsesProbe(u"(t 2 + A1) / 2"_s, 2));
    EXPECT_TRUE(formulaUsesProbe(u"GOR(T1:T4)"_s, 3));
    EXPECT_FALSE(formulaUsesProbe(u"GOR(T1:T4)"_s, 5));
    EXPECT_TRUE(formulaUsesProbe(u"SQRT(T3)"_s, 3));
    EXPECT_FALSE(formulaUsesProbe(u"TIR(C1) + A1 + C3"_s, 0));
    EXPECT_FALSE(formulaUsesProbe(u"MAX(C2)"_s, 2));
    EXPECT_TRUE(formulaUsesProbe(u"C1 - T5"_s, 0));
    EXPECT_FALSE(formulaUsesProbe(QString(), 0));
    EXPECT_FALSE(formulaUsesProbe(u"T99999999999"_s, 0));  // not a number the unit has
}

}  // namespace
