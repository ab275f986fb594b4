// The unit's answers to request frames: malformed frames, power-on values, each setting read
// back, number checks, and the information requests.
#include <gtest/gtest.h>

#include "unit_harness.h"

namespace {

namespace code = zelproto::code;
namespace st = zelproto::status;
namespace us = zelunit::unitstatus;
using zeltest::Answer;
using zeltest::UnitHarness;

TEST(UnitFrames, MalformedFramesGetAStatusAndNoData) {
    UnitHarness h;
    EXPECT_EQ(h.raw({'!', code::ReadChannel, 1, 1}).status, us::BadFrame);
    EXPECT_EQ(h.raw({zelproto::kLead, code::ReadChannel}).status, us::BadFrame);
    EXPECT_EQ(h.raw({}).status, us::BadFrame);
    EXPECT_EQ(h.raw({zelproto::kLead, code::ReadChannel, 2, 1}).status, us::BadLength);
    EXPECT_EQ(h.raw({zelproto::kLead, code::ReadChannel, 1, 1, 0}).status, us::BadLength);
    EXPECT_EQ(h.request(code::ReadChannel, {1, 0}).status, us::BadLength);
    EXPECT_EQ(h.request(code::SetCzero, {1, 0, 0}).status, us::BadLength);
    EXPECT_EQ(h.request(99, {1}).status, us::UnknownRequest);
    EXPECT_EQ(h.request(0, {}).status, us::UnknownRequest);
    const Answer answer = h.request(code::ReadLvdt, {99});
    EXPECT_EQ(answer.status, st::BadProbe);
    EXPECT_EQ(answer.data, std::vector<std::uint8_t>(257, 0));
}

TEST(UnitFrames, TheWholeResponseAreaIsWritten) {
    UnitHarness h;
    const std::vector<std::uint8_t> frame{zelproto::kLead, code::ReadTfsv, 1, 1};
    std::uint8_t out[300];
    std::memset(out, 0xEE, sizeof out);
    EXPECT_EQ(h.unit.handleRequest(frame.data(), frame.size(), out, sizeof out, 0.0), 260u);
    EXPECT_EQ(out[0], zelproto::kLead);
    EXPECT_EQ(out[2], 4);  // data length
    EXPECT_EQ(out[259], 0);
    EXPECT_EQ(out[260], 0xEE);
    EXPECT_EQ(h.unit.handleRequest(frame.data(), frame.size(), out, 2, 0.0), 2u);
}

TEST(UnitFrames, PowerOnValuesMatchWhatTheApplicationSendsAsDefaults) {
    UnitHarness h;
    EXPECT_FLOAT_EQ(h.read(code::ReadTfsv, 3), 0.0125f);
    EXPECT_EQ(h.read(code::ReadTzero, 3), 0.0f);
    EXPECT_EQ(h.read(code::ReadAfsv, 1), 1.0f);
    EXPECT_EQ(h.read(code::ReadAzero, 1), 0.0f);
    EXPECT_EQ(h.read(code::ReadCscale, 200), 1.0f);
    EXPECT_EQ(h.read(code::ReadCzero, 200), 0.0f);
    const Answer gain = h.request(code::ReadLvdtGain, {8});
    EXPECT_EQ(gain.data[0], 128);
    EXPECT_EQ(gain.data[1], 60);
    EXPECT_EQ(h.request(code::ReadLvdtFine, {8}).word(), 0);
    EXPECT_EQ(h.request(code::ReadLvdtNull, {8}).word(), 0);
    EXPECT_TRUE(h.unit.scanning());
    EXPECT_EQ(h.unit.scanTime(), 100);
}

struct RealSetting {
    const char *name;
    std::uint8_t set;
    std::uint8_t read;
    int good;  // a number the unit has
    int bad;   // one it lacks
    std::uint8_t badStatus;
};

class RealSettings : public ::testing::TestWithParam<RealSetting> {};

TEST_P(RealSettings, AreReadBackAndCheckTheirNumber) {
    const RealSetting s = GetParam();
    UnitHarness h;
    EXPECT_EQ(h.set(s.set, s.good, -0.03125f), st::Ok);
    EXPECT_EQ(h.read(s.read, s.good), -0.03125f);
    EXPECT_EQ(h.set(s.set, s.bad, 1.0f), s.badStatus);
    EXPECT_EQ(h.request(s.read, {static_cast<std::uint8_t>(s.bad)}).status, s.badStatus);
    EXPECT_EQ(h.set(s.set, 0, 1.0f), s.badStatus);
    EXPECT_EQ(h.set(s.set, s.good, std::numeric_limits<float>::quiet_NaN()), us::BadValue);
    EXPECT_EQ(h.read(s.read, s.good), -0.03125f);
}

INSTANTIATE_TEST_SUITE_P(
    Unit, RealSettings,
    ::testing::Values(RealSetting{"Tfsv", code::SetTfsv, code::ReadTfsv, 8, 9, st::BadProbe},
                      RealSetting{"Tzero", code::SetTzero, code::ReadTzero, 1, 9, st::BadProbe},
                      RealSetting{"Afsv", code::SetAfsv, code::ReadAfsv, 1, 2, st::BadProbe},
                      RealSetting{"Azero", code::SetAzero, code::ReadAzero, 1, 2, st::BadProbe},
                      RealSetting{"Czero", code::SetCzero, code::ReadCzero, 255, 0, st::BadChannel},
                      RealSetting{"Cscale", code::SetCscale, code::ReadCscale, 1, 0,
                                  st::BadChannel}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(UnitFrames, AmplifierSettingsAreReadBackAsSent) {
    UnitHarness h;
    EXPECT_EQ(h.request(code::SetLvdtGain, {2, 255, 30}).status, st::Ok);
    EXPECT_EQ(h.request(code::SetLvdtFine, {2, 0x2C, 0x01}).status, st::Ok);  // 300
    EXPECT_EQ(h.request(code::SetLvdtNull, {2, 0x9C, 0xFF}).status, st::Ok);  // -100
    const Answer gain = h.request(code::ReadLvdtGain, {2});
    EXPECT_EQ(gain.data[0], 255);
    EXPECT_EQ(gain.data[1], 30);
    EXPECT_EQ(h.request(code::ReadLvdtFine, {2}).word(), 300);
    EXPECT_EQ(h.request(code::ReadLvdtNull, {2}).word(), -100);
    EXPECT_EQ(h.request(code::ReadLvdtGain, {1}).data[0], 128);  // other probes untouched
    for (std::uint8_t c : {code::SetLvdtGain, code::SetLvdtFine, code::SetLvdtNull}) {
        EXPECT_EQ(h.request(c, {9, 1, 1}).status, st::BadProbe);
    }
    for (std::uint8_t c : {code::ReadLvdtGain, code::ReadLvdtFine, code::ReadLvdtNull}) {
        EXPECT_EQ(h.request(c, {0}).status, st::BadProbe);
    }
}

TEST(UnitFrames, FormulasAreReadBackAsDefined) {
    UnitHarness h;
    EXPECT_EQ(h.define(4, "( t1 + T2 ) / 2"), st::Ok);
    EXPECT_EQ(h.request(code::ReadFormula, {4}).text(), "( t1 + T2 ) / 2");
    EXPECT_EQ(h.request(code::ReadFormula, {5}).text(), "");
    EXPECT_EQ(h.request(code::ReadFormula, {0}).status, st::BadChannel);
    EXPECT_EQ(h.request(code::ClearChannel, {4}).status, st::Ok);
    EXPECT_EQ(h.request(code::ReadFormula, {4}).text(), "");
}

TEST(UnitFrames, DefinitionsNeedTheirTerminatingZeroAsTheLastByte) {
    UnitHarness h;
    EXPECT_EQ(h.request(code::DefineChannel, {1, 'T', '1'}).status, us::BadLength);
    EXPECT_EQ(h.request(code::DefineChannel, {1, 'T', 0, '1', 0}).status, us::BadLength);
    EXPECT_EQ(h.request(code::DefineChannel, {1}).status, us::BadLength);
    EXPECT_EQ(h.request(code::DefineChannel, {1, 0}).status, st::BadFormula4);  // empty text
    EXPECT_EQ(h.define(1, std::string(253, ' ')), st::BadFormula4);
    EXPECT_EQ(h.define(1, "T1\xB0"), st::BadFormula);
    EXPECT_EQ(h.request(code::ReadFormula, {1}).text(), "");
}

TEST(UnitFrames, ClearAllRemovesEveryDefinition) {
    UnitHarness h;
    ASSERT_EQ(h.define(1, "T1"), st::Ok);
    ASSERT_EQ(h.define(200, "C1"), st::Ok);
    EXPECT_EQ(h.request(code::ClearAllChannels, {0x5A}).status, st::Ok);
    EXPECT_EQ(h.unit.channels().definedCount(), 0);
    EXPECT_EQ(h.request(code::ReadChannel, {0}).status, st::BadChannel);
}

TEST(UnitFrames, ScanSettingsAreCheckedAndKept) {
    UnitHarness h;
    EXPECT_EQ(h.request(code::StopScan).status, st::Ok);
    EXPECT_FALSE(h.unit.scanning());
    EXPECT_EQ(h.request(code::StartScan).status, st::Ok);
    EXPECT_TRUE(h.unit.scanning());
    EXPECT_EQ(h.request(code::SetScanTime, {1, 0}).status, st::Ok);
    EXPECT_DOUBLE_EQ(h.unit.scanPeriod(), 0.0001);
    EXPECT_EQ(h.request(code::SetScanTime, {0, 0}).status, us::BadValue);
    EXPECT_EQ(h.request(code::SetScanTime, {0xFF, 0xFF}).status, st::Ok);
    EXPECT_EQ(h.unit.scanTime(), 65535);
    EXPECT_EQ(h.request(code::SetAdcAvg, {0, 1}).status, st::Ok);  // 256
    EXPECT_EQ(h.request(code::SetAdcAvg, {1, 1}).status, us::BadValue);
    EXPECT_EQ(h.request(code::SetAdcAvg, {0, 0}).status, us::BadValue);
    EXPECT_EQ(h.unit.inputs().adcAverage(), 256);
    EXPECT_EQ(h.request(code::SetRunAvg, {100, 0}).status, st::Ok);
    EXPECT_EQ(h.request(code::SetRunAvg, {101, 0}).status, us::BadValue);
    EXPECT_EQ(h.unit.inputs().runningAverage(), 100);
}

TEST(UnitFrames, FrontPanelSettingsAreReadBack) {
    UnitHarness h;
    EXPECT_EQ(h.request(code::SetFpIn, {7}).status, st::Ok);
    EXPECT_EQ(h.request(code::SetFpOut, {200}).status, st::Ok);
    EXPECT_EQ(h.request(code::SetFpPrec, {3}).status, st::Ok);
    EXPECT_EQ(h.request(code::SetMuxTime, {0x34, 0x12}).status, st::Ok);
    EXPECT_EQ(h.request(code::GetFpIn).word(), 7);
    EXPECT_EQ(h.request(code::GetFpOut).word(), 200);
    EXPECT_EQ(h.request(code::GetFpPrec, {0, 0}).word(), 3);
    EXPECT_EQ(h.request(code::GetFpPrec, {0}).status, us::BadLength);
    EXPECT_EQ(h.unit.muxTime(), 0x1234);
}

TEST(UnitFrames, ReadDirectAnswersConverterCountsOfTheListedInputs) {
    UnitHarness h;
    h.signal.setProbe(1, 0.0525);  // the top of the over-range
    h.signal.setProbe(2, -0.02625);
    h.signal.setAnalog(1, 0.5);
    h.scan();
    const Answer answer = h.request(code::ReadDirect, {1, 2, 0x81});
    ASSERT_EQ(answer.status, st::Ok);
    EXPECT_EQ(static_cast<std::int16_t>(zelproto::getU16(&answer.data[0])), 32767);
    EXPECT_NEAR(static_cast<std::int16_t>(zelproto::getU16(&answer.data[2])), -16384, 1);
    EXPECT_NEAR(static_cast<std::int16_t>(zelproto::getU16(&answer.data[4])), 16384, 1);
    EXPECT_EQ(h.request(code::ReadDirect, {}).status, st::Ok);
    EXPECT_EQ(h.request(code::ReadDirect, {9}).status, st::BadProbe);
    EXPECT_EQ(h.request(code::ReadDirect, {0x82}).status, st::BadProbe);
    EXPECT_EQ(h.request(code::ReadDirect, std::vector<std::uint8_t>(128, 1)).status, st::Ok);
    EXPECT_EQ(h.request(code::ReadDirect, std::vector<std::uint8_t>(129, 1)).status, us::BadLength);
}

TEST(UnitFrames, MemoryReadsTheInformationBlock) {
    UnitHarness h;
    ASSERT_EQ(h.define(1, "T1"), st::Ok);
    // Payload: 0, count (second), address (first).
    const Answer identity = h.request(code::Memory, {0, 32, 0, 0, 0});
    EXPECT_EQ(identity.text(), "ZEL-8 unit emulator 1.0");
    const Answer info = h.request(code::Memory, {0, 16, 0, 32, 0});
    EXPECT_EQ(info.data[0], 8);                     // probes
    EXPECT_EQ(info.data[1], 1);                     // analog inputs
    EXPECT_EQ(info.data[2], 255);                   // channels
    EXPECT_EQ(info.data[8], 1);                     // formulas defined
    EXPECT_EQ(zelproto::getU16(&info.data[6]), 7);  // formula memory used
    EXPECT_EQ(info.data[16], 0);                    // beyond the count
    EXPECT_EQ(h.request(code::Memory, {0, 1, 1, 0xFF, 0xFF}).status, st::Ok);
    EXPECT_EQ(h.request(code::Memory, {0, 2, 1, 0, 0}).status, us::BadLength);  // 258 bytes
    EXPECT_EQ(h.request(code::Memory, {1, 1, 0, 0, 0}).status, us::BadValue);
}

}  // namespace
