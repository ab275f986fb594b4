// One scan tick in channel view with 255 channels whose values all change, through the real
// libzelcomm.so against the running zel8d: the time per tick and the share of it spent in the
// library. The emulator runs one scan between ticks (outside the timing), and noise on the
// probes makes every channel's value new at every tick. After each tick the same 255 reads go
// straight through the library: the library's round trip. Target: the tick within twice 255
// round trips, with the program and zel8d on one processor as a driver call would be; the
// same left to the scheduler is shown beside it.
#include <QDir>
#include <QFile>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "compare_rounds.h"
#include "emulated_session.h"
#include "emulator_process.h"
#include "one_cpu.h"
#include "session_fixture.h"
#include "session_start.h"
#include "setup/setup.h"
#include "setup/setup_reader.h"
#include "setup/setup_writer.h"
#include "temp_folder.h"
#include "timed_unit.h"
#include "unit/zelcomm_binding.h"

int main() {
    zelbench::EmulatedSession s;
    if (!s.start({"--channels", "255", "--table", "255", "--noise", "1e-4", "--seed", "7"}, 255)) {
        return 1;
    }
    zeltest::EmulatorProcess &emulator = s.emulator;
    zelbench::TimedUnit &unit = s.unit;
    zeltest::SessionFixture &f = s.f;
    zeltest::TempFolder &devices = s.devices;
    zelapp::Setup &setup = f.setup();
    zelapp::AppState &state = f.state();
    zeltest::RecordingView &displays = f.view;
    for (int i = 1; i <= 255; ++i) {
        // Every channel follows the noisy probes, with its own decimals now and then.
        setup.channel(i)->setFormula(
            QStringLiteral("T%1-T%2*0.5").arg(i % 8 + 1).arg((i + 3) % 8 + 1));
        setup.channel(i)->Decimals = i % 16 == 0 ? 4 : 5;
    }
    f.session->commands().EnableGrid_Click();
    f.session->commands().EnableBarGraphs_Click();
    state.ViewType = zelapp::VIEWTYPECHANNELS;
    f.session->scan().UpdateMainDisplay();

    constexpr int kTicks = 200;
    struct Ticks {
        std::vector<double> tickMs, libraryMs, readUs;
        long changed = 0;
    };
    const auto runTicks = [&] {
        Ticks r;
        for (int t = 0; t < kTicks; ++t) {
            emulator.control({"scan", "1"});
            const auto libraryBefore = unit.spent;
            displays.gridValues.clear();
            displays.barValues.clear();
            const auto start = std::chrono::steady_clock::now();
            f.session->scan().Timer1_Timer();
            r.tickMs.push_back(zelbench::msSince(start));
            r.libraryMs.push_back(
                std::chrono::duration<double, std::milli>(unit.spent - libraryBefore).count());
            r.changed += displays.gridValues.size() == 255 ? 1 : 0;
            float value = 0;
            int channel = 0;
            r.readUs.push_back(zelbench::microsecondsPerCall(
                255, [&] { s.binding.ZelReadChannel(++channel, &value); }));
        }
        return r;
    };
    Ticks scheduled = runTicks();
    Ticks pinned;
    {
        const zelbench::OneCpu oneCpu(emulator.pid());
        pinned = runTicks();
    }
    // The same setup saved and loaded through the library: a load sets every property on
    // the unit, one request each.
    for (int i = 1; i <= 255; ++i) {
        setup.channel(i)->InUse = true;
    }
    const QString file =
        QDir(QString::fromStdString(devices.path())).filePath(QStringLiteral("big.zel"));
    const long callsBefore = unit.calls;
    const auto saveStart = std::chrono::steady_clock::now();
    const bool saved = zelapp::writeSetupFile(file, setup, QLatin1Char('.'), nullptr);
    const double saveMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - saveStart)
            .count();
    const long saveCalls = unit.calls - callsBefore;
    state.SetupFileName = file;
    zelapp::SetupReader reader(setup, f.prompter, QLocale::c());
    const auto loadStart = std::chrono::steady_clock::now();
    const bool loaded = saved && reader.read() == zelapp::SetupLoad::Loaded;
    const double loadMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - loadStart)
            .count();
    const long loadCalls = unit.calls - callsBefore - saveCalls;
    emulator.stop();

    std::printf("bench_app_tick: channel view, 255 channels, grid and bars on, against zel8d\n");
    const auto report = [](const char *where, const Ticks &r) {
        const double tick = zelbench::median(r.tickMs);
        const double library = zelbench::median(r.libraryMs);
        const double roundTripUs = zelbench::median(r.readUs);
        const double ratio = tick / (255 * roundTripUs / 1000.0);
        std::printf("  %s\n", where);
        std::printf(
            "    %.2f ms per tick (median of %d), %.2f ms of it in the library (%.0f%%), "
            "%.3f ms in the program\n",
            tick, kTicks, library, 100.0 * library / tick, tick - library);
        std::printf("    ticks where all 255 values changed: %ld of %d; 255 reads per tick\n",
                    r.changed, kTicks);
        std::printf(
            "    library round trip %.2f us; the tick is %.2f times 255 of them (target <= 2)",
            roundTripUs, ratio);
        return ratio;
    };
    report("the program and zel8d left to the scheduler:", scheduled);
    std::printf("\n");
    const double ratio =
        report("the program and zel8d on one processor, as a driver call runs:", pinned);
    std::printf(": %s\n", ratio <= 2.0 ? "met" : "NOT MET");
    std::printf(
        "  setup of 255 channels and 8 probes through the library: save %.1f ms "
        "(%ld requests), load %.1f ms (%ld requests)\n",
        saveMs, saveCalls, loadMs, loadCalls);
    if (!f.prompter.shown.empty()) {
        std::fprintf(stderr, "message: %s\n", f.prompter.shown[0].text.toLocal8Bit().constData());
    }
    return f.prompter.shown.empty() && loaded ? 0 : 1;
}
