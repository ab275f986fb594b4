// One control call as a driver received it, recorded by the tests' fake drivers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "protocol.h"

namespace zeltest {

struct DriverCall {
    std::string device;
    std::uint32_t code = 0;
    std::vector<std::uint8_t> input;
    std::uint32_t outSize = 0;
};

inline bool isProbe(const DriverCall &call) {
    return call.code == zelproto::kNtProbe || call.code == zelproto::kVxdProbe;
}

inline bool isRequest(const DriverCall &call) {
    return call.code == zelproto::kNtRequest || call.code == zelproto::kVxdRequest;
}

// The request calls among `calls`, in order.
inline std::vector<DriverCall> requestsAmong(const std::vector<DriverCall> &calls) {
    std::vector<DriverCall> result;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(result), isRequest);
    return result;
}

}  // namespace zeltest
