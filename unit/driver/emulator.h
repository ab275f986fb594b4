// One emulated unit with its driver and its signals, as zel8d runs it: what the device
// sockets and the control socket act on.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "calibration_store.h"
#include "driver.h"
#include "options.h"
#include "scan_schedule.h"
#include "signal_source.h"
#include "signals.h"
#include "unit.h"

namespace zel8d {

class Emulator {
  public:
    // statePath is where the stored calibration lives (empty: memory only).
    Emulator(const Options &options, const std::string &statePath);

    // Loads the stored calibration; a warning to show, or empty.
    std::string powerOn() { return unit_.powerOn(); }

    zelunit::Unit &unit() { return unit_; }
    Driver &driver() { return driver_; }
    // The settable inputs; null when the inputs follow the demo signal.
    zelunit::FixedSignal *fixedSignal() { return fixed_.get(); }
    // When the unit scans, and how many scans it ran.
    ScanSchedule &schedule() { return schedule_; }

    // Seconds since the emulator started: the unit's clock.
    double now() const;

  private:
    std::unique_ptr<zelunit::FixedSignal> fixed_;
    std::unique_ptr<zelunit::DemoSignal> demo_;
    std::unique_ptr<zelunit::CalibrationStore> store_;
    zelunit::Unit unit_;
    Driver driver_;
    ScanSchedule schedule_;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace zel8d
