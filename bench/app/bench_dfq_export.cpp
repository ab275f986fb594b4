// The DFQ export's throughput: parts of 32 characteristics waiting in the history's queue, sent
// by DfqSender through the local folder into a folder on this disk, one file per part (each
// written, flushed, recorded, renamed, its folder synced and marked done) and, beside it, one
// file per hour. Target: well above what a gauge measures (a part every few seconds).
#include <QDir>
#include <chrono>
#include <cstdio>

#include "dfq/dfq_sender.h"
#include "shaft_part.h"
#include "temp_folder.h"

namespace {

constexpr int kParts = 300;
constexpr int kCharacteristics = 32;

struct Figures {
    double partsPerSecond = 0;
    qint64 files = 0;
    qint64 waiting = -1;
};

Figures measure(const QString &dir, const QString &name, zelapp::DfqFiles files) {
    const QString folder = dir + QLatin1Char('/') + name;
    QDir().mkpath(folder);
    zelapp::PartStore store;
    if (!store.open(dir + QLatin1Char('/') + name + QStringLiteral(".db")).ok()) {
        std::fprintf(stderr, "cannot open the history in %s\n", qPrintable(dir));
        return {};
    }
    zelapp::SetupSnapshot setup;
    setup.setupFile = QStringLiteral("/setups/shaft.zel");
    setup.station = QStringLiteral("Gauge 1");
    setup.dfqFolder = folder;
    const QDateTime start = QDateTime::currentDateTime();
    for (int n = 0; n < kParts; ++n) {
        if (!store.append(zelbench::shaftPart(kCharacteristics, start, n), setup).ok()) {
            std::fprintf(stderr, "append failed\n");
            return {};
        }
    }
    const std::unique_ptr<zelapp::DfqFolder> local = zelapp::localDfqFolder();
    zelapp::DfqSender sender(store, *local, []() { return QDateTime::currentDateTime(); });
    zelapp::DfqSettings settings;
    settings.files = files;
    sender.setSettings(settings);
    const auto began = std::chrono::steady_clock::now();
    const zelapp::DfqWaiting waiting = sender.send(true);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    if (!waiting.cause.isEmpty()) {
        std::fprintf(stderr, "send failed: %s\n", qPrintable(waiting.cause));
    }
    return {double(kParts) / seconds,
            qint64(QDir(folder).entryList({QStringLiteral("*.dfq")}, QDir::Files).size()),
            waiting.count};
}

}  // namespace

int main() {
    zeltest::TempFolder temp;
    const QString dir = QString::fromStdString(temp.path());
    std::printf("DFQ export: %d queued parts of %d characteristics into a local folder\n", kParts,
                kCharacteristics);
    const Figures perPart = measure(dir, QStringLiteral("part"), zelapp::DfqFiles::PerPart);
    const Figures perHour = measure(dir, QStringLiteral("hour"), zelapp::DfqFiles::PerHour);
    std::printf(
        "  one file per part: %.0f parts/s (files: %lld, left waiting: %lld; target > 10)\n",
        perPart.partsPerSecond, static_cast<long long>(perPart.files),
        static_cast<long long>(perPart.waiting));
    std::printf("  one file per hour: %.0f parts/s (files: %lld, left waiting: %lld)\n",
                perHour.partsPerSecond, static_cast<long long>(perHour.files),
                static_cast<long long>(perHour.waiting));
    return perPart.waiting == 0 && perPart.files == kParts && perPart.partsPerSecond > 10 ? 0 : 1;
}
