// The window's longest stall with a unit that answers late: 255 channels in channel view through
// the real libzelcomm.so against zel8d, every request answered 50 ms late (`zel8d ctl delay`),
// then 300 ms late. The scan gives the unit 250 ms of a tick plus the read under way, so the
// longest tick stays under 250 ms plus one answer; the ticks a full pass over the channels
// takes are counted, and the notice a unit slower than the budget gets is printed.
#include <QDir>
#include <QFile>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "compare_rounds.h"
#include "emulated_session.h"
#include "emulator_process.h"
#include "session_fixture.h"
#include "session_start.h"
#include "temp_folder.h"
#include "timed_unit.h"
#include "unit/zelcomm_binding.h"

namespace {

struct Ticks {
    double longestMs = 0;
    double medianMs = 0;
    double readsPerTick = 0;
};

// Each tick's calls are its reads, each followed by the link's question whether the unit
// answered, and the two switches of the library's boxes.
Ticks runTicks(zelapp::ScanCycle &scan, const zelbench::TimedUnit &unit, int ticks) {
    std::vector<double> ms;
    std::vector<double> reads;
    for (int t = 0; t < ticks; ++t) {
        const long callsBefore = unit.calls;
        const auto start = std::chrono::steady_clock::now();
        scan.Timer1_Timer();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        reads.push_back(static_cast<double>(unit.calls - callsBefore - 2) / 2);
    }
    return {*std::max_element(ms.begin(), ms.end()), zelbench::median(ms), zelbench::median(reads)};
}

}  // namespace

int main() {
    zelbench::EmulatedSession s;
    if (!s.start({"--channels", "255", "--table", "255", "--noise", "1e-3", "--seed", "7"}, 255)) {
        return 1;
    }
    zeltest::EmulatorProcess &emulator = s.emulator;
    zelbench::TimedUnit &unit = s.unit;
    zeltest::SessionFixture &f = s.f;
    const zelapp::SteadyClock steady;
    zelapp::ScanCycle &scan = f.session->scan();
    scan.setClock(steady);
    for (int i = 1; i <= 255; ++i) {
        f.setup().channel(i)->setFormula(QStringLiteral("T%1").arg(i % 8 + 1));
    }
    f.session->commands().EnableGrid_Click();
    f.state().ViewType = zelapp::VIEWTYPECHANNELS;
    scan.UpdateMainDisplay();
    emulator.control({"scan", "1"});
    scan.Timer1_Timer();

    std::printf("bench_slow_unit: 255 channels in channel view, zel8d answering late\n");
    for (int delay : {50, 300}) {
        emulator.control({"delay", std::to_string(delay)});
        const Ticks t = runTicks(scan, unit, delay == 50 ? 40 : 6);
        std::printf(
            "  %d ms per answer: longest tick %.0f ms, median %.0f ms (target: at most 250 ms "
            "plus one answer); %.0f reads per tick, every channel read again within %.0f ticks; "
            "notice \"%s\"\n",
            delay, t.longestMs, t.medianMs, t.readsPerTick,
            std::ceil(255 / std::max(t.readsPerTick, 1.0)),
            scan.unitNotice().toLocal8Bit().constData());
    }
    emulator.control({"delay", "0"});
    emulator.stop();
    return f.prompter.shown.empty() ? 0 : 1;
}
