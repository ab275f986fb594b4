// A unit that forwards every call to another one and adds up the time spent there, so a
// benchmark can tell the library's share of a tick from the program's own.
#pragma once

#include <chrono>

#include "unit/unit_api.h"

namespace zelbench {

class TimedUnit : public zelapp::UnitApi {
  public:
    explicit TimedUnit(zelapp::UnitApi &inner) : inner_(inner) {}

    std::chrono::nanoseconds spent{0};
    long calls = 0;

#define ZEL_TIMED_CALL(result, name, params, args) \
    result name params override {                  \
        Clock c(*this);                            \
        return inner_.name args;                   \
    }
    ZEL_UNIT_CALLS(ZEL_TIMED_CALL)
#undef ZEL_TIMED_CALL

  private:
    struct Clock {
        explicit Clock(TimedUnit &u) : unit(u), start(std::chrono::steady_clock::now()) {}
        ~Clock() {
            unit.spent += std::chrono::steady_clock::now() - start;
            ++unit.calls;
        }
        TimedUnit &unit;
        std::chrono::steady_clock::time_point start;
    };
    zelapp::UnitApi &inner_;
};

}  // namespace zelbench
