// Files read whole: what is refused before it is opened or read.
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
    ASSERT_TRUE(zeltest::makeSocketFile(at("socket")));
    ASSERT_TRUE(dir.mkdir(u"folder"_s));
    for (const QString &path : {at("fifo"), at("socket"), at("folder"), u"/dev/zero"_s}) {
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
    EXPECT_EQ(readWholeFile(at("ten"), 9).outcome, ReadOutcome::TooLarge);
    ASSERT_TRUE(zeltest::makeSparseFile(at("huge"), qint64{1} << 40));
    const zelapp::WholeFile huge = readWholeFile(at("huge"), kAny);
    EXPECT_EQ(huge.outcome, ReadOutcome::TooLarge);
    EXPECT_TRUE(huge.bytes.isEmpty());
}

}  // namespace
