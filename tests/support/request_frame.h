// A request frame as the library builds it: lead byte, request code, payload length, payload.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "protocol.h"

namespace zeltest {

// The default payload is the single byte that requests without arguments still carry.
inline std::vector<std::uint8_t> requestFrame(std::uint8_t code,
                                              const std::vector<std::uint8_t> &payload = {0}) {
    std::vector<std::uint8_t> frame(zelproto::kHeaderSize + payload.size());
    frame[0] = zelproto::kLead;
    frame[1] = code;
    frame[2] = static_cast<std::uint8_t>(payload.size());
    std::copy(payload.begin(), payload.end(), frame.begin() + zelproto::kHeaderSize);
    return frame;
}

}  // namespace zeltest
