// The exports of zelcomm as the application calls them. ZelcommBinding forwards to the real
// library; tests substitute a fake unit that records every call. The calls themselves are
// listed in unit_calls.h.
#pragma once

#include <cstdint>

#include "unit/unit_calls.h"

namespace zelapp {

// The status of a call that did not reach the unit (ZEL_NOT_COMMUNICATING), and of one whose
// entry point the program could not bind.
inline constexpr int32_t kUnitNotCommunicating = -1;
// The status of a request refused before it was sent because an input is missing
// (ZEL_REFUSED_NULL); the program uses it for a request it cannot make at all.
inline constexpr int32_t kMissingInput = -3;

class UnitApi {
  public:
    virtual ~UnitApi() = default;

    ZEL_UNIT_CALLS(ZEL_UNIT_CALL_PURE)
};

}  // namespace zelapp
