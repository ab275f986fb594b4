// The emulated kernel driver: which ports have a driver and a unit, and what each control call
// on a device does. Pure logic; the socket server in server.h carries the calls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "unit.h"

namespace zel8d {

enum class PortMode {
    Unit,    // the unit is attached here
    Silent,  // the driver is there but no unit answers: opens, calls fail
    Absent,  // no driver: no device socket
};

// The devices the driver offers. Ports 1..3 are ZEL1..ZEL3; ZELVXD reaches every port through
// its select-port call.
enum class Device { Zel1, Zel2, Zel3, Vxd };
inline constexpr std::array<Device, 4> kDevices{Device::Zel1, Device::Zel2, Device::Zel3,
                                                Device::Vxd};
const char *deviceName(Device device);  // "ZEL1", ..., "ZELVXD"

struct CallReply {
    bool ok = false;
    std::vector<std::uint8_t> output;  // at most the caller's output size
    double delaySeconds = 0.0;         // answer this much later
};

class Driver {
  public:
    // modes[0..2] are ports 1..3; exactly one of them is PortMode::Unit.
    Driver(zelunit::Unit &unit, std::array<PortMode, 3> modes);

    PortMode mode(int port) const { return modes_[static_cast<std::size_t>(port - 1)]; }
    int unitPort() const;
    // A device socket exists for every port with a driver, and always for ZELVXD.
    bool offers(Device device) const;

    // One DeviceIoControl on a device. selectedPort is the ZELVXD connection's port (0 until a
    // select-port call succeeded); other devices ignore it.
    CallReply control(Device device, int *selectedPort, std::uint32_t code,
                      const std::uint8_t *input, std::size_t inputLength, std::size_t outputSize,
                      double seconds);

    // Faults for tests and demonstrations.
    void setSilent(bool silent) { silent_ = silent; }
    bool silent() const { return silent_; }
    void answerNextRequestWith(std::uint8_t status) { nextStatus_ = status; }
    void setDelay(double seconds) { delay_ = seconds; }
    double delay() const { return delay_; }

  private:
    std::array<PortMode, 3> modes_;
    zelunit::Unit &unit_;
    bool silent_ = false;
    std::uint8_t nextStatus_ = 0;
    double delay_ = 0.0;
};

}  // namespace zel8d
