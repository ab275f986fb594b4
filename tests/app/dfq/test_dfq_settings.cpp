// The DFQ export's settings as the program and zelparts read them from the settings file.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "dfq/dfq_settings.h"

using namespace zelapp;

namespace {

DfqSettings readFrom(const QTemporaryDir &dir, const QByteArray &ini) {
    const QString file = dir.filePath(QStringLiteral("zelapp.conf"));
    QFile out(file);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(ini);
    out.close();
    return readDfqSettings(file);
}

}  // namespace

TEST(DfqSettings, ReadsSectionResultsAndTakesTheDefaultForAnythingElse) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(readDfqSettings(dir.filePath(QStringLiteral("absent.conf"))), DfqSettings{});
    EXPECT_EQ(readDfqSettings(QString()), DfqSettings{});

    const DfqSettings set = readFrom(dir,
                                     "[Results]\nDfqFolder= /mnt/qdas/in \n"
                                     "DfqEncoding=UTF-8\nDfqFiles=hour\n");
    EXPECT_EQ(set,
              (DfqSettings{QStringLiteral("/mnt/qdas/in"), DfqEncoding::Utf8, DfqFiles::PerHour}));
    const DfqSettings odd = readFrom(dir,
                                     "[Results]\nDfqEncoding=latin1\nDfqFiles=day\n"
                                     "[Other]\nDfqFolder=/elsewhere\n");
    EXPECT_EQ(odd, DfqSettings{});
    const DfqSettings explicitDefaults =
        readFrom(dir, "[Results]\nDfqEncoding=windows-1252\nDfqFiles=part\n");
    EXPECT_EQ(explicitDefaults, DfqSettings{});
}
