// The arithmetic of mastering: one master, zero, and the fit through two masters.
#include <gtest/gtest.h>

#include <cmath>

#include "model/mastering_math.h"

namespace {

TEST(MasteringMath, OneMasterShiftsTheZeroByTheReadingsError) {
    EXPECT_NEAR(*zelapp::masteredZero(10, 10.3, 0.1), -0.2, 1e-12);
    EXPECT_EQ(*zelapp::masteredZero(0, 0, 0), 0);
    EXPECT_FALSE(zelapp::masteredZero(0, -1e39, 0));  // beyond a Single
    EXPECT_FALSE(zelapp::masteredZero(0, std::nan(""), 0));
}

TEST(MasteringMath, TwoMastersFitScalingAndZeroThroughTheOldOnes) {
    // With zero 0 and scaling 1 the readings are the raw values.
    const auto fit = zelapp::twoMasterFit(10, 20, 10.5, 20.7, 0, 1);
    ASSERT_TRUE(fit);
    EXPECT_NEAR(fit->scaling, 10 / 10.2, 1e-12);
    EXPECT_NEAR(fit->zero, (20 * 10.5 - 10 * 20.7) / -10.2, 1e-12);
    // The old zero and scaling are taken out of the readings first: the same raw values read
    // through zero 1 and scaling 2 give the same fit.
    const auto again = zelapp::twoMasterFit(10, 20, 2 * 10.5 + 1, 2 * 20.7 + 1, 1, 2);
    ASSERT_TRUE(again);
    EXPECT_NEAR(again->scaling, fit->scaling, 1e-12);
    EXPECT_NEAR(again->zero, fit->zero, 1e-12);

    EXPECT_FALSE(zelapp::twoMasterFit(10, 20, 10.5, 10.50004, 0, 1));  // closer than 0.00005
    EXPECT_TRUE(zelapp::twoMasterFit(10, 20, 10.5, 10.50006, 0, 1));
    EXPECT_FALSE(zelapp::twoMasterFit(10, 20, 1, 2, 0, 0));            // nothing to divide by
    EXPECT_FALSE(zelapp::twoMasterFit(1e38, -1e38, 1, 1.0001, 0, 1));  // scaling beyond a Single
    EXPECT_FALSE(zelapp::twoMasterFit(10, 20, std::nan(""), 2, 0, 1));
}

}  // namespace
