// The statistics' numbers: `zelparts stats` over a history of 1,000,000 values of one
// characteristic (target: under 1 s, the whole program), the series read in process, and
// computeStats over 10,000 values with every run rule (the window's share of a redraw).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <map>

#include "part_filler.h"
#include "shaft_part.h"
#include "stats/process_stats.h"
#include "stats/stats_series.h"
#include "temp_folder.h"

namespace {

constexpr qint64 kParts = 1000000;
constexpr int kWindowValues = 10000;
constexpr int kRepeats = 5;

double seconds(const QElapsedTimer &timer) {
    return double(timer.nsecsElapsed()) / 1e9;
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    zeltest::TempFolder folder;
    const QString file = QString::fromStdString(folder.path()) + QStringLiteral("/parts.db");
    zelapp::SetupSnapshot setup;
    setup.setupFile = QStringLiteral("/setups/shaft.zel");
    setup.station = QStringLiteral("Gauge 1");
    const zelapp::PartResult part = zelbench::shaftPart(1, QDateTime::currentDateTime());
    if (!zeltest::fillParts(file, part, setup, kParts)) {
        std::fprintf(stderr, "cannot fill %s\n", qPrintable(file));
        return 1;
    }
    {
        zelapp::PartStore checkpoint;  // the last connection folds the WAL into the file
        checkpoint.open(file);
    }

    // The whole program, best of a few runs (the first also warms the file cache).
    double program = 1e9;
    QByteArray out;
    for (int run = 0; run < kRepeats; ++run) {
        QProcess zelparts;
        QElapsedTimer timer;
        timer.start();
        zelparts.start(
            QStringLiteral(ZELPARTS_PATH),
            {QStringLiteral("--db"), file, QStringLiteral("stats"), QStringLiteral("--channel"),
             QStringLiteral("1"), QStringLiteral("--rules"), QStringLiteral("1,2,3,4,5,6,7,8")});
        if (!zelparts.waitForFinished(600000) || zelparts.exitCode() != 0) {
            std::fprintf(stderr, "zelparts stats failed: %s\n",
                         zelparts.readAllStandardError().constData());
            return 1;
        }
        program = std::min(program, seconds(timer));
        out = zelparts.readAllStandardOutput();
    }
    if (!out.startsWith("n\t1000000\n")) {
        std::fprintf(stderr, "zelparts stats counted otherwise:\n%s", out.constData());
        return 1;
    }

    zelapp::PartStore store;
    zelapp::OpenOptions readOnly;
    readOnly.readOnly = true;
    store.open(file, readOnly);
    QElapsedTimer timer;
    timer.start();
    const zelapp::StatsSeries series =
        zelapp::readStatsSeries(store, part.number, 1, zelapp::PartFilter{});
    const double read = seconds(timer);
    if (series.failure || series.stages.empty()) {
        std::fprintf(stderr, "cannot read the series\n");
        return 1;
    }
    const std::vector<zelapp::SeriesValue> &all = series.stages.back().values;
    timer.restart();
    zelapp::StatsOptions options;
    options.rules = {1, 2, 3, 4, 5, 6, 7, 8};
    options.limits = part.characteristics[0].limits;
    const zelapp::StatsResult whole = zelapp::computeStats(all, options);
    const double computeAll = seconds(timer);

    const std::vector<zelapp::SeriesValue> window(all.end() - kWindowValues, all.end());
    std::map<int, double> windowBest;
    for (const int subgroup : {1, 5, 20}) {
        options.subgroupSize = subgroup;
        windowBest[subgroup] = 1e9;
        for (int run = 0; run < kRepeats; ++run) {
            timer.restart();
            zelapp::computeStats(window, options);
            windowBest[subgroup] = std::min(windowBest[subgroup], seconds(timer));
        }
    }

    std::printf("zelparts stats: %lld values of one characteristic, rules 1-8\n", kParts);
    std::printf("  zelparts stats:   %.3f s, the whole program (target: under 1 s)\n", program);
    std::printf("  readStatsSeries:  %.3f s in process\n", read);
    std::printf("  computeStats:     %.3f s over all (%zu breaks)\n", computeAll,
                whole.breaks.size());
    std::printf(
        "  computeStats over %d values: I-MR %.2f ms, X-bar/R (5) %.2f ms, X-bar/s (20) "
        "%.2f ms\n",
        kWindowValues, windowBest[1] * 1e3, windowBest[5] * 1e3, windowBest[20] * 1e3);
    return 0;
}
