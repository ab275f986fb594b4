// The window thread's longest stall while parts are recorded and the DFQ folder is on a slow
// path (every write takes 1 s, as a struggling network mount does) or missing, beside the same
// without a folder: parts are measured one after another from the event loop, the DFQ export
// tried again every 100 steps, and the longest gap between the starts of two steps of the loop
// is the stall the operator would see. Then the exit: how long the program waits for the
// export's thread (at most 2 s).
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "dfq/dfq_settings.h"
#include "history/dfq_queue.h"
#include "session_fixture.h"

namespace {

struct Stall {
    double longestGapMs = 0;
    int parts = 0;
    double partsPerSecond = 0;
    double exitMs = 0;
    qint64 waitingAtExit = 0;
};

enum class Folder { Off, Slow, Missing };

Stall measure(Folder where, int parts) {
    // A thread left running at exit still writes through the fixture's folder: the fixture is
    // then left to the end of the process.
    auto *fixture = new zeltest::SessionFixture();
    zeltest::SessionFixture &f = *fixture;
    if (f.start() != zelapp::StartupResult::Running) {
        return {};
    }
    const QString folder = f.programFolder() + QStringLiteral("/qdas");
    if (where == Folder::Slow) {
        QDir().mkpath(folder);
        f.dfqFolder.setWriteDelayMs(1000);
    } else if (where == Folder::Missing) {
        f.dfqFolder.setFailure(QStringLiteral("No such file or directory"));
    }
    if (where != Folder::Off) {
        zelapp::writeDfqSettings(f.store, {folder, {}, {}});
    }
    for (int n = 1; n <= 8; ++n) {
        f.setup().channel(n)->setFormula(QStringLiteral("T1"));
        f.setup().channel(n)->Decimals = 4;
    }
    zelapp::PartCycle &cycle = f.session->partCycle();
    Stall stall;
    QObject::connect(&f.session->partHistory(), &zelapp::PartHistory::partRecorded,
                     [&stall] { ++stall.parts; });

    QEventLoop loop;
    QTimer step;
    step.setInterval(0);
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    int steps = 0;
    QObject::connect(&step, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        // From one step's start to the next: the step's own work (a part recorded with full
        // sync) and whatever else held the thread.
        stall.longestGapMs = std::max(stall.longestGapMs, double(now - last) / 1e6);
        last = now;
        if (!cycle.running()) {
            cycle.measure();
        }
        f.scanClock.now += zelapp::PartCycle::kPollMs;
        cycle.poll();
        if (++steps % 100 == 0) {
            f.dfqTick.fire();
        }
        if (stall.parts >= parts) {
            loop.quit();
        }
    });
    step.start();
    loop.exec();
    step.stop();
    stall.partsPerSecond = stall.parts / (double(clock.nsecsElapsed()) / 1e9);

    QElapsedTimer exit;
    exit.start();
    const bool ended = f.session->dfqExport().stop();
    stall.exitMs = double(exit.nsecsElapsed()) / 1e6;
    // Counted in the file: the thread's last report is stale while a write still blocks it.
    zelapp::PartStore reader;
    std::optional<zelapp::StoreFailure> failure;
    if (reader.open(f.session->partHistory().file(), {.readOnly = true}).ok()) {
        stall.waitingAtExit = zelapp::DfqQueue(reader).pendingExportCount(&failure);
    }
    if (ended) {
        delete fixture;
    } else {
        // What the thread still tries fails at once, so that it ends soon.
        f.dfqFolder.setWriteDelayMs(0);
        f.dfqFolder.setFailure(QStringLiteral("benchmark over"));
    }
    return stall;
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    std::printf(
        "bench_dfq_stall: 200 parts of 8 characteristics recorded from the event loop, "
        "without a DFQ folder, then with one that is slow or missing\n");
    if (!zeltest::SwitchableDfqFolder().available()) {
        std::printf("  (this build has no DFQ file layer yet: the folder is never written)\n");
    }
    for (const Folder folder : {Folder::Off, Folder::Slow, Folder::Missing}) {
        const Stall s = measure(folder, 200);
        std::printf(
            "  %s: %d parts at %.0f parts/s, longest gap of the window thread's event "
            "loop %.1f ms (target: no more than without a folder: no write is waited "
            "for); the exit waited %.0f ms for the export's thread (target: at most "
            "2000 ms), %lld parts left queued\n",
            folder == Folder::Off    ? "no DFQ folder"
            : folder == Folder::Slow ? "folder taking 1 s per write"
                                     : "folder missing",
            s.parts, s.partsPerSecond, s.longestGapMs, s.exitMs,
            static_cast<long long>(s.waitingAtExit));
    }
    return 0;
}
