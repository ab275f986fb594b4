// The run rules watched on each part recorded: 32 characteristics with rules 1 to 8 over a stage
// of 10,000 parts. The first part reads the characteristics' stages from the history, in a
// history of that stage alone and in one of 100,000 parts whose newest revision judged the last
// 10,000 (the read grows with the newest revision's run, not with the history); each later part
// is judged on the values kept (target: well under 5 ms a part). The time is that of the notice
// of a part recorded with the watch listening, less the same notice without it. A stage of
// 100,000 parts shows what a long stage costs the first part.
#include <sys/resource.h>
#include <QCoreApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include "part_filler.h"
#include "session_fixture.h"
#include "shaft_part.h"
#include "stats/control_constants.h"

namespace {

constexpr int kStageParts = 10000;
constexpr int kLongHistory = 100000;
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

// Gives all but the newest `newest` parts of the file another revision (a copy of theirs).
bool olderRevision(const QString &file, qint64 newest) {
    const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        QSqlQuery query(db);
        ok = db.open() && query.exec(QStringLiteral("BEGIN")) &&
             query.exec(QStringLiteral("INSERT INTO revisions (fingerprint) VALUES (x'00')")) &&
             query.exec(QStringLiteral(
                 "INSERT INTO revision_characteristics SELECT (SELECT max(id) FROM revisions),"
                 " position, channel, description, formula, decimals, units, lo_tol, lo_appr,"
                 " hi_appr, hi_tol, nominal, sides FROM revision_characteristics"
                 " WHERE revision_id = 1")) &&
             query.exec(QStringLiteral("UPDATE parts SET revision_id = (SELECT max(id) FROM"
                                       " revisions) WHERE id <= (SELECT max(id) FROM parts) - %1")
                            .arg(newest)) &&
             query.exec(QStringLiteral("COMMIT"));
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

struct Figures {
    double first = 0;
    std::vector<double> watched;
    std::vector<double> bare;
};

// A session on a history of `historyParts` parts whose newest `stageParts` are one stage.
std::optional<Figures> measure(qint64 historyParts, qint64 stageParts) {
    zeltest::SessionFixture f;
    const QString file = QDir(f.programFolder()).filePath(QStringLiteral("parts.db"));
    zelapp::SetupSnapshot setup;
    setup.setupFile = QStringLiteral("/setups/shaft.zel");
    setup.station = QStringLiteral("Gauge 1");
    for (int c = 1; c <= kCharacteristics; ++c) {
        setup.formulas[c] = QStringLiteral("T%1").arg(c);
    }
    if (!zeltest::fillParts(file, zelbench::shaftPart(kCharacteristics, QDateTime(), 0), setup,
                            historyParts) ||
        (historyParts > stageParts && !olderRevision(file, stageParts))) {
        std::fprintf(stderr, "cannot fill %s\n", qPrintable(file));
        return std::nullopt;
    }
    if (f.start() != zelapp::StartupResult::Running) {
        std::fprintf(stderr, "the session did not start\n");
        return std::nullopt;
    }
    zelapp::PartHistory &history = f.session->partHistory();
    history.open();
    zelapp::PartProgram program;
    for (int c = 1; c <= kCharacteristics; ++c) {
        program.rules[c] = {1, 2, 3, 4, 5, 6, 7, 8};
    }
    f.session->partProgram().replace(program);

    Figures figures;
    const qint64 first = historyParts + 1;
    figures.first = notices(history, first, 1).front();
    figures.watched = notices(history, first + 1, kParts);
    QObject::disconnect(&history, nullptr, &f.session->processWatch(), nullptr);
    figures.bare = notices(history, first + 1 + kParts, kParts);
    return figures;
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const std::optional<Figures> longStage = measure(kLongHistory, kLongHistory);
    const std::optional<Figures> stage = measure(kStageParts, kStageParts);
    const std::optional<Figures> longer = measure(kLongHistory, kStageParts);
    if (!stage || !longer || !longStage) {
        return 1;
    }
    const double cost = median(stage->watched) - median(stage->bare);
    std::printf("process watch, %d characteristics, rules 1-8, a stage of %d parts%s\n",
                kCharacteristics, kStageParts,
                zelapp::controlConstants(2) == nullptr ? " (the statistics not built yet)" : "");
    std::printf("  first part (reads the stages):  %8.2f ms\n", stage->first);
    std::printf("  the same in a history of %d:  %8.2f ms\n", kLongHistory, longer->first);
    std::printf("  a stage of %d parts:          %8.2f ms\n", kLongHistory, longStage->first);
    std::printf(
        "  each later part, median:        %8.3f ms (worst %.3f ms; target well under "
        "5 ms)\n",
        cost, *std::max_element(stage->watched.begin(), stage->watched.end()));
    std::printf("  the notice without the watch:   %8.3f ms\n", median(stage->bare));
    return 0;
}
