// The channel table: definitions, dependency order, circular definitions, the table and
// memory bounds, scaling and zero, minimum and maximum.
#include <gtest/gtest.h>

#include <array>

#include "channel_table.h"
#include "protocol.h"

namespace {

namespace st = zelproto::status;
using zelunit::ChannelTable;

class ChannelTableTest : public ::testing::Test {
  protected:
    explicit ChannelTableTest(zelunit::ChannelTableLimits limits = {}) : table(limits, {}) {}

    void evaluate() { table.evaluate(probes.data(), analogs.data()); }

    ChannelTable table;
    std::array<double, 9> probes{0, 0.001, 0.002, 0.003, 0.004, 0.005, 0.006, 0.007, 0.008};
    std::array<double, 2> analogs{0, 0.5};
};

TEST_F(ChannelTableTest, ChannelsAreEvaluatedAfterTheChannelsTheyRead) {
    ASSERT_EQ(table.define(3, "C2*2"), st::Ok);  // defined before what it reads
    ASSERT_EQ(table.define(2, "C1+T2"), st::Ok);
    ASSERT_EQ(table.define(1, "T1"), st::Ok);
    evaluate();
    EXPECT_DOUBLE_EQ(table.value(1), static_cast<float>(0.001));
    EXPECT_NEAR(table.value(2), 0.003, 1e-9);
    EXPECT_NEAR(table.value(3), 0.006, 1e-9);
}

TEST_F(ChannelTableTest, UndefinedChannelsReadZeroAlsoInsideFormulas) {
    table.setZero(5, 1.5f);
    ASSERT_EQ(table.define(1, "C5+A1"), st::Ok);
    evaluate();
    EXPECT_EQ(table.value(5), 0.0);
    EXPECT_DOUBLE_EQ(table.value(1), 0.5);
    EXPECT_EQ(table.formulaText(5), "");
}

TEST_F(ChannelTableTest, ScalingAndZeroApplyToTheFormulaResult) {
    ASSERT_EQ(table.define(1, "A1"), st::Ok);
    table.setScale(1, 2.0f);
    table.setZero(1, -0.25f);
    evaluate();
    EXPECT_DOUBLE_EQ(table.value(1), 0.75);
    EXPECT_EQ(table.scale(2), 1.0f);  // defaults
    EXPECT_EQ(table.zero(2), 0.0f);
}

TEST_F(ChannelTableTest, ResultsBeyondSinglePrecisionReadZero) {
    ASSERT_EQ(table.define(1, "3E38*10"), st::Ok);
    ASSERT_EQ(table.define(2, "1/0"), st::Ok);
    evaluate();
    EXPECT_EQ(table.value(1), 0.0);
    EXPECT_EQ(table.value(2), 0.0);
}

TEST_F(ChannelTableTest, CircularDefinitionsAreRefusedAndLeaveTheChannelAsItWas) {
    ASSERT_EQ(table.define(1, "T1"), st::Ok);
    ASSERT_EQ(table.define(2, "C1*2"), st::Ok);
    ASSERT_EQ(table.define(3, "C2+1"), st::Ok);
    evaluate();
    EXPECT_EQ(table.define(1, "C3"), st::Circular);  // 1 -> 3 -> 2 -> 1
    EXPECT_EQ(table.define(4, "C4+1"), st::Circular);
    EXPECT_EQ(table.define(1, "TIR(C1)"), st::Circular);
    EXPECT_EQ(table.define(1, "GOR(C2:C5)"), st::Circular);
    EXPECT_EQ(table.formulaText(1), "T1");
    EXPECT_FALSE(table.defined(4));
    evaluate();
    EXPECT_NEAR(table.value(3), 1.002, 1e-6);
    // Reading another channel's extremes is fine.
    EXPECT_EQ(table.define(4, "TIR(C1)+MAX(C3)"), st::Ok);
}

TEST_F(ChannelTableTest, RefusedFormulasAndNumbersLeaveTheTableUnchanged) {
    ASSERT_EQ(table.define(1, "T1"), st::Ok);
    const std::size_t used = table.memoryUsed();
    EXPECT_EQ(table.define(1, "T1+"), st::BadFormula4);
    EXPECT_EQ(table.define(1, "T9"), st::BadProbe);
    EXPECT_EQ(table.define(0, "T1"), st::BadChannel);
    EXPECT_EQ(table.define(256, "T1"), st::BadChannel);
    EXPECT_EQ(table.clear(0), st::BadChannel);
    EXPECT_EQ(table.formulaText(1), "T1");
    EXPECT_EQ(table.memoryUsed(), used);
    EXPECT_EQ(table.definedCount(), 1);
}

TEST_F(ChannelTableTest, ClearingFreesTheEntryAndTheValue) {
    ASSERT_EQ(table.define(1, "A1"), st::Ok);
    ASSERT_EQ(table.define(2, "C1"), st::Ok);
    evaluate();
    EXPECT_EQ(table.clear(1), st::Ok);
    EXPECT_EQ(table.clear(7), st::Ok);  // never defined
    evaluate();
    EXPECT_EQ(table.value(1), 0.0);
    EXPECT_EQ(table.value(2), 0.0);  // reads the cleared channel as 0
    table.clearAll();
    EXPECT_EQ(table.definedCount(), 0);
    EXPECT_EQ(table.memoryUsed(), 0u);
}

class SmallChannelTable : public ChannelTableTest {
  protected:
    // "T1" costs 3 text bytes and one 4-byte instruction: 7 bytes.
    SmallChannelTable() : ChannelTableTest({10, 3, 21}) {}
};

TEST_F(SmallChannelTable, TableFullAtTheEntryLimitButRedefiningStillWorks) {
    EXPECT_EQ(table.define(1, "T1"), st::Ok);
    EXPECT_EQ(table.define(2, "T2"), st::Ok);
    EXPECT_EQ(table.define(3, "T3"), st::Ok);
    EXPECT_EQ(table.define(4, "T4"), st::TableFull);
    EXPECT_EQ(table.define(3, "T5"), st::Ok);
    EXPECT_EQ(table.clear(2), st::Ok);
    EXPECT_EQ(table.define(4, "T4"), st::Ok);
}

TEST_F(SmallChannelTable, MemoryFullCountsTextAndCodeAndTheReplacedDefinition) {
    EXPECT_EQ(table.define(1, "T1"), st::Ok);
    EXPECT_EQ(table.define(2, "T2"), st::Ok);
    EXPECT_EQ(table.memoryUsed(), 14u);
    EXPECT_EQ(table.define(3, "T3+"), st::BadFormula4);
    EXPECT_EQ(table.define(3, "T13"), st::BadProbe);
    EXPECT_EQ(table.define(3, "T3*2"), st::MemoryFull);  // 5 + 12 bytes: 31 > 21
    EXPECT_EQ(table.define(3, "T3"), st::Ok);            // exactly 21
    EXPECT_EQ(table.define(2, "T2*2"), st::MemoryFull);
    EXPECT_EQ(table.define(2, "T4"), st::Ok);  // same size as what it replaces
    EXPECT_EQ(table.formulaText(2), "T4");
}

TEST_F(SmallChannelTable, ChannelNumbersBeyondTheUnitAreRefused) {
    EXPECT_EQ(table.define(11, "T1"), st::BadChannel);
    EXPECT_EQ(table.define(1, "C11"), st::BadChannel);
    EXPECT_EQ(table.define(10, "T1"), st::Ok);
}

TEST_F(ChannelTableTest, MinimumAndMaximumFollowTheValueUntilReset) {
    ASSERT_EQ(table.define(1, "T1"), st::Ok);
    ASSERT_EQ(table.define(2, "TIR(C1)"), st::Ok);
    for (double v : {0.002, -0.001, 0.004, 0.001}) {
        probes[1] = v;
        evaluate();
    }
    EXPECT_NEAR(table.maximum(1), 0.004, 1e-9);
    EXPECT_NEAR(table.minimum(1), -0.001, 1e-9);
    EXPECT_NEAR(table.value(2), 0.005, 1e-9);
    table.resetMinMax();
    EXPECT_NEAR(table.maximum(1), 0.001, 1e-9);
    EXPECT_NEAR(table.minimum(1), 0.001, 1e-9);
    evaluate();
    EXPECT_NEAR(table.value(2), 0.0, 1e-12);
}

TEST_F(ChannelTableTest, ARedefinedChannelStartsItsExtremesAfresh) {
    ASSERT_EQ(table.define(1, "T1"), st::Ok);
    probes[1] = 0.01;
    evaluate();
    ASSERT_EQ(table.define(1, "T1-1"), st::Ok);
    EXPECT_EQ(table.value(1), 0.0);  // until the next scan
    evaluate();
    EXPECT_NEAR(table.maximum(1), -0.99, 1e-6);
    EXPECT_NEAR(table.minimum(1), -0.99, 1e-6);
}

}  // namespace
