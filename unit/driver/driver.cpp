#include "driver.h"

#include <algorithm>

#include "protocol.h"

namespace zel8d {

const char *deviceName(Device device) {
    switch (device) {
        case Device::Zel1:
            return "ZEL1";
        case Device::Zel2:
            return "ZEL2";
        case Device::Zel3:
            return "ZEL3";
        case Device::Vxd:
            return "ZELVXD";
    }
    return "";
}

Driver::Driver(zelunit::Unit &unit, std::array<PortMode, 3> modes) : modes_(modes), unit_(unit) {}

int Driver::unitPort() const {
    for (int port = 1; port <= 3; ++port) {
        if (mode(port) == PortMode::Unit) {
            return port;
        }
    }
    return 0;
}

bool Driver::offers(Device device) const {
    return device == Device::Vxd || mode(static_cast<int>(device) + 1) != PortMode::Absent;
}

CallReply Driver::control(Device device, int *selectedPort, std::uint32_t code,
                          const std::uint8_t *input, std::size_t inputLength,
                          std::size_t outputSize, double seconds) {
    CallReply reply;
    const bool vxd = device == Device::Vxd;
    if (vxd && code == zelproto::kVxdSelectPort) {
        // The zero-based port as a 32-bit value; only a port with a driver can be selected.
        if (inputLength < 4) {
            return reply;
        }
        const std::uint32_t port = zelproto::getU32(input) + 1;
        if (port < 1 || port > 3 || mode(static_cast<int>(port)) == PortMode::Absent) {
            return reply;
        }
        *selectedPort = static_cast<int>(port);
        reply.ok = true;
        return reply;
    }
    const int port = vxd ? *selectedPort : static_cast<int>(device) + 1;
    if (port < 1 || port > 3 || mode(port) != PortMode::Unit || silent_) {
        return reply;  // nothing answers on this port
    }
    const std::uint32_t probe = vxd ? zelproto::kVxdProbe : zelproto::kNtProbe;
    const std::uint32_t request = vxd ? zelproto::kVxdRequest : zelproto::kNtRequest;
    if (code == probe) {
        reply.ok = true;
        return reply;
    }
    if (code != request) {
        return reply;  // a control code this driver does not know
    }
    reply.ok = true;
    reply.delaySeconds = delay_;
    reply.output.resize(std::min(outputSize, zelproto::kAreaSize));
    if (nextStatus_ != 0) {
        // Injected answer: the unit does not see this request.
        std::fill(reply.output.begin(), reply.output.end(), 0);
        if (reply.output.size() > zelproto::kStatusOffset) {
            reply.output[zelproto::kStatusOffset] = nextStatus_;
        }
        nextStatus_ = 0;
        return reply;
    }
    unit_.handleRequest(input, inputLength, reply.output.data(), reply.output.size(), seconds);
    return reply;
}

}  // namespace zel8d
