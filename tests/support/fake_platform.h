// An in-process stand-in for the operating system under the library session: scripted devices,
// unit answers and failures, with every call recorded for the tests to check.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "driver_call.h"
#include "platform.h"

namespace zeltest {

// How the fake unit answers one request.
struct Reply {
    bool callSucceeds = true;
    std::uint8_t status = 0;
    std::vector<std::uint8_t> data;  // written from offset 3 of the response area

    static Reply answer(std::uint8_t status, std::vector<std::uint8_t> data = {}) {
        return Reply{true, status, std::move(data)};
    }
    static Reply failedCall() { return Reply{false, 0, {}}; }
};

struct ShownMessage {
    std::string text;
    bool hasCaption = false;
    std::string caption;
    std::uint32_t style = 0;
};

class FakePlatform final : public zelcomm::Platform {
  public:
    // Script.
    zelcomm::OsVersion os{6, 1, 2};
    bool versionFails = false;
    std::set<std::string> devices;  // device names that open, e.g. "\\.\ZEL2"
    std::set<int> unitPorts;        // ports where the probe succeeds
    bool selectPortFails = false;
    bool closeFails = false;
    std::deque<Reply> replies;  // answers to the next requests; then `standing`
    Reply standing;

    // Record.
    std::vector<std::string> opened;
    std::vector<std::uint32_t> accesses;
    std::vector<DriverCall> calls;
    std::vector<std::string> closed;
    std::vector<ShownMessage> shown;  // messages shown without a hook

    // Calls with the request control code of either Windows family.
    std::vector<DriverCall> requests() const { return requestsAmong(calls); }
    // The frame bytes of the last request (header and payload).
    std::vector<std::uint8_t> lastFrame() const;
    void forget();

    bool version(zelcomm::OsVersion *out) override;
    zelcomm::Handle open(const char *deviceName, std::uint32_t access) override;
    bool control(zelcomm::Handle handle, std::uint32_t code, const void *in, std::uint32_t inLength,
                 void *out, std::uint32_t outSize, std::uint32_t *returned) override;
    bool close(zelcomm::Handle handle) override;
    void show(const zelcomm::Message &message) override;

  private:
    struct OpenDevice {
        std::string name;
        int selectedPort = 0;  // ZELVXD: 1-based port chosen by the select-port call
    };
    std::map<zelcomm::Handle, OpenDevice> handles_;
    zelcomm::Handle nextHandle_ = 100;

    bool probe(const OpenDevice &device) const;
};

}  // namespace zeltest
