#include "core/ini_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "file_size_limit.h"
#include "special_files.h"
#include "temp_folder.h"

using namespace Qt::StringLiterals;

namespace zelapp {
namespace {

const QByteArray kDefaultFile =
    "[ZELAPP Version 6.01]\r\n"
    "[General Setup]\r\n"
    "MaxChannel= 8 \r\n"
    "MaxLVDT= 8 \r\n"
    "MaxAnalog= 1 \r\n"
    "LvdtFSV=  .05 \r\n"
    "Decimals=  5 \r\n"
    "ScanTime=  100 \r\n"
    "ADCAverage=  4 \r\n"
    "RunAvg=  1 \r\n"
    "\r\n";

AppState readText(const QByteArray &text) {
    AppState state;
    readIniText(text, state);
    return state;
}

void expectSameWrittenSettings(const AppState &actual, const AppState &expected) {
    EXPECT_EQ(actual.MaxChannel, expected.MaxChannel);
    EXPECT_EQ(actual.MaxLvdt, expected.MaxLvdt);
    EXPECT_EQ(actual.MaxAnalog, expected.MaxAnalog);
    EXPECT_EQ(actual.LvdtFSV, expected.LvdtFSV);
    EXPECT_EQ(actual.Decimals, expected.Decimals);
    EXPECT_EQ(actual.ScanTime, expected.ScanTime);
    EXPECT_EQ(actual.ADCAverage, expected.ADCAverage);
    EXPECT_EQ(actual.RunAvg, expected.RunAvg);
}

void expectDefaults(const AppState &state) {
    expectSameWrittenSettings(state, AppState{});
    EXPECT_EQ(state.MaxDigital, 0);
    EXPECT_EQ(state.MaxStrain, 0);
}

QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool putFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// ---- Writing ----

TEST(IniFileText, DefaultSettingsGiveTheElevenLinesByteForByte) {
    EXPECT_EQ(iniFileText(AppState{}), kDefaultFile);
}

TEST(IniFileText, CountsOfDigitalAndStrainInputsAreNotWritten) {
    AppState state;
    state.MaxDigital = 4;
    state.MaxStrain = 2;
    EXPECT_EQ(iniFileText(state), kDefaultFile);
}

TEST(IniFileText, NegativeAndExponentValuesUseTheListForm) {
    AppState state;
    state.MaxChannel = -3;
    state.LvdtFSV = 1e-05f;
    state.RunAvg = -32768;
    const QByteArray text = iniFileText(state);
    EXPECT_TRUE(text.contains("\r\nMaxChannel=-3 \r\n"));
    EXPECT_TRUE(text.contains("\r\nLvdtFSV=  1E-05 \r\n"));
    EXPECT_TRUE(text.contains("\r\nRunAvg= -32768 \r\n\r\n"));
}

// ---- Reading ----

TEST(ReadIniText, WrittenFileRestoresEveryWrittenSetting) {
    const float fullScales[] = {0.05f, 0.125f, 1e-05f, -2.5f, 1234567.0f, 0.0f};
    for (const float fullScale : fullScales) {
        AppState written;
        written.MaxChannel = 12;
        written.MaxLvdt = 3;
        written.MaxAnalog = 0;
        written.LvdtFSV = fullScale;
        written.Decimals = 2;
        written.ScanTime = 32767;
        written.ADCAverage = -32768;
        written.RunAvg = 7;  // the line before the empty last line
        SCOPED_TRACE(fullScale);
        expectSameWrittenSettings(readText(iniFileText(written)), written);
    }
}

TEST(ReadIniText, DigitalAndStrainCountsAreReadButDoNotComeBack) {
    const AppState read = readText("MaxDigital=4\r\nMaxStrain=2\r\n");
    EXPECT_EQ(read.MaxDigital, 4);
    EXPECT_EQ(read.MaxStrain, 2);
    expectDefaults(readText(iniFileText(read)));
}

TEST(ReadIniText, IntegersTakeTheLenientValueRoundedHalfToEven) {
    EXPECT_EQ(readText("MaxChannel=12").MaxChannel, 12);
    EXPECT_EQ(readText("ScanTime= 99.5").ScanTime, 100);
    EXPECT_EQ(readText("ScanTime= 98.5").ScanTime, 98);
    EXPECT_EQ(readText("MaxChannel=abc").MaxChannel, 0);
    EXPECT_EQ(readText("MaxChannel=").MaxChannel, 0);
    EXPECT_EQ(readText("MaxLVDT=\t 6 probes").MaxLvdt, 6);
    EXPECT_EQ(readText("Decimals=3e0").Decimals, 3);
    EXPECT_EQ(readText("LvdtFSV=.1x").LvdtFSV, 0.1f);
}

TEST(ReadIniText, KeyIsTheExactTextBeforeTheFirstEquals) {
    expectDefaults(readText("maxchannel=4"));
    expectDefaults(readText("MaxChannel 4"));
    expectDefaults(readText("MaxChannel =4"));
    expectDefaults(readText(" MaxChannel=4"));
    expectDefaults(readText("MaxLvdt=4"));
    expectDefaults(readText("Max=Channel=4"));
    EXPECT_EQ(readText("MaxChannel=5=6").MaxChannel, 5);
}

TEST(ReadIniText, AcceptedKeysWithoutSettingChangeNothing) {
    for (const char *line : {"DDEEnabled=1", "MoxBaseAdr=&H300", "MoxFirmware=99999",
                             "DDEEnabled=True", "Unknown=7", "=5", "[General Setup]", ""}) {
        SCOPED_TRACE(line);
        expectDefaults(readText(line));
    }
}

// The about window names the firmware file; the program never writes the key.
TEST(ReadIniText, MoxFirmwareNamesTheFirmwareFileAndIsNotWrittenBack) {
    AppState state = readText("[General Setup]\r\nMoxFirmware= zel8 v2.hex \r\nMaxChannel=4\r\n");
    EXPECT_EQ(state.FirmwareFileName, u"zel8 v2.hex"_s);
    EXPECT_EQ(state.MaxChannel, 4);
    EXPECT_FALSE(iniFileText(state).contains("MoxFirmware"));
    EXPECT_EQ(readText("MoxFirmware").FirmwareFileName, QString()) << "no \"=\", no key";
}

TEST(ReadIniText, LineEndsOfEveryKindAndNoneAtTheEnd) {
    for (const char *end : {"\n", "\r"}) {
        QByteArray text = "MaxChannel=3_MaxLVDT=4_MaxAnalog=2";
        const AppState state = readText(text.replace('_', end));
        EXPECT_EQ(state.MaxChannel, 3);
        EXPECT_EQ(state.MaxLvdt, 4);
        EXPECT_EQ(state.MaxAnalog, 2);
    }
    const AppState mixed = readText("[x]\r\nMaxChannel=3\nRunAvg=9\r\n");
    EXPECT_EQ(mixed.MaxChannel, 3);
    EXPECT_EQ(mixed.RunAvg, 9);
    expectDefaults(readText(QByteArray()));
}

TEST(ReadIniText, BadLinesDoNotStopTheReading) {
    const QByteArray text("garbage\r\nMaxChannel=abc\r\n\xff\xfe=\x01\r\nScanTime=50\r\n");
    const AppState state = readText(text);
    EXPECT_EQ(state.MaxChannel, 0);
    EXPECT_EQ(state.ScanTime, 50);
}

TEST(ReadIniText, ValuesThatDoNotFitKeepTheSetting) {
    // Wrapping to 16 bits would turn 65544 channels into 8 without a word.
    expectDefaults(readText("MaxChannel=65544"));
    expectDefaults(readText("ScanTime=32767.5"));
    expectDefaults(readText("ScanTime=-32769"));
    expectDefaults(readText("ScanTime=1e400"));
    expectDefaults(readText("ScanTime=-1e400"));
    expectDefaults(readText("LvdtFSV=1e39"));
    expectDefaults(readText("LvdtFSV=-1e400"));
    EXPECT_EQ(readText("ScanTime=32767.4").ScanTime, 32767);
    EXPECT_EQ(readText("ScanTime=-32768.5").ScanTime, -32768);
    // A count is 0..255, the numbers the unit has for its items; text still reads as 0.
    for (const char *key : {"MaxChannel", "MaxLVDT", "MaxAnalog", "MaxDigital", "MaxStrain"}) {
        SCOPED_TRACE(key);
        for (const char *bad : {"-3", "-0.6", "256", "255.5"}) {
            expectDefaults(readText(QByteArray(key) + '=' + bad));
        }
    }
    EXPECT_EQ(readText("MaxChannel=255").MaxChannel, 255);
    EXPECT_EQ(readText("MaxLVDT=-0.4").MaxLvdt, 0);
    EXPECT_EQ(readText("MaxAnalog=abc").MaxAnalog, 0);
    EXPECT_EQ(readText("LvdtFSV=-3e38").LvdtFSV, -3e38f);
    EXPECT_EQ(readText("LvdtFSV=1e-50").LvdtFSV, 0.0f);
}

// ---- Files ----

TEST(IniFile, MissingFileOrNoFileReportsAndKeepsTheSettings) {
    zeltest::TempFolder folder;
    const QString path = QString::fromStdString(folder.path()) + u"/zelapp.ini"_s;
    AppState state;
    state.MaxChannel = 5;
    EXPECT_EQ(readIniFile(path, state), ReadOutcome::Missing);
    ASSERT_TRUE(zeltest::makeFifo(path));  // opening it would wait for a writer
    EXPECT_EQ(readIniFile(path, state), ReadOutcome::NotAFile);
    EXPECT_EQ(state.MaxChannel, 5);
}

TEST(IniFile, WrittenFileHoldsTheTextAndReadsBack) {
    zeltest::TempFolder folder;
    const QString path = QString::fromStdString(folder.path()) + u"/zelapp.ini"_s;
    ASSERT_TRUE(putFile(path, QByteArray(500, 'x')));  // a longer old file is replaced whole
    AppState written;
    written.MaxChannel = 16;
    written.LvdtFSV = 0.25f;
    QString error;
    ASSERT_TRUE(writeIniFile(path, written, &error)) << error.toStdString();
    EXPECT_EQ(fileBytes(path), iniFileText(written));
    AppState read;
    ASSERT_EQ(readIniFile(path, read), ReadOutcome::Read);
    expectSameWrittenSettings(read, written);
    EXPECT_EQ(QDir(QString::fromStdString(folder.path())).entryList(QDir::Files),
              QStringList{u"zelapp.ini"_s});
}

TEST(IniFile, WriteIntoMissingFolderFailsWithAReason) {
    zeltest::TempFolder folder;
    const QString path = QString::fromStdString(folder.path()) + u"/missing/zelapp.ini"_s;
    QString error;
    EXPECT_FALSE(writeIniFile(path, AppState{}, &error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(writeIniFile(path, AppState{}, nullptr));
}

TEST(IniFile, WriteOverAFolderFailsAndLeavesNothingBehind) {
    zeltest::TempFolder folder;
    const QDir dir(QString::fromStdString(folder.path()));
    ASSERT_TRUE(dir.mkdir(u"zelapp.ini"_s));
    ASSERT_TRUE(putFile(dir.filePath(u"zelapp.ini/inside"_s), "kept"));
    QString error;
    EXPECT_FALSE(writeIniFile(dir.filePath(u"zelapp.ini"_s), AppState{}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(dir.filePath(u"zelapp.ini/inside"_s)), "kept");
    EXPECT_TRUE(dir.entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// A write that fails half way (here: a file size limit, which binds the superuser too, as a
// full disk would) must leave the old file whole; so must a folder that is a file.
TEST(IniFile, FailedWriteKeepsTheOldFile) {
    zeltest::TempFolder folder;
    const QString path = QString::fromStdString(folder.path()) + u"/zelapp.ini"_s;
    ASSERT_TRUE(putFile(path, "old settings"));

    QString error;
    bool written = true;
    {
        const zeltest::FileSizeLimit full(16);
        ASSERT_TRUE(full.active());
        written = writeIniFile(path, AppState{}, &error);
    }

    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(path), "old settings");
    EXPECT_EQ(QDir(QString::fromStdString(folder.path())).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"zelapp.ini"_s});

    const QString underAFile = path + u"/zelapp.ini"_s;
    EXPECT_FALSE(writeIniFile(underAFile, AppState{}, &error));
    EXPECT_TRUE(error.contains(underAFile)) << error.toStdString();
    EXPECT_EQ(fileBytes(path), "old settings");
}

}  // namespace
}  // namespace zelapp
