// Storing parts in the history: one part of 32 characteristics per transaction, with
// synchronous=FULL as the program runs (target: under 10 ms a part) and, beside it, without full
// sync to show what the sync costs; and the file's size per part.
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "history/part_store.h"
#include "shaft_part.h"
#include "temp_folder.h"

namespace {

constexpr int kParts = 300;
constexpr int kCharacteristics = 32;

struct Figures {
    double median = 0;
    double worst = 0;
    double bytesPerPart = 0;
};

Figures measure(const QString &file, bool fullSync) {
    zelapp::PartStore store;
    zelapp::OpenOptions options;
    options.fullSync = fullSync;
    if (!store.open(file, options).ok()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(file));
        return {};
    }
    zelapp::SetupSnapshot setup;
    setup.setupFile = QStringLiteral("/setups/shaft.zel");
    setup.station = QStringLiteral("Gauge 1");
    for (int c = 1; c <= kCharacteristics; ++c) {
        setup.formulas[c] = QStringLiteral("(T%1+T%2)/2").arg(c).arg(c + 1);
    }
    std::vector<double> times;
    for (int n = 0; n < kParts; ++n) {
        const zelapp::PartResult part =
            zelbench::shaftPart(kCharacteristics, QDateTime::currentDateTime(), n);
        const auto start = std::chrono::steady_clock::now();
        const zelapp::Appended appended = store.append(part, setup);
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        if (!appended.ok()) {
            std::fprintf(stderr, "append failed: %s\n", qPrintable(appended.failure->cause));
            return {};
        }
    }
    store.close();  // the last connection checkpoints the WAL into the file
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back(), double(QFileInfo(file).size()) / double(kParts)};
}

}  // namespace

int main() {
    zeltest::TempFolder folder;
    const QString dir = QString::fromStdString(folder.path());
    const Figures full = measure(dir + QStringLiteral("/full.db"), true);
    const Figures normal = measure(dir + QStringLiteral("/normal.db"), false);
    std::printf("Part store: %d parts of %d characteristics, one transaction each\n", kParts,
                kCharacteristics);
    std::printf("  synchronous=FULL:   median %.2f ms, worst %.2f ms a part (target < 10 ms)\n",
                full.median, full.worst);
    std::printf("  synchronous=NORMAL: median %.2f ms, worst %.2f ms a part\n", normal.median,
                normal.worst);
    std::printf("  file size: %.0f bytes a part\n", full.bytesPerPart);
    return full.median < 10.0 ? 0 : 1;
}
