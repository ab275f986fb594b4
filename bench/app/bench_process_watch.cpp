// The run rules watched on each part recorded: 32 characteristics with rules 1 to 8 over a stage
// of 10,000 parts. The first part reads each characteristic's stage from the history; each
// later one is judged on the values kept (target: well under 5 ms a part). The time is that of
// the notice of a part recorded with the watch listening, less the same notice without it.
#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "part_filler.h"
#include "session_fixture.h"
#include "shaft_part.h"
#include "stats/control_constants.h"

namespace {

constexpr int kStageParts = 10000;
constexpr int kCharacteristics = 32;
constexpr int kParts = 300;

// The milliseconds of each notice of the parts after `first`.
std::vector<double> notices(zelapp::PartHistory &history, qint64 first, int count) {
    std::vector<double> times;
    const QDateTime start = QDateTime::currentDateTime();
    for (int n = 0; n < count; ++n) {
        const zelapp::PartResult part =
            zelbench::shaftPart(kCharacteristics, start.addSecs(n), kStageParts + n);
        const zelapp::PartRecord record{first + n, first + n, first + n};
        const auto begin = std::chrono::steady_clock::now();
        emit history.partRecorded(part, record);
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                .count());
    }
    return times;
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times.empty() ? 0 : times[times.size() / 2];
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    zeltest::SessionFixture f;
    const QString file = QDir(f.programFolder()).filePath(QStringLiteral("parts.db"));
    zelapp::SetupSnapshot setup;
    setup.setupFile = QStringLiteral("/setups/shaft.zel");
    setup.station = QStringLiteral("Gauge 1");
    for (int c = 1; c <= kCharacteristics; ++c) {
        setup.formulas[c] = QStringLiteral("T%1").arg(c);
    }
    if (!zeltest::fillParts(file, zelbench::shaftPart(kCharacteristics, QDateTime(), 0), setup,
                            kStageParts)) {
        std::fprintf(stderr, "cannot fill %s\n", qPrintable(file));
        return 1;
    }
    if (f.start() != zelapp::StartupResult::Running) {
        std::fprintf(stderr, "the session did not start\n");
        return 1;
    }
    zelapp::PartHistory &history = f.session->partHistory();
    history.open();
    zelapp::PartProgram program;
    for (int c = 1; c <= kCharacteristics; ++c) {
        program.rules[c] = {1, 2, 3, 4, 5, 6, 7, 8};
    }
    f.session->partProgram().replace(program);

    const qint64 first = kStageParts + 1;
    const std::vector<double> load = notices(history, first, 1);
    const std::vector<double> watched = notices(history, first + 1, kParts);
    QObject::disconnect(&history, nullptr, &f.session->processWatch(), nullptr);
    const std::vector<double> bare = notices(history, first + 1 + kParts, kParts);

    const double cost = median(watched) - median(bare);
    std::printf("process watch, %d characteristics, rules 1-8, a stage of %d parts%s\n",
                kCharacteristics, kStageParts,
                zelapp::controlConstants(2) == nullptr ? " (the statistics not built yet)" : "");
    std::printf("  first part (reads the stages):  %8.2f ms\n", load.front());
    std::printf(
        "  each later part, median:        %8.3f ms (worst %.3f ms; target well under "
        "5 ms)\n",
        cost, *std::max_element(watched.begin(), watched.end()));
    std::printf("  the notice without the watch:   %8.3f ms\n", median(bare));
    return 0;
}
