// The part cycle as the session wires it: the calibration dialog and the mastering window keep
// parts off the gauge, every Reset MAX/MIN waits while a cycle runs, the cycle keeps off the
// unit while the scan is switched off, and its values read as the grid's.
#include <gtest/gtest.h>

#include "session_fixture.h"

using namespace Qt::StringLiterals;
using zelapp::CycleState;

namespace {
struct PartSession : ::testing::Test {
    zeltest::SessionFixture f;
    zelapp::PartCycle *cycle = nullptr;

    void SetUp() override {
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        cycle = &f.session->partCycle();
        f.setup().channel(1)->setFormula(u"T1"_s);
        f.setup().channel(1)->Decimals = 4;
        f.fakeUnit.channelValue[1] = 0.0012f;
    }
    // Polls kPollMs apart until the state is `state`; whether it got there.
    bool stepUntil(CycleState state) {
        for (int i = 0; i < 100 && cycle->state() != state; ++i) {
            f.scanClock.now += zelapp::PartCycle::kPollMs;
            cycle->poll();
        }
        return cycle->state() == state;
    }
    // Whether each Reset MAX/MIN may be pressed: the main window's, the channel dialog's and
    // the mastering window's.
    std::vector<bool> resets() {
        zelapp::DialogTools &d = f.session->dialogs();
        return {f.session->commands().resetAllowed(), d.setupChan.CommandResetMMEnabled(),
                d.mastering.CommandResetMMEnabled()};
    }
};
}  // namespace

TEST_F(PartSession, ResetMaxMinWaitsWhileACycleRunsAndTheScanSwitchedOffKeepsItOffTheUnit) {
    EXPECT_EQ(resets(), (std::vector<bool>{true, true, true}));
    ASSERT_EQ(cycle->measure(), QString());
    EXPECT_EQ(resets(), (std::vector<bool>{false, false, false}));
    EXPECT_FALSE(f.session->commands().marks().resetMM);
    f.fakeUnit.clearCalls();
    f.session->commands().CommandResetMM_Click();
    f.session->dialogs().setupChan.CommandResetMM_Click();
    f.session->dialogs().mastering.CommandResetMM_Click();
    EXPECT_EQ(f.fakeUnit.count("ZelResetMM"), 0);

    f.session->scan().setTimerEnabled(false);
    f.scanClock.now += 1000;
    cycle->poll();
    EXPECT_TRUE(f.fakeUnit.calls.empty());
    f.session->scan().setTimerEnabled(true);

    f.session->scan().setDecimalSeparator(u',');
    ASSERT_TRUE(stepUntil(CycleState::Result));
    EXPECT_EQ(f.fakeUnit.count("ZelResetMM"), 1);  // the cycle's own
    ASSERT_EQ(cycle->lastResult()->characteristics.size(), 1u);
    EXPECT_EQ(cycle->lastResult()->characteristics[0].text, u"0,0012"_s);
    EXPECT_EQ(resets(), (std::vector<bool>{true, true, true}));
    f.session->commands().CommandResetMM_Click();
    EXPECT_EQ(f.fakeUnit.count("ZelResetMM"), 2);
}

TEST_F(PartSession, TheMasteringWindowAndTheCalibrationDialogKeepPartsOffTheGauge) {
    zelapp::DialogTools &d = f.session->dialogs();
    ASSERT_EQ(cycle->measure(), QString());
    d.mastering.Form_Load();
    EXPECT_EQ(cycle->state(), CycleState::Result);
    EXPECT_EQ(cycle->lastResult()->reason, u"busy"_s);
    EXPECT_EQ(cycle->measure(), u"busy"_s);
    d.mastering.Form_Unload();

    ASSERT_EQ(cycle->measure(), QString());
    ASSERT_TRUE(d.calibrate.open(1));
    EXPECT_EQ(cycle->lastResult()->reason, u"busy"_s);
    EXPECT_EQ(cycle->count(), 2);
    EXPECT_EQ(cycle->measure(), u"busy"_s);
    ASSERT_TRUE(d.calibrate.CancelButton_Click());
    EXPECT_EQ(cycle->measure(), QString());
}
