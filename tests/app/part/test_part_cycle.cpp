// The part cycle on the fake unit with a manual clock: settling, the MAX/MIN clear and the
// dynamic time, the capture as the results show it, each way a part ends Not valid, the refused
// starts, a late unit's turns and the Timeout, auto start with its present time and removal,
// and the counters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "part_cycle_fixture.h"

using namespace Qt::StringLiterals;
using zelapp::CycleState;
using zelapp::PartProgram;
using zelapp::ToleranceVerdict;
using zeltest::PartCycleFixture;

namespace {
std::vector<QString> texts(const zelapp::PartResult &part) {
    std::vector<QString> out;
    for (const zelapp::CharacteristicResult &c : part.characteristics) {
        out.push_back(c.reason.isEmpty() ? c.text : c.reason);
    }
    return out;
}
}  // namespace

TEST(PartCycle, AKeyStartSettlesThenClearsMaxMinAcquiresAndCapturesAsTheResultsShow) {
    PartCycleFixture f;
    f.channel(1, u"T1"_s, 0.0042f);
    f.channel(2, u"TIR(C1)"_s, 0.0091f);
    f.channel(3, u"T2-T1"_s, -0.0123f, 3);
    PartProgram p;
    p.dynamicTimeMs = 200;
    f.useProgram(p);
    f.unit.clearCalls();

    EXPECT_EQ(f.cycle.measure(), QString());
    EXPECT_EQ(f.cycle.state(), CycleState::Settling);
    EXPECT_EQ(f.cycle.stateText(), u"MEASURING"_s);
    EXPECT_TRUE(f.unit.calls.empty());  // the start itself asks the unit nothing

    f.step();  // t=50: the static ones are read; a run-out means nothing before the clear
    f.step(100);
    EXPECT_EQ(f.unit.count("ZelReadChannel(2)"), 0);
    f.unit.channelValue[1] = 0.0048f;  // 0.0006 away: beyond the band, the time starts over
    f.step(100);                       // t=250
    f.step(250);                       // t=500: 250 ms in the band
    EXPECT_EQ(f.cycle.state(), CycleState::Settling);
    EXPECT_EQ(f.unit.count("ZelResetMM"), 0);
    f.unit.channelValue[1] = 0.0044f;  // 0.0004 away: within the band
    f.step(50);                        // t=550: 300 ms in the band
    EXPECT_EQ(f.cycle.state(), CycleState::Acquiring);
    EXPECT_EQ(f.unit.count("ZelResetMM"), 1);
    EXPECT_EQ(f.unit.count("ZelReadLvdt("), 0);  // range ends are watched from the clear on

    f.wall.time = f.wall.time.addSecs(2);
    f.step(150);
    EXPECT_EQ(f.cycle.state(), CycleState::Acquiring);
    f.step(50);  // the dynamic time is up
    ASSERT_EQ(f.cycle.state(), CycleState::Result);
    EXPECT_EQ(f.cycle.stateText(), u"RESULT"_s);
    EXPECT_EQ(f.notices,
              (std::vector<QString>{u"Settling"_s, u"Acquiring"_s, u"ended"_s, u"Result"_s}));

    const zelapp::PartResult &part = f.last();
    EXPECT_EQ(part, f.parts.back());
    EXPECT_EQ(part.count, 1);
    EXPECT_EQ(part.number, u"shaft"_s);
    EXPECT_TRUE(part.completed);
    EXPECT_EQ(part.reason, QString());
    EXPECT_EQ(part.started, QDateTime(QDate(2026, 12, 9), QTime(14, 3)));
    EXPECT_EQ(part.ended, QDateTime(QDate(2026, 12, 9), QTime(14, 3, 2)));
    EXPECT_EQ(texts(part), (std::vector<QString>{u"0.0044"_s, u"0.0091"_s, u"-0.012"_s}));
    ASSERT_EQ(part.characteristics.size(), 3u);
    EXPECT_EQ(part.characteristics[0].verdict, ToleranceVerdict::Good);
    EXPECT_EQ(part.characteristics[1].verdict, ToleranceVerdict::WarningPlus);
    EXPECT_EQ(part.characteristics[2].verdict, ToleranceVerdict::RejectMinus);
    EXPECT_EQ(part.characteristics[2].description, u"Char 3"_s);
    EXPECT_EQ(part.characteristics[2].units, u"mm"_s);
    EXPECT_EQ(part.characteristics[2].decimals, 3);
    EXPECT_EQ(part.characteristics[2].limits,
              (zelapp::ToleranceLimits{-0.01f, -0.008f, 0.008f, 0.01f}));
    EXPECT_EQ(part.verdict, ToleranceVerdict::RejectMinus);
    EXPECT_EQ(f.cycle.counters(), (zelapp::PartCounters{1, 0, 0, 1, 0, 0}));
}

TEST(PartCycle, WithoutStaticCharacteristicsItClearsAtOnceAndCapturesAtTheNextPoll) {
    PartCycleFixture f;
    f.channel(1, u"T1"_s, 0);
    f.channel(2, u"MAX(C1)"_s, 0.002f);
    PartProgram p;
    p.characteristics = {2};
    p.dynamicTimeMs = 1;  // a run-out needs one
    f.useProgram(p);
    ASSERT_EQ(f.cycle.measure(), QString());
    f.step();
    EXPECT_EQ(f.cycle.state(), CycleState::Acquiring);
    EXPECT_EQ(f.unit.count("ZelReadChannel(1)"), 0);
    f.step();
    ASSERT_EQ(f.cycle.state(), CycleState::Result);
    EXPECT_EQ(texts(f.last()), (std::vector<QString>{u"0.0020"_s}));
}

TEST(PartCycle, RefusalsCancelAndAStartOverAHeldResult) {
    PartCycleFixture f;
    f.channel(1, u"T1"_s, 0.001f);
    EXPECT_EQ(f.cycle.cancel(), u"no cycle"_s);
    f.busy = true;
    EXPECT_EQ(f.cycle.measure(), u"busy"_s);
    f.busy = false;
    EXPECT_EQ(f.cycle.state(), CycleState::Ready);

    ASSERT_EQ(f.cycle.measure(u"SN-1"_s), QString());
    EXPECT_EQ(f.cycle.measure(), u"cycle running"_s);
    f.step();
    EXPECT_EQ(f.cycle.cancel(), QString());
    EXPECT_EQ(f.cycle.state(), CycleState::Result);
    const zelapp::PartResult &cancelled = f.last();
    EXPECT_EQ(cancelled.reason, u"cancelled"_s);
    EXPECT_EQ(cancelled.id, u"SN-1"_s);
    EXPECT_FALSE(cancelled.completed);
    EXPECT_EQ(cancelled.verdict, ToleranceVerdict::NotValid);
    ASSERT_EQ(cancelled.characteristics.size(), 1u);
    EXPECT_FALSE(cancelled.characteristics[0].value);  // no values kept
    EXPECT_EQ(cancelled.characteristics[0].description, u"Char 1"_s);

    // A start over a held result; the unit lost on the way.
    ASSERT_EQ(f.cycle.measure(), QString());
    EXPECT_EQ(f.cycle.state(), CycleState::Settling);
    f.unit.reachable = false;
    f.step();
    EXPECT_EQ(f.last().reason, u"unit lost"_s);
    EXPECT_FALSE(f.last().completed);
    EXPECT_EQ(f.cycle.measure(), u"unit lost"_s);
    EXPECT_EQ(f.cycle.count(), 2);
    // The cancelled cycle is counted apart, the part the lost unit ended as Not valid.
    EXPECT_EQ(f.cycle.counters(), (zelapp::PartCounters{1, 0, 0, 0, 1, 1}));
}

TEST(PartCycle, ATimeoutCountsWhileTheScanIsOffAndTheCycleCallsNothing) {
    PartCycleFixture f;
    f.channel(1, u"T1"_s, 0.001f);
    PartProgram p;
    p.timeoutMs = 1000;
    f.useProgram(p);
    f.allowed = false;
    f.unit.clearCalls();
    ASSERT_EQ(f.cycle.measure(), QString());
    for (int i = 0; i < 19; ++i) {
        f.step();
    }
    EXPECT_EQ(f.cycle.state(), CycleState::Settling);
    f.step();  // t=1000
    ASSERT_EQ(f.cycle.state(), CycleState::Result);
    EXPECT_EQ(f.last().reason, u"timeout"_s);
    EXPECT_FALSE(f.last().completed);
    EXPECT_TRUE(f.unit.calls.empty());

    // A value that never settles times out too.
    f.allowed = true;
    ASSERT_EQ(f.cycle.measure(), QString());
    for (int i = 0; i < 20; ++i) {
        f.unit.channelValue[1] = i % 2 == 0 ? 0.001f : 0.002f;
        f.step();
    }
    EXPECT_EQ(f.last().reason, u"timeout"_s);
    EXPECT_EQ(f.cycle.count(), 2);
}

TEST(PartCycle, ASetupOrProgramChangeOrAMasterOnTheGaugeEndsTheCycle) {
    PartCycleFixture f;
    f.channel(1, u"T1"_s, 0.001f);
    using Kind = zelapp::SetupChange::Kind;
    ASSERT_EQ(f.cycle.measure(), QString());
    f.step();
    f.setup.markModified({Kind::Groups, 0});
    EXPECT_TRUE(f.cycle.running());
    f.setup.markModified({Kind::Amplifier, 2});
    EXPECT_EQ(f.last().reason, u"setup changed"_s);
    EXPECT_FALSE(f.last().completed);

    ASSERT_EQ(f.cycle.measure(), QString());
    PartProgram p;
    p.dynamicTimeMs = 100;
    f.useProgram(p);
    EXPECT_EQ(f.last().reason, u"setup changed"_s);

    ASSERT_EQ(f.cycle.measure(), QString());
    f.cycle.busyStarted();
    EXPECT_EQ(f.last().reason, u"busy"_s);
    f.cycle.busyStarted();  // no cycle: nothing ends
    f.setup.markModified({Kind::Channel, 1});
    EXPECT_EQ(f.cycle.count(), 3);
    EXPECT_EQ(f.cycle.counters().notValid, 3);
}

// A probe at 1.05 x its full scale (less 1 in 10^5), or an analog input at its full scale,
// either sign, at any poll from the clear to the capture: directly, through a range or
// through a channel read. The part is completed; only those characteristics are Not valid.
TEST(PartCycle, RangeEndsThroughRangesAndChannelsFromTheClearToTheCapture) {
    PartCycleFixture f;  // probes' full scale 0.05: the end is at 0.0525; the analog's is 1
    f.channel(1, u"GOR(T1:T4)"_s, 0.001f);
    f.channel(2, u"C1*2"_s, 0.002f);
    f.channel(3, u"A1*10"_s, 0.003f);
    f.channel(4, u"T5"_s, 0.004f);
    PartProgram p;
    p.dynamicTimeMs = 100;
    f.useProgram(p);

    // Beyond the end while settling, just inside it after the clear: no range end.
    f.unit.lvdtValue[3] = 0.06f;
    ASSERT_EQ(f.cycle.measure(), QString());
    ASSERT_TRUE(f.stepUntil(CycleState::Acquiring));
    f.unit.lvdtValue[3] = -0.0524f;
    f.unit.analogValue[1] = 0.9999f;
    ASSERT_TRUE(f.stepUntil(CycleState::Result));
    EXPECT_EQ(texts(f.last()),
              (std::vector<QString>{u"0.0010"_s, u"0.0020"_s, u"0.0030"_s, u"0.0040"_s}));
    EXPECT_EQ(f.last().verdict, ToleranceVerdict::Good);

    // At the end for one poll after the clear.
    f.unit.clearCalls();
    ASSERT_EQ(f.cycle.measure(), QString());
    ASSERT_TRUE(f.stepUntil(CycleState::Acquiring));
    f.unit.lvdtValue[3] = -0.0525f;
    f.unit.analogValue[1] = -1.0f;
    f.step();
    f.unit.lvdtValue[3] = 0;
    f.unit.analogValue[1] = 0;
    ASSERT_TRUE(f.stepUntil(CycleState::Result));
    const zelapp::PartResult &part = f.last();
    EXPECT_TRUE(part.completed);
    EXPECT_EQ(texts(part), (std::vector<QString>{u"range end T3"_s, u"range end T3"_s,
                                                 u"range end A1"_s, u"0.0040"_s}));
    EXPECT_FALSE(part.characteristics[0].value);
    EXPECT_EQ(part.characteristics[3].verdict, ToleranceVerdict::Good);
    EXPECT_EQ(part.reason, u"range end T3"_s);
    EXPECT_EQ(part.verdict, ToleranceVerdict::NotValid);
    EXPECT_EQ(f.unit.count("ZelReadTfsv(3)"), 1);  // full scales once a cycle
    EXPECT_EQ(f.unit.count("ZelReadAfsv(1)"), 1);
}

TEST(PartCycle, AReadTheUnitRefusesIsNotValidOnlyForItsCharacteristic) {
    PartCycleFixture f;
    f.channel(1, u"T1"_s, 0.001f);
    f.channel(2, u"T2"_s, 0.002f);
    ASSERT_EQ(f.cycle.measure(), QString());
    ASSERT_TRUE(f.stepUntil(CycleState::Acquiring));
    f.unit.refusals["ZelReadChannel(2)"] = 11;
    ASSERT_TRUE(f.stepUntil(CycleState::Result));
    EXPECT_TRUE(f.last().completed);
    EXPECT_EQ(texts(f.last()), (std::vector<QString>{u"0.0010"_s, u"read failed"_s}));
    EXPECT_EQ(f.last().reason, u"read failed"_s);
    EXPECT_EQ(f.cycle.counters().notValid, 1);
}

TEST(PartCycle, AutoStartHoldsTheResultUntilThePartIsTakenOff) {
    PartCycleFixture f;
    PartProgram p = f.autoStart();
    p.presentTimeMs = 0;  // the present time has a test of its own
    f.useProgram(p);
    f.unit.clearCalls();

    f.step();
    EXPECT_EQ(f.cycle.state(), CycleState::Ready);
    EXPECT_EQ(f.unit.calls, (std::vector<std::string>{"ZelReadChannel(5)"}));
    f.allowed = false;
    f.unit.channelValue[5] = 1.5f;  // on the gauge, at the high end
    f.step();
    EXPECT_EQ(f.cycle.state(), CycleState::Ready);  // the scan is off: not even looked at
    f.busy = true;
    f.step();
    EXPECT_EQ(f.cycle.state(), CycleState::Ready);  // a master on the gauge is no part
    f.allowed = true;
    f.busy = false;
    f.step();
    EXPECT_EQ(f.cycle.state(), CycleState::Settling);
    ASSERT_TRUE(f.stepUntil(CycleState::Result));
    EXPECT_TRUE(f.last().completed);
    for (int i = 0; i < 5; ++i) {
        f.step();
    }
    EXPECT_EQ(f.cycle.state(), CycleState::Result);
    EXPECT_EQ(f.cycle.count(), 1);
    f.unit.channelValue[5] = 0.4f;  // taken off
    f.step();
    EXPECT_EQ(f.cycle.state(), CycleState::Ready);

    // Taken off while measuring.
    f.unit.channelValue[5] = 0.5f;
    f.step();
    ASSERT_TRUE(f.cycle.running());
    f.step();
    f.unit.channelValue[5] = 0;
    f.step();
    EXPECT_EQ(f.last().reason, u"part removed"_s);
    EXPECT_FALSE(f.last().completed);
    f.step();
    EXPECT_EQ(f.cycle.state(), CycleState::Ready);
    EXPECT_EQ(f.notices.back(), u"Ready"_s);

    // Asked for an identifier: the part waits for one.
    p.askId = true;
    f.useProgram(p);
    f.unit.channelValue[5] = 1;
    f.step();
    EXPECT_EQ(f.cycle.state(), CycleState::Ready);
    f.cycle.setNextId(u"SN-7"_s);
    f.step();
    EXPECT_TRUE(f.cycle.running());
    EXPECT_EQ(f.cycle.nextId(), QString());
    ASSERT_TRUE(f.stepUntil(CycleState::Result));
    EXPECT_EQ(f.last().id, u"SN-7"_s);
}

// The part takes the worst verdict, with the side of the first of the worst; rounding to the
// channel's decimals decides at a limit; a reading that is not a number is Not valid.
TEST(PartCycle, TheWorstVerdictWithItsSideAndTheCounters) {
    PartCycleFixture f;
    f.channel(1, u"T1"_s, 0.00804f);  // 0.0080 as shown: on the approach limit, good
    f.channel(2, u"T2"_s, 0.01f);     // on the tolerance limit: a warning
    f.channel(3, u"T3"_s, 0);
    int counterNotices = 0;
    QObject::connect(&f.cycle, &zelapp::PartCycle::countersChanged, [&] { ++counterNotices; });
    const auto measure = [&f](float v1, float v2, float v3) {
        f.unit.channelValue[1] = v1;
        f.unit.channelValue[2] = v2;
        f.unit.channelValue[3] = v3;
        EXPECT_EQ(f.cycle.measure(), QString());
        EXPECT_TRUE(f.stepUntil(CycleState::Result));
        return f.last().verdict;
    };
    EXPECT_EQ(measure(0.00804f, 0.01f, -0.009f), ToleranceVerdict::WarningPlus);
    EXPECT_EQ(f.last().characteristics[0].verdict, ToleranceVerdict::Good);
    EXPECT_EQ(measure(0, 0, 0), ToleranceVerdict::Good);
    EXPECT_EQ(measure(0.009f, -0.011f, 0.02f), ToleranceVerdict::RejectMinus);
    EXPECT_EQ(measure(0.0101f, 0, -0.02f), ToleranceVerdict::RejectPlus);
    EXPECT_EQ(measure(std::numeric_limits<float>::quiet_NaN(), 0.02f, 0),
              ToleranceVerdict::NotValid);
    EXPECT_EQ(f.last().characteristics[0].verdict, ToleranceVerdict::NotValid);
    EXPECT_EQ(f.last().reason, u"not a number"_s);
    EXPECT_EQ(texts(f.last())[0], u"not a number"_s);
    EXPECT_EQ(f.cycle.counters(), (zelapp::PartCounters{5, 1, 1, 2, 1, 0}));
    EXPECT_EQ(counterNotices, 5);

    f.cycle.resetCounters();
    EXPECT_EQ(f.cycle.counters(), zelapp::PartCounters{});
    EXPECT_EQ(f.cycle.count(), 5);
    EXPECT_EQ(measure(0, 0, 0), ToleranceVerdict::Good);
    EXPECT_EQ(f.last().count, 6);
    EXPECT_EQ(f.cycle.counters(), (zelapp::PartCounters{1, 1, 0, 0, 0, 0}));
}

// Each part ended lands in one counter; a cancelled cycle judged no part and is no part.
struct CountCase {
    const char *name;
    ToleranceVerdict verdict;
    bool completed;
    const char16_t *reason;
    zelapp::PartCounters counted;
};

class PartCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(PartCount, EachPartEndedLandsInOneCounter) {
    const CountCase &c = GetParam();
    zelapp::PartResult part;
    part.verdict = c.verdict;
    part.completed = c.completed;
    part.reason = QString::fromUtf16(c.reason);
    zelapp::PartCounters counters;
    zelapp::countPart(counters, part);
    EXPECT_EQ(counters, c.counted);
}

const CountCase kCountCases[] = {
    {"Good", ToleranceVerdict::Good, true, u"", {1, 1, 0, 0, 0, 0}},
    {"WarningMinus", ToleranceVerdict::WarningMinus, true, u"", {1, 0, 1, 0, 0, 0}},
    {"RejectPlus", ToleranceVerdict::RejectPlus, true, u"", {1, 0, 0, 1, 0, 0}},
    {"NotANumber", ToleranceVerdict::NotValid, true, u"not a number", {1, 0, 0, 0, 1, 0}},
    {"TimedOut", ToleranceVerdict::NotValid, false, u"timeout", {1, 0, 0, 0, 1, 0}},
    {"PartRemoved", ToleranceVerdict::NotValid, false, u"part removed", {1, 0, 0, 0, 1, 0}},
    {"Cancelled", ToleranceVerdict::NotValid, false, u"cancelled", {0, 0, 0, 0, 0, 1}},
};
INSTANTIATE_TEST_SUITE_P(PartCycle, PartCount, ::testing::ValuesIn(kCountCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(PartCycle, NoStartBeforeTheProgramHasStartedWithNothingToMeasureOrInAutoWithoutAPart) {
    PartCycleFixture f;
    const PartProgram automatic = f.autoStart();
    f.unit.clearCalls();
    zelapp::PartCycle early{f.link, f.setup, f.program, f.clock, f.wall};
    EXPECT_EQ(early.measure(), u"starting"_s);
    EXPECT_EQ(early.state(), CycleState::Ready);
    early.programStarted();
    EXPECT_EQ(early.measure(), QString());
    EXPECT_EQ(early.cancel(), QString());

    // Characteristics the setup does not measure (a channel it lacks, one without a formula) are
    // passed over; with none left there is nothing to measure.
    PartProgram p;
    p.characteristics = {9, 3};
    f.useProgram(p);
    EXPECT_EQ(f.cycle.measure(), u"no characteristics"_s);
    p.characteristics = {9, 1, 3};
    f.useProgram(p);
    ASSERT_EQ(f.cycle.measure(), QString());
    ASSERT_TRUE(f.stepUntil(CycleState::Result));
    EXPECT_TRUE(f.last().completed);
    EXPECT_EQ(f.last().verdict, ToleranceVerdict::Good);
    ASSERT_EQ(f.last().characteristics.size(), 1u);
    EXPECT_EQ(f.last().characteristics[0].channel, 1);
    EXPECT_EQ(f.unit.count("ZelReadChannel(3)"), 0);

    // In auto, a Measure needs a part on the gauge, as the present channel says now.
    f.useProgram(automatic);
    f.unit.clearCalls();
    EXPECT_EQ(f.cycle.measure(), u"no part"_s);
    EXPECT_EQ(f.unit.calls, (std::vector<std::string>{"ZelReadChannel(5)"}));
    f.unit.channelValue[5] = 1;
    f.unit.refusals["ZelReadChannel(5)"] = 11;  // the present channel cannot say
    EXPECT_EQ(f.cycle.measure(), u"no part"_s);
    f.unit.refusals.clear();
    EXPECT_EQ(f.cycle.measure(), QString());
    EXPECT_TRUE(f.cycle.running());
    EXPECT_EQ(f.cycle.count(), 1);
}

// A late unit: each call moves the clock on while the cycle waits for it.
TEST(PartCycle, ALateUnitGetsATurnAPollAndNoCallOnceTheTimeoutHasPassed) {
    PartCycleFixture f;
    f.channel(1, u"T1"_s, 0.001f);
    f.channel(2, u"T2"_s, 0.002f);
    f.channel(3, u"T3"_s, 0.003f);
    PartProgram p;
    p.settleTimeMs = 0;
    p.timeoutMs = 2000;
    f.useProgram(p);
    qint64 callMs = 100;
    std::vector<qint64> callsAt;
    f.unit.onCall = [&] {
        callsAt.push_back(f.clock.now);
        f.clock.now += callMs;
    };
    const auto pollsUntilTheEnd = [&f] {
        std::vector<std::size_t> calls;
        while (f.cycle.running() && calls.size() < 100) {
            const std::size_t before = f.unit.calls.size();
            f.step();
            calls.push_back(f.unit.calls.size() - before);
        }
        return calls;
    };

    // Slow but in time: a poll calls while its 250 ms last (and the call under way), the next
    // goes on where it stopped: 3 full scales, 3 settling reads, the clear (acquiring begins at
    // the next poll), 3 probes, 3 captures.
    ASSERT_EQ(f.cycle.measure(), QString());
    EXPECT_EQ(pollsUntilTheEnd(), (std::vector<std::size_t>{3, 3, 1, 3, 3}));
    ASSERT_EQ(f.cycle.state(), CycleState::Result);
    EXPECT_TRUE(f.last().completed);
    EXPECT_EQ(texts(f.last()), (std::vector<QString>{u"0.0010"_s, u"0.0020"_s, u"0.0030"_s}));

    // Too late: one call a poll, none after the Timeout, and the one that comes back after it
    // ends the part with no values.
    callMs = 700;
    callsAt.clear();
    ASSERT_EQ(f.cycle.measure(), QString());
    const qint64 started = f.clock.now;
    EXPECT_EQ(pollsUntilTheEnd(), (std::vector<std::size_t>{1, 1, 1}));
    ASSERT_EQ(f.cycle.state(), CycleState::Result);
    EXPECT_EQ(f.last().reason, u"timeout"_s);
    EXPECT_FALSE(f.last().completed);
    EXPECT_FALSE(f.last().characteristics[0].value);
    ASSERT_EQ(callsAt.size(), 3u);
    EXPECT_LT(callsAt.back() - started, p.timeoutMs);
    EXPECT_GT(f.clock.now - started, p.timeoutMs);
}

namespace {
// What the present channel reads at each poll: '+' inside its window, '-' outside, '?' a read
// the unit refuses.
struct PresentCase {
    const char *name;
    std::optional<int> presentTimeMs;  // none: the program's default
    const char *readings;
    int startsAt;  // the poll that starts the cycle; -1: none
};

class PresentTime : public ::testing::TestWithParam<PresentCase> {};

TEST_P(PresentTime, APartIsOnOnceThePresentChannelStaysInsideItsWindowThatLong) {
    const PresentCase &c = GetParam();
    PartCycleFixture f;
    PartProgram p = f.autoStart();
    p.presentTimeMs = c.presentTimeMs.value_or(p.presentTimeMs);
    f.useProgram(p);
    int startedAt = -1;
    for (int i = 0; c.readings[i] != 0 && startedAt < 0; ++i) {
        f.unit.channelValue[5] = c.readings[i] == '-' ? 0.0f : 1.0f;
        f.unit.refusals["ZelReadChannel(5)"] = c.readings[i] == '?' ? 11 : 0;
        f.step();
        if (f.cycle.running()) {
            startedAt = i;
        }
    }
    EXPECT_EQ(startedAt, c.startsAt);
    EXPECT_EQ(f.cycle.count(), 0);
}

const PresentCase kPresentCases[] = {
    {"AtOnceWithoutAPresentTime", 0, "+", 0},
    {"AfterTheDefault200Ms", std::nullopt, "+++++", 4},
    {"NotJustBeforeIt", std::nullopt, "-++++", -1},
    {"NeverWhileItBounces", std::nullopt, "+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-+-", -1},
    {"AfterABounceTheTimeStartsAgain", std::nullopt, "+++-+++++", 8},
    {"AReadingThatCannotSayStartsItAgain", std::nullopt, "+++?+++++", 8},
    {"ALongerTime", 1000, "+++++++++++++++++++++", 20},
};

INSTANTIATE_TEST_SUITE_P(PartCycle, PresentTime, ::testing::ValuesIn(kPresentCases),
                         [](const ::testing::TestParamInfo<PresentCase> &info) {
                             return std::string(info.param.name);
                         });
}  // namespace

namespace {
// The poll clock: each poll when nextPollMs() says, a static and a run-out characteristic with
// steady readings; the times after the start at which the polls come.
struct PollClockCase {
    const char *name;
    int settleTimeMs;
    int dynamicTimeMs;
    std::vector<qint64> polls;  // the last one gives the verdict
};

class PollClock : public ::testing::TestWithParam<PollClockCase> {};

TEST_P(PollClock, APartWaitsForNoPollBeyondItsSettleAndDynamicTimes) {
    const PollClockCase &c = GetParam();
    PartCycleFixture f;
    f.channel(1, u"T1"_s, 0.0042f);
    f.channel(2, u"TIR(C1)"_s, 0.0011f);
    PartProgram p;
    p.settleTimeMs = c.settleTimeMs;
    p.dynamicTimeMs = c.dynamicTimeMs;
    f.useProgram(p);
    f.step(7);  // an idle poll, at any time before the start
    ASSERT_EQ(f.cycle.measure(), QString());
    const qint64 started = f.clock.now;
    std::vector<qint64> polls;
    while (f.cycle.running() && polls.size() < 50) {
        const std::optional<qint64> next = f.cycle.nextPollMs();
        ASSERT_TRUE(next);
        EXPECT_LE(*next, zelapp::PartCycle::kPollMs);
        f.step(*next);
        polls.push_back(f.clock.now - started);
    }
    EXPECT_EQ(polls, c.polls);
    ASSERT_EQ(f.cycle.state(), CycleState::Result);
    EXPECT_TRUE(f.last().completed);
    EXPECT_EQ(f.last().reason, QString());
}

const PollClockCase kPollClockCases[] = {
    {"BothTimesAPollLong", 50, 50, {0, 50, 100}},
    {"LongerTimesReadEveryPollBetween", 100, 200, {0, 50, 100, 150, 200, 250, 300}},
    {"NoSettleTimeTheLeastDynamicTime", 0, 1, {0, 1}},
    {"TimesBetweenPolls", 30, 70, {0, 30, 80, 100}},
    {"ASettleTimeThatIsNoMultipleOfThePoll", 120, 1, {0, 50, 100, 120, 121}},
};

INSTANTIATE_TEST_SUITE_P(PartCycle, PollClock, ::testing::ValuesIn(kPollClockCases),
                         [](const ::testing::TestParamInfo<PollClockCase> &info) {
                             return std::string(info.param.name);
                         });
}  // namespace

// The characteristics of a pass are read one after the other: the poll comes when the last of
// them can have settled, not when the first could (and finds the others not yet).
TEST(PartCycle, ThePollClockWaitsForTheLastCharacteristicReadToSettle) {
    PartCycleFixture f;
    f.channel(1, u"T1"_s, 0.0042f);
    f.channel(2, u"T2"_s, -0.0011f);
    PartProgram p;
    p.settleTimeMs = 50;
    f.useProgram(p);
    qint64 callMs = 5;  // the first pass's reads are slow, the later ones take no time
    f.unit.onCall = [&] { f.clock.now += callMs; };
    ASSERT_EQ(f.cycle.measure(), QString());
    const qint64 started = f.clock.now;
    f.step(0);  // two full scales, then channel 1 read at 15 ms and channel 2 at 20 ms
    callMs = 0;
    EXPECT_EQ(f.cycle.nextPollMs(), zelapp::PartCycle::kPollMs);
    f.step(*f.cycle.nextPollMs());
    EXPECT_EQ(f.clock.now - started, 70);
    EXPECT_EQ(f.cycle.state(), CycleState::Acquiring);
}

// Sooner than kPollMs only where a time ends: not while idle with a key start, not for a unit
// that used up its turn or may not be called; in auto, while the present time runs.
TEST(PartCycle, ThePollClockWaitsAWholePollWhereNoTimeEndsAndStopsWhereNothingCanStart) {
    PartCycleFixture f;
    f.channel(1, u"T1"_s, 0.0042f);
    PartProgram p;
    p.settleTimeMs = 100;
    f.useProgram(p);
    EXPECT_EQ(f.cycle.nextPollMs(), std::nullopt);  // a key start: nothing to poll for

    ASSERT_EQ(f.cycle.measure(), QString());
    f.allowed = false;  // the scan tick is off
    EXPECT_EQ(f.cycle.nextPollMs(), 0);
    f.step(0);
    EXPECT_EQ(f.cycle.nextPollMs(), zelapp::PartCycle::kPollMs);
    f.allowed = true;
    f.unit.onCall = [&f] { f.clock.now += zelapp::kUnitTurnMs; };  // a late unit
    f.step();
    EXPECT_EQ(f.cycle.nextPollMs(), zelapp::PartCycle::kPollMs);
    f.unit.onCall = nullptr;
    f.step();
    EXPECT_EQ(f.cycle.nextPollMs(), zelapp::PartCycle::kPollMs);  // the settle time just began
    f.step(60);
    EXPECT_EQ(f.cycle.nextPollMs(), 40);
    f.cycle.cancel();
    EXPECT_EQ(f.cycle.nextPollMs(), std::nullopt);

    PartProgram automatic = f.autoStart();
    automatic.presentTimeMs = 120;
    f.useProgram(automatic);
    EXPECT_EQ(f.cycle.nextPollMs(), zelapp::PartCycle::kPollMs);
    f.unit.channelValue[5] = 1.0f;  // a part put on
    f.step();
    f.step();
    f.step();
    EXPECT_EQ(f.cycle.nextPollMs(), 20);
    f.step(20);
    EXPECT_TRUE(f.cycle.running());
    EXPECT_EQ(f.cycle.nextPollMs(), 0);
}
