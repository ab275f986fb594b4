// "/OFFLINE" through the real libzelcomm.so: the program starts with no zel8d running, a setup
// file loads into the program's copy, and once zel8d is started the next attempt finds the unit
// and sends it the setup prepared meanwhile.
#include <gtest/gtest.h>

#include <QDir>

#include "emulator_process.h"
#include "file_bytes.h"
#include "session_fixture.h"
#include "setup/setup_commands.h"
#include "temp_folder.h"
#include "unit/library_messages.h"
#include "unit/zelcomm_binding.h"

using namespace Qt::StringLiterals;

namespace {

// Channel 1 doubles probe 1 and adds a zero offset; the probe's full scale is 0.05.
const char *const kBoreSetup =
    "[ZELAPP Version 6.0]\r\n"
    "[General Setup]\r\nMaxChannel= 2 \r\nMaxLVDT= 2 \r\nMaxAnalog= 1 \r\nMaxDigital=0\r\n"
    "MaxStrain=0\r\nDecimals= 4 \r\n[End Section]\r\n"
    "[Channel]\r\n 1 \r\nBore\r\nT1*2\r\n 4 \r\nInch\r\n 0 \r\n 0 \r\nFalse\r\n"
    " .01 \r\n .009 \r\n-.009 \r\n-.01 \r\n 1 \r\n .001 \r\n .05 \r\n-.05 \r\n[End Channel]\r\n"
    "[lvdt]\r\n 1 \r\nFront\r\n .05 \r\n 0 \r\n[End lvdt]\r\n"
    "[lvdt]\r\n 2 \r\nRear\r\n .05 \r\n 0 \r\n[End lvdt]\r\n"
    "[End Setup]\r\n";

TEST(StartOffline, TheUnitStartedLaterIsFoundAndGetsTheSetup) {
    zeltest::TempFolder devices;
    zeltest::ScopedEnv deviceDir{"ZEL_DEVICE_DIR", devices.path().c_str()};
    zeltest::EmulatorProcess emulator{ZEL8D_PATH, devices.path()};
    std::vector<QString> failures;
    zelapp::ZelcommBinding binding{QString::fromUtf8(ZELCOMM_DIR),
                                   [&failures](const QString &m) { failures.push_back(m); }};
    zeltest::SessionFixture f{&binding, nullptr, u"/OFFLINE"_s};
    zelapp::LibraryMessagePrompter libraryMessages{f.prompter};
    binding.installMessageHook(libraryMessages);

    ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
    f.session->commands().EnableGrid_Click();
    EXPECT_TRUE(failures.empty());
    zelapp::UnitRecovery &recovery = f.session->recovery();
    EXPECT_TRUE(recovery.status().lost);
    EXPECT_TRUE(recovery.retryTimer().isActive());

    const QString path = QDir(f.programFolder()).filePath(u"bore.zel"_s);
    zeltest::writeBytes(path, kBoreSetup);
    f.state().SetupFileName = path;
    f.prompter.shown.clear();
    ASSERT_EQ(f.session->setupCommands().loadSetupFile(), zelapp::SetupLoad::Loaded);
    EXPECT_TRUE(f.prompter.shown.empty()) << f.prompter.shown[0].text.toStdString();
    f.state().ScanHoldCount = 0;
    f.session->scan().Timer1_Timer();
    EXPECT_EQ(f.session->labels().text(1), u"NO UNIT"_s);

    // No unit yet: an attempt fails and the timer is set again.
    recovery.reconnect();
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_TRUE(recovery.status().lost);

    ASSERT_TRUE(emulator.start({"--set", "T1=0.01", "--probes", "8", "--analogs", "1"}))
        << emulator.errors();
    recovery.reconnect();
    ASSERT_TRUE(f.attempts.finish());
    ASSERT_FALSE(recovery.status().lost);
    ASSERT_FALSE(f.view.statuses.empty());
    EXPECT_EQ(f.view.statuses.back(), zelapp::UnitRecovery::foundText());

    // The unit holds the setup prepared without it and measures with it.
    char *formula = nullptr;
    ASSERT_EQ(binding.ZelReadFormula(1, &formula), 0);
    EXPECT_STREQ(formula, "T1*2");
    float zero = 0;
    ASSERT_EQ(binding.ZelReadCzero(1, &zero), 0);
    EXPECT_FLOAT_EQ(zero, 0.001f);
    ASSERT_EQ(emulator.control({"scan", "3"}).rfind("OK", 0), 0u);
    f.session->scan().Timer1_Timer();
    EXPECT_NE(f.session->labels().text(1), u"NO UNIT"_s);
    EXPECT_FALSE(f.session->labels().text(1).isEmpty());
    EXPECT_TRUE(failures.empty());
}

}  // namespace
