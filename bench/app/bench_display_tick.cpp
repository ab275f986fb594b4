// The whole program's scan tick with its windows on screen: 255 channels in channel view, the
// grid and the bar window open, every value new at every tick. Each tick is timed in two parts:
// the tick itself (reads, texts, cells, gauge settings) and the painting it causes, run from
// the event loop right after it. Target: a tick and its painting under 20 ms, 5% of the 400 ms
// scan period. Run three times: twice with a unit that costs nothing (the program's own cost),
// with values sweeping through every zone and with every bar nearly full and in reject (the
// probes resting at their stops between parts, which hatches every bar), and once through the
// real libzelcomm.so against zel8d, the program and zel8d on one processor as a driver call
// would be (one_cpu.h). A fourth run adds 16 clients of the live-value service
// with hot links on every channel, one of which never reads: the tick must not grow while that
// client's output piles up, until the service drops it.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPixmap>
#include <QTableWidget>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "app_fixture.h"
#include "changing_unit.h"
#include "compare_rounds.h"
#include "core/ini_file.h"
#include "display/twips.h"
#include "display/view/form_grid_display.h"
#include "display/view/form_lin_gage.h"
#include "emulator_process.h"
#include "exchange/link_server.h"
#include "link_clients.h"
#include "one_cpu.h"
#include "part/part_cycle.h"
#include "setup/part_program.h"
#include "setup/setup.h"
#include "timed_unit.h"
#include "unit/zelcomm_binding.h"
#include "view/window_place.h"

namespace {

constexpr int kChannels = 255;
constexpr int kTicks = 200;
constexpr int kWarmUpTicks = 10;  // the first paints build every gauge's scale
constexpr int kGrabs = 20;
constexpr double kTargetMs = 20.0;
// The run with part cycles: their characteristics, and the cycle's polls in one tick period.
constexpr int kPartCharacteristics = 32;
constexpr int kPollsPerTick = 400 / zelapp::PartCycle::kPollMs;
// The bar window holds 255 gauges in 7 rows of up to 37; the grid shows about 40 rows.
constexpr int kBarWidthPx = 1200;
constexpr int kBarHeightPx = 900;
constexpr int kGridWidthPx = 300;
constexpr int kGridHeightPx = 900;

using Clock = std::chrono::steady_clock;

double sum(const std::vector<double> &values) {
    double total = 0;
    for (double v : values) {
        total += v;
    }
    return total;
}

// Counts the paint events of the windows' widgets, to show the painting really happens.
class PaintCounter : public QObject {
  public:
    long gauges = 0;
    long barWindow = 0;
    long gridCells = 0;
    QObject *bars = nullptr;
    QObject *gridViewport = nullptr;

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Paint) {
            if (watched == bars) {
                ++barWindow;
            } else if (watched == gridViewport) {
                ++gridCells;
            } else {
                ++gauges;
            }
        }
        return false;
    }
};

// Everything queued by the tick: the update requests of the windows, which paint the dirty
// widgets into the backing stores and flush them.
void paintPending() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

struct Result {
    std::vector<double> tickMs, paintMs, totalMs, libraryMs;
    long gaugePaints = 0, barWindowPaints = 0, gridPaints = 0;
    std::array<int, 4> zones{};  // gauges per zone after the last tick
    double barGrabMs = 0, gridGrabMs = 0;
    int gauges = 0, rows = 0;
    int parts = 0;  // part cycles started between the ticks
    QSize barSize;
    bool ok = false;
};

// Grows the running program's setup to 255 channels, places the displays and rebuilds them.
// Without the unit's evaluation the formula only has to be there: a channel without one
// measures nothing and shows nothing.
void defineEveryChannel(zelapp::Setup &setup) {
    for (int i = 1; i <= kChannels; ++i) {
        setup.channel(i)->setFormula(QStringLiteral("T1"));
    }
}

bool prepare(zeltest::AppFixture &f, const std::function<void(zelapp::Setup &)> &formulas) {
    zelapp::FormMain *window = f.window();
    if (window == nullptr || window->gridWindow() == nullptr || window->barWindow() == nullptr) {
        std::fprintf(stderr, "the program did not open its grid and bar windows\n");
        return false;
    }
    zelapp::Setup &setup = f.app->setup();
    setup.CreateChannels(kChannels);
    formulas(setup);
    const double dpi = zelapp::windowDpi(*window->barWindow());
    const auto twips = [dpi](int px) { return zelapp::pixelsToTwips(px, dpi); };
    zelapp::windowRecord(setup.windows(), zelapp::SetupWindow::ChannelBar) = {
        twips(0), twips(kGridWidthPx), twips(kBarHeightPx), twips(kBarWidthPx)};
    zelapp::windowRecord(setup.windows(), zelapp::SetupWindow::ChannelGrid) = {
        twips(0), twips(0), twips(kGridHeightPx), twips(kGridWidthPx)};
    window->UpdateMainDisplay();
    // The channel setup dialog stays open beside the displays with its live value on.
    window->findChild<QAction *>(QStringLiteral("SetupChannels"))->trigger();
    auto *live = window->findChild<QCheckBox *>(QStringLiteral("CheckShowCurrentValue"));
    if (live == nullptr) {
        std::fprintf(stderr, "the channel setup dialog did not open\n");
        return false;
    }
    live->click();
    paintPending();
    if (f.app->setup().channelCount() != kChannels ||
        f.app->session().dialogs().setupChan.SetupChanChannel() != 1 ||
        window->barWindow()->TotalNumberOfBars() != kChannels ||
        !window->gridWindow()->isVisible() || !window->barWindow()->isVisible()) {
        std::fprintf(stderr, "the displays do not show %d channels\n", kChannels);
        return false;
    }
    return true;
}

// Messages the program showed; a healthy run shows none.
bool noMessages(const zeltest::AppFixture &f) {
    for (const auto &shown : f.prompter.shown) {
        std::fprintf(stderr, "message: %s\n", shown.text.toLocal8Bit().constData());
    }
    return f.prompter.shown.empty();
}

// Runs the ticks; `beforeTick` (untimed) makes the unit's values move.
Result measure(zeltest::AppFixture &f, const std::function<void()> &beforeTick,
               const zelbench::TimedUnit *timed) {
    Result r;
    zelapp::FormMain &window = *f.window();
    zelapp::FormLinGage &bars = *window.barWindow();
    auto *grid = window.gridWindow()->findChild<QTableWidget *>(QStringLiteral("GridView"));
    if (grid == nullptr) {
        std::fprintf(stderr, "the grid window has no GridView\n");
        return r;
    }
    PaintCounter counter;
    counter.bars = &bars;
    counter.gridViewport = grid->viewport();
    bars.installEventFilter(&counter);
    grid->viewport()->installEventFilter(&counter);
    r.gauges = bars.createdGauges();
    std::vector<int> rowTops;
    for (int i = 0; i < r.gauges; ++i) {
        bars.gauge(i)->installEventFilter(&counter);
        if (bars.gauge(i)->isVisible()) {
            rowTops.push_back(bars.gauge(i)->y());
        }
    }
    std::sort(rowTops.begin(), rowTops.end());
    r.rows = static_cast<int>(std::unique(rowTops.begin(), rowTops.end()) - rowTops.begin());
    r.barSize = bars.size();

    for (int t = 0; t < kWarmUpTicks + kTicks; ++t) {
        beforeTick();
        const auto libraryBefore = timed != nullptr ? timed->spent : std::chrono::nanoseconds{};
        const long gaugesBefore = counter.gauges;
        const long barWindowBefore = counter.barWindow;
        const long gridBefore = counter.gridCells;
        const auto start = Clock::now();
        window.Timer1_Timer();
        const double tick = zelbench::msSince(start);
        const auto paintStart = Clock::now();
        paintPending();
        const double paint = zelbench::msSince(paintStart);
        if (t < kWarmUpTicks) {
            continue;
        }
        r.tickMs.push_back(tick);
        r.paintMs.push_back(paint);
        r.totalMs.push_back(tick + paint);
        if (timed != nullptr) {
            r.libraryMs.push_back(
                std::chrono::duration<double, std::milli>(timed->spent - libraryBefore).count());
        }
        r.gaugePaints += counter.gauges - gaugesBefore;
        r.barWindowPaints += counter.barWindow - barWindowBefore;
        r.gridPaints += counter.gridCells - gridBefore;
    }

    // Whole windows drawn into a pixmap: the cost of painting everything once, with no
    // update requests in between.
    std::vector<double> barGrabs, gridGrabs;
    for (int i = 0; i < kGrabs; ++i) {
        auto start = Clock::now();
        const QPixmap barImage = bars.grab();
        barGrabs.push_back(zelbench::msSince(start));
        start = Clock::now();
        const QPixmap gridImage = window.gridWindow()->grab();
        gridGrabs.push_back(zelbench::msSince(start));
    }
    for (int i = 0; i < kChannels; ++i) {
        if (const zelapp::LGauge *g = bars.gauge(i)) {
            ++r.zones[static_cast<size_t>(g->zone())];
        }
    }
    r.barGrabMs = zelbench::median(barGrabs);
    r.gridGrabMs = zelbench::median(gridGrabs);
    bars.removeEventFilter(&counter);
    grid->viewport()->removeEventFilter(&counter);
    for (int i = 0; i < r.gauges; ++i) {
        bars.gauge(i)->removeEventFilter(&counter);
    }
    // Every gauge repaints at every tick, because every value is new.
    r.ok = r.gaugePaints >= static_cast<long>(kChannels) * kTicks && r.gridPaints >= kTicks;
    return r;
}

void report(const char *title, const Result &r) {
    const double tick = zelbench::median(r.tickMs);
    const double paint = zelbench::median(r.paintMs);
    const double total = zelbench::median(r.totalMs);
    const double total90 = zelbench::percentile(r.totalMs, 0.9);
    const double paintShare = 100.0 * sum(r.paintMs) / sum(r.totalMs);
    std::printf("  %s\n", title);
    std::printf(
        "    %.2f ms per tick with its painting (median of %d), 90th percentile %.2f ms; "
        "target < %.0f ms: %s\n",
        total, kTicks, total90, kTargetMs, total90 < kTargetMs ? "met" : "MISSED");
    std::printf(
        "    tick %.2f ms (90th %.2f), painting %.2f ms (90th %.2f): %.0f%% of the time "
        "is painting\n",
        tick, zelbench::percentile(r.tickMs, 0.9), paint, zelbench::percentile(r.paintMs, 0.9),
        paintShare);
    if (!r.libraryMs.empty()) {
        const double library = zelbench::median(r.libraryMs);
        std::printf("    of the tick, %.2f ms in the library (255 reads), %.2f ms in the program\n",
                    library, tick - library);
    }
    std::printf(
        "    paints per tick: %.1f gauges, %.1f bar window, %.1f grid cells; bars at the end: "
        "%d good, %d approach, %d reject\n",
        static_cast<double>(r.gaugePaints) / kTicks,
        static_cast<double>(r.barWindowPaints) / kTicks, static_cast<double>(r.gridPaints) / kTicks,
        r.zones[static_cast<size_t>(zelapp::BarZone::Good)],
        r.zones[static_cast<size_t>(zelapp::BarZone::Approach)],
        r.zones[static_cast<size_t>(zelapp::BarZone::Reject)]);
    std::printf(
        "    whole window painted once (grab): bars %.2f ms (%.3f ms a gauge), grid %.2f ms\n",
        r.barGrabMs, r.barGrabMs / std::max(1, r.gauges), r.gridGrabMs);
    if (r.parts > 0) {
        std::printf("    part cycles started between the ticks: %d\n", r.parts);
    }
    if (!r.ok) {
        std::printf("    FAILED: the windows did not repaint every changed value\n");
    }
}

// zelapp.ini with the default settings, so start-up shows no "file not found" message.
bool writeDefaultIni(const zeltest::AppFixture &f) {
    zelapp::AppState defaults;
    QString error;
    if (!zelapp::writeIniFile(f.iniPath(), defaults, &error)) {
        std::fprintf(stderr, "cannot write zelapp.ini: %s\n", error.toLocal8Bit().constData());
        return false;
    }
    return true;
}

// The program on a unit that costs nothing: the figures are its own.
bool runWithChangingUnit(Result &r, double centre, double amplitude) {
    zelbench::ChangingUnit unit(centre, amplitude);
    zeltest::AppFixture f;
    if (!writeDefaultIni(f) ||
        f.start(QStringLiteral("/NUMS /BARS"), &unit) != zelapp::StartupResult::Running ||
        !prepare(f, defineEveryChannel)) {
        return false;
    }
    r = measure(
        f, [&unit] { unit.nextTick(); }, nullptr);
    return noMessages(f) && r.ok;
}

// The program through the real library against zel8d; noise on the probes makes every
// channel's value new at every scan. With `partCycles`, parts are measured on the first 32
// channels between the ticks: the eight polls of the cycle that fall in a 400 ms tick run
// before each tick, outside its timing, and a new cycle starts as one ends.
bool runWithEmulator(Result &r, bool partCycles) {
    zeltest::TempFolder devices;
    zeltest::ScopedEnv deviceDir("ZEL_DEVICE_DIR", devices.path().c_str());
    zeltest::EmulatorProcess emulator(ZEL8D_PATH, devices.path());
    if (!emulator.start(
            {"--channels", "255", "--table", "255", "--noise", "5e-3", "--seed", "7"})) {
        std::fprintf(stderr, "zel8d did not start: %s\n", emulator.errors().c_str());
        return false;
    }
    const zelbench::OneCpu oneCpu(emulator.pid());
    zelapp::ZelcommBinding binding(QString::fromUtf8(ZELCOMM_DIR), [](const QString &m) {
        std::fprintf(stderr, "%s\n", m.toLocal8Bit().constData());
    });
    zelbench::TimedUnit unit(binding);
    zeltest::AppFixture f;
    binding.installMessageHook(f.prompter);
    if (!writeDefaultIni(f) ||
        f.start(QStringLiteral("/NUMS /BARS"), &unit) != zelapp::StartupResult::Running) {
        return false;
    }
    const bool prepared = prepare(f, [](zelapp::Setup &setup) {
        for (int i = 1; i <= kChannels; ++i) {
            setup.channel(i)->setFormula(
                QStringLiteral("T%1-T%2*0.5").arg(i % 8 + 1).arg((i + 3) % 8 + 1));
            setup.channel(i)->Decimals = i % 16 == 0 ? 4 : 5;
        }
    });
    if (!prepared) {
        return false;
    }
    zelapp::PartCycle &cycle = f.app->session().partCycle();
    cycle.stopPolling();  // polled by hand, between the ticks
    zelapp::PartProgram program;
    for (int i = 1; i <= kPartCharacteristics; ++i) {
        program.characteristics.push_back(i);
    }
    program.settleTimeMs = 0;  // the steady clock runs on: every poll moves the cycle on
    f.app->session().partProgram().replace(program);
    int parts = 0;
    const auto pollCycle = [&] {
        for (int p = 0; p < kPollsPerTick; ++p) {
            if (!cycle.running()) {
                cycle.measure();
                ++parts;
            }
            cycle.poll();
        }
    };
    // One scan between ticks, outside the timing, as the unit would between two timer ticks.
    bool scanned = true;
    r = measure(
        f,
        [&] {
            scanned = scanned && emulator.control({"scan", "1"}).rfind("OK", 0) == 0;
            if (partCycles) {
                pollCycle();
            }
        },
        &unit);
    r.parts = parts;
    return noMessages(f) && r.ok && scanned && (!partCycles || cycle.count() > 0);
}

// The program on a unit that costs nothing, with 15 clients that read and one that never does,
// all holding hot links on every channel.
bool runWithLinkClients(Result &r, int *conversationsLeft) {
    zelbench::ChangingUnit unit;
    zeltest::AppFixture f;
    if (!writeDefaultIni(f) ||
        f.start(QStringLiteral("/NUMS /BARS"), &unit) != zelapp::StartupResult::Running ||
        !prepare(f, defineEveryChannel)) {
        return false;
    }
    // As many as one process may hold: the service refuses a 17th from the same process.
    constexpr int kClients = 16;
    const QString path = f.window()->linkServer().socketPath();
    const auto connectClient = [&] {
        const int fd = zelbench::connectTo(path);
        zelbench::writeAll(fd, zelbench::adviseAll(kChannels));
        QApplication::processEvents();  // the service accepts on this thread
        return fd;
    };
    const int sleeper = connectClient();
    std::vector<int> fds;
    for (int i = 1; i < kClients; ++i) {
        fds.push_back(connectClient());
    }
    zelbench::Readers readers(fds);
    std::chrono::steady_clock::time_point at;
    while (!readers.reached(kChannels + 1, &at) ||
           f.window()->linkServer().conversationCount() < kClients) {
        QApplication::processEvents();
    }
    r = measure(
        f, [&unit] { unit.nextTick(); }, nullptr);
    *conversationsLeft = f.window()->linkServer().conversationCount();
    ::close(sleeper);
    return noMessages(f) && r.ok;
}

// The offscreen platform notes every raise() and size hint it cannot pass on; nothing else is
// held back.
QtMessageHandler defaultHandler = nullptr;
void quietPlatformNotes(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    if (!text.startsWith(QStringLiteral("This plugin does not support"))) {
        defaultHandler(type, context, text);
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Qt's runtime and settings folders stay private to the run.
    zeltest::TempFolder runtime, config;
    zeltest::ScopedEnv runtimeDir("XDG_RUNTIME_DIR", runtime.path().c_str());
    zeltest::ScopedEnv configDir("XDG_CONFIG_HOME", config.path().c_str());
    defaultHandler = qInstallMessageHandler(quietPlatformNotes);
    QApplication qtApp(argc, argv);

    // Inside the default bar scale (+/-0.05), beyond the default tolerance (+/-0.01).
    constexpr double kSweepAmplitude = 0.04;
    // Between parts the probes rest at their stops: every channel is beyond its scale top.
    constexpr double kStopsCentre = 0.046;
    constexpr double kStopsAmplitude = 0.003;
    Result sweep, stops, emulated, cycled;
    const bool sweepOk = runWithChangingUnit(sweep, 0.0, kSweepAmplitude);
    const bool stopsOk = runWithChangingUnit(stops, kStopsCentre, kStopsAmplitude);
    const bool emulatedOk = runWithEmulator(emulated, false);
    const bool cycledOk = runWithEmulator(cycled, true);
    Result linked;
    int conversationsLeft = 0;
    const bool linkedOk = runWithLinkClients(linked, &conversationsLeft);

    std::printf(
        "bench_display_tick: channel view, %d channels, all values new every tick, grid "
        "and bars shown, the channel dialog open with its live value (%s platform)\n",
        kChannels, qPrintable(QGuiApplication::platformName()));
    std::printf("  bar window %dx%d px (%dx%d inside): %d gauges in %d rows; grid %dx%d px\n",
                kBarWidthPx, kBarHeightPx, sweep.barSize.width(), sweep.barSize.height(),
                sweep.gauges, sweep.rows, kGridWidthPx, kGridHeightPx);
    const struct {
        const char *title;
        const Result &result;
        bool ok;
    } runs[] = {
        {"a unit that costs nothing, values sweeping through every zone:", sweep, sweepOk},
        {"a unit that costs nothing, every bar nearly full and in reject (probes at their "
         "stops):",
         stops, stopsOk},
        {"through libzelcomm.so against zel8d (noise on the probes):", emulated, emulatedOk},
        {"the same with parts measured on 32 channels between the ticks (8 cycle polls a "
         "tick):",
         cycled, cycledOk},
    };
    bool ok = true;
    for (const auto &run : runs) {
        if (!run.result.tickMs.empty()) {
            report(run.title, run.result);
        }
        if (!run.ok) {
            std::printf("  FAILED: %s\n", run.title);
            ok = false;
        }
    }
    if (!linked.totalMs.empty()) {
        report(
            "a unit that costs nothing, values sweeping, and 16 clients of the live-value "
            "service linked to every channel, one of them never reading:",
            linked);
        const auto third = linked.totalMs.size() / 3;
        const double first =
            zelbench::median({linked.totalMs.begin(), linked.totalMs.begin() + third});
        const double last = zelbench::median({linked.totalMs.end() - third, linked.totalMs.end()});
        std::printf("    first third of the ticks %.2f ms, last third %.2f ms (median); %s\n",
                    first, last,
                    conversationsLeft < 16
                        ? "the client that never reads was dropped"
                        : "the client that never reads was not dropped: its queue stayed under "
                          "the bound");
    }
    if (!linkedOk) {
        std::printf("  FAILED: the run with clients of the live-value service\n");
        ok = false;
    }
    return ok ? 0 : 1;
}
