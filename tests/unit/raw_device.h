// A bare client of the driver's device sockets, for tests that look below the library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zeltest {

struct RawAnswer {
    bool answered = false;  // a well-formed answer arrived
    bool ok = false;
    std::vector<std::uint8_t> output;
};

class RawDevice {
  public:
    ~RawDevice() { close(); }

    // Connects to <folder>/<name> and sends the access mask. Returns the driver's verdict
    // byte (1 opened, 0 refused), or -1 when nothing answered.
    int open(const std::string &folder, const std::string &name, std::uint32_t mask = 0xC0000000u);
    RawAnswer call(std::uint32_t code, const std::vector<std::uint8_t> &input,
                   std::uint32_t outSize = 260);
    // Sends the bytes as they are (for malformed calls).
    bool send(const std::vector<std::uint8_t> &bytes);
    // True when the driver closed its end (end of stream) before the timeout.
    bool closedByDriver();
    // Shuts down the sending side and waits for the driver to close its end, as the library
    // does; true when it did.
    bool close();

  private:
    int fd_ = -1;
};

}  // namespace zeltest
