// The application's core through the real libzelcomm.so against the real zel8d: start-up, a
// setup file with formulas, scalings and zero offsets, ticks that bring the unit's values into
// the channel holders, a save that reads back to the same setup, mastering and a new group
// that reach the unit and the saved file, a probe programmed in the probe dialog, the
// system setup's scan settings read back from the unit, counts beyond the unit's inputs refused,
// and amplifier settings tuned, stored, saved to a profile and loaded back.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLibrary>

#include "dialogs/calibrate.h"
#include "dialogs/mastering.h"
#include "dialogs/setup_group.h"
#include "dialogs/setup_lvdt.h"
#include "dialogs/setup_system.h"
#include "emulated_unit.h"
#include "emulator_process.h"
#include "file_bytes.h"
#include "protocol.h"
#include "session_fixture.h"
#include "setup/setup_commands.h"
#include "setup/setup_writer.h"
#include "temp_folder.h"
#include "unit/library_messages.h"
#include "unit/zelcomm_binding.h"
#include "zelcomm.h"

namespace {

using zelapp::SetupLoad;

// A shaft job: a mean diameter with a scaling and a zero offset, a difference, an analog channel
// and a group; written the way the program writes setup files.
const char *const kShaftSetup =
    "[ZELAPP Version 6.0]\r\n"
    "[General Setup]\r\nMaxChannel= 4 \r\nMaxLVDT= 2 \r\nMaxAnalog= 1 \r\nMaxDigital=0\r\n"
    "MaxStrain=0\r\nDecimals= 5 \r\n[End Section]\r\n"
    "[ChannelGridWindow]\r\n 100 \r\n 200 \r\n 3000 \r\n 4000 \r\n"
    "[ChannelBarWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[ChannelDialWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[LvdtGridWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[LvdtBarWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[LvdtDialWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[AnalogGridWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[AnalogBarWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[AnalogDialWindow]\r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[Channel]\r\n 1 \r\nMean diameter\r\n(T1+T2)/2\r\n 4 \r\nInch\r\n 0 \r\n 0 \r\nFalse\r\n"
    " .01 \r\n .009 \r\n-.009 \r\n-.01 \r\n 2 \r\n .001 \r\n .05 \r\n-.05 \r\n[End Channel]\r\n"
    "[Channel]\r\n 2 \r\nTaper\r\nT1-T2\r\n 3 \r\nInch\r\n 0 \r\n 0 \r\nFalse\r\n"
    " .01 \r\n .009 \r\n-.009 \r\n-.01 \r\n 1 \r\n 0 \r\n .05 \r\n-.05 \r\n[End Channel]\r\n"
    "[Channel]\r\n 3 \r\nPressure\r\nA1*10\r\n 2 \r\nBar\r\n 0 \r\n 0 \r\nFalse\r\n"
    " 6 \r\n 5.5 \r\n 4.5 \r\n 4 \r\n 1 \r\n 0 \r\n 10 \r\n 0 \r\n[End Channel]\r\n"
    "[lvdt]\r\n 1 \r\nFront\r\n .05 \r\n 0 \r\n[End lvdt]\r\n"
    "[lvdt]\r\n 2 \r\nRear\r\n .05 \r\n 0 \r\n[End lvdt]\r\n"
    "[Analog]\r\n 1 \r\nLine pressure\r\n 1 \r\n 0 \r\n[End Analog]\r\n"
    "[Group]\r\n 1 \r\nShaft\r\n 2 \r\n 2 \r\n 1 \r\n"
    " 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "[End Group]\r\n[End Setup]\r\n";

class CoreWithEmulator : public ::testing::Test, protected zeltest::EmulatedUnit {
  protected:
    zeltest::SessionFixture f{&binding};
    QString programFolder = f.programFolder();
    zelapp::AppState &state = f.state();
    zelapp::Setup &setup = f.setup();
    zelapp::ChannelLabels &labels = f.session->labels();
    zelapp::SetupCommands &commands = f.session->setupCommands();
    zeltest::ScriptedPrompter &prompter = f.prompter;
    zelapp::LibraryMessagePrompter libraryMessages{prompter};
    // Stores finish at once, so that the test's clock needs no real time. The unit has 8 probes
    // and one analog input, as the program's default setup.
    const std::vector<std::string> inputs_{"--set",     "T1=0.0123", "--set",       "T2=-0.004",
                                           "--set",     "A1=0.5",    "--probes",    "8",
                                           "--analogs", "1",         "--save-time", "0"};

    void SetUp() override {
        ASSERT_TRUE(emulator.start(inputs_)) << emulator.errors();
        binding.installMessageHook(libraryMessages);
        zeltest::writeBytes(QDir(programFolder).filePath(QStringLiteral("zelapp.ini")),
                            "[ZELAPP Version 6.01]\r\n[General Setup]\r\nMaxChannel= 4 \r\n");
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        f.session->commands().EnableGrid_Click();
        ASSERT_TRUE(prompter.shown.empty()) << prompter.shown[0].text.toStdString();
    }

    QString path(const char *name) const {
        return QDir(programFolder).filePath(QString::fromLatin1(name));
    }

    // Lets the unit evaluate the new definitions, then runs one tick.
    void scanAndTick() {
        ASSERT_EQ(emulator.control({"scan", "3"}).rfind("OK", 0), 0u);
        f.session->scan().Timer1_Timer();
    }

    void loadShaft() {
        zeltest::writeBytes(path("shaft.zel"), kShaftSetup);
        state.SetupFileName = path("shaft.zel");
        ASSERT_EQ(commands.loadSetupFile(), SetupLoad::Loaded);
        state.ScanHoldCount = 0;
        scanAndTick();
        ASSERT_EQ(labels.text(1), QStringLiteral(" 0.0093"));
    }
    // One attempt, as the retry timer makes it; true when the unit is back.
    bool attempt() {
        f.session->recovery().reconnect();
        return f.attempts.finish() && !f.session->recovery().status().lost;
    }
};

TEST_F(CoreWithEmulator, LoadedChannelsShowTheUnitsValues) {
    zeltest::writeBytes(path("shaft.zel"), kShaftSetup);
    state.SetupFileName = path("shaft.zel");
    ASSERT_EQ(commands.loadSetupFile(), SetupLoad::Loaded);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_TRUE(state.UpdateEnabled);
    state.ScanHoldCount = 0;
    scanAndTick();

    // 2 x (0.0123 - 0.004) / 2 + 0.001, at 4 decimals; the difference at 3; 10 x 0.5 at 2.
    EXPECT_EQ(labels.text(1), QStringLiteral(" 0.0093"));
    EXPECT_EQ(labels.text(2), QStringLiteral(" 0.016"));
    EXPECT_EQ(labels.text(3), QStringLiteral(" 5.00"));
    EXPECT_TRUE(labels.text(4).isEmpty());  // defined by nobody: nothing is measured
    ASSERT_FALSE(f.view.gridValues.empty());
    EXPECT_EQ(f.view.gridValues.front(), std::make_pair(1, labels.text(1)));

    // The unit holds what the file set.
    EXPECT_FLOAT_EQ(setup.channel(1)->Scaling(), 2.0f);
    EXPECT_FLOAT_EQ(setup.channel(1)->ZeroOffset(), 0.001f);
    EXPECT_FLOAT_EQ(setup.lvdt(1)->FullScale(), 0.05f);

    // A live change on the unit reaches the holder at the next tick; others stay put.
    ASSERT_EQ(emulator.control({"set", "T2", "0.002"}).rfind("OK", 0), 0u);
    scanAndTick();
    EXPECT_EQ(labels.text(1), QStringLiteral(" 0.0153"));
    EXPECT_EQ(labels.text(2), QStringLiteral(" 0.010"));
    EXPECT_EQ(labels.text(3), QStringLiteral(" 5.00"));
    EXPECT_TRUE(failures.empty());
}

TEST_F(CoreWithEmulator, SavedSetupReadsBackToTheSameSetup) {
    zeltest::writeBytes(path("shaft.zel"), kShaftSetup);
    state.SetupFileName = path("shaft.zel");
    ASSERT_EQ(commands.loadSetupFile(), SetupLoad::Loaded);

    state.SetupFileName = path("copy.zel");
    state.SetupModified = true;
    ASSERT_TRUE(commands.SaveFile_Click());
    EXPECT_FALSE(state.SetupModified);
    // What this program writes is what it was given (same writer conventions).
    EXPECT_EQ(zeltest::readBytes(path("copy.zel")).toStdString(), kShaftSetup);

    // A new setup clears the unit; loading the copy restores it.
    setup.NewSetup();
    EXPECT_TRUE(setup.channel(1)->Formula().isEmpty());
    EXPECT_FLOAT_EQ(setup.channel(1)->Scaling(), 1.0f);
    state.SetupFileName = path("copy.zel");
    ASSERT_EQ(commands.loadSetupFile(), SetupLoad::Loaded);
    EXPECT_EQ(setup.channel(1)->Formula(), QStringLiteral("(T1+T2)/2"));
    EXPECT_EQ(setup.groupAt(1)->Description, QStringLiteral("Shaft"));
    EXPECT_EQ(zelapp::setupFileText(setup, QLatin1Char('.')).toStdString(), kShaftSetup);

    scanAndTick();
    EXPECT_EQ(labels.text(1), QStringLiteral(" 0.0093"));
    EXPECT_EQ(f.view.caption, QStringLiteral("ZEL-32 [") + path("copy.zel") + QStringLiteral("]"));
}

TEST_F(CoreWithEmulator, APulledCableShowsNoUnitAndTheValuesComeBackOnTheirOwn) {
    loadShaft();
    ASSERT_EQ(emulator.control({"silent", "on"}), "OK");
    f.session->scan().Timer1_Timer();
    EXPECT_EQ(labels.text(1), QStringLiteral("NO UNIT"));
    EXPECT_FALSE(attempt());
    ASSERT_EQ(emulator.control({"silent", "off"}), "OK");
    EXPECT_TRUE(attempt());
    scanAndTick();
    EXPECT_EQ(labels.text(1), QStringLiteral(" 0.0093"));
    ASSERT_EQ(f.view.statuses.size(), 1u);
    EXPECT_EQ(f.view.statuses[0], zelapp::UnitRecovery::backText());
    EXPECT_TRUE(prompter.shown.empty());  // the library's demo message is no box
}

TEST_F(CoreWithEmulator, AUnitRestartedEmptyGetsItsSetupBackAndTheOperatorIsTold) {
    loadShaft();
    ASSERT_EQ(emulator.stop(), 0);
    f.session->scan().Timer1_Timer();
    EXPECT_EQ(labels.text(1), QStringLiteral("NO UNIT"));
    EXPECT_FALSE(attempt());
    ASSERT_TRUE(emulator.start(inputs_)) << emulator.errors();
    EXPECT_TRUE(attempt());
    ASSERT_EQ(emulator.control({"scan", "3"}).rfind("OK", 0), 0u);
    const std::string c1 = emulator.control({"get", "C1"});
    ASSERT_EQ(c1.rfind("OK\t", 0), 0u) << c1;
    EXPECT_NEAR(std::stod(c1.substr(3)), 0.0093, 1e-6);
    ASSERT_EQ(f.view.statuses.size(), 1u);
    EXPECT_EQ(f.view.statuses[0], zelapp::UnitRecovery::restartedText());
}

TEST_F(CoreWithEmulator, MasteredZeroedAndGroupedChannelsReachTheUnitAndTheSavedSetup) {
    loadShaft();
    zelapp::MasteringTool &mastering = f.session->dialogs().mastering;
    zelapp::Channel &taper = *setup.channel(2);  // T1-T2, scaling 1, zero 0
    taper.UseTwoMasters = true;
    taper.Master1 = 0.01f;
    taper.Master2 = 0.05f;
    state.MasteringMode = false;
    mastering.Form_Load();
    mastering.SpinButtonChannel_SpinUp();
    scanAndTick();  // reads 0.0163
    mastering.CommandMaster_Click();
    ASSERT_EQ(emulator.control({"set", "T1", "0.0323"}).rfind("OK", 0), 0u);
    scanAndTick();  // reads 0.0363
    // Scaling 1 -> 2 is beyond the guard's 10 %: the operator confirms it.
    prompter.answers.push_back(zelapp::PromptAnswer::Yes);
    mastering.CommandMaster_Click();
    ASSERT_EQ(mastering.LblInstruction(), QStringLiteral("Mastering completed."));
    EXPECT_NEAR(taper.Scaling(), 2.0, 1e-4);
    EXPECT_NEAR(taper.ZeroOffset(), -0.0226, 1e-5);
    ASSERT_EQ(emulator.control({"scan", "3"}).rfind("OK", 0), 0u);
    const std::string c2 = emulator.control({"get", "C2"});
    ASSERT_EQ(c2.rfind("OK\t", 0), 0u) << c2;
    EXPECT_NEAR(std::stod(c2.substr(3)), 0.05, 1e-5);  // master 2 reads its size
    mastering.Form_Unload();

    // Zeroing the mean diameter (master 1 at 0) against (0.0323 - 0.004) + 0.001.
    state.MasteringMode = true;
    mastering.Form_Load();
    mastering.SpinButtonChannel_SpinDown();
    scanAndTick();
    prompter.answers.push_back(zelapp::PromptAnswer::Yes);  // beyond the tolerance band
    mastering.CommandMaster_Click();
    EXPECT_NEAR(setup.channel(1)->ZeroOffset(), -0.0283, 1e-5);
    mastering.Form_Unload();

    // A new group of the taper, made in the group dialog.
    zelapp::SetupGroupTool &groups = f.session->dialogs().setupGroup;
    groups.Form_Load();
    groups.editName(QStringLiteral("Taper only"));
    groups.CmdAddtoList_Click();
    groups.ListAvailableChannels_DblClick(1);

    state.SetupFileName = path("mastered.zel");
    ASSERT_TRUE(commands.SaveFile_Click());
    const QString saved = QString::fromLatin1(zeltest::readBytes(path("mastered.zel")));
    EXPECT_TRUE(saved.contains(QStringLiteral("T1-T2\r\n 3 \r\nInch\r\n .01 \r\n .05 \r\nTrue")))
        << saved.toStdString();
    EXPECT_TRUE(saved.contains(QStringLiteral("\r\n 2 \r\n-.0226 \r\n"))) << saved.toStdString();
    EXPECT_TRUE(saved.contains(QStringLiteral("\r\n 2 \r\n-.0283 \r\n"))) << saved.toStdString();
    EXPECT_TRUE(saved.contains(QStringLiteral("[Group]\r\n 2 \r\nTaper only\r\n 1 \r\n 2 \r\n")))
        << saved.toStdString();
    EXPECT_TRUE(prompter.answers.empty());  // both questions were asked
    // When both channels were mastered went into the part file beside the setup.
    const QByteArray part = zeltest::readBytes(path("mastered.zpart"));
    EXPECT_TRUE(part.startsWith("[Mastered]\r\nC1=") && part.contains("\r\nC2="))
        << part.toStdString();
    EXPECT_TRUE(failures.empty());
}

TEST_F(CoreWithEmulator, LibraryMessagesReachThePrompter) {
    // A formula the unit refuses: the library reports it through the message hook, and the
    // channel keeps the formula the unit still holds.
    ASSERT_EQ(setup.channel(1)->setFormula(QStringLiteral("T1")), 0);
    EXPECT_NE(setup.channel(1)->setFormula(QStringLiteral("T1+")), 0);
    ASSERT_FALSE(prompter.shown.empty());
    EXPECT_FALSE(prompter.shown.back().text.isEmpty());
    EXPECT_EQ(setup.channel(1)->Formula(), QStringLiteral("T1"));
}

TEST_F(CoreWithEmulator, TheSystemSetupsScanPeriodAndAveragesReachTheUnit) {
    zelapp::SetupSystemTool &tool = f.session->dialogs().setupSystem;
    tool.Form_Load();
    EXPECT_EQ(tool.TextMoxPortAdr(), QStringLiteral("1"));
    tool.editBox(zelapp::SystemBox::ScanPeriod, QStringLiteral("12.5"));
    tool.editBox(zelapp::SystemBox::BurstAvg, QStringLiteral("8"));
    tool.editBox(zelapp::SystemBox::RunningAvg, QStringLiteral("2.5"));
    ASSERT_TRUE(tool.CommandOK_Click());
    EXPECT_TRUE(prompter.shown.empty());

    // The program does not bind ZelMemory; the library it loaded does export it.
    QLibrary library(binding.libraryPath());
    const auto memory = reinterpret_cast<decltype(&ZelMemory)>(library.resolve("ZelMemory"));
    ASSERT_NE(memory, nullptr);
    uint8_t *block = nullptr;
    ASSERT_EQ(memory(42, 6, &block), 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(zelproto::getU16(block), 125) << "ScanTime";
    EXPECT_EQ(zelproto::getU16(block + 2), 8) << "ADCAverage";
    EXPECT_EQ(zelproto::getU16(block + 4), 2) << "RunAvg, 2.5 rounded to even";
    EXPECT_TRUE(failures.empty());
}

TEST_F(CoreWithEmulator, CountsBeyondTheUnitsInputsAreRefusedWithOneMessageAndNothingChanges) {
    zelapp::SetupSystemTool &tool = f.session->dialogs().setupSystem;
    tool.Form_Load();
    tool.editBox(zelapp::SystemBox::BurstAvg, QStringLiteral("8"));
    tool.editBox(zelapp::SystemBox::Lvdt, QStringLiteral("10"));
    EXPECT_FALSE(tool.CommandOK_Click());
    tool.editBox(zelapp::SystemBox::Lvdt, QStringLiteral("8"));
    tool.editBox(zelapp::SystemBox::Analog, QStringLiteral("2"));
    EXPECT_FALSE(tool.CommandOK_Click());
    EXPECT_EQ(
        prompter.texts(),
        (std::vector<QString>{QStringLiteral("The unit has no probe 9: Probes can be at most 8."),
                              QStringLiteral("The unit has no analog input 2: Analogs can be "
                                             "at most 1.")}));
    EXPECT_EQ(setup.lvdtCount(), 8);
    EXPECT_EQ(setup.analogCount(), 1);
    EXPECT_EQ(state.ADCAverage, 4);
    EXPECT_FALSE(state.SetupModified);
    tool.Form_QueryUnload();

    // The library's boxes are on again, and the probes the unit has go on measuring.
    prompter.shown.clear();
    f.session->commands().ViewLVDTs_Click();
    for (int tick = 0; tick < 3; ++tick) {
        scanAndTick();
    }
    EXPECT_TRUE(prompter.shown.empty());
    ASSERT_FALSE(f.view.gridValues.empty());
    EXPECT_EQ(f.view.gridValues.back().first, 8);
    EXPECT_FALSE(f.view.gridValues.back().second.isEmpty());
    setup.channel(1)->setFormula(QStringLiteral("T9"));
    EXPECT_EQ(prompter.texts(), std::vector<QString>{QStringLiteral("Bad probe number")});
    EXPECT_TRUE(failures.empty());
}

TEST_F(CoreWithEmulator, AProbeProgrammedInTheProbeDialogIsReadBackFromTheUnit) {
    loadShaft();
    zelapp::SetupLvdtTool &dialog = f.session->dialogs().setupLvdt;
    dialog.Form_Load();
    dialog.SpinButtonLvdt_SpinUp();
    ASSERT_EQ(dialog.TextCurrentLvdt(), QStringLiteral("2"));
    EXPECT_EQ(dialog.text(zelapp::InputBox::Description), QStringLiteral("Rear"));
    dialog.editBox(zelapp::InputBox::FullScale, QStringLiteral("0.2"));
    dialog.editBox(zelapp::InputBox::ZeroOffset, QStringLiteral("-0.01"));
    dialog.CommandProgram_Click();

    // Past the program's copy, straight from the unit: it holds a quarter of the full scale.
    float fullScale = 0;
    float zero = 0;
    ASSERT_EQ(binding.ZelReadTfsv(2, &fullScale), 0);
    ASSERT_EQ(binding.ZelReadTzero(2, &zero), 0);
    EXPECT_FLOAT_EQ(fullScale, 0.05f);
    EXPECT_FLOAT_EQ(zero, -0.01f);
    dialog.DisplayLvdt();
    EXPECT_EQ(dialog.text(zelapp::InputBox::FullScale), QStringLiteral(" 0.20000"));
    EXPECT_TRUE(failures.empty());
}

// Straight from the unit, past the program's copy.
zelapp::AmpSettings amplifierOf(zelapp::ZelcommBinding &binding, int probe) {
    zelapp::AmpSettings s;
    EXPECT_EQ(binding.ZelReadLvdtGain(probe, &s.coarse, &s.ri), 0);
    EXPECT_EQ(binding.ZelReadLvdtFine(probe, &s.fine), 0);
    EXPECT_EQ(binding.ZelReadLvdtNull(probe, &s.null), 0);
    return s;
}

TEST_F(CoreWithEmulator, AnAmplifierTunedAndStoredKeepsItsSettingsThroughARestart) {
    loadShaft();
    zelapp::CalibrateTool &dialog = f.session->dialogs().calibrate;
    ASSERT_TRUE(dialog.open(1));
    dialog.vscrGainCoarse_Change(200);
    dialog.cboGainSelect_Click(3);  // "Hi"
    dialog.vscrGainFine_Change(40);
    dialog.vscrNull_Change(-30);
    ASSERT_TRUE(dialog.OKButton_Click());

    ASSERT_EQ(emulator.stop(), 0);
    f.session->scan().Timer1_Timer();  // finds the unit gone
    ASSERT_TRUE(emulator.start(inputs_)) << emulator.errors();
    ASSERT_TRUE(attempt());
    EXPECT_EQ(amplifierOf(binding, 1), (zelapp::AmpSettings{200, 30, 40, -30}));

    // A store the unit fails is reported with the unit's error.
    ASSERT_EQ(emulator.control({"save-error", "3"}).rfind("OK", 0), 0u);
    prompter.shown.clear();
    ASSERT_TRUE(dialog.open(1));
    EXPECT_FALSE(dialog.OKButton_Click());
    EXPECT_EQ(prompter.texts(),
              (std::vector<QString>{QStringLiteral("Problem saving to ZEL '3'")}));
}

TEST_F(CoreWithEmulator, AProfileSavedAndLoadedBackRestoresEveryProbesAmplifier) {
    loadShaft();
    ASSERT_EQ(binding.ZelSetLvdtGain(2, 17, 50), 0);
    ASSERT_EQ(binding.ZelSetLvdtFine(2, -7), 0);
    zelapp::CalibrateTool &dialog = f.session->dialogs().calibrate;
    ASSERT_TRUE(dialog.open(1));
    f.chooser.answer = path("shaft.zap");
    dialog.cmdSave_Click();
    const zelapp::AmpSettings probe1 = amplifierOf(binding, 1);

    ASSERT_EQ(binding.ZelSetLvdtGain(1, 1, 1), 0);
    ASSERT_EQ(binding.ZelSetLvdtGain(2, 2, 2), 0);
    ASSERT_EQ(binding.ZelSetLvdtNull(2, 99), 0);
    dialog.cmdLoad_Click();
    EXPECT_EQ(amplifierOf(binding, 1), probe1);
    EXPECT_EQ(amplifierOf(binding, 2), (zelapp::AmpSettings{17, 50, -7, 0}));
    EXPECT_EQ(dialog.setting(zelapp::CalibrateTool::Ri), probe1.ri);
    EXPECT_TRUE(prompter.shown.empty()) << prompter.shown[0].text.toStdString();
    EXPECT_TRUE(failures.empty());
}

}  // namespace
