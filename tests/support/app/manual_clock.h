// A clock the test drives: every wait returns at once, adding its time to `elapsedMs` and
// running `onWait` (where a test acts as the operator would meanwhile).
#pragma once

#include <QDateTime>
#include <functional>

#include "base/elapsed_clock.h"
#include "base/wait_clock.h"
#include "base/wall_clock.h"

namespace zeltest {

class ManualClock : public zelapp::WaitClock {
  public:
    int elapsedMs = 0;
    int waits = 0;
    std::function<void()> onWait;

    void wait(int ms) override {
        elapsedMs += ms;
        ++waits;
        if (onWait) {
            onWait();
        }
    }
};

}  // namespace zeltest

namespace zeltest {

// Elapsed time the test sets or advances (a unit's answers taking their time, from FakeUnit's
// onCall).
class ManualElapsedClock : public zelapp::ElapsedClock {
  public:
    qint64 now = 0;
    qint64 elapsedMs() const override { return now; }
};

}  // namespace zeltest

namespace zeltest {

// The time of day the test sets or advances; local time 2026-12-09 14:03 to begin with.
class ManualWallClock : public zelapp::WallClock {
  public:
    QDateTime time{QDate(2026, 12, 9), QTime(14, 3)};
    QDateTime now() const override { return time; }
};

}  // namespace zeltest
