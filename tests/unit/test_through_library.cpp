// The real zel8d reached the way programs reach the unit: through libzelcomm.so. Each test
// runs in its own process, so each has a fresh library session. The Win95 cases run in
// processes started with ZEL_PLATFORM_ID=1 and reach the unit through ZELVXD.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator_process.h"
#include "temp_folder.h"
#include "zelcomm.h"

namespace zeltest {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::vector<std::string> &messages() {
    static std::vector<std::string> list;
    return list;
}

void ZELAPI record(const char *text, const char *, std::uint32_t) {
    messages().push_back(text);
}

constexpr const char *kDemoBox = "ZEL-8 not communicating -- Entering DEMO mode";

class ThroughLibrary : public ::testing::Test {
  protected:
    ThroughLibrary() {
        ZelSetMessageHook(&record);
        messages().clear();
    }
    ~ThroughLibrary() override {
        ZelSetMessageHook(nullptr);
        EppInstallMsg(0);
    }

    // Starts zel8d on the private folder and initialises the library on it.
    void startUnit(std::vector<std::string> arguments = {}) {
        ASSERT_TRUE(emulator.start(arguments)) << emulator.errors();
        ZelMsgBox(1);
        ASSERT_EQ(ZelCommInit(0), 0) << emulator.errors();
    }
    std::string control(std::vector<std::string> fields) { return emulator.control(fields); }

    TempFolder temp;
    ScopedEnv folder{"ZEL_DEVICE_DIR", temp.path().c_str()};
    EmulatorProcess emulator{ZEL8D_PATH, temp.path()};
};

TEST_F(ThroughLibrary, FindsTheUnitOnPortTwoAfterTryingPortOne) {
    ASSERT_TRUE(emulator.start({"--port", "2"})) << emulator.errors();
    EppInstallMsg(1);
    EXPECT_EQ(ZelCommInit(0), 0);
    ASSERT_EQ(messages().size(), 3u);
    EXPECT_THAT(messages()[0], HasSubstr("Zelcomm::Verbose Debug enabled"));
    EXPECT_EQ(messages()[1], "Zel driver found Port:1, Zel NOT found");
    EXPECT_EQ(messages()[2], "Zel driver found Port:2, Zel found");
    float value = -1.0f;
    EXPECT_EQ(ZelReadTfsv(1, &value), 0);
    EXPECT_FLOAT_EQ(value, 0.0125f);
}

TEST_F(ThroughLibrary, APortWithoutADriverIsNotFound) {
    ASSERT_TRUE(emulator.start({"--port", "3", "--absent-port", "1"})) << emulator.errors();
    EppInstallMsg(1);
    EXPECT_EQ(ZelCommInit(0), 0);
    EXPECT_THAT(messages(), ElementsAre(HasSubstr("Verbose"), "Zel driver NOT found Port:1",
                                        "Zel driver found Port:2, Zel NOT found",
                                        "Zel driver found Port:3, Zel found"));
}

TEST_F(ThroughLibrary, Win95FamilyFindsTheUnitThroughTheVxdDevice) {
    ASSERT_TRUE(emulator.start({"--port", "2", "--absent-port", "1"})) << emulator.errors();
    EppInstallMsg(1);
    EXPECT_EQ(ZelCommInit(0), 0);
    EXPECT_THAT(messages(),
                ElementsAre(HasSubstr("Win32 on Windows 95"), "Zel driver NOT found Port:1",
                            "Zel driver found Port:2, Zel found"));
    EXPECT_EQ(ZelDefineChannel(1, "T1*2"), 0);
    EXPECT_EQ(control({"set", "T1", "0.01"}), "OK");
    EXPECT_EQ(control({"scan", "1"}), "OK");
    float value = 0.0f;
    EXPECT_EQ(ZelReadChannel(1, &value), 0);
    EXPECT_FLOAT_EQ(value, 0.02f);
}

TEST_F(ThroughLibrary, NoUnitAnywhereMeansInitialisationFails) {
    ASSERT_TRUE(emulator.start()) << emulator.errors();
    EXPECT_EQ(control({"silent", "on"}), "OK");
    EXPECT_EQ(ZelCommInit(0), 1);
}

TEST_F(ThroughLibrary, ChannelsComputeFromTheInputsAsTheApplicationSetsThemUp) {
    startUnit({"--set", "T1=0.0102", "--set", "T2=0.0098", "--set", "A1=0.4"});
    // What the application does for a channel: formula, zero, scaling.
    EXPECT_EQ(ZelDefineChannel(1, "(T1+T2)/2"), 0);
    float zero = -0.01f, scale = 2.0f;
    EXPECT_EQ(ZelSetCzero(1, &zero), 0);
    EXPECT_EQ(ZelSetCscale(1, &scale), 0);
    EXPECT_EQ(ZelDefineChannel(2, "GOR(T1:T2)-LOR(T1:T2)+A1"), 0);
    EXPECT_EQ(control({"scan", "1"}), "OK");
    float value = 0.0f;
    EXPECT_EQ(ZelReadChannel(1, &value), 0);
    EXPECT_NEAR(value, 0.01f, 1e-7);
    EXPECT_EQ(ZelReadChannel(2, &value), 0);
    EXPECT_NEAR(value, 0.4004f, 1e-6);
    EXPECT_EQ(control({"get", "C2"}), "OK\t0.4004");
    EXPECT_EQ(ZelReadLvdt(1, &value), 0);
    EXPECT_FLOAT_EQ(value, 0.0102f);
    char *formula = nullptr;
    EXPECT_EQ(ZelReadFormula(1, &formula), 0);
    EXPECT_STREQ(formula, "(T1+T2)/2");
    EXPECT_TRUE(messages().empty());
}

TEST_F(ThroughLibrary, FormulaErrorsAreShownWithTheirTexts) {
    startUnit();
    EXPECT_EQ(ZelDefineChannel(1, "T1+"), 22);
    EXPECT_EQ(ZelDefineChannel(1, "FOO"), 18);
    EXPECT_EQ(ZelDefineChannel(1, "T12"), 15);
    EXPECT_EQ(ZelDefineChannel(1, "GOR(T4:T1)"), 23);
    EXPECT_EQ(ZelDefineChannel(2, "C3"), 0);
    EXPECT_EQ(ZelDefineChannel(3, "C2"), 20);
    float value = 0.0f;
    EXPECT_EQ(ZelReadChannel(0, &value), 10);
    EXPECT_THAT(messages(), ElementsAre("Bad formula", "Bad symbol", "Bad probe number",
                                        "Bad set in GOR or LOR function",
                                        "Circular channel definition", "Bad channel number"));
}

TEST_F(ThroughLibrary, AnUnpluggedUnitSwitchesToDemoModeUntilTheNextInitialisation) {
    startUnit({"--set", "T1=0.003"});
    EXPECT_EQ(control({"scan", "1"}), "OK");
    EXPECT_EQ(control({"silent", "on"}), "OK");
    float value = 1.0f;
    EXPECT_EQ(ZelReadLvdt(1, &value), 0);  // the failed call answers from demo mode
    EXPECT_EQ(value, 0.0f);
    EXPECT_THAT(messages(), ElementsAre(kDemoBox));
    EXPECT_EQ(control({"silent", "off"}), "OK");
    EXPECT_EQ(ZelReadLvdt(1, &value), 0);
    EXPECT_EQ(value, 0.0f);  // still demo: nothing reaches the unit
    EXPECT_EQ(ZelCommInit(0), 0);
    EXPECT_EQ(ZelReadLvdt(1, &value), 0);
    EXPECT_FLOAT_EQ(value, 0.003f);
}

TEST_F(ThroughLibrary, AUnitAnsweringNotCommunicatingSwitchesToDemoMode) {
    startUnit();
    EXPECT_EQ(control({"status", "255"}), "OK");
    float value = 1.0f;
    EXPECT_EQ(ZelReadChannel(1, &value), -1);
    EXPECT_THAT(messages(), ElementsAre(kDemoBox));
    char *formula = nullptr;
    EXPECT_EQ(ZelReadFormula(1, &formula), 0);
    EXPECT_STREQ(formula, "T1");  // the library's demo answer
}

TEST_F(ThroughLibrary, AnInjectedErrorStatusIsReportedOnce) {
    startUnit();
    EXPECT_EQ(control({"status", "14"}), "OK");
    EXPECT_EQ(ZelDefineChannel(1, "T1"), 14);
    EXPECT_EQ(ZelDefineChannel(1, "T1"), 0);
    EXPECT_THAT(messages(), ElementsAre("Table full"));
}

TEST_F(ThroughLibrary, AnAnswerLaterThanTheLibraryWaitsIsAnUnreachableUnit) {
    startUnit();  // the library waits its default second
    EXPECT_EQ(control({"delay", "600000"}), "OK");
    float value = 1.0f;
    EXPECT_EQ(ZelReadChannel(1, &value), 0);
    EXPECT_THAT(messages(), ElementsAre(kDemoBox));
    // The driver let go of the device when the library closed it, so a new session opens.
    EXPECT_EQ(control({"delay", "0"}), "OK");
    EXPECT_EQ(ZelCommInit(0), 0);
    EXPECT_EQ(ZelReadChannel(1, &value), 0);
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(ThroughLibrary, StoredCalibrationSurvivesARestartOfTheUnit) {
    const std::string state = temp.path() + "/calibration.state";
    startUnit({"--state", state, "--save-time", "0"});
    EXPECT_EQ(ZelSetLvdtGain(4, 200, 30), 0);
    EXPECT_EQ(ZelSetLvdtFine(4, -7), 0);
    std::int16_t started = -1, done = 0, error = -1;
    EXPECT_EQ(ZelSaveCalibration(&started), 0);
    EXPECT_EQ(started, 0);
    for (int poll = 0; poll < 50 && done != 1; ++poll) {
        EXPECT_EQ(ZelGetSaveStatus(&done, &error), 0);
    }
    EXPECT_EQ(done, 1);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(ZelSetLvdtNull(4, 9), 0);  // working setting only

    EXPECT_EQ(emulator.stop(), 0);
    ASSERT_TRUE(emulator.start({"--state", state})) << emulator.errors();
    ASSERT_EQ(ZelCommInit(0), 0);
    std::uint8_t coarse = 0, ri = 0;
    std::int16_t fine = 0, null = 1;
    EXPECT_EQ(ZelReadLvdtGain(4, &coarse, &ri), 0);
    EXPECT_EQ(ZelReadLvdtFine(4, &fine), 0);
    EXPECT_EQ(ZelReadLvdtNull(4, &null), 0);
    EXPECT_EQ(coarse, 200);
    EXPECT_EQ(ri, 30);
    EXPECT_EQ(fine, -7);
    EXPECT_EQ(null, 0);
}

TEST_F(ThroughLibrary, AFailedStoreIsReportedInTheSaveStatus) {
    startUnit({"--save-time", "0"});
    EXPECT_EQ(control({"save-error", "3"}), "OK");
    std::int16_t started = -1, done = 0, error = 0;
    EXPECT_EQ(ZelSaveCalibration(&started), 0);
    EXPECT_EQ(ZelGetSaveStatus(&done, &error), 0);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(error, 3);
}

}  // namespace
}  // namespace zeltest
