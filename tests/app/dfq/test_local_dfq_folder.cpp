// The local DFQ folder on a real temporary folder: flushed writes, renames that never replace,
// errno's words for a failure, and the sender through it end to end.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "dfq/dfq_sender.h"
#include "fake_dfq_folder.h"  // for DfqWaiting's messages
#include "part_samples.h"
#include "temp_folder.h"

using namespace zelapp;

namespace {

QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(absent)");
}

QStringList entries(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

TEST(LocalDfqFolder, WritesReplaceATemporaryFileButARenameNeverReplacesAFile) {
    zeltest::TempFolder temp;
    const QString dir = QString::fromStdString(temp.path());
    const std::unique_ptr<DfqFolder> folder = localDfqFolder();
    const QString tmp = QStringLiteral(".part.tmp");

    ASSERT_FALSE(folder->writeFlushed(dir, tmp, "first, longer"));
    ASSERT_FALSE(folder->writeFlushed(dir, tmp, "second"));
    EXPECT_EQ(contents(dir + QLatin1Char('/') + tmp), "second");
    EXPECT_TRUE(folder->exists(dir, tmp));
    EXPECT_TRUE(folder->exists(dir, {}));

    ASSERT_FALSE(folder->writeFlushed(dir, QStringLiteral("A_1.dfq"), "not yet imported"));
    EXPECT_EQ(folder->rename(dir, tmp, QStringLiteral("A_1.dfq")), QStringLiteral("File exists"));
    EXPECT_EQ(contents(dir + QStringLiteral("/A_1.dfq")), "not yet imported");
    ASSERT_FALSE(folder->rename(dir, tmp, QStringLiteral("A_1-2.dfq")));
    EXPECT_EQ(entries(dir), (QStringList{QStringLiteral("A_1-2.dfq"), QStringLiteral("A_1.dfq")}));
    EXPECT_EQ(contents(dir + QStringLiteral("/A_1-2.dfq")), "second");

    EXPECT_FALSE(folder->remove(dir, QStringLiteral("A_1.dfq")));
    EXPECT_FALSE(folder->remove(dir, QStringLiteral("A_1.dfq"))) << "already gone: nothing to do";
    EXPECT_FALSE(folder->exists(dir, QStringLiteral("A_1.dfq")));
}

TEST(LocalDfqFolder, AMissingFolderIsACauseAndIsNeverCreated) {
    zeltest::TempFolder temp;
    const QString gone = QString::fromStdString(temp.path()) + QStringLiteral("/unmounted");
    const std::unique_ptr<DfqFolder> folder = localDfqFolder();
    EXPECT_EQ(folder->writeFlushed(gone, QStringLiteral(".x.tmp"), "bytes"),
              QStringLiteral("No such file or directory"));
    EXPECT_EQ(folder->rename(gone, QStringLiteral(".x.tmp"), QStringLiteral("x.dfq")),
              QStringLiteral("No such file or directory"));
    EXPECT_FALSE(folder->exists(gone, {}));
    EXPECT_FALSE(QFileInfo::exists(gone));
}

TEST(LocalDfqFolder, TheSenderLeavesOnlyFinishedFilesInARealFolder) {
    zeltest::TempFolder temp;
    const QString dir = QString::fromStdString(temp.path()) + QStringLiteral("/upload");
    ASSERT_TRUE(QDir().mkpath(dir));
    QTemporaryDir history;
    PartStore store;
    ASSERT_TRUE(store.open(history.filePath(QStringLiteral("parts.db"))).ok());
    SetupSnapshot setup = zeltest::snapshot();
    setup.dfqFolder = dir;
    for (int n = 0; n < 3; ++n) {
        ASSERT_TRUE(store.append(zeltest::goodPart(), setup).ok());
    }
    const std::unique_ptr<DfqFolder> folder = localDfqFolder();
    DfqSender sender(store, *folder, []() { return QDateTime::currentDateTime(); });
    sender.setFormat(
        {[](const std::vector<RevisionCharacteristic> &, const std::vector<StoredPart> &parts,
            DfqEncoding) { return QByteArray::number(parts.front().serial) + "\r\n"; },
         [](const StoredPart &first) {
             return QStringLiteral("%1_%2.dfq").arg(first.number).arg(first.serial);
         }});
    EXPECT_EQ(sender.recover(), (DfqWaiting{3, QString()})) << "nothing was written before";
    EXPECT_EQ(sender.send(), (DfqWaiting{0, QString()}));
    EXPECT_EQ(entries(dir),
              (QStringList{QStringLiteral("A-100_1.dfq"), QStringLiteral("A-100_2.dfq"),
                           QStringLiteral("A-100_3.dfq")}));
    EXPECT_EQ(contents(dir + QStringLiteral("/A-100_3.dfq")), "3\r\n");
}

}  // namespace
