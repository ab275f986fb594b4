#include "fake_platform.h"

#include <algorithm>
#include <cstring>

#include "protocol.h"

namespace zeltest {

std::vector<std::uint8_t> FakePlatform::lastFrame() const {
    const auto all = requests();
    return all.empty() ? std::vector<std::uint8_t>{} : all.back().input;
}

void FakePlatform::forget() {
    opened.clear();
    accesses.clear();
    calls.clear();
    closed.clear();
    shown.clear();
}

bool FakePlatform::version(zelcomm::OsVersion *out) {
    if (versionFails) {
        return false;
    }
    *out = os;
    return true;
}

zelcomm::Handle FakePlatform::open(const char *deviceName, std::uint32_t access) {
    opened.emplace_back(deviceName);
    accesses.push_back(access);
    if (devices.count(deviceName) == 0) {
        return zelcomm::kInvalidHandle;
    }
    for (const auto &[handle, device] : handles_) {
        if (device.name == deviceName) {
            return zelcomm::kInvalidHandle;  // no sharing
        }
    }
    const zelcomm::Handle handle = nextHandle_++;
    handles_[handle] = OpenDevice{deviceName, 0};
    return handle;
}

bool FakePlatform::probe(const OpenDevice &device) const {
    if (device.name == "\\\\.\\ZELVXD") {
        return unitPorts.count(device.selectedPort) != 0;
    }
    const int port = device.name.back() - '0';
    return unitPorts.count(port) != 0;
}

bool FakePlatform::control(zelcomm::Handle handle, std::uint32_t code, const void *in,
                           std::uint32_t inLength, void *out, std::uint32_t outSize,
                           std::uint32_t *returned) {
    const auto found = handles_.find(handle);
    DriverCall call;
    call.device = found != handles_.end() ? found->second.name : std::string("<invalid>");
    call.code = code;
    const auto *bytes = static_cast<const std::uint8_t *>(in);
    call.input.assign(bytes, bytes + inLength);
    call.outSize = outSize;
    calls.push_back(call);
    *returned = 0;
    if (found == handles_.end()) {
        return false;
    }
    OpenDevice &device = found->second;
    switch (code) {
        case zelproto::kVxdSelectPort:
            if (selectPortFails || inLength != 4) {
                return false;
            }
            device.selectedPort = static_cast<int>(zelproto::getU32(bytes)) + 1;
            return true;
        case zelproto::kNtProbe:
        case zelproto::kVxdProbe:
            return probe(device);
        case zelproto::kNtRequest:
        case zelproto::kVxdRequest: {
            Reply reply = standing;
            if (!replies.empty()) {
                reply = replies.front();
                replies.pop_front();
            }
            if (!reply.callSucceeds) {
                return false;
            }
            auto *response = static_cast<std::uint8_t *>(out);
            response[0] = 0;
            response[1] = reply.status;
            response[2] = 0;
            const std::size_t count =
                std::min<std::size_t>(reply.data.size(), outSize - zelproto::kDataOffset);
            if (count > 0) {
                std::memcpy(response + zelproto::kDataOffset, reply.data.data(), count);
            }
            *returned = static_cast<std::uint32_t>(zelproto::kDataOffset + count);
            return true;
        }
        default:
            return false;
    }
}

bool FakePlatform::close(zelcomm::Handle handle) {
    const auto found = handles_.find(handle);
    if (found == handles_.end() || closeFails) {
        return false;
    }
    closed.push_back(found->second.name);
    handles_.erase(found);
    return true;
}

void FakePlatform::show(const zelcomm::Message &message) {
    shown.push_back({message.text, message.caption != nullptr,
                     message.caption != nullptr ? message.caption : "", message.style});
}

}  // namespace zeltest
