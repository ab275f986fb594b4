#include "scan_schedule.h"

#include <algorithm>
#include <chrono>

namespace zel8d {

int ScanSchedule::run(zelunit::Unit &unit, double now, int most) {
    if (!unit.scanning()) {
        next_ = -1.0;
        return 0;
    }
    if (next_ >= 0.0 && now - next_ > kMaxScanBacklog) {
        dropped_ += static_cast<long>((now - next_) / unit.scanPeriod());
        next_ = now;  // too far behind to catch up
    } else if (next_ < 0.0) {
        next_ = now;  // (re)starting
    }
    int count = 0;
    while (next_ <= now && count < most) {
        const auto start = std::chrono::steady_clock::now();
        unit.scan(next_);
        longestScan_ = std::max(
            longestScan_,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        next_ += unit.scanPeriod();
        ++count;
    }
    scans_ += count;
    return count;
}

}  // namespace zel8d
