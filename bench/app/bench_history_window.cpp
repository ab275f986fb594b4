// Opening the history on a million parts: a history of 1,000,000 parts of 8 characteristics,
// one a second up to now, made in one transaction; then the time from making the table model
// (its own read-only connection and first page) and a table view on it until the view has
// painted its first rows (target: under 200 ms), as the median of a few openings, for all the
// parts, for today's and for a part number no part has; and the file's size per part.
#include <QApplication>
#include <QFileInfo>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "history/part_history_model.h"
#include "part_filler.h"
#include "shaft_part.h"
#include "temp_folder.h"

namespace {

constexpr qint64 kParts = 1000000;
constexpr int kCharacteristics = 8;
constexpr int kOpenings = 7;

// Milliseconds from nothing to a view that has painted the first page.
double openOnce(const QString &file, const zelapp::PartFilter &filter, int *rows) {
    const auto start = std::chrono::steady_clock::now();
    zelapp::PartHistoryModel model(file, filter);
    QTableView view;
    view.resize(1000, 600);
    view.setModel(&model);
    view.show();
    view.viewport()->repaint();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    *rows = model.rowCount();
    if (!model.lastError().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(model.lastError()));
    }
    return ms;
}

void report(const char *what, const QString &file, const zelapp::PartFilter &filter) {
    std::vector<double> times;
    int rows = 0;
    for (int i = 0; i < kOpenings; ++i) {
        times.push_back(openOnce(file, filter, &rows));
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "history window, %s: first %d rows shown in %.1f ms (median of %d, worst %.1f ms)"
        " %s\n",
        what, rows, times[times.size() / 2], kOpenings, times.back(),
        times[times.size() / 2] < 200 ? "ok" : "OVER the 200 ms target");
}

}  // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    zeltest::TempFolder folder;
    const QString file = QString::fromStdString(folder.path()) + QStringLiteral("/parts.db");
    const QDateTime now = QDateTime::currentDateTime();
    const auto start = std::chrono::steady_clock::now();
    zelapp::SetupSnapshot setup;
    setup.setupFile = QStringLiteral("/setups/shaft.zel");
    setup.station = QStringLiteral("Gauge 1");
    if (!zeltest::fillParts(file, zelbench::shaftPart(kCharacteristics, now.addSecs(-kParts)),
                            setup, kParts)) {
        std::fprintf(stderr, "cannot fill %s\n", qPrintable(file));
        return 1;
    }
    const double fill =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("history of %lld parts of %d characteristics made in %.1f s, %.0f bytes a part\n",
                static_cast<long long>(kParts), kCharacteristics, fill,
                double(QFileInfo(file).size()) / double(kParts));
    report("all parts", file, {});
    report("today's parts", file, zelapp::todayFilter(now));
    zelapp::PartFilter none;
    none.number = QStringLiteral("NO-SUCH-PART");
    report("a part number of no part", file, none);
    return 0;
}
