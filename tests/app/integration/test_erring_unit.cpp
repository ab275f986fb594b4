// A unit that errs, through the real library against zel8d: a unit with fewer channels than the
// setup, and an error status in the middle of the scan. Neither ever stops the window for a box;
// an error status is no reading, never a measured 0 or the last value.
#include <gtest/gtest.h>

#include <QDir>

#include "emulator_process.h"
#include "file_bytes.h"
#include "model/formula_check.h"
#include "session_fixture.h"
#include "temp_folder.h"
#include "unit/library_messages.h"
#include "unit/zelcomm_binding.h"

using namespace Qt::StringLiterals;

TEST(ErringUnit, RefusalsAreToldOnceAndAnErrorStatusIsNoReadingWithoutABox) {
    zeltest::TempFolder devices;
    zeltest::ScopedEnv deviceDir{"ZEL_DEVICE_DIR", devices.path().c_str()};
    zeltest::EmulatorProcess emulator{ZEL8D_PATH, devices.path()};
    ASSERT_TRUE(emulator.start({"--channels", "8", "--set", "T1=0.25"})) << emulator.errors();
    std::vector<QString> failures;
    zelapp::ZelcommBinding binding{QString::fromUtf8(ZELCOMM_DIR),
                                   [&failures](const QString &m) { failures.push_back(m); }};
    zeltest::SessionFixture f{&binding};
    zelapp::LibraryMessagePrompter libraryMessages{f.prompter};
    binding.installMessageHook(libraryMessages);
    zeltest::writeBytes(QDir(f.programFolder()).filePath(u"zelapp.ini"_s),
                        "[ZELAPP Version 6.01]\r\n[General Setup]\r\nMaxChannel= 10 \r\n");

    ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
    EXPECT_EQ(f.prompter.texts(),
              (std::vector<QString>{u"Channels 9 to 10: Bad channel number"_s}));
    f.prompter.shown.clear();

    f.session->commands().EnableGrid_Click();
    f.session->scan().setDecimalSeparator(u'.');
    ASSERT_EQ(f.setup().channel(1)->setFormula(u"T1"_s), 0);
    ASSERT_EQ(emulator.control({"scan", "2"}).rfind("OK", 0), 0u);
    zelapp::ScanCycle &scan = f.session->scan();
    scan.Timer1_Timer();
    const QString measured = f.session->labels().text(1);  // the fixed probe, as scaled
    ASSERT_TRUE(measured.startsWith(u" 0."_s)) << measured.toStdString();

    // The next request, the tick's read of channel 1, is answered with status 11.
    ASSERT_EQ(emulator.control({"status", "11"}).rfind("OK", 0), 0u);
    scan.Timer1_Timer();
    EXPECT_EQ(f.session->labels().text(1), QString());  // what the live values serve too
    ASSERT_FALSE(f.view.notes.empty());
    EXPECT_EQ(f.view.notes.back(),
              (std::pair{1, zelapp::ValueNote{false, u"Unknown error:0000000B"_s}}));
    EXPECT_EQ(scan.unitNotice(), u"Channel 1: Unknown error:0000000B"_s);
    EXPECT_TRUE(f.prompter.shown.empty());
    EXPECT_FALSE(f.session->unit().lost());

    scan.Timer1_Timer();
    EXPECT_EQ(f.session->labels().text(1), measured);
    EXPECT_EQ(scan.unitNotice(), QString());
    EXPECT_TRUE(failures.empty());
}

// The unit's own answers: every refusal of its status table is one the program's reading of the
// formula explains, with the same status.
TEST(ErringUnit, TheUnitsRefusalsAreTheOnesTheFormulaReadingExplains) {
    zeltest::TempFolder devices;
    zeltest::ScopedEnv deviceDir{"ZEL_DEVICE_DIR", devices.path().c_str()};
    zeltest::EmulatorProcess emulator{ZEL8D_PATH, devices.path()};
    ASSERT_TRUE(emulator.start({"--probes", "8", "--analogs", "1"})) << emulator.errors();
    zelapp::ZelcommBinding unit{QString::fromUtf8(ZELCOMM_DIR), [](const QString &) {}};
    ASSERT_EQ(unit.ZelCommInit(0), 0);
    unit.ZelMsgBox(0);
    for (const char *formula : {"C1+C0", "T1*)", "T1T2", "2 T1", "T1+T2)", "(T1", "T1+A2", "ABS T1",
                                "ABS(T1,T2)", "TIR(C1+1)", "1.2.3", "T1*1E+", "T1+X2", "C+1", "T1+",
                                "GOR(T1,,T2)", "LOR(T4:T1)", "gor(t1, a1)"}) {
        SCOPED_TRACE(formula);
        const int32_t status = unit.ZelDefineChannel(2, formula);
        EXPECT_NE(status, 0);
        EXPECT_FALSE(
            zelapp::explainFormulaRefusal(QString::fromLatin1(formula), status, {255, 8, 1})
                .isEmpty());
    }
}
