// A unit that costs next to nothing and whose readings move: every channel, probe and analog
// input reads a sine of its own phase around a centre, one step further at each nextTick(), so
// every value shown is new at every tick.
#pragma once

#include <cmath>

#include "echo_unit.h"

namespace zelbench {

class ChangingUnit : public EchoUnit {
  public:
    // The default sweep stays inside the default bar scale (+/-0.05) and goes beyond the
    // default tolerance (+/-0.01), so the bars take every zone colour.
    explicit ChangingUnit(double centre = 0.0, double amplitude = 0.04)
        : centre_(centre), amplitude_(amplitude) {}

    void nextTick() { ++tick_; }

    int32_t ZelReadChannel(int32_t c, float *v) override { return reading(c, v); }
    int32_t ZelReadLvdt(int32_t p, float *v) override { return reading(p + 300, v); }
    int32_t ZelReadAnalog(int32_t a, float *v) override { return reading(a + 600, v); }

  private:
    int32_t reading(int32_t n, float *v) {
        ++calls;
        // A step that is no fraction of the period keeps consecutive readings apart.
        *v = static_cast<float>(centre_ + amplitude_ * std::sin(0.37 * tick_ + 0.61 * n));
        return 0;
    }
    double centre_;
    double amplitude_;
    long tick_ = 0;
};

}  // namespace zelbench
