#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "history_reading.h"
#include "part_filler.h"
#include "part_samples.h"

namespace {

QByteArray contents(const QString &file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString &file, const QByteArray &bytes) {
    for (const char *suffix : {"", "-wal", "-shm"}) {
        QFile::remove(file + QString::fromLatin1(suffix));
    }
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Bytes overwritten all over a real history, in every page and at odd places within them:
// reading it read-only opens, fails with a message or reads what is left, never crashes, and
// never changes the file. (tests/fuzz/fuzz_parts_db does the same with any bytes.)
TEST(DamagedHistory, ReadingADamagedFileAnyWhereNeverCrashesNorWrites) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString seedFile = dir.filePath(QStringLiteral("seed.db"));
    ASSERT_TRUE(zeltest::fillParts(seedFile, zeltest::goodPart(), zeltest::snapshot(), 400));
    {
        zelapp::PartStore checkpoint;
        ASSERT_TRUE(checkpoint.open(seedFile).ok());
    }
    const QByteArray seed = contents(seedFile);
    ASSERT_GT(seed.size(), 8 * 4096);
    const QString file = dir.filePath(QStringLiteral("damaged.db"));
    write(file, seed);
    ASSERT_EQ(zeltest::readWholeHistory(file), 400);

    int opened = 0;
    int failed = 0;
    // A prime step walks every page at a different place: headers, cell pointers, cells.
    for (qsizetype at = 0; at < seed.size(); at += 1031) {
        for (const char fill : {'\x00', '\xff'}) {
            QByteArray damaged = seed;
            damaged.replace(at, qMin<qsizetype>(24, seed.size() - at), QByteArray(24, fill));
            write(file, damaged);
            const qint64 read = zeltest::readWholeHistory(file);
            (read < 0 ? failed : opened) += 1;
            EXPECT_LE(read, 400) << "at " << at;
            EXPECT_EQ(contents(file), damaged) << "a reader never writes, at " << at;
        }
    }
    EXPECT_GT(failed, 0) << "the header's damage is refused";
    EXPECT_GT(opened, failed) << "most damage is in a page of rows";
}

}  // namespace
