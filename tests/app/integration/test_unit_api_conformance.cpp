// What the core relies on from a unit, checked against both units the tests use: the fake that
// the headless tests run on, and the real library talking to zel8d. If the fake drifts from the
// real thing, the headless tests stop meaning anything; this suite catches that.
#include <gtest/gtest.h>

#include <memory>

#include "emulator_process.h"
#include "fake_unit.h"
#include "temp_folder.h"
#include "unit/zelcomm_binding.h"

namespace {

// One emulator for the whole program: the library keeps one session per process.
class EmulatorEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        folder_ = std::make_unique<zeltest::TempFolder>();
        setenv("ZEL_DEVICE_DIR", folder_->path().c_str(), 1);
        emulator_ = std::make_unique<zeltest::EmulatorProcess>(ZEL8D_PATH, folder_->path());
        ASSERT_TRUE(emulator_->start({"--set", "T2=0.0125", "--set", "A1=0.75"}))
            << emulator_->errors();
    }
    void TearDown() override {
        emulator_->stop();
        emulator_.reset();
        folder_.reset();
    }
    static zeltest::EmulatorProcess &emulator() { return *emulator_; }

  private:
    static inline std::unique_ptr<zeltest::TempFolder> folder_;
    static inline std::unique_ptr<zeltest::EmulatorProcess> emulator_;
};

const auto *const environment = ::testing::AddGlobalTestEnvironment(new EmulatorEnvironment);

struct FakeUnitSubject {
    zeltest::FakeUnit unit;
    FakeUnitSubject() {
        unit.lvdtValue[2] = 0.0125f;
        unit.analogValue[1] = 0.75f;
    }
    zelapp::UnitApi &api() { return unit; }
};

struct LibrarySubject {
    std::vector<QString> failures;
    zelapp::ZelcommBinding binding{QString::fromUtf8(ZELCOMM_DIR),
                                   [this](const QString &m) { failures.push_back(m); }};
    zelapp::UnitApi &api() { return binding; }
    ~LibrarySubject() { EXPECT_TRUE(failures.empty()); }
};

template <typename Subject>
class UnitApiConformance : public ::testing::Test {
  protected:
    Subject subject;
    zelapp::UnitApi &unit = subject.api();
    void SetUp() override { ASSERT_EQ(unit.ZelCommInit(0), 0); }
};

using Subjects = ::testing::Types<FakeUnitSubject, LibrarySubject>;
TYPED_TEST_SUITE(UnitApiConformance, Subjects);

TYPED_TEST(UnitApiConformance, StartUpRequestsSucceed) {
    EXPECT_EQ(this->unit.ZelStartScan(), 0);
    EXPECT_EQ(this->unit.ZelSetScanTime(100), 0);
    EXPECT_EQ(this->unit.ZelSetAdcAvg(4), 0);
    EXPECT_EQ(this->unit.ZelSetRunAvg(1), 0);
}

// The about window and the system setup show these; the emulator's unit is behind port 1.
TYPED_TEST(UnitApiConformance, TheLibraryNamesItsPortAndVersion) {
    EXPECT_EQ(this->unit.ZelGetPort(), 1);
    EXPECT_EQ(this->unit.ZelDLL(), 769);
}

TYPED_TEST(UnitApiConformance, WhatIsSetReadsBackUnchanged) {
    auto &u = this->unit;
    struct Property {
        int32_t (zelapp::UnitApi::*set)(int32_t, float *);
        int32_t (zelapp::UnitApi::*read)(int32_t, float *);
        int32_t number;
        float value;
    };
    const Property properties[] = {
        {&zelapp::UnitApi::ZelSetCzero, &zelapp::UnitApi::ZelReadCzero, 3, 0.001f},
        {&zelapp::UnitApi::ZelSetCscale, &zelapp::UnitApi::ZelReadCscale, 3, 2.5f},
        {&zelapp::UnitApi::ZelSetTzero, &zelapp::UnitApi::ZelReadTzero, 2, -0.0004f},
        {&zelapp::UnitApi::ZelSetTfsv, &zelapp::UnitApi::ZelReadTfsv, 2, 0.0125f},
        {&zelapp::UnitApi::ZelSetAzero, &zelapp::UnitApi::ZelReadAzero, 1, 0.1f},
        {&zelapp::UnitApi::ZelSetAfsv, &zelapp::UnitApi::ZelReadAfsv, 1, 10.0f},
    };
    for (const auto &p : properties) {
        float value = p.value;
        EXPECT_EQ((u.*p.set)(p.number, &value), 0);
        float back = -1;
        EXPECT_EQ((u.*p.read)(p.number, &back), 0);
        EXPECT_EQ(back, p.value);  // bit for bit: the setup file writes what it reads back
    }
    // Put the defaults back for the other tests.
    float zero = 0, one = 1, fsv = 0.0125f;
    u.ZelSetCzero(3, &zero);
    u.ZelSetCscale(3, &one);
    u.ZelSetTzero(2, &zero);
    u.ZelSetTfsv(2, &fsv);
    u.ZelSetAzero(1, &zero);
    u.ZelSetAfsv(1, &one);
}

TYPED_TEST(UnitApiConformance, InputsReadTheirValues) {
    float probe = 0, input = 0;
    EXPECT_EQ(this->unit.ZelReadLvdt(2, &probe), 0);
    EXPECT_FLOAT_EQ(probe, 0.0125f);
    EXPECT_EQ(this->unit.ZelReadAnalog(1, &input), 0);
    EXPECT_FLOAT_EQ(input, 0.75f);
}

TYPED_TEST(UnitApiConformance, DefiningAndClearingChannelsSucceedsAndAClearedChannelReadsZero) {
    EXPECT_EQ(this->unit.ZelDefineChannel(5, "T2*2"), 0);
    EXPECT_EQ(this->unit.ZelClearChannel(5), 0);
    float value = -1;
    EXPECT_EQ(this->unit.ZelReadChannel(5, &value), 0);
    EXPECT_EQ(value, 0.0f);
}

// The check after a return reads a formula back; a live unit is not in demonstration mode.
TYPED_TEST(UnitApiConformance, AFormulaReadsBackAsDefinedAndAClearedOneEmpty) {
    EXPECT_EQ(this->unit.ZelIsDemo(), 0);
    EXPECT_EQ(this->unit.ZelDefineChannel(6, "T1 + t2"), 0);
    char *text = nullptr;
    EXPECT_EQ(this->unit.ZelReadFormula(6, &text), 0);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "T1 + t2");
    EXPECT_EQ(this->unit.ZelClearChannel(6), 0);
    EXPECT_EQ(this->unit.ZelReadFormula(6, &text), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(this->unit.ZelIsDemo(), 0);
}

}  // namespace
