// The amplifier profile file: the writer's exact lines, and a reader that refuses a foreign or
// damaged file as a whole, before any of it could reach the unit.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "dialogs/amp_profile.h"
#include "file_bytes.h"
#include "temp_folder.h"

using namespace Qt::StringLiterals;
using zelapp::AmpProfileRead;
using zelapp::AmpRecord;
using Outcome = zelapp::AmpProfileRead::Outcome;

namespace {

// Eight probes: byte and 16-bit bounds, a negative fine gain, a negative null.
const std::vector<AmpRecord> kEight = {{1, {255, 0, -5, 0}},        {2, {0, 255, 100, -100}},
                                       {3, {120, 85, 0, 7}},        {4, {1, 60, -32768, 32767}},
                                       {5, {2, 50, 32767, -32768}}, {6, {3, 30, 1, -1}},
                                       {7, {4, 85, 0, 0}},          {8, {5, 85, 10, 10}}};

QByteArray crlf(const QStringList &lines) {
    return (lines.join(u"\r\n"_s) + u"\r\n"_s).toLatin1();
}

// A profile for one probe whose five number lines (file lines 7 to 11) are given as text.
QByteArray oneRecord(const QStringList &numbers) {
    return crlf(QStringList{u"[Amplifier Profile]"_s, u"[ZELAPP Version 6.0]"_s,
                            u"[General Setup]"_s, u"MaxLVDT= 1 "_s, u"[End Section]"_s,
                            u"[START_AMP_PROFILE]"_s} +
                numbers + QStringList{u"[END_AMP_PROFILE]"_s, u"[Amplifier Profile End]"_s});
}

TEST(AmpProfileText, EightProbesGiveSixtyTwoLinesByteForByte) {
    const QByteArray expected =
        "[Amplifier Profile]\r\n[ZELAPP Version 6.0]\r\n[General Setup]\r\nMaxLVDT= 8 \r\n"
        "[End Section]\r\n"
        "[START_AMP_PROFILE]\r\n 1 \r\n 0 \r\n 255 \r\n-5 \r\n 0 \r\n[END_AMP_PROFILE]\r\n"
        "[START_AMP_PROFILE]\r\n 2 \r\n 255 \r\n 0 \r\n 100 \r\n-100 \r\n[END_AMP_PROFILE]\r\n"
        "[START_AMP_PROFILE]\r\n 3 \r\n 85 \r\n 120 \r\n 0 \r\n 7 \r\n[END_AMP_PROFILE]\r\n"
        "[START_AMP_PROFILE]\r\n 4 \r\n 60 \r\n 1 \r\n-32768 \r\n 32767 \r\n[END_AMP_PROFILE]\r\n"
        "[START_AMP_PROFILE]\r\n 5 \r\n 50 \r\n 2 \r\n 32767 \r\n-32768 \r\n[END_AMP_PROFILE]\r\n"
        "[START_AMP_PROFILE]\r\n 6 \r\n 30 \r\n 3 \r\n 1 \r\n-1 \r\n[END_AMP_PROFILE]\r\n"
        "[START_AMP_PROFILE]\r\n 7 \r\n 85 \r\n 4 \r\n 0 \r\n 0 \r\n[END_AMP_PROFILE]\r\n"
        "[START_AMP_PROFILE]\r\n 8 \r\n 85 \r\n 5 \r\n 10 \r\n 10 \r\n[END_AMP_PROFILE]\r\n"
        "[Amplifier Profile End]\r\n";
    const QByteArray text = zelapp::ampProfileText(8, kEight);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(text.count("\r\n"), 62);
}

TEST(AmpProfileRead, TheWritersFileReadsBackWithoutAWarning) {
    std::vector<AmpRecord> records = kEight;
    records.push_back({32767, {9, 9, 9, 9}});  // the highest probe number a file can hold
    const AmpProfileRead read =
        zelapp::readAmpProfile(zelapp::ampProfileText(32767, records), 32767);
    EXPECT_EQ(read.outcome, Outcome::Loaded);
    EXPECT_EQ(read.records, records);
    EXPECT_TRUE(read.warnings.empty());
    EXPECT_TRUE(read.message.isEmpty());
}

TEST(AmpProfileRead, TheFirstLineDecidesWhetherItIsAProfile) {
    const AmpProfileRead empty = zelapp::readAmpProfile({}, 8);
    EXPECT_EQ(empty.outcome, Outcome::Loaded);
    EXPECT_TRUE(empty.records.empty() && empty.warnings.empty());

    QByteArray text = zelapp::ampProfileText(1, {{1, {1, 2, 3, 4}}});
    const AmpProfileRead lower = zelapp::readAmpProfile("[Amplifier profile]" + text.mid(19), 1);
    EXPECT_EQ(lower.outcome, Outcome::NotAProfile);
    EXPECT_EQ(lower.message, u"This is not an Amplifier Profile file\r[Amplifier profile]"_s);
    EXPECT_TRUE(lower.records.empty());

    // The second line is not examined, and a header alone is an empty profile.
    text.replace("[ZELAPP Version 6.0]", "[Written by hand]");
    EXPECT_EQ(zelapp::readAmpProfile(text, 1).records, (std::vector<AmpRecord>{{1, {1, 2, 3, 4}}}));
    EXPECT_TRUE(zelapp::readAmpProfile("[Amplifier Profile]", 1).records.empty());
}

TEST(AmpProfileRead, ALargerSetupWarnsOnceAndDropsTheProbesAbove) {
    const AmpProfileRead read = zelapp::readAmpProfile(zelapp::ampProfileText(8, kEight), 4);
    EXPECT_EQ(read.outcome, Outcome::Loaded);
    EXPECT_EQ(read.records, std::vector<AmpRecord>(kEight.begin(), kEight.begin() + 4));
    EXPECT_EQ(read.warnings,
              std::vector<QString>{
                  u"Number of LVDTs stored in this file,\rdiffers from current setting"_s});
}

TEST(AmpProfileRead, UnknownItemsAndLinesWarnInFileOrderAndTheEndLineEndsTheFile) {
    const QByteArray text =
        crlf({u"[Amplifier Profile]"_s, u""_s, u"[General Setup]"_s, u"maxlvdt=1"_s, u"MaxLVDT=1"_s,
              u"Decimals"_s, u"[End Section]"_s, u"[general setup]"_s, u""_s,
              u"[START_AMP_PROFILE]"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"anything"_s,
              u"[Amplifier Profile End]"_s, u"[START_AMP_PROFILE]"_s, u"x"_s});
    const AmpProfileRead read = zelapp::readAmpProfile(text, 1);
    EXPECT_EQ(read.outcome, Outcome::Loaded);
    EXPECT_EQ(read.records, (std::vector<AmpRecord>{{1, {3, 2, 4, 5}}}));
    EXPECT_EQ(read.warnings, (std::vector<QString>{u"Unknown item in [general setup]\rmaxlvdt=1"_s,
                                                   u"Unknown item in [general setup]\rDecimals"_s,
                                                   u"Section:[general setup] not valid"_s,
                                                   u"Section: not valid"_s}));

    // Without its end line the file simply ends after the last record.
    QByteArray open = zelapp::ampProfileText(1, {{1, {1, 2, 3, 4}}});
    open.chop(qstrlen("[Amplifier Profile End]\r\n"));
    EXPECT_EQ(zelapp::readAmpProfile(open, 1).records.size(), 1U);
}

TEST(AmpProfileRead, ANumberOutsideItsFieldStopsTheWholeLoad) {
    struct Case {
        int field;  // 0 probe, 1 Ri, 2 coarse gain, 3 fine gain, 4 null
        QString text;
        QString verdict;
    };
    const QString probe = u"which is not a valid probe number (1 to 32767)"_s;
    const QString ri = u"which is not a valid Ri (0 to 255)"_s;
    const QString coarse = u"which is not a valid coarse gain (0 to 255)"_s;
    const QString fine = u"which is not a valid fine gain (-32768 to 32767)"_s;
    const QString null = u"which is not a valid null (-32768 to 32767)"_s;
    const Case cases[] = {
        {0, u"0"_s, probe},    {0, u"32768"_s, probe}, {0, u"one"_s, probe},
        {0, u""_s, probe},     {1, u"300"_s, ri},      {1, u"-1"_s, ri},
        {1, u"8.5"_s, ri},     {1, u"+8"_s, ri},       {2, u"256"_s, coarse},
        {2, u"1 2"_s, coarse}, {3, u"-32769"_s, fine}, {3, u"99999999999999999999"_s, fine},
        {4, u"32768"_s, null}, {4, u"-"_s, null}};
    for (const Case &c : cases) {
        QStringList numbers{u" 1 "_s, u" 85 "_s, u"\t120 "_s, u"-5"_s, u"0"_s};
        numbers[c.field] = c.text;
        const AmpProfileRead read = zelapp::readAmpProfile(oneRecord(numbers), 1);
        EXPECT_EQ(read.outcome, Outcome::Stopped) << c.text.toStdString();
        EXPECT_TRUE(read.records.empty());
        EXPECT_EQ(read.message,
                  u"Line %1 of the amplifier profile holds \"%2\", %3.\rNothing was loaded."_s
                      .arg(7 + c.field)
                      .arg(c.text, c.verdict));
    }
    // Blanks around the number and the bounds themselves are fine.
    EXPECT_EQ(zelapp::readAmpProfile(
                  oneRecord({u" 1 "_s, u"255"_s, u" 0"_s, u"-32768 "_s, u"32767"_s}), 1)
                  .records,
              (std::vector<AmpRecord>{{1, {0, 255, -32768, 32767}}}));

    // A count that is no number stops too; the warnings before it are still told.
    QByteArray text = zelapp::ampProfileText(2, {{1, {1, 2, 3, 4}}});
    text.replace("MaxLVDT= 2 ", "Speed=3\r\nMaxLVDT=eight");
    const AmpProfileRead count = zelapp::readAmpProfile(text, 2);
    EXPECT_EQ(count.outcome, Outcome::Stopped);
    EXPECT_EQ(count.warnings, std::vector<QString>{u"Unknown item in [general setup]\rSpeed=3"_s});
    EXPECT_EQ(count.message,
              u"Line 5 of the amplifier profile holds \"MaxLVDT=eight\", whose value "
              "is not a number.\rNothing was loaded."_s);
}

TEST(AmpProfileRead, AFileThatEndsInsideARecordOrTheGeneralSectionStops) {
    const QByteArray whole = zelapp::ampProfileText(1, {{1, {1, 2, 3, 4}}});
    // Cut after line 11 (the record's null): its closing line is missing.
    const QByteArray cut = whole.left(whole.indexOf("[END_AMP_PROFILE]"));
    const AmpProfileRead record = zelapp::readAmpProfile(cut, 1);
    EXPECT_EQ(record.outcome, Outcome::Stopped);
    EXPECT_TRUE(record.records.empty());
    EXPECT_EQ(record.message,
              u"The amplifier profile ends inside the record that starts on "
              "line 6.\rNothing was loaded."_s);
    // A whole record before a cut one is not applied either.
    EXPECT_TRUE(zelapp::readAmpProfile(whole.left(whole.indexOf("[Amplifier Profile End]")) +
                                           "[START_AMP_PROFILE]\r\n 1 \r\n",
                                       1)
                    .records.empty());

    const AmpProfileRead general =
        zelapp::readAmpProfile("[Amplifier Profile]\r\n\r\n[General Setup]\r\nMaxLVDT= 1 \r\n", 1);
    EXPECT_EQ(general.outcome, Outcome::Stopped);
    EXPECT_EQ(general.message,
              u"The amplifier profile ends inside the [General Setup] section "
              "that starts on line 3.\rNothing was loaded."_s);
}

TEST(AmpProfileRead, LinesMayEndInCrLfLfOrABareCr) {
    const QByteArray crlfText = zelapp::ampProfileText(8, kEight);
    for (const char *end : {"\n", "\r"}) {
        QByteArray text = crlfText;
        text.replace("\r\n", end);
        const AmpProfileRead read = zelapp::readAmpProfile(text, 8);
        EXPECT_EQ(read.records, kEight) << (end[0] == '\n' ? "LF" : "CR");
        EXPECT_TRUE(read.warnings.empty());
    }
}

TEST(AmpProfileWrite, ReplacesTheFileOnlyWithAWholeNewOne) {
    zeltest::TempFolder folder;
    const QDir dir(QString::fromStdString(folder.path()));
    const QByteArray text = zelapp::ampProfileText(1, {{1, {1, 2, 3, 4}}});

    const QString path = dir.filePath(u"probes.zap"_s);
    zeltest::writeBytes(path, QByteArray(5000, 'x'));
    EXPECT_EQ(zelapp::writeAmpProfile(path, text), QString());
    EXPECT_EQ(zeltest::readBytes(path), text);

    // A folder in the file's place and a missing folder: a reason, and nothing changes.
    ASSERT_TRUE(dir.mkdir(u"taken.zap"_s));
    EXPECT_FALSE(zelapp::writeAmpProfile(dir.filePath(u"taken.zap"_s), text).isEmpty());
    EXPECT_TRUE(QFileInfo(dir.filePath(u"taken.zap"_s)).isDir());
    EXPECT_FALSE(zelapp::writeAmpProfile(dir.filePath(u"missing/probes.zap"_s), text).isEmpty());

    // A read-only profile keeps what it holds.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadUser));
    EXPECT_EQ(zelapp::writeAmpProfile(path, "new"), u"The file is read-only."_s);
    EXPECT_EQ(zeltest::readBytes(path), text);
    EXPECT_EQ(dir.entryList(QDir::Files | QDir::Hidden), QStringList{u"probes.zap"_s});
}

}  // namespace
