// The link to the unit: what it copies while the unit answers, what it does once the library
// has fallen into demonstration mode, and how it puts the unit back in step.
#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include <cstring>

#include "fake_unit.h"
#include "unit/unit_connection.h"

using testing::ElementsAre;
using zelapp::UnitConnection;

namespace {

struct LinkTest : testing::Test {
    zeltest::FakeUnit fake;
    UnitConnection link{fake};
    int losses = 0;

    LinkTest() {
        link.setLossHandler([this] { ++losses; });
    }

    float readCzero(int channel) {
        float v = -1;
        link.ZelReadCzero(channel, &v);
        return v;
    }
};

TEST_F(LinkTest, WhileLostNothingReachesTheLibraryAndTheCopyAnswers) {
    float zero = 0.25f;
    link.ZelSetCzero(1, &zero);
    link.ZelDefineChannel(1, "T1+T2");
    fake.czero[2] = 0.5f;
    EXPECT_EQ(readCzero(2), 0.5f);  // a read while live refreshes the copy

    fake.port = 2;
    EXPECT_EQ(link.ZelGetPort(), 2);
    fake.reachable = false;
    float value = 7;
    EXPECT_EQ(link.ZelReadChannel(1, &value), zelapp::kUnitNotCommunicating);
    EXPECT_EQ(losses, 1);
    EXPECT_TRUE(link.lost());
    fake.clearCalls();

    EXPECT_EQ(link.ZelReadChannel(1, &value), zelapp::kUnitNotCommunicating);
    EXPECT_EQ(readCzero(1), 0.25f);
    EXPECT_EQ(readCzero(2), 0.5f);
    float edited = -0.125f;
    EXPECT_EQ(link.ZelSetCzero(2, &edited), 0);
    EXPECT_EQ(readCzero(2), -0.125f);
    EXPECT_EQ(link.ZelClearChannel(1), 0);
    EXPECT_EQ(link.ZelResetMM(), zelapp::kUnitNotCommunicating);
    EXPECT_EQ(link.ZelSetLvdtGain(1, 100, 20), zelapp::kUnitNotCommunicating);
    EXPECT_EQ(link.ZelIsDemo(), 1);
    EXPECT_EQ(link.ZelGetPort(), 0) << "no port while a reconnection may be scanning them";
    EXPECT_EQ(link.ZelDLL(), 769);
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_EQ(losses, 1);
}

TEST_F(LinkTest, NoDemonstrationAnswerEntersTheCopy) {
    fake.czero[1] = 0.75f;
    EXPECT_EQ(readCzero(1), 0.75f);
    // The read that finds the unit gone gets the library's zero; the copy keeps its value.
    fake.reachable = false;
    EXPECT_EQ(readCzero(1), 0.75f);
    EXPECT_FALSE(link.copy().value(zelapp::UnitCopy::Czero, 3).has_value());
    EXPECT_EQ(link.ZelReadCscale(3, nullptr), zelapp::kUnitNotCommunicating);
}

TEST_F(LinkTest, RestoreSendsEverythingFromTheCopyInOrder) {
    link.ZelSetScanTime(10);
    link.ZelSetAdcAvg(4);
    link.ZelSetRunAvg(2);
    link.ZelDefineChannel(1, "T1");
    float v = 2;
    link.ZelSetCscale(1, &v);
    v = 0.5f;
    link.ZelSetCzero(1, &v);
    v = 1.5f;
    link.ZelSetTfsv(1, &v);
    v = 0.25f;
    link.ZelSetTzero(1, &v);
    v = 10;
    link.ZelSetAfsv(1, &v);
    link.ZelDefineChannel(3, "T2");
    fake.reachable = false;
    link.ZelReadChannel(1, &v);
    v = 0.125f;
    link.ZelSetAzero(1, &v);  // edits while lost: a zero, and channel 3 gone with the count
    link.ZelClearChannel(3);
    fake.reachable = true;
    fake.restartEmpty();
    fake.clearCalls();

    EXPECT_EQ(fake.ZelCommInit(0), 0);
    EXPECT_EQ(link.setupKept(), false);
    fake.clearCalls();
    EXPECT_TRUE(link.restore(2, 1, 1));
    EXPECT_FALSE(link.lost());
    EXPECT_THAT(fake.calls,
                ElementsAre("ZelMsgBox(0)", "ZelStartScan()", "ZelSetScanTime(10)",
                            "ZelSetAdcAvg(4)", "ZelSetRunAvg(2)", "ZelDefineChannel(1, T1)",
                            "ZelSetCscale(1, 2)", "ZelSetCzero(1, 0.5)", "ZelClearChannel(2)",
                            "ZelClearChannel(3)", "ZelSetTfsv(1, 1.5)", "ZelSetTzero(1, 0.25)",
                            "ZelSetAfsv(1, 10)", "ZelSetAzero(1, 0.125)", "ZelMsgBox(1)"));
    EXPECT_EQ(link.setupKept(), true);
}

TEST_F(LinkTest, ARestoreThatLosesTheUnitAgainStopsAndStaysLost) {
    link.ZelDefineChannel(1, "T1");
    fake.reachable = false;
    link.ZelClearChannel(2);
    EXPECT_FALSE(link.restore(2, 0, 0));
    EXPECT_TRUE(link.lost());
    EXPECT_EQ(fake.count("ZelStartScan("), 1);
    EXPECT_EQ(fake.count("ZelDefineChannel("), 1);  // the one before the loss only
}

// A reply without its zero byte: the copy takes no more than an answer can hold.
TEST_F(LinkTest, AFormulaWithoutItsZeroByteIsReadNoFurtherThanAnAnswerReaches) {
    struct Unterminated : zeltest::FakeUnit {
        char area[400];
        int32_t ZelReadFormula(int32_t, char **text) override {
            std::memset(area, 'T', sizeof area);
            *text = area;
            return 0;
        }
    } unit;
    UnitConnection unterminated{unit};
    char *text = nullptr;
    EXPECT_EQ(unterminated.ZelReadFormula(1, &text), 0);
    EXPECT_EQ(unterminated.copy().formulas.at(1).size(), 257u);
}

}  // namespace
