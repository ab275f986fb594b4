// The exports of zelcomm as the application calls them. ZelcommBinding forwards to the real
// library; tests substitute a fake unit that records every call. The calls themselves are
// listed in unit_calls.h.
#pragma once

#include <cstdint>

#include "base/unit_calls.h"

namespace zelapp {

class UnitApi {
  public:
    virtual ~UnitApi() = default;

    ZEL_UNIT_CALLS(ZEL_UNIT_CALL_PURE)
};

}  // namespace zelapp
