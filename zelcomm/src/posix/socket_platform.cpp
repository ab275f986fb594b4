// The kernel driver on Linux: each device is an AF_UNIX stream socket served by the driver
// (the unit emulator zel8d, or any program that speaks this protocol).
//
//   open:    client sends the access mask (u32 LE); driver answers one byte, 1 opened, 0 refused
//   control: client sends code, in_len, out_size (u32 LE each) and in_len bytes; driver answers
//            ok (u32 LE, 1 or 0), returned (u32 LE, at most out_size) and returned bytes
//   close:   client shuts down its sending side, waits until the driver has closed its end
//
// Every wait is bounded by $ZEL_DRIVER_TIMEOUT_MS. A call that times out or gets a malformed
// answer leaves the stream out of step, so the sending side is shut down and every later call
// on it fails until it is closed.
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "../platform.h"
#include "../protocol.h"
#include "device_path.h"
#include "stream_io.h"

namespace zelcomm {
namespace {

constexpr std::size_t kControlHeader = 12;
constexpr std::size_t kReplyHeader = 8;
// Bounds of one control call; the library sends at most its whole request area (the probe)
// and offers at most its whole response area.
constexpr std::size_t kMaxInput = 1024;
constexpr std::size_t kMaxOutput = 1024;

void setTimeouts(int fd, int timeoutMs) {
    timeval tv{};
    tv.tv_sec = timeoutMs / 1000;
    tv.tv_usec = static_cast<suseconds_t>((timeoutMs % 1000) * 1000);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

class SocketPlatform final : public Platform {
  public:
    bool version(OsVersion *out) override {
        utsname name{};
        if (::uname(&name) != 0) {
            return false;
        }
        parseKernelRelease(name.release, &out->major, &out->minor);
        out->platformId = platformIdFromEnvironment();
        return true;
    }

    Handle open(const char *deviceName, std::uint32_t access) override {
        const std::string path = devicePath(deviceFolder(), deviceName);
        if (path.empty()) {
            return kInvalidHandle;
        }
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return kInvalidHandle;
        }
        setTimeouts(fd, driverTimeoutMs());
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        std::uint8_t mask[4];
        zelproto::putU32(mask, access);
        std::uint8_t answer = 0;
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
            !sendAll(fd, mask, sizeof mask) || !recvAll(fd, &answer, 1) || answer != 1) {
            ::close(fd);
            return kInvalidHandle;
        }
        return fd;
    }

    bool control(Handle handle, std::uint32_t code, const void *in, std::uint32_t inLength,
                 void *out, std::uint32_t outSize, std::uint32_t *returned) override {
        const int fd = static_cast<int>(handle);
        if (handle < 0 || inLength > kMaxInput || outSize > kMaxOutput ||
            (inLength > 0 && in == nullptr) || (outSize > 0 && out == nullptr)) {
            return false;
        }
        std::uint8_t message[kControlHeader + kMaxInput];
        zelproto::putU32(message, code);
        zelproto::putU32(message + 4, inLength);
        zelproto::putU32(message + 8, outSize);
        if (inLength > 0) {
            std::memcpy(message + kControlHeader, in, inLength);
        }
        if (!sendAll(fd, message, kControlHeader + inLength)) {
            return broken(fd);
        }
        // Header and data in one read where the answer arrives at once.
        std::uint8_t reply[kReplyHeader + kMaxOutput];
        const std::size_t room = kReplyHeader + outSize;
        std::size_t have = 0;
        std::size_t want = kReplyHeader;
        std::uint32_t ok = 0;
        std::uint32_t count = 0;
        while (have < want) {
            const ssize_t got = ::recv(fd, reply + have, room - have, 0);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return broken(fd);
            }
            const bool headerWasMissing = have < kReplyHeader;
            have += static_cast<std::size_t>(got);
            if (headerWasMissing && have >= kReplyHeader) {
                ok = zelproto::getU32(reply);
                count = zelproto::getU32(reply + 4);
                if (ok > 1 || count > outSize) {
                    return broken(fd);
                }
                want = kReplyHeader + count;
            }
        }
        if (count > 0) {
            std::memcpy(out, reply + kReplyHeader, count);
        }
        if (returned != nullptr) {
            *returned = count;
        }
        return ok == 1;
    }

    bool close(Handle handle) override {
        if (handle < 0) {
            return false;
        }
        const int fd = static_cast<int>(handle);
        ::shutdown(fd, SHUT_WR);
        // Wait for the driver to release the device and close its end, so that the device can
        // be opened again as soon as this returns. A late answer still in flight is discarded;
        // a driver that never stops talking is given up on after the timeout.
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(driverTimeoutMs());
        std::uint8_t drain[512];
        while (std::chrono::steady_clock::now() < deadline) {
            const ssize_t got = ::recv(fd, drain, sizeof drain, 0);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                break;
            }
        }
        return ::close(fd) == 0;
    }

    void show(const Message &message) override {
        if (message.caption != nullptr) {
            std::fprintf(stderr, "%s: %s\n", message.caption, message.text);
        } else {
            std::fprintf(stderr, "%s\n", message.text);
        }
    }

  private:
    // Stops all further calls on the connection: sending fails from now on. The receiving side
    // stays open so that close() still waits for the driver to release the device.
    static bool broken(int fd) {
        ::shutdown(fd, SHUT_WR);
        return false;
    }
};

}  // namespace

Platform &systemPlatform() {
    // Never destroyed: the library's unload entry closes a device still open at process exit,
    // and runs after the destructors of function-local statics.
    static SocketPlatform *platform = new SocketPlatform;
    return *platform;
}

}  // namespace zelcomm
