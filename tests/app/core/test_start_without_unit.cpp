// Starting without the unit: the program runs on its copy from the first write, a setup file
// loads into it, the retry timer looks for the unit, and the first answer puts the unit in step
// with everything prepared meanwhile.
#include <gtest/gtest.h>

#include <QDir>

#include "file_bytes.h"
#include "session_fixture.h"
#include "setup/setup_commands.h"

using namespace Qt::StringLiterals;
using zelapp::PromptAnswer;
using zelapp::UnitRecovery;

namespace {

// One channel with a formula, a scaling and a zero offset, and a probe's full scale.
const char *const kOneChannel =
    "[ZELAPP Version 6.0]\r\n"
    "[General Setup]\r\nMaxChannel= 2 \r\nMaxLVDT= 1 \r\nMaxAnalog= 1 \r\nMaxDigital=0\r\n"
    "MaxStrain=0\r\nDecimals= 4 \r\n[End Section]\r\n"
    "[Channel]\r\n 1 \r\nBore\r\nT1*2\r\n 4 \r\nInch\r\n 0 \r\n 0 \r\nFalse\r\n"
    " .01 \r\n .009 \r\n-.009 \r\n-.01 \r\n 3 \r\n .002 \r\n .05 \r\n-.05 \r\n[End Channel]\r\n"
    "[lvdt]\r\n 1 \r\nFront\r\n .05 \r\n 0 \r\n[End lvdt]\r\n"
    "[End Setup]\r\n";

TEST(StartWithoutUnit, TheSetupIsPreparedOnTheCopyAndSentWhenTheUnitAnswers) {
    zeltest::SessionFixture f;
    zeltest::FakeUnit &unit = f.fakeUnit;
    unit.commInitResult = -1;
    // "zelapp.ini file not found", then "Start without the unit".
    f.prompter.answers = {PromptAnswer::Ok, PromptAnswer::Continue};
    ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
    UnitRecovery &recovery = f.session->recovery();

    // Lost from the start: the windows say so and the retry timer runs.
    EXPECT_TRUE(f.session->unit().lost());
    EXPECT_TRUE(recovery.status().lost);
    ASSERT_FALSE(f.view.unitStatuses.empty());
    EXPECT_TRUE(f.view.unitStatuses.back().lost);
    EXPECT_TRUE(recovery.retryTimer().isActive());
    // Nothing after the failed initialisation reached the unit; the copy holds it.
    EXPECT_EQ(unit.calls.back(), "ZelCommInit(0)") << unit.calls.back();
    EXPECT_EQ(f.session->unit().copy().scanTime, 100);
    EXPECT_EQ(f.session->unit().copy().adcAverage, 4);

    const QString path = QDir(f.programFolder()).filePath(u"bore.zel"_s);
    zeltest::writeBytes(path, kOneChannel);
    f.state().SetupFileName = path;
    f.prompter.shown.clear();
    ASSERT_EQ(f.session->setupCommands().loadSetupFile(), zelapp::SetupLoad::Loaded);
    EXPECT_TRUE(f.prompter.shown.empty()) << f.prompter.shown[0].text.toStdString();
    EXPECT_EQ(unit.calls.back(), "ZelCommInit(0)");
    EXPECT_EQ(f.session->unit().copy().formulas.at(1), "T1*2");
    f.session->scan().Timer1_Timer();  // ticks read nothing from a unit never found
    EXPECT_EQ(unit.calls.back(), "ZelCommInit(0)");

    // Still not there: the attempt fails and the timer is set again.
    recovery.reconnect();
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_TRUE(recovery.status().lost);
    EXPECT_TRUE(recovery.retryTimer().isActive());

    // Switched on: the next attempt finds it and sends the scan settings and the setup.
    const zelapp::UnitCopy held = f.session->unit().copy();
    ASSERT_TRUE(held.value(zelapp::UnitCopy::Cscale, 1).has_value());
    ASSERT_TRUE(held.value(zelapp::UnitCopy::Tfsv, 1).has_value());
    EXPECT_FLOAT_EQ(*held.value(zelapp::UnitCopy::Cscale, 1), 3.0f);
    unit.commInitResult = 0;
    unit.clearCalls();
    recovery.reconnect();
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_FALSE(recovery.status().lost);
    EXPECT_FALSE(f.session->unit().lost());
    EXPECT_FALSE(recovery.retryTimer().isActive());
    EXPECT_FALSE(f.view.unitStatuses.back().lost);
    EXPECT_EQ(unit.formulas.at(1), "T1*2");
    EXPECT_FLOAT_EQ(unit.cscale.at(1), 3.0f);
    EXPECT_EQ(unit.czero.at(1), *held.value(zelapp::UnitCopy::Czero, 1));
    EXPECT_EQ(unit.tfsv.at(1), *held.value(zelapp::UnitCopy::Tfsv, 1));
    EXPECT_EQ(unit.count("ZelStartScan()"), 1);
    EXPECT_EQ(unit.count("ZelSetScanTime(100)"), 1);
    EXPECT_EQ(unit.count("ZelSetAdcAvg(4)"), 1);
    ASSERT_EQ(f.view.statuses.size(), 1u);
    EXPECT_EQ(f.view.statuses[0], UnitRecovery::foundText());

    // A later loss is an ordinary one again.
    unit.reachable = false;
    f.session->scan().Timer1_Timer();
    ASSERT_TRUE(recovery.status().lost);
    unit.reachable = true;
    recovery.reconnect();
    ASSERT_TRUE(f.attempts.finish());
    ASSERT_EQ(f.view.statuses.size(), 2u);
    EXPECT_NE(f.view.statuses[1], UnitRecovery::foundText());
}

TEST(StartWithoutUnit, OfflineSwitchAsksNothingAndLeavesTheLibraryAlone) {
    zeltest::SessionFixture f(nullptr, nullptr, u"/OFFLINE"_s);
    ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
    EXPECT_EQ(f.fakeUnit.count("ZelCommInit("), 0);
    EXPECT_EQ(f.fakeUnit.count("ZelStartScan("), 0);
    for (const auto &shown : f.prompter.shown) {
        EXPECT_NE(shown.text, zelapp::communicationFailedText());
    }
    EXPECT_TRUE(f.session->recovery().status().lost);
    EXPECT_TRUE(f.session->recovery().retryTimer().isActive());
}

}  // namespace
