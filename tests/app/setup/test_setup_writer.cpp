// The setup file writer: the exact lines of a .zel file, and a write that never leaves a broken
// or half-written file behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "file_bytes.h"
#include "file_size_limit.h"
#include "setup/setup_writer.h"
#include "setup_fixture.h"
#include "temp_folder.h"

using namespace Qt::StringLiterals;

namespace {

QByteArray crlfLines(std::initializer_list<const char *> lines) {
    QByteArray text;
    for (const char *line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// Two channels (the second in use), one probe, one analog input, one group, one placed window.
void buildSmallSetup(zeltest::SetupFixture &f) {
    zelapp::Channel &c = *f.setup.channel(2);
    c.InUse = true;
    c.Description = u"Bore"_s;
    c.setFormula(u"(T1+T2)/2"_s);
    c.Decimals = 3;
    c.Units = u"mm"_s;
    c.Master1 = 25.4f;
    c.UseTwoMasters = true;
    c.setScaling(2.5f);
    c.setZeroOffset(-0.0125f);
    f.state.Decimals = 4;
    f.state.MaxDigital = 7;  // never written: the file always says 0
    zelapp::windowRecord(f.setup.windows(), zelapp::SetupWindow::ChannelGrid) = {100, -15, 3000,
                                                                                 4000};
    auto g = std::make_unique<zelapp::group>();
    g->SetDefaults(1);
    g->Description = u"Front"_s;
    g->AddChannel(2);
    g->AddChannel(1);
    g->WindowBarLeft = 1440;
    g->WindowDialWidth = -1;
    f.setup.addGroup(std::move(g));
}

TEST(SetupWriter, WritesTheLayoutLineForLine) {
    zeltest::SetupFixture f(2, 1, 1);
    buildSmallSetup(f);

    // clang-format off
    const QByteArray expected = crlfLines({
        "[ZELAPP Version 6.0]",
        "[General Setup]",
        "MaxChannel= 2 ", "MaxLVDT= 1 ", "MaxAnalog= 1 ", "MaxDigital=0", "MaxStrain=0",
        "Decimals= 4 ",
        "[End Section]",
        "[ChannelGridWindow]", " 100 ", "-15 ", " 3000 ", " 4000 ",
        "[ChannelBarWindow]", " 0 ", " 0 ", " 0 ", " 0 ",
        "[ChannelDialWindow]", " 0 ", " 0 ", " 0 ", " 0 ",
        "[LvdtGridWindow]", " 0 ", " 0 ", " 0 ", " 0 ",
        "[LvdtBarWindow]", " 0 ", " 0 ", " 0 ", " 0 ",
        "[LvdtDialWindow]", " 0 ", " 0 ", " 0 ", " 0 ",
        "[AnalogGridWindow]", " 0 ", " 0 ", " 0 ", " 0 ",
        "[AnalogBarWindow]", " 0 ", " 0 ", " 0 ", " 0 ",
        "[AnalogDialWindow]", " 0 ", " 0 ", " 0 ", " 0 ",
        "[Channel]", " 2 ", "Bore", "(T1+T2)/2", " 3 ", "mm",
        " 25.4 ", " 0 ", "True",                // masters
        " .01 ", " .009 ", "-.009 ", "-.01 ",   // tolerance and approach limits
        " 2.5 ", "-.0125 ",                     // scaling and zero offset, from the unit
        " .05 ", "-.05 ",                       // bar scale
        "[End Channel]",
        "[lvdt]", " 1 ", "Lvdt 1", " .05 ", " 0 ", "[End lvdt]",
        "[Analog]", " 1 ", "Analog  1", " 1 ", " 0 ", "[End Analog]",
        "[Group]", " 1 ", "Front", " 2 ", " 2 ", " 1 ",
        " 0 ", " 0 ", " 0 ", " 0 ",
        " 0 ", " 1440 ", " 0 ", " 0 ",
        " 0 ", " 0 ", " 0 ", "-1 ",
        "[End Group]",
        "[End Setup]",
    });
    // clang-format on
    EXPECT_EQ(zelapp::setupFileText(f.setup, u'.'), expected);
}

TEST(SetupWriter, ScalingAndZeroOffsetComeFromTheUnit) {
    zeltest::SetupFixture f(1, 0, 0);
    f.setup.channel(1)->InUse = true;
    f.unit.cscale[1] = 0.5f;
    f.unit.czero[1] = 1e-5f;
    f.unit.clearCalls();

    const QByteArray text = zelapp::setupFileText(f.setup, u'.');
    EXPECT_TRUE(
        text.contains("False\r\n .01 \r\n .009 \r\n-.009 \r\n-.01 \r\n .5 \r\n 1E-05 \r\n"));
    EXPECT_EQ(f.unit.calls, (std::vector<std::string>{"ZelReadCscale(1)", "ZelReadCzero(1)"}));
}

TEST(SetupWriter, WritesOnlyChannelsInUseButEveryInputAndGroupInOrder) {
    zeltest::SetupFixture f(4, 2, 2);
    f.setup.channel(3)->InUse = true;
    f.setup.channel(1)->InUse = true;
    for (int n : {2, 1}) {
        auto g = std::make_unique<zelapp::group>();
        g->SetDefaults(n);
        f.setup.addGroup(std::move(g));
    }
    const QByteArray text = zelapp::setupFileText(f.setup, u'.');

    EXPECT_EQ(text.count("[Channel]\r\n"), 2);
    const qsizetype first = text.indexOf("[Channel]\r\n 1 \r\n");
    const qsizetype third = text.indexOf("[Channel]\r\n 3 \r\n");
    EXPECT_GE(first, 0);
    EXPECT_GT(third, first);
    EXPECT_EQ(text.count("[lvdt]\r\n"), 2);
    EXPECT_EQ(text.count("[Analog]\r\n"), 2);
    // A group without channels goes straight on to its window values.
    EXPECT_TRUE(text.contains("[Group]\r\n 2 \r\nGroup  2\r\n 0 \r\n 0 \r\n"));
    EXPECT_LT(text.indexOf("Group  2"), text.indexOf("Group  1"));
    EXPECT_TRUE(text.endsWith("[End Group]\r\n[End Setup]\r\n"));
}

TEST(SetupWriter, RealsUseTheGivenDecimalSeparatorAndCountsDoNot) {
    zeltest::SetupFixture f(2, 1, 1);
    buildSmallSetup(f);
    const QByteArray text = zelapp::setupFileText(f.setup, u',');
    EXPECT_TRUE(text.contains("\r\n 25,4 \r\n"));
    EXPECT_TRUE(text.contains("\r\n-,0125 \r\n"));
    EXPECT_TRUE(text.contains("\r\nMaxChannel= 2 \r\n"));
    EXPECT_FALSE(text.contains("25.4"));
}

TEST(SetupWriter, TextsAreWrittenByteForByteInLatin1) {
    zeltest::SetupFixture f(1, 1, 0);
    zelapp::Channel &c = *f.setup.channel(1);
    c.InUse = true;
    c.Description = QString::fromLatin1("Bohrung \xD8 \xB5m\xFF");
    c.Units = QString::fromLatin1("\xB5m");
    f.setup.lvdt(1)->Description = QString::fromLatin1("Taster \xE9 ");
    c.setFormula(u"(T1+\r\nT2)/2\n"_s);  // a line end would split the block
    const QByteArray text = zelapp::setupFileText(f.setup, u'.');
    EXPECT_TRUE(text.contains("\r\nBohrung \xD8 \xB5m\xFF\r\n"));
    EXPECT_TRUE(text.contains("\r\n\xB5m\r\n"));
    EXPECT_TRUE(text.contains("\r\nTaster \xE9 \r\n"));  // trailing blank kept
    EXPECT_TRUE(text.contains("\r\n(T1+  T2)/2 \r\n"));
}

class SetupFileWrite : public ::testing::Test {
  protected:
    zeltest::TempFolder folder;
    QDir dir{QString::fromStdString(folder.path())};
    zeltest::SetupFixture f{2, 1, 1};
};

TEST_F(SetupFileWrite, ReplacesTheFileWithTheWholeTextAndLeavesNothingElse) {
    const QString path = dir.filePath(u"job.zel"_s);
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(10000, 'x'));  // longer than the new text: nothing of it may remain
    old.close();

    QString error = u"untouched"_s;
    ASSERT_TRUE(zelapp::writeSetupFile(path, f.setup, u'.', &error));
    EXPECT_EQ(zeltest::readBytes(path), zelapp::setupFileText(f.setup, u'.'));
    EXPECT_EQ(error, u"untouched"_s);
    EXPECT_EQ(dir.entryList(QDir::Files | QDir::Hidden), QStringList{u"job.zel"_s});
}

TEST_F(SetupFileWrite, FailuresReturnFalseWithAReasonAndKeepWhatWasThere) {
    // A folder where the file should be.
    const QString folderPath = dir.filePath(u"taken.zel"_s);
    ASSERT_TRUE(dir.mkdir(u"taken.zel"_s));
    QString error;
    EXPECT_FALSE(zelapp::writeSetupFile(folderPath, f.setup, u'.', &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(folderPath).isDir());

    // A folder that does not exist.
    error.clear();
    EXPECT_FALSE(zelapp::writeSetupFile(dir.filePath(u"missing/job.zel"_s), f.setup, u'.', &error));
    EXPECT_FALSE(error.isEmpty());

    // A read-only file keeps its contents.
    const QString readOnly = dir.filePath(u"locked.zel"_s);
    QFile locked(readOnly);
    ASSERT_TRUE(locked.open(QIODevice::WriteOnly));
    locked.write("old setup\r\n");
    locked.close();
    ASSERT_TRUE(locked.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadUser));
    error.clear();
    EXPECT_FALSE(zelapp::writeSetupFile(readOnly, f.setup, u'.', &error));
    EXPECT_EQ(error, u"The file is read-only."_s);
    EXPECT_EQ(zeltest::readBytes(readOnly), QByteArray("old setup\r\n"));

    // A disk that fills up half way through keeps the old file whole.
    const QString job = dir.filePath(u"job.zel"_s);
    zeltest::writeBytes(job, "old job\r\n");
    error.clear();
    {
        const zeltest::FileSizeLimit full(64);
        ASSERT_TRUE(full.active());
        EXPECT_FALSE(zelapp::writeSetupFile(job, f.setup, u'.', &error));
    }
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(zeltest::readBytes(job), QByteArray("old job\r\n"));

    // No temporary file is left behind by any of them.
    EXPECT_EQ(dir.entryList(QDir::Files | QDir::Hidden),
              (QStringList{u"job.zel"_s, u"locked.zel"_s}));
}

}  // namespace
