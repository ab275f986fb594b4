// The CSV profiles over locales: the column separator, the decimal separator of the locale (the
// results' digits otherwise untouched), the byte-order mark, and quoting by the separator in use;
// and the choice kept in the settings store.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

#include "base/settings_store.h"
#include "history/csv_profile.h"
#include "history/part_csv.h"
#include "part_samples.h"

using namespace zelapp;

namespace {

struct ProfileCase {
    CsvProfileKind kind;
    const char *locale;
    const char *expected;  // the whole file
};

class CsvProfiles : public ::testing::TestWithParam<ProfileCase> {};

constexpr const char *kStandard =
    "id,time,station,part_number,serial,verdict,reason,completed,part_id,C1 Bore 1,C3 Bore 3\r\n"
    "1,2026-03-04T10:00:01.234+01:00,Gauge; ü,\"A,1\",1,G,,1,,0.0012,-0.0034\r\n";
constexpr const char *kDecimalComma =
    "\xEF\xBB\xBFid;time;station;part_number;serial;verdict;reason;completed;part_id;C1 Bore 1;"
    "C3 Bore 3\r\n"
    "1;2026-03-04T10:00:01.234+01:00;\"Gauge; ü\";A,1;1;G;;1;;0,0012;-0,0034\r\n";
constexpr const char *kDecimalPoint =
    "\xEF\xBB\xBFid;time;station;part_number;serial;verdict;reason;completed;part_id;C1 Bore 1;"
    "C3 Bore 3\r\n"
    "1;2026-03-04T10:00:01.234+01:00;\"Gauge; ü\";A,1;1;G;;1;;0.0012;-0.0034\r\n";

TEST_P(CsvProfiles, SeparateColumnsAndDecimalsAsTheProfileAndLocaleSay) {
    QTemporaryDir dir;
    PartStore store;
    ASSERT_TRUE(store.open(dir.filePath(QStringLiteral("parts.db"))).ok());
    SetupSnapshot setup = zeltest::snapshot();
    setup.station = QStringLiteral("Gauge; ü");
    ASSERT_TRUE(store.append(zeltest::goodPart(QStringLiteral("A,1")), setup).ok());
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const CsvOutcome outcome =
        writePartsCsv(store, {}, out, {},
                      csvProfile(GetParam().kind, QLocale(QString::fromUtf8(GetParam().locale))));
    ASSERT_FALSE(outcome.failure);
    EXPECT_EQ(out.data().toStdString(), std::string(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    ProfilesAndLocales, CsvProfiles,
    ::testing::Values(ProfileCase{CsvProfileKind::Standard, "de_DE", kStandard},
                      ProfileCase{CsvProfileKind::Standard, "en_US", kStandard},
                      ProfileCase{CsvProfileKind::Spreadsheet, "de_DE", kDecimalComma},
                      ProfileCase{CsvProfileKind::Spreadsheet, "fr_FR", kDecimalComma},
                      // A "." locale keeps the semicolon: one profile, one column separator.
                      ProfileCase{CsvProfileKind::Spreadsheet, "en_US", kDecimalPoint},
                      ProfileCase{CsvProfileKind::Spreadsheet, "C", kDecimalPoint}));

TEST(CsvProfileSetting, TheChoiceIsKeptAndAnythingElseIsStandard) {
    MemorySettingsStore store;
    EXPECT_EQ(readCsvProfileKind(store), CsvProfileKind::Standard);
    writeCsvProfileKind(store, CsvProfileKind::Spreadsheet);
    EXPECT_EQ(readCsvProfileKind(store), CsvProfileKind::Spreadsheet);
    store.setValue(QStringLiteral("History"), QStringLiteral("CsvProfile"),
                   QStringLiteral(" Spreadsheet "));
    EXPECT_EQ(readCsvProfileKind(store), CsvProfileKind::Spreadsheet);
    store.setValue(QStringLiteral("History"), QStringLiteral("CsvProfile"),
                   QStringLiteral("excel"));
    EXPECT_EQ(readCsvProfileKind(store), CsvProfileKind::Standard);
    writeCsvProfileKind(store, CsvProfileKind::Standard);
    EXPECT_EQ(readCsvProfileKind(store), CsvProfileKind::Standard);
}

}  // namespace
