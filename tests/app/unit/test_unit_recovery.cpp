// A lost unit in the running program: what the displays and the live values show, that the
// window's thread leaves the library alone while an attempt runs, and how the unit is put back
// in step when it answers again. Attempts run when the test finishes them.
#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include "session_fixture.h"

using namespace Qt::StringLiterals;
using testing::ElementsAre;
using zelapp::UnitRecovery;

namespace {

struct LostUnit : testing::Test {
    zeltest::SessionFixture f;
    zeltest::FakeUnit &unit = f.fakeUnit;
    UnitRecovery &recovery = f.session->recovery();

    void SetUp() override {
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        f.prompter.shown.clear();  // "zelapp.ini file not found"
        f.session->commands().EnableGrid_Click();
        f.session->scan().setDecimalSeparator(u'.');
        f.setup().channel(1)->setFormula(u"T1"_s);
        unit.channelValue[1] = 0.5f;
        tick();
        ASSERT_EQ(label(1), u" 0.50000"_s);
    }
    void tick() { f.session->scan().Timer1_Timer(); }
    QString label(int channel) { return f.session->labels().text(channel); }
    QString lastCell(int position) {
        for (auto it = f.view.gridValues.rbegin(); it != f.view.gridValues.rend(); ++it) {
            if (it->first == position) {
                return it->second;
            }
        }
        return {};
    }
    void lose() {
        unit.reachable = false;
        tick();
        unit.clearCalls();
    }
};

TEST_F(LostUnit, EveryValueBecomesNoUnitAtTheNextTickAndTheWindowsAreTold) {
    zelapp::SetupChanTool &dialog = f.session->dialogs().setupChan;
    dialog.SetCurrentChannel(1);
    dialog.CheckShowCurrentValue_Click(true);
    lose();
    EXPECT_EQ(label(1), u"NO UNIT"_s);
    EXPECT_EQ(lastCell(1), u"NO UNIT"_s);
    EXPECT_EQ(dialog.TextChannelValue(), u"NO UNIT"_s);
    ASSERT_FALSE(f.view.unitStatuses.empty());
    EXPECT_TRUE(f.view.unitStatuses.back().lost);
    EXPECT_TRUE(recovery.retryTimer().isActive());
    EXPECT_EQ(recovery.retryTimer().interval(), UnitRecovery::kQuickRetryMs);
    // Shown once, not on every tick.
    const std::size_t cells = f.view.gridValues.size();
    tick();
    EXPECT_EQ(f.view.gridValues.size(), cells);
}

// Nothing on show reads the unit, yet its loss reaches the strip within two ticks.
TEST(UnitCheck, ALossIsNoticedWhenNothingOnShowReadsTheUnit) {
    const struct {
        const char *why;
        bool updateOff;
        bool channelDefined;
    } cases[] = {
        {"updating off", true, true}, {"no channel defined", false, false}, {"both", true, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        zeltest::SessionFixture f;
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        f.session->commands().EnableGrid_Click();
        if (c.channelDefined) {
            f.setup().channel(1)->setFormula(u"T1"_s);
        }
        if (c.updateOff) {
            f.session->commands().UpdateToggle_Click();
        }
        f.session->scan().Timer1_Timer();
        ASSERT_TRUE(f.view.unitStatuses.empty());

        f.fakeUnit.reachable = false;
        for (int t = 0; t < 2; ++t) {
            f.session->scan().Timer1_Timer();
        }
        ASSERT_FALSE(f.view.unitStatuses.empty());
        EXPECT_TRUE(f.view.unitStatuses.back().lost);
        EXPECT_EQ(f.view.pausedCalls.back(), c.updateOff);
    }
}

TEST_F(LostUnit, WhileAnAttemptRunsTheLibraryIsLeftAloneAndEditsWaitForTheReturn) {
    lose();
    recovery.reconnect();
    ASSERT_TRUE(f.attempts.pending());
    EXPECT_TRUE(f.view.unitStatuses.back().attempting);
    const int demoQueries = unit.demoQueries;
    tick();
    f.setup().channel(1)->setZeroOffset(0.25f);
    f.setup().lvdt(1)->setFullScale(0.1f);
    tick();
    EXPECT_TRUE(unit.calls.empty());
    EXPECT_EQ(unit.demoQueries, demoQueries);
    EXPECT_FLOAT_EQ(f.setup().channel(1)->ZeroOffset(), 0.25f);

    unit.reachable = true;
    ASSERT_TRUE(f.attempts.finish());
    ASSERT_GE(unit.calls.size(), 4u);
    EXPECT_THAT(
        std::vector(unit.calls.begin(), unit.calls.begin() + 4),
        ElementsAre("ZelCommInit(0)", "ZelReadFormula(1)", "ZelMsgBox(0)", "ZelStartScan()"));
    EXPECT_EQ(unit.count("ZelSetCzero(1, 0.25)"), 1);
    EXPECT_EQ(unit.count("ZelSetTfsv(1, 0.025)"), 1);  // a quarter of the probe's range
    EXPECT_FALSE(f.view.unitStatuses.back().lost);
    ASSERT_EQ(f.view.statuses.size(), 1u);
    EXPECT_EQ(f.view.statuses[0], UnitRecovery::backText());
    // The steady reading replaces "NO UNIT" at the first tick.
    tick();
    EXPECT_EQ(label(1), u" 0.50000"_s);
}

struct Pause {
    qint64 sinceMs;  // after the loss or the last appearance
    int slowFailed;  // attempts failed after the quick second
    int expectedMs;
};

class RetrySchedule : public testing::TestWithParam<Pause> {};

TEST_P(RetrySchedule, QuickForASecondThenBackingOffToTenSeconds) {
    EXPECT_EQ(UnitRecovery::nextDelayMs(GetParam().sinceMs, GetParam().slowFailed),
              GetParam().expectedMs);
}

INSTANTIATE_TEST_SUITE_P(LostUnit, RetrySchedule,
                         testing::Values(Pause{0, 0, 100}, Pause{999, 0, 100},
                                         // The first slow one 2 s after the loss, as before.
                                         Pause{1000, 0, 1000}, Pause{1250, 0, 750},
                                         Pause{1950, 0, 100}, Pause{7000, 0, 100},
                                         Pause{2000, 1, 4000}, Pause{6000, 2, 8000},
                                         Pause{14000, 3, 10000}, Pause{600000, 50, 10000}));

TEST_F(LostUnit, FailedAttemptsBackOffAndAUnitRestartedEmptyIsReported) {
    lose();
    recovery.reconnect();
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_THAT(unit.calls, ElementsAre("ZelCommInit(0)"));
    EXPECT_TRUE(f.view.unitStatuses.back().lost);
    EXPECT_EQ(recovery.retryTimer().interval(), UnitRecovery::kQuickRetryMs);
    // Past the quick second: 2 s after the loss, then 4 s later.
    f.recoveryClock.now += UnitRecovery::kQuickWindowMs;
    recovery.reconnect();
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_EQ(recovery.retryTimer().interval(), 1000);
    f.recoveryClock.now += 1000;
    recovery.reconnect();
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_EQ(recovery.retryTimer().interval(), 4000);
    unit.clearCalls();
    tick();
    EXPECT_TRUE(unit.calls.empty()) << "the ticks leave the library alone while it is lost";

    unit.reachable = true;
    unit.restartEmpty();
    recovery.reconnect();
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_EQ(unit.formulas[1], "T1");
    ASSERT_EQ(f.view.statuses.size(), 1u);
    EXPECT_EQ(f.view.statuses[0], UnitRecovery::restartedText());
    EXPECT_TRUE(f.prompter.shown.empty());
}

TEST_F(LostUnit, ADeviceAppearingIsTriedAtOnceAndOpensAnotherQuickSecond) {
    f.deviceWatch.appear();  // while the unit answers: nothing
    EXPECT_FALSE(f.attempts.pending());
    lose();
    f.recoveryClock.now += 5000;
    recovery.reconnect();
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_EQ(recovery.retryTimer().interval(), UnitRecovery::kQuickRetryMs);  // late: at once
    recovery.reconnect();
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_EQ(recovery.retryTimer().interval(), 4000);

    f.deviceWatch.appear();
    ASSERT_TRUE(f.attempts.pending()) << "at once, not at the timer";
    EXPECT_FALSE(recovery.retryTimer().isActive());
    // The driver's socket is there before it listens: the first attempt may fail.
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_EQ(recovery.retryTimer().interval(), UnitRecovery::kQuickRetryMs);

    // A device appearing while an attempt runs: the next one at once when it fails.
    recovery.reconnect();
    f.deviceWatch.appear();
    EXPECT_TRUE(f.attempts.pending());
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_EQ(recovery.retryTimer().interval(), 0);

    unit.reachable = true;
    recovery.reconnect();
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_FALSE(f.view.unitStatuses.back().lost);
    EXPECT_FALSE(recovery.retryTimer().isActive());
}

}  // namespace
