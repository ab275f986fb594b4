// The unit as the test's clock sees it: every call goes on to the real one, and the clock moves
// on by `callMs` for each request the library sends, as zel8d's `delay` makes the unit answer
// that late. A late unit is then read on the cycle's own clock, and no verdict waits on the
// real one.
#pragma once

#include <QtGlobal>

#include "manual_clock.h"
#include "unit/unit_api.h"

namespace zeltest {

class LateUnit : public zelapp::UnitApi {
  public:
    explicit LateUnit(zelapp::UnitApi &inner) : inner_(inner) {}

    ManualElapsedClock *clock = nullptr;  // none: no clock moves
    qint64 callMs = 0;
    long requests = 0;  // the calls that sent the unit a request

#define ZEL_LATE_CALL(result, name, params, args) \
    result name params override {                 \
        if (request(zelapp::UnitCall::name)) {    \
            ++requests;                           \
            if (clock != nullptr) {               \
                clock->now += callMs;             \
            }                                     \
        }                                         \
        return inner_.name args;                  \
    }
    ZEL_UNIT_CALLS(ZEL_LATE_CALL)
#undef ZEL_LATE_CALL

  private:
    // The library answers these itself.
    static bool request(zelapp::UnitCall call) {
        using C = zelapp::UnitCall;
        return call != C::ZelMsgBox && call != C::EppInstallMsg && call != C::EppDiagMsg &&
               call != C::ZelIsDemo && call != C::ZelGetPort && call != C::ZelDLL;
    }

    zelapp::UnitApi &inner_;
};

}  // namespace zeltest
