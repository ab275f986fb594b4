// Parts measured through the real library against zel8d, driven as an operator and a gauge
// would: a part put on the gauge with a bouncing signal starts one cycle once it stays on, a
// run-out is acquired while the signal changes, a unit that goes silent mid-cycle leaves the
// part Not valid, and one that answers late gets one call a poll and ends the part at its
// Timeout. The cycle's clock is the test's (a late answer moves it on by the unit's delay); the
// unit scans when told ("scan N"), so nothing waits on real time.
#include <gtest/gtest.h>

#include <QDir>

#include "emulated_unit.h"
#include "emulator_process.h"
#include "file_bytes.h"
#include "late_unit.h"
#include "session_fixture.h"
#include "temp_folder.h"
#include "unit/library_messages.h"
#include "unit/zelcomm_binding.h"

using namespace Qt::StringLiterals;
using zelapp::CycleState;

namespace {

class PartCycleWithEmulator : public ::testing::Test, protected zeltest::EmulatedUnit {
  protected:
    zeltest::LateUnit late{binding};
    zeltest::SessionFixture f{&late};
    zelapp::LibraryMessagePrompter libraryMessages{f.prompter};
    zelapp::PartCycle &cycle = f.session->partCycle();

    void SetUp() override {
        late.clock = &f.scanClock;
        ASSERT_TRUE(emulator.start({"--probes", "8", "--analogs", "1", "--set", "T1=0.01"}))
            << emulator.errors();
        binding.installMessageHook(libraryMessages);
        zeltest::writeBytes(QDir(f.programFolder()).filePath(u"zelapp.ini"_s),
                            "[ZELAPP Version 6.01]\r\n[General Setup]\r\nMaxChannel= 4 \r\n");
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        f.session->scan().setDecimalSeparator(u'.');
        f.state().SetupFileName = QDir(f.programFolder()).filePath(u"shaft.zel"_s);
    }

    void define(int n, const QString &formula) {
        zelapp::Channel &c = *f.setup().channel(n);
        ASSERT_EQ(c.setFormula(formula), 0);
        c.Decimals = 4;
        c.LoTol = -0.01f;
        c.LoAppr = -0.008f;
        c.HiAppr = 0.008f;
        c.HiTol = 0.01f;
    }
    // An input set on the gauge, and the unit scanning it in.
    void set(const char *input, const char *value) {
        ASSERT_EQ(emulator.control({"set", input, value}), "OK");
        ASSERT_EQ(emulator.control({"scan", "2"}).rfind("OK", 0), 0u);
    }
    void step() {
        f.scanClock.now += zelapp::PartCycle::kPollMs;
        cycle.poll();
    }
    bool stepUntil(CycleState state) {
        for (int i = 0; i < 100 && cycle.state() != state; ++i) {
            step();
        }
        return cycle.state() == state;
    }
    QString text(std::size_t i) const {
        const zelapp::CharacteristicResult &c = cycle.lastResult()->characteristics.at(i);
        return c.reason.isEmpty() ? c.text : c.reason;
    }
};

}  // namespace

TEST_F(PartCycleWithEmulator, APartPutOnTheGaugeIsMeasuredAndItsResultHeldUntilItIsTakenOff) {
    define(1, u"T1"_s);
    define(2, u"T2*100"_s);  // the part's presence: a rest at 1.0 to 3.0
    zelapp::PartProgram p;
    p.start = zelapp::PartStart::Auto;
    p.characteristics = {1};
    p.presentChannel = 2;
    p.presentLow = 1;
    p.presentHigh = 3;
    f.session->partProgram().replace(p);

    qint64 clearedAt = -1;
    QObject::connect(&cycle, &zelapp::PartCycle::stateChanged, [&](CycleState state) {
        if (state == CycleState::Acquiring) {
            clearedAt = f.scanClock.now;
        }
    });
    step();
    EXPECT_EQ(cycle.state(), CycleState::Ready);
    // Put on with a bouncing present signal, on and off from poll to poll: no cycle.
    for (const char *present : {"0.02", "0", "0.02", "0", "0.02", "0", "0.02", "0"}) {
        set("T2", present);
        step();
        EXPECT_EQ(cycle.state(), CycleState::Ready);
    }
    set("T1", "0.009");  // the probe still travelling onto the part
    set("T2", "0.02");
    // On for the present time, and the cycle starts.
    for (int waited = 0; waited < p.presentTimeMs; waited += zelapp::PartCycle::kPollMs) {
        step();
        EXPECT_EQ(cycle.state(), CycleState::Ready);
    }
    step();
    EXPECT_EQ(cycle.state(), CycleState::Settling);
    step();
    set("T1", "0.004");  // on the part
    const qint64 arrived = f.scanClock.now;
    ASSERT_TRUE(stepUntil(CycleState::Result));
    // Settled the settle time after the first reading on the part, at the poll after it.
    EXPECT_EQ(clearedAt, arrived + zelapp::PartCycle::kPollMs + p.settleTimeMs);
    EXPECT_TRUE(cycle.lastResult()->completed);
    EXPECT_EQ(text(0), u"0.0040"_s);
    EXPECT_EQ(cycle.lastResult()->verdict, zelapp::ToleranceVerdict::Good);
    EXPECT_EQ(cycle.lastResult()->number, u"shaft"_s);

    step();
    EXPECT_EQ(cycle.state(), CycleState::Result);
    set("T2", "0");
    step();
    EXPECT_EQ(cycle.state(), CycleState::Ready);
    EXPECT_EQ(cycle.count(), 1);
    EXPECT_TRUE(failures.empty());
}

TEST_F(PartCycleWithEmulator, ARunOutIsAcquiredFromTheClearWhileThePartTurns) {
    define(1, u"T1"_s);
    define(2, u"TIR(C1)"_s);
    zelapp::PartProgram p;
    p.dynamicTimeMs = 200;
    f.session->partProgram().replace(p);
    set("T1", "0.015");  // before the clear: no part of the run-out
    set("T1", "0.010");

    ASSERT_EQ(cycle.measure(), QString());
    ASSERT_TRUE(stepUntil(CycleState::Acquiring));
    for (const char *value : {"0.013", "0.009", "0.0105"}) {
        set("T1", value);
        step();
    }
    ASSERT_TRUE(stepUntil(CycleState::Result));
    EXPECT_TRUE(cycle.lastResult()->completed);
    EXPECT_EQ(text(0), u"0.0105"_s);  // captured at the end
    EXPECT_EQ(text(1), u"0.0040"_s);  // 0.013 - 0.009
    EXPECT_EQ(cycle.lastResult()->verdict, zelapp::ToleranceVerdict::RejectPlus);
}

TEST_F(PartCycleWithEmulator, AUnitSilencedMidCycleLeavesThePartNotValid) {
    define(1, u"T1"_s);
    ASSERT_EQ(cycle.measure(), QString());
    step();
    ASSERT_EQ(cycle.state(), CycleState::Settling);
    ASSERT_EQ(emulator.control({"silent", "on"}), "OK");
    step();
    ASSERT_EQ(cycle.state(), CycleState::Result);
    EXPECT_EQ(cycle.lastResult()->reason, u"unit lost"_s);
    EXPECT_FALSE(cycle.lastResult()->completed);
    EXPECT_FALSE(cycle.lastResult()->characteristics.at(0).value);
    EXPECT_EQ(cycle.measure(), u"unit lost"_s);
}

TEST_F(PartCycleWithEmulator, ALateUnitGetsOneCallAPollAndThePartEndsNotValidAtItsTimeout) {
    define(1, u"T1"_s);
    define(2, u"T2"_s);
    zelapp::PartProgram p;
    p.settleTimeMs = 0;
    p.timeoutMs = 1000;
    f.session->partProgram().replace(p);
    ASSERT_EQ(emulator.control({"delay", "300"}), "OK");
    late.callMs = 300;

    // Two full scales, then a settling read that comes back after the Timeout.
    ASSERT_EQ(cycle.measure(), QString());
    std::vector<long> requests;
    while (cycle.running() && requests.size() < 10) {
        const long before = late.requests;
        step();
        requests.push_back(late.requests - before);
    }
    EXPECT_EQ(requests, (std::vector<long>{1, 1, 1}));
    ASSERT_EQ(cycle.state(), CycleState::Result);
    EXPECT_EQ(cycle.lastResult()->reason, u"timeout"_s);
    EXPECT_FALSE(cycle.lastResult()->completed);
    EXPECT_FALSE(cycle.lastResult()->characteristics.at(0).value);

    // Answering in time again, the next part is measured.
    ASSERT_EQ(emulator.control({"delay", "0"}), "OK");
    late.callMs = 0;
    ASSERT_EQ(cycle.measure(), QString());
    ASSERT_TRUE(stepUntil(CycleState::Result));
    EXPECT_TRUE(cycle.lastResult()->completed);
    EXPECT_EQ(text(0), u"0.0100"_s);
    EXPECT_TRUE(failures.empty());
}
