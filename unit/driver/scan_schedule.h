// When the unit scans: every scan period while scanning is on, on the unit's own clock.
#pragma once

#include <limits>

#include "unit.h"

namespace zel8d {

// Scans further behind than this are given up rather than caught up.
inline constexpr double kMaxScanBacklog = 0.25;

class ScanSchedule {
  public:
    // Runs the scans due by `now`, each at its own time, at most `most` of them; returns how
    // many ran. While the unit is not scanning nothing runs and its readings hold.
    int run(zelunit::Unit &unit, double now, int most = std::numeric_limits<int>::max());
    // Time of the next scan; negative while the unit is not scanning.
    double next() const { return next_; }
    // Scans run, and scans given up because the program fell too far behind.
    long scans() const { return scans_; }
    long dropped() const { return dropped_; }
    // Seconds the longest scan took to run: what a request that came meanwhile waited.
    double longestScan() const { return longestScan_; }

  private:
    double next_ = -1.0;
    long scans_ = 0;
    long dropped_ = 0;
    double longestScan_ = 0.0;
};

}  // namespace zel8d
