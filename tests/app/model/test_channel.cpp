// The channel object: defaults, the order of its writes to the unit, and its refusals while
// it is not bound to a channel.
#include <gtest/gtest.h>

#include "fake_unit.h"
#include "model/channel.h"
#include "scripted_prompter.h"

using zelapp::Channel;
using zeltest::FakeUnit;
using zeltest::ScriptedPrompter;

namespace {

class ChannelTest : public ::testing::Test {
  protected:
    FakeUnit unit;
    ScriptedPrompter prompter;
    zelapp::AppState state;
    zelapp::ModelContext context{unit, prompter, state};
};

TEST_F(ChannelTest, SetDefaultsResetsFieldsAndWritesClearZeroScaleInOrder) {
    Channel c(context);
    c.InUse = true;
    c.Decimals = 2;
    c.SetDefaults(3);

    EXPECT_EQ(c.Index, 3);
    EXPECT_EQ(c.Description, QStringLiteral("Channel 3"));
    EXPECT_EQ(c.Units, QStringLiteral("Inch"));
    EXPECT_EQ(c.Decimals, 5);
    EXPECT_FLOAT_EQ(c.HiTol, 0.01f);
    EXPECT_FLOAT_EQ(c.LoTol, -0.01f);
    EXPECT_FLOAT_EQ(c.HiAppr, 0.009f);
    EXPECT_FLOAT_EQ(c.LoAppr, -0.009f);
    EXPECT_FLOAT_EQ(c.BarDisplayTop, 0.05f);
    EXPECT_FLOAT_EQ(c.BarDisplayBot, -0.05f);
    EXPECT_FALSE(c.UseTwoMasters);
    EXPECT_EQ(c.Master1, 0);
    EXPECT_EQ(c.Master2, 0);
    EXPECT_FALSE(c.InUse);
    EXPECT_TRUE(c.Formula().isEmpty());
    EXPECT_EQ(unit.calls, (std::vector<std::string>{"ZelClearChannel(3)", "ZelSetCzero(3, 0)",
                                                    "ZelSetCscale(3, 1)"}));
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(ChannelTest, DescriptionOfANegativeNumberHasNoBlank) {
    Channel c(context);
    c.SetDefaults(-2);
    EXPECT_EQ(c.Description, QStringLiteral("Channel-2"));
}

TEST_F(ChannelTest, FormulaIsSentEveryTimeAndEmptyTextClears) {
    Channel c(context);
    c.SetDefaults(4);
    unit.clearCalls();

    c.setFormula(QStringLiteral("(T1+T2)/2"));
    c.setFormula(QStringLiteral("(T1+T2)/2"));
    c.setFormula(QString());
    EXPECT_EQ(unit.calls,
              (std::vector<std::string>{"ZelDefineChannel(4, (T1+T2)/2)",
                                        "ZelDefineChannel(4, (T1+T2)/2)", "ZelClearChannel(4)"}));
    EXPECT_TRUE(c.Formula().isEmpty());
}

// The channel's formula is the one the unit holds: a refused text leaves it as it was.
TEST_F(ChannelTest, AFormulaTheUnitRefusesLeavesTheOneItHolds) {
    Channel c(context);
    c.SetDefaults(1);
    EXPECT_EQ(c.setFormula(QStringLiteral("T1")), 0);
    unit.refusals["ZelDefineChannel(1, T1+)"] = 12;
    EXPECT_EQ(c.setFormula(QStringLiteral("T1+")), 12);
    EXPECT_EQ(c.Formula(), QStringLiteral("T1"));
}

TEST_F(ChannelTest, FormulaTextGoesAsLatin1Bytes) {
    Channel c(context);
    c.SetDefaults(1);
    c.setFormula(QStringLiteral("T1*2 \u00b5"));
    EXPECT_EQ(unit.formulas[1], std::string("T1*2 \xb5"));
    EXPECT_EQ(c.Formula(), QStringLiteral("T1*2 \u00b5"));
}

TEST_F(ChannelTest, UnitSidePropertiesAreReadFromTheUnitEachTime) {
    Channel c(context);
    c.SetDefaults(2);
    c.setZeroOffset(0.25f);
    unit.czero[2] = 0.5f;  // the unit changed it (e.g. zeroing on the unit)
    EXPECT_FLOAT_EQ(c.ZeroOffset(), 0.5f);
    c.setScaling(2.0f);
    EXPECT_FLOAT_EQ(c.Scaling(), 2.0f);
    unit.channelValue[7] = 1.25f;
    EXPECT_FLOAT_EQ(c.Value(7), 1.25f);  // the number asked for, not Index
    EXPECT_EQ(unit.calls.back(), "ZelReadChannel(7)");
}

TEST_F(ChannelTest, FailedReadGivesZero) {
    Channel c(context);
    c.SetDefaults(1);
    unit.czero[1] = 3;
    unit.readResult = -1;
    EXPECT_EQ(c.ZeroOffset(), 0.0f);
}

TEST_F(ChannelTest, UnboundChannelRefusesFormulaAndZeroOffset) {
    Channel c(context);
    c.setFormula(QStringLiteral("T1"));
    c.setZeroOffset(1.0f);
    EXPECT_TRUE(unit.calls.empty());
    EXPECT_TRUE(c.Formula().isEmpty());
    EXPECT_EQ(prompter.texts(),
              (std::vector<QString>{QStringLiteral("Index Zero in Formula Property"),
                                    QStringLiteral("Index Zero in ZeroOffset Property")}));
    EXPECT_EQ(prompter.shown[0].buttons, zelapp::PromptButtons::Ok);
}

}  // namespace
