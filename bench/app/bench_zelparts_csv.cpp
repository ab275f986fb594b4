// The CSV of 100,000 parts of 32 characteristics: written by writePartsCsv (the history
// window's export) and by the real `zelparts csv`, in rows per second; and the history file's
// size per part.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>

#include "history/part_csv.h"
#include "part_filler.h"
#include "shaft_part.h"
#include "temp_folder.h"

namespace {

constexpr qint64 kParts = 100000;
constexpr int kCharacteristics = 32;

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    zeltest::TempFolder folder;
    const QString dir = QString::fromStdString(folder.path());
    const QString file = dir + QStringLiteral("/parts.db");
    zelapp::SetupSnapshot setup;
    setup.setupFile = QStringLiteral("/setups/shaft.zel");
    setup.station = QStringLiteral("Gauge 1");
    if (!zeltest::fillParts(file,
                            zelbench::shaftPart(kCharacteristics, QDateTime::currentDateTime()),
                            setup, kParts)) {
        std::fprintf(stderr, "cannot fill %s\n", qPrintable(file));
        return 1;
    }
    {
        zelapp::PartStore checkpoint;  // the last connection folds the WAL into the file
        checkpoint.open(file);
    }
    const double bytesPerPart = double(QFileInfo(file).size()) / double(kParts);

    zelapp::PartStore store;
    zelapp::OpenOptions readOnly;
    readOnly.readOnly = true;
    if (!store.open(file, readOnly).ok()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(file));
        return 1;
    }
    QFile csv(dir + QStringLiteral("/parts.csv"));
    csv.open(QIODevice::WriteOnly);
    QElapsedTimer timer;
    timer.start();
    const zelapp::CsvOutcome outcome = zelapp::writePartsCsv(store, {}, csv);
    const double exportSeconds = double(timer.nsecsElapsed()) / 1e9;
    csv.close();
    store.close();
    if (outcome.failure || outcome.rows != kParts) {
        std::fprintf(stderr, "the export failed after %lld rows\n", outcome.rows);
        return 1;
    }

    QProcess zelparts;
    zelparts.setStandardOutputFile(dir + QStringLiteral("/zelparts.csv"));
    timer.restart();
    zelparts.start(QStringLiteral(ZELPARTS_PATH),
                   {QStringLiteral("--db"), file, QStringLiteral("csv")});
    if (!zelparts.waitForFinished(600000) || zelparts.exitCode() != 0) {
        std::fprintf(stderr, "zelparts csv failed: %s\n",
                     zelparts.readAllStandardError().constData());
        return 1;
    }
    const double programSeconds = double(timer.nsecsElapsed()) / 1e9;

    std::printf("zelparts csv: %lld parts of %d characteristics\n", kParts, kCharacteristics);
    std::printf("  writePartsCsv:  %.0f rows/s (%.2f s, %.0f bytes a row)\n",
                double(kParts) / exportSeconds, exportSeconds,
                double(QFileInfo(csv).size()) / double(kParts));
    std::printf("  zelparts csv:   %.0f rows/s (%.2f s, the whole program)\n",
                double(kParts) / programSeconds, programSeconds);
    std::printf("  history file:   %.0f bytes a part\n", bytesPerPart);
    return 0;
}
