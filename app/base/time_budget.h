// A stretch of time on an ElapsedClock, from when it was set: the unit is called while some of it
// is left, and a call under way is never cut short. The scan tick's time with the unit, a part
// cycle's poll and the cycle's Timeout are each one.
#pragma once

#include <QtGlobal>

#include "base/elapsed_clock.h"

namespace zelapp {

// What the operator's thread gives the unit at one go (a scan tick, a part cycle's poll), plus
// the call under way: a slow unit never holds the windows and the live values up much longer.
inline constexpr qint64 kUnitTurnMs = 250;

class TimeBudget {
  public:
    // None set: no time at all.
    TimeBudget() = default;
    // `ms` from now on `clock`, which outlives the budget.
    TimeBudget(const ElapsedClock &clock, qint64 ms)
        : clock_(&clock), startMs_(clock.elapsedMs()), ms_(ms) {}

    // The clock's reading when it was set.
    qint64 startMs() const { return startMs_; }
    qint64 spentMs() const { return clock_ != nullptr ? clock_->elapsedMs() - startMs_ : ms_; }
    bool timeLeft() const { return spentMs() < ms_; }

  private:
    const ElapsedClock *clock_ = nullptr;
    qint64 startMs_ = 0;
    qint64 ms_ = 0;
};

}  // namespace zelapp
