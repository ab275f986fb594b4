// A lost unit and its return, through the real libzelcomm.so against zel8d, with the program's
// own attempt runner and retry timer: for a pulled cable (the driver stays, calls fail) and for
// a unit switched off and on (the driver's socket goes, the unit comes back empty), the time
// from the unit's return to the first measured value shown, and the window thread's longest
// stall (one scan tick or one piece of the recovery) while the unit was lost and found again.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <thread>

#include "emulator_process.h"
#include "session_fixture.h"
#include "session_start.h"
#include "setup/setup.h"
#include "temp_folder.h"
#include "unit/library_messages.h"
#include "unit/zelcomm_binding.h"

namespace {

constexpr int kChannels = 64;
const std::vector<std::string> kUnitArguments{"--channels", "64", "--set", "T1=0.0123"};

// The program's runner, counting the attempts: the windows see a run of quick ones as one.
class CountingRunner : public zelapp::AttemptRunner {
  public:
    void run(std::function<int32_t()> attempt, std::function<void(int32_t)> done) override {
        ++count;
        runner_.run(std::move(attempt), std::move(done));
    }
    int count = 0;

  private:
    zelapp::ThreadAttemptRunner runner_;
};

struct Round {
    double returnToValueMs = -1;
    double longestStallMs = 0;
    int attempts = 0;
    std::size_t told = 0;  // status changes told to the window
};

// Runs the window's event loop, one event batch at a time, until `done` or the time is up;
// the longest batch is the window's stall.
bool runWindow(QCoreApplication &app, int ms, double &stall, const std::function<bool()> &done) {
    QElapsedTimer total;
    total.start();
    while (total.elapsed() < ms) {
        QElapsedTimer batch;
        batch.start();
        app.processEvents(QEventLoop::AllEvents);
        stall = std::max(stall, batch.nsecsElapsed() / 1e6);
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    zeltest::TempFolder devices;
    setenv("ZEL_DEVICE_DIR", devices.path().c_str(), 1);
    zeltest::EmulatorProcess emulator(ZEL8D_PATH, devices.path());
    if (!emulator.start(kUnitArguments)) {
        std::fprintf(stderr, "zel8d did not start: %s\n", emulator.errors().c_str());
        return 1;
    }
    zelapp::ZelcommBinding binding(QString::fromUtf8(ZELCOMM_DIR), zelbench::printLibraryFailure);
    CountingRunner runner;
    zeltest::SessionFixture f(&binding, &runner);
    zelapp::LibraryMessagePrompter messages(f.prompter);
    binding.installMessageHook(messages);
    if (!zelbench::startWithChannels(f, 64)) {
        return 1;
    }
    for (int i = 1; i <= kChannels; ++i) {
        f.setup().channel(i)->setFormula(QStringLiteral("T1*%1").arg(i));
    }
    f.session->commands().EnableGrid_Click();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&f] { f.session->scan().Timer1_Timer(); });
    tick.start(400);

    zelapp::UnitRecovery &recovery = f.session->recovery();
    const auto measured = [&f] {
        const QString text = f.session->labels().text(1);
        return !text.isEmpty() && text != zelapp::noUnitText();
    };

    const auto round = [&](const char *name, const std::function<bool()> &lose,
                           const std::function<bool()> &back) {
        Round r;
        const int attemptsBefore = runner.count;
        f.view.unitStatuses.clear();
        double stall = 0;
        if (!runWindow(app, 2000, stall, measured) || !lose() ||
            !runWindow(app, 3000, stall, [&recovery] { return recovery.status().lost; })) {
            std::fprintf(stderr, "%s: the loss was not seen\n", name);
            return r;
        }
        // Past the quick second: the return falls 5 s after the loss, between two attempts.
        runWindow(app, 5000, stall, [] { return false; });
        if (!back()) {
            std::fprintf(stderr, "%s: the unit did not come back\n", name);
            return r;
        }
        QElapsedTimer since;
        since.start();
        if (runWindow(app, 20000, stall, measured)) {
            r.returnToValueMs = since.nsecsElapsed() / 1e6;
        }
        r.longestStallMs = stall;
        r.attempts = runner.count - attemptsBefore;
        r.told = f.view.unitStatuses.size();
        std::printf(
            "  %-28s first value %.0f ms after the return, longest stall %.1f ms, "
            "%d attempts, %zu status changes\n",
            name, r.returnToValueMs, r.longestStallMs, r.attempts, r.told);
        return r;
    };

    std::printf(
        "bench_unit_return: 64 channels, ticks every 400 ms, retries every 100 ms for a second\n"
        "and while attempts fail quickly, slow ones from 2 s backing off to 10 s; a device\n"
        "socket appearing is tried at once\n");
    const Round cable = round(
        "pulled cable:",
        [&] {
            return emulator.control({"silent", "on"}) == "OK";
        },
        [&] {
            return emulator.control({"silent", "off"}) == "OK";
        });
    const Round restart = round(
        "switched off and on:", [&] { return emulator.stop() == 0; },
        [&] { return emulator.start(kUnitArguments); });
    tick.stop();
    emulator.stop();
    return cable.returnToValueMs >= 0 && restart.returnToValueMs >= 0 ? 0 : 1;
}
