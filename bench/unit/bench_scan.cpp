// How fast the unit scans: 255 channels of gauging formulas over the demo signal, ScanTime 1
// (a scan every 0.1 ms, 10,000 scans a second). Reports the scans per second one core manages
// and the formula evaluations per second.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "calibration_store.h"
#include "gauging_formulas.h"
#include "signals.h"
#include "unit.h"

int main() {
    zelunit::UnitConfig config;
    config.table.entries = 255;
    config.table.memoryBytes = 1 << 20;
    zelunit::DemoSignal signal(config.probes, config.analogs, 1);
    zelunit::MemoryCalibrationStore store;
    zelunit::Unit unit(config, signal, store);
    unit.powerOn();
    for (int n = 1; n <= 255; ++n) {
        if (unit.channels().define(n, zelbench::formulaFor(n)) != 0) {
            std::fprintf(stderr, "channel %d: '%s' refused\n", n, zelbench::formulaFor(n).c_str());
            return 1;
        }
    }
    constexpr double kPeriod = 0.0001;  // ScanTime 1
    // Warm up, then run for about two seconds of wall time.
    double t = 0.0;
    for (int i = 0; i < 2000; ++i) {
        unit.scan(t += kPeriod);
    }
    const auto start = std::chrono::steady_clock::now();
    long scans = 0;
    double elapsed = 0.0;
    while (elapsed < 2.0) {
        for (int i = 0; i < 1000; ++i) {
            unit.scan(t += kPeriod);
        }
        scans += 1000;
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double scansPerSecond = scans / elapsed;
    const double needed = 1.0 / kPeriod;
    std::printf("unit scan (255 channels, %d probes x ADCAverage %d, demo signal, one core)\n",
                config.probes, unit.inputs().adcAverage());
    std::printf("  scans per second       %10.0f   (ScanTime 1 needs %.0f)\n", scansPerSecond,
                needed);
    std::printf("  evaluations per second %10.0f\n", scansPerSecond * 255);
    std::printf("  one core busy          %9.1f%% at ScanTime 1: %s\n",
                100.0 * needed / scansPerSecond,
                scansPerSecond >= needed ? "keeps up" : "FALLS BEHIND");
    return 0;
}
