// Probe and analog input objects: their defaults and the factor 4 of the probe full scale.
#include <gtest/gtest.h>

#include "fake_unit.h"
#include "model/inputs.h"
#include "scripted_prompter.h"

using zeltest::FakeUnit;

namespace {

class InputsTest : public ::testing::Test {
  protected:
    FakeUnit unit;
    zeltest::ScriptedPrompter prompter;
    zelapp::AppState state;
    zelapp::ModelContext context{unit, prompter, state};
};

TEST_F(InputsTest, LvdtDefaultsSendZeroAndAQuarterOfTheFullScale) {
    zelapp::Lvdt l(context);
    l.SetDefaults(2);
    EXPECT_EQ(l.Index, 2);
    EXPECT_EQ(l.Description, QStringLiteral("Lvdt 2"));
    EXPECT_EQ(unit.calls, (std::vector<std::string>{"ZelSetTzero(2, 0)", "ZelSetTfsv(2, 0.0125)"}));
    EXPECT_FLOAT_EQ(l.FullScale(), 0.05f);
}

TEST_F(InputsTest, LvdtDefaultFullScaleFollowsTheSetting) {
    state.LvdtFSV = 0.2f;
    zelapp::Lvdt l(context);
    l.SetDefaults(1);
    EXPECT_FLOAT_EQ(unit.tfsv[1], 0.05f);
}

TEST_F(InputsTest, LvdtFullScaleIsQuarteredOnTheWayOutAndQuadrupledOnTheWayIn) {
    zelapp::Lvdt l(context);
    l.SetDefaults(1);
    l.setFullScale(0.2f);
    EXPECT_FLOAT_EQ(unit.tfsv[1], 0.05f);
    unit.tfsv[1] = 0.1f;
    EXPECT_FLOAT_EQ(l.FullScale(), 0.4f);
}

TEST_F(InputsTest, LvdtValueReadsTheProbeAskedFor) {
    zelapp::Lvdt l(context);
    l.SetDefaults(1);
    unit.lvdtValue[5] = -0.003f;
    EXPECT_FLOAT_EQ(l.Value(5), -0.003f);
    l.setZeroOffset(0.001f);
    EXPECT_FLOAT_EQ(l.ZeroOffset(), 0.001f);
}

TEST_F(InputsTest, AnalogDefaultsHaveTwoBlanksAndFullScaleOne) {
    zelapp::analog a(context);
    a.SetDefaults(1);
    EXPECT_EQ(a.Description, QStringLiteral("Analog  1"));
    EXPECT_EQ(unit.calls, (std::vector<std::string>{"ZelSetAzero(1, 0)", "ZelSetAfsv(1, 1)"}));
    a.setFullScale(10.0f);
    EXPECT_FLOAT_EQ(a.FullScale(), 10.0f);  // no factor for analog inputs
    unit.analogValue[1] = 2.5f;
    EXPECT_FLOAT_EQ(a.Value(1), 2.5f);
    a.setZeroOffset(-1.0f);
    EXPECT_FLOAT_EQ(a.ZeroOffset(), -1.0f);
}

}  // namespace
