// A clock the test drives: every wait returns at once, adding its time to `elapsedMs` and
// running `onWait` (where a test acts as the operator would meanwhile).
#pragma once

#include <functional>

#include "base/wait_clock.h"

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
