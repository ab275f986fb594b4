// A unit that costs next to nothing: it keeps what is set and echoes it on reads, so the
// benchmarks of setup files measure the program's own work.
#pragma once

#include <array>

#include "unit/unit_api.h"

namespace zelbench {

class EchoUnit : public zelapp::UnitApi {
  public:
    long calls = 0;

#define ZEL_ECHO_CALL(result, name, params, args)                                         \
    result name params override {                                                         \
        return static_cast<result>(echo(zelapp::UnitCall::name ZEL_UNIT_CALL_TAIL args)); \
    }
    ZEL_UNIT_CALLS(ZEL_ECHO_CALL)
#undef ZEL_ECHO_CALL

  private:
    using Call = zelapp::UnitCall;
    using Table = std::array<float, 256>;

    // Calls without a float value only count; their outputs stay unwritten.
    template <typename... Args>
    int32_t echo(Call, Args...) {
        ++calls;
        return 0;
    }
    int32_t echo(Call call, int32_t n, float *v) {
        bool sets = false;
        float &slot = tableFor(call, &sets)[static_cast<unsigned>(n) & 255u];
        if (sets) {
            slot = *v;
        } else {
            *v = slot;
        }
        return echo(call);
    }

    // Channel, probe and analog readings share one table.
    Table &tableFor(Call call, bool *sets) {
        *sets = true;
        switch (call) {
            case Call::ZelSetCzero:
                return czero_;
            case Call::ZelSetCscale:
                return cscale_;
            case Call::ZelSetTzero:
                return tzero_;
            case Call::ZelSetTfsv:
                return tfsv_;
            case Call::ZelSetAzero:
                return azero_;
            case Call::ZelSetAfsv:
                return afsv_;
            default:
                break;
        }
        *sets = false;
        switch (call) {
            case Call::ZelReadCzero:
                return czero_;
            case Call::ZelReadCscale:
                return cscale_;
            case Call::ZelReadTzero:
                return tzero_;
            case Call::ZelReadTfsv:
                return tfsv_;
            case Call::ZelReadAzero:
                return azero_;
            case Call::ZelReadAfsv:
                return afsv_;
            default:
                return value_;
        }
    }
    Table value_{}, czero_{}, cscale_{}, tzero_{}, tfsv_{}, azero_{}, afsv_{};
};

}  // namespace zelbench
