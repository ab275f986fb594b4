// Storing the amplifier calibration: the store's timing and answers, what is stored, failures,
// persistence across power cycles and the state file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "temp_folder.h"
#include "unit_harness.h"

namespace {

namespace code = zelproto::code;
namespace st = zelproto::status;
using zeltest::UnitHarness;
using zelunit::AmplifierSettings;
using zelunit::CalibrationFile;

struct SaveStatus {
    int done;
    int error;
};

SaveStatus saveStatus(UnitHarness &h) {
    const zeltest::Answer a = h.request(code::GetSaveStatus);
    return {a.data[0], a.data[1]};
}

zelunit::UnitConfig storeTakes(double seconds) {
    zelunit::UnitConfig config;
    config.storeSeconds = seconds;
    return config;
}

TEST(CalibrationStore, TakesItsTimeAndRefusesASecondStoreMeanwhile) {
    UnitHarness h(storeTakes(0.6));
    EXPECT_EQ(saveStatus(h).done, 1);  // nothing under way
    h.request(code::SetLvdtGain, {1, 200, 30});
    const zeltest::Answer started = h.request(code::SaveCalibration);
    EXPECT_EQ(started.status, st::Ok);
    EXPECT_EQ(started.data[0], 0);
    h.seconds = 0.3;
    EXPECT_EQ(h.request(code::SaveCalibration).data[0], 1);
    EXPECT_EQ(saveStatus(h).done, 0);
    EXPECT_EQ(h.store.saves(), 0);
    h.seconds = 0.6;
    const SaveStatus finished = saveStatus(h);
    EXPECT_EQ(finished.done, 1);
    EXPECT_EQ(finished.error, 0);
    EXPECT_EQ(h.store.saves(), 1);
    EXPECT_EQ(h.store.records().at(1), (AmplifierSettings{200, 30, 0, 0}));
    EXPECT_EQ(h.store.records().at(8), zelunit::kNominalAmplifier);
}

TEST(CalibrationStore, StoresTheSettingsAsTheyWereWhenItStarted) {
    UnitHarness h(storeTakes(1.0));
    h.request(code::SetLvdtFine, {2, 50, 0});
    h.request(code::SaveCalibration);
    h.request(code::SetLvdtFine, {2, 60, 0});
    h.seconds = 2.0;
    h.unit.advance(h.seconds);
    EXPECT_EQ(h.store.records().at(2).fine, 50);
    EXPECT_EQ(h.request(code::ReadLvdtFine, {2}).word(), 60);  // working setting stays
}

TEST(CalibrationStore, ReportsAFailedStoreOnceDone) {
    UnitHarness h(storeTakes(0.0));
    h.store.failWith(zelunit::kStoreWriteFailed);
    h.request(code::SaveCalibration);
    EXPECT_EQ(saveStatus(h).error, zelunit::kStoreWriteFailed);

    h.store.failWith(0);
    h.unit.failNextStore(42);
    h.request(code::SaveCalibration);
    const SaveStatus failed = saveStatus(h);
    EXPECT_EQ(failed.done, 1);
    EXPECT_EQ(failed.error, 42);
    h.request(code::SaveCalibration);  // only the next store fails
    EXPECT_EQ(saveStatus(h).error, 0);
}

TEST(CalibrationStore, AUnitStartsWithItsStoredSettingsNotItsWorkingOnes) {
    UnitHarness h(storeTakes(0.0));
    h.request(code::SetLvdtGain, {3, 90, 85});
    h.request(code::SetLvdtNull, {3, 0xF6, 0xFF});  // -10
    h.request(code::SaveCalibration);
    ASSERT_EQ(saveStatus(h).done, 1);
    h.request(code::SetLvdtGain, {3, 10, 10});  // never stored

    zelunit::FixedSignal signal(8, 1);
    zelunit::Unit again({}, signal, h.store);
    EXPECT_EQ(again.powerOn(), "");
    EXPECT_EQ(again.inputs().amplifier(3), (AmplifierSettings{90, 85, 0, -10}));
    EXPECT_EQ(again.inputs().amplifier(4), zelunit::kNominalAmplifier);
}

TEST(CalibrationFileFormat, RoundTripsEveryRecord) {
    zelunit::CalibrationRecords records{{1, {0, 255, -32768, 32767}}, {200, {128, 60, -5, 3}}};
    const std::string text = CalibrationFile::format(records);
    EXPECT_NE(text.find("T200 128 60 -5 3\n"), std::string::npos);
    zelunit::CalibrationRecords back;
    std::string error;
    ASSERT_TRUE(CalibrationFile::parse(text, &back, &error)) << error;
    EXPECT_EQ(back, records);
}

TEST(CalibrationFileFormat, RefusesLinesItCannotTakeWhole) {
    for (const char *bad : {"T1 1 2 3\n", "T1 1 2 3 4 5\n", "T0 1 2 3 4\n", "T1 256 2 3 4\n",
                            "X1 1 2 3 4\n", "T1 1 2 3 40000\n", "T1 a 2 3 4\n"}) {
        zelunit::CalibrationRecords records{{5, {}}};
        std::string error;
        EXPECT_FALSE(CalibrationFile::parse(bad, &records, &error)) << bad;
        EXPECT_NE(error.find("line 1"), std::string::npos);
        EXPECT_EQ(records.size(), 1u);  // untouched
    }
    zelunit::CalibrationRecords records;
    std::string error;
    EXPECT_TRUE(CalibrationFile::parse("# comment\n\n  t2 1 2 3 4\r\n", &records, &error));
    EXPECT_EQ(records.at(2), (AmplifierSettings{1, 2, 3, 4}));
}

class CalibrationFileTest : public ::testing::Test {
  protected:
    std::string read(const std::string &path) {
        std::ifstream in(path);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    zeltest::TempFolder folder;
    std::string path = folder.path() + "/zel8d.state";
};

TEST_F(CalibrationFileTest, AMissingFileMeansNothingStoredYet) {
    CalibrationFile file(path);
    zelunit::CalibrationRecords records{{1, {}}};
    std::string error;
    EXPECT_TRUE(file.load(&records, &error));
    EXPECT_TRUE(records.empty());
}

TEST_F(CalibrationFileTest, SavingReplacesTheFileWhole) {
    CalibrationFile file(path);
    ASSERT_EQ(file.save({{1, {1, 2, 3, 4}}}), 0);
    ASSERT_EQ(file.save({{2, {5, 6, 7, 8}}}), 0);
    zelunit::CalibrationRecords records;
    std::string error;
    ASSERT_TRUE(file.load(&records, &error));
    EXPECT_EQ(records, (zelunit::CalibrationRecords{{2, {5, 6, 7, 8}}}));
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}

TEST_F(CalibrationFileTest, AFileThatCannotBeWrittenIsReportedAsStoreError) {
    CalibrationFile file(folder.path() + "/missing/zel8d.state");
    EXPECT_EQ(file.save({{1, {}}}), zelunit::kStoreWriteFailed);
}

TEST_F(CalibrationFileTest, ABrokenFileIsReportedAndLeftAloneUntilTheNextStore) {
    {
        std::ofstream out(path);
        out << "T1 300 2 3 4\n";
    }
    CalibrationFile file(path);
    zelunit::FixedSignal signal(8, 1);
    zelunit::UnitConfig config;
    config.storeSeconds = 0.0;
    zelunit::Unit unit(config, signal, file);
    const std::string warning = unit.powerOn();
    EXPECT_NE(warning.find("line 1"), std::string::npos);
    EXPECT_EQ(unit.inputs().amplifier(1), zelunit::kNominalAmplifier);
    EXPECT_EQ(read(path), "T1 300 2 3 4\n");
}

TEST_F(CalibrationFileTest, RecordsOfProbesTheUnitLacksAreKept) {
    CalibrationFile file(path);
    ASSERT_EQ(file.save({{1, {1, 2, 3, 4}}, {12, {9, 9, 9, 9}}}), 0);
    zelunit::FixedSignal signal(4, 1);
    zelunit::UnitConfig config;
    config.probes = 4;
    config.storeSeconds = 0.0;
    zelunit::Unit unit(config, signal, file);
    EXPECT_EQ(unit.powerOn(), "");
    EXPECT_EQ(unit.inputs().amplifier(1), (AmplifierSettings{1, 2, 3, 4}));
    const std::uint8_t save[] = {zelproto::kLead, code::SaveCalibration, 1, 0};
    std::uint8_t out[260];
    unit.handleRequest(save, sizeof save, out, sizeof out, 0.0);
    unit.advance(1.0);
    EXPECT_NE(read(path).find("T12 9 9 9 9\n"), std::string::npos);
}

}  // namespace
