// Files read and written whole: what is refused before it is opened or read, and the stale
// temporary copies a save removes (its own, and nothing else).
#include "base/whole_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "file_bytes.h"
#include "special_files.h"
#include "temp_folder.h"

using namespace Qt::StringLiterals;
using zelapp::ReadOutcome;
using zelapp::readWholeFile;

namespace {

constexpr qint64 kAny = 1 << 20;

class WholeFileTest : public ::testing::Test {
  protected:
    zeltest::TempFolder folder;
    QDir dir{QString::fromStdString(folder.path())};
    QString at(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
};

TEST_F(WholeFileTest, WhatIsNotARegularFileIsRefusedBeforeItIsOpened) {
    ASSERT_TRUE(zeltest::makeFifo(at("fifo")));  // opening it would wait for a writer
    ASSERT_TRUE(dir.mkdir(u"folder"_s));
    for (const QString &path : {at("fifo"), at("folder"), u"/dev/zero"_s}) {
        const zelapp::WholeFile file = readWholeFile(path, kAny);
        EXPECT_EQ(file.outcome, ReadOutcome::NotAFile) << path.toStdString();
        EXPECT_TRUE(file.bytes.isEmpty());
    }
    EXPECT_EQ(zelapp::notAFileMessage(at("fifo")), at("fifo") + u" is not a file."_s);

    EXPECT_EQ(readWholeFile(at("missing"), kAny).outcome, ReadOutcome::Missing);
    zeltest::writeBytes(at("plain"), "text");
    ASSERT_TRUE(QFile::link(at("plain"), at("link")));  // a link to a file is that file
    const zelapp::WholeFile linked = readWholeFile(at("link"), kAny);
    EXPECT_EQ(linked.outcome, ReadOutcome::Read);
    EXPECT_EQ(linked.bytes, "text");
}

TEST_F(WholeFileTest, AFileAboveTheLimitIsRefusedAndOneAtTheLimitIsRead) {
    zeltest::writeBytes(at("ten"), "0123456789");
    EXPECT_EQ(readWholeFile(at("ten"), 10).bytes, "0123456789");
    const zelapp::WholeFile over = readWholeFile(at("ten"), 9);
    EXPECT_EQ(over.outcome, ReadOutcome::TooLarge);
    EXPECT_TRUE(over.bytes.isEmpty());
}

TEST_F(WholeFileTest, ASaveRemovesItsOwnStaleCopiesOfThatFileAndNothingElse) {
    zeltest::writeBytes(at("station.zel"), "old");
    // What a save killed before its rename leaves: "<name>." and Qt's six random letters.
    const QStringList stale = {u"station.zel.qWeRtY"_s, u"station.zel.ABCdef"_s};
    for (const QString &name : stale) {
        zeltest::writeBytes(dir.filePath(name), "complete copy");
    }
    const QStringList foreign = {
        u"station.zel.bak"_s,     u"station.zel.old1234"_s,   u"station.zel.qWeRt1"_s,
        u"station.zel.backup"_s,  u"station.zel.BACKUP"_s,    u"station.zel.qWeRtYu"_s,
        u"station.zelqWeRtY"_s,   u"other.zel.qWeRtY"_s,      u"Station.zel.qWeRtY"_s,
        u"xstation.zel.qWeRtY"_s, u"station.zel.qWeRtY.zel"_s};
    for (const QString &name : foreign) {
        zeltest::writeBytes(dir.filePath(name), "keep");
    }
    ASSERT_TRUE(dir.mkdir(u"station.zel.FoLder"_s));
    ASSERT_TRUE(zeltest::makeFifo(at("station.zel.FiFoab")));
    ASSERT_TRUE(QFile::link(at("other.zel.qWeRtY"), at("station.zel.LiNkab")));

    EXPECT_TRUE(zelapp::saveWholeFile(at("station.zel"), "new").isEmpty());
    EXPECT_EQ(zeltest::readBytes(at("station.zel")), "new");
    for (const QString &name : stale) {
        EXPECT_FALSE(QFile::exists(dir.filePath(name))) << name.toStdString();
    }
    for (const QString &name : foreign) {
        EXPECT_EQ(zeltest::readBytes(dir.filePath(name)), "keep") << name.toStdString();
    }
    EXPECT_TRUE(QFileInfo(at("station.zel.FoLder")).isDir());
    EXPECT_TRUE(QFileInfo::exists(at("station.zel.FiFoab")));
    EXPECT_TRUE(QFileInfo(at("station.zel.LiNkab")).isSymLink());

    // Nothing else is added or left behind by the save itself.
    EXPECT_EQ(
        dir.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot).size(),
        foreign.size() + 4);
}

}  // namespace
