// A lost unit in the running program: what the displays and the live values show, that the
// window's thread leaves the library alone while an attempt runs, and how the unit is put back
// in step when it answers again. Attempts run when the test finishes them.
#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include <vector>

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
    // One attempt taking `tookMs` on the recovery's clock; false when none started.
    bool attempt(qint64 tookMs) {
        recovery.reconnect();
        f.recoveryClock.now += tookMs;
        return f.attempts.finish();
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

struct Pace {
    const char *name;
    std::vector<qint64> tookMs;   // each attempt's time, the first when the timer first fires
    std::vector<int> expectedMs;  // the pause after each
};
void PrintTo(const Pace &p, std::ostream *os) {
    *os << p.name;
}

template <typename T>
std::vector<T> repeated(int n, T value) {
    return std::vector<T>(static_cast<std::size_t>(n), value);
}
template <typename T>
std::vector<T> then(std::vector<T> first, const std::vector<T> &second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

struct RetrySchedule : LostUnit, testing::WithParamInterface<Pace> {};

TEST_P(RetrySchedule, QuickFailuresKeepTheQuickPaceSlowOnesBackOffToTenSeconds) {
    lose();
    std::vector<int> pauses;
    for (const qint64 took : GetParam().tookMs) {
        f.recoveryClock.now += recovery.retryTimer().interval();
        ASSERT_TRUE(attempt(took));
        pauses.push_back(recovery.retryTimer().interval());
    }
    EXPECT_EQ(pauses, GetParam().expectedMs);
}

constexpr qint64 kQuick = UnitRecovery::kQuickAttemptMs - 1;
constexpr qint64 kSlow = UnitRecovery::kQuickAttemptMs;
constexpr qint64 kTimeout = 1000;  // the library's

INSTANTIATE_TEST_SUITE_P(
    LostUnit, RetrySchedule,
    testing::Values(
        // Attempts from 100, 2000 (2 s after the loss), 7000, 16000, 27000, 38000 ms.
        Pace{"HungUnit", repeated(6, kTimeout), {900, 4000, 8000, 10000, 10000, 10000}},
        // Every 100 ms, well past the quick second.
        Pace{"PulledCable", repeated<qint64>(40, 0), repeated(40, 100)},
        // Slow ones in the quick second are retried quickly; the first after it waits for 2 s.
        Pace{"SlowInTheQuickSecond", repeated<qint64>(3, 400), {100, 1000, 4000}},
        // Quick ones to 1 s and past it; the first slow one, ending at 1299 ms, waits for 2 s
        // after the loss; quick ones between slow ones neither count nor end the backing off.
        Pace{"QuickAndSlowMixed",
             then(repeated<qint64>(10, 0), {kQuick, kSlow, 0, kSlow, kQuick, kTimeout}),
             then(repeated(10, 100), {100, 701, 100, 4000, 100, 8000})},
        // A first slow one ending past 2 s after the loss: the next at once, then backing off.
        Pace{"SlowAfterALongPull", then(repeated<qint64>(30, 0), {kTimeout, kTimeout}),
             then(repeated(30, 100), {100, 4000})}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(LostUnit, FailedAttemptsBackOffAndAUnitRestartedEmptyIsReported) {
    lose();
    recovery.reconnect();
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_THAT(unit.calls, ElementsAre("ZelCommInit(0)"));
    EXPECT_TRUE(f.view.unitStatuses.back().lost);
    EXPECT_EQ(recovery.retryTimer().interval(), UnitRecovery::kQuickRetryMs);
    // Slow ones past the quick second: 2 s after the loss, then 4 s later.
    f.recoveryClock.now += UnitRecovery::kQuickWindowMs - kSlow;
    ASSERT_TRUE(attempt(kSlow));
    EXPECT_EQ(recovery.retryTimer().interval(), 1000);
    f.recoveryClock.now += 1000;
    ASSERT_TRUE(attempt(kSlow));
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
    ASSERT_TRUE(attempt(kSlow));
    EXPECT_EQ(recovery.retryTimer().interval(), UnitRecovery::kQuickRetryMs);  // late: at once
    ASSERT_TRUE(attempt(kSlow));
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

// The windows are told when attempts start and when they pause for longer than a quick retry:
// a long run of quick ones shows as one attempt, with Reconnect greyed, rather than flickering.
TEST_F(LostUnit, ARunOfQuickAttemptsShowsAsOneAttempt) {
    lose();
    const std::size_t atLoss = f.view.unitStatuses.size();
    const auto told = [&] { return f.view.unitStatuses.size() - atLoss; };
    EXPECT_FALSE(f.view.unitStatuses.back().attempting);
    for (int i = 0; i < 40; ++i) {
        f.recoveryClock.now += recovery.retryTimer().interval();
        ASSERT_TRUE(attempt(i == 3 ? 400 : 0));  // a slow one in the quick second too
    }
    EXPECT_EQ(told(), 1u);
    EXPECT_TRUE(f.view.unitStatuses.back().attempting);

    // The first slow one past 2 s after the loss is retried at once; the next backs off.
    ASSERT_TRUE(attempt(kTimeout));
    EXPECT_EQ(told(), 1u);
    f.recoveryClock.now += recovery.retryTimer().interval();
    ASSERT_TRUE(attempt(kTimeout));
    ASSERT_EQ(told(), 2u);
    EXPECT_FALSE(f.view.unitStatuses.back().attempting) << "backing off: Reconnect free";
    EXPECT_TRUE(f.view.unitStatuses.back().lost);
    recovery.reconnect();
    ASSERT_EQ(told(), 3u);
    EXPECT_TRUE(f.view.unitStatuses.back().attempting);
    unit.reachable = true;
    ASSERT_TRUE(f.attempts.finish());
    ASSERT_EQ(told(), 4u);
    EXPECT_FALSE(f.view.unitStatuses.back().lost);
    EXPECT_FALSE(f.view.unitStatuses.back().attempting);
}

}  // namespace
