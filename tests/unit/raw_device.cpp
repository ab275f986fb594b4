#include "raw_device.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "posix/stream_io.h"
#include "protocol.h"

namespace zeltest {

namespace {

constexpr int kWaitMs = 20000;  // only a broken driver makes a test wait this long

void setTimeout(int fd) {
    timeval tv{kWaitMs / 1000, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

}  // namespace

int RawDevice::open(const std::string &folder, const std::string &name, std::uint32_t mask) {
    close();
    const std::string path = folder + "/" + name;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    setTimeout(fd_);
    std::uint8_t bytes[4];
    zelproto::putU32(bytes, mask);
    std::uint8_t verdict = 0xFF;
    if (::connect(fd_, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        !zelcomm::sendAll(fd_, bytes, 4) || !zelcomm::recvAll(fd_, &verdict, 1)) {
        ::close(fd_);
        fd_ = -1;
        return -1;
    }
    return verdict;
}

bool RawDevice::send(const std::vector<std::uint8_t> &bytes) {
    return fd_ >= 0 && zelcomm::sendAll(fd_, bytes.data(), bytes.size());
}

RawAnswer RawDevice::call(std::uint32_t code, const std::vector<std::uint8_t> &input,
                          std::uint32_t outSize) {
    std::vector<std::uint8_t> message(12);
    zelproto::putU32(message.data(), code);
    zelproto::putU32(message.data() + 4, static_cast<std::uint32_t>(input.size()));
    zelproto::putU32(message.data() + 8, outSize);
    message.insert(message.end(), input.begin(), input.end());
    RawAnswer answer;
    std::uint8_t header[8];
    if (!send(message) || !zelcomm::recvAll(fd_, header, 8)) {
        return answer;
    }
    const std::uint32_t returned = zelproto::getU32(header + 4);
    if (returned > outSize) {
        return answer;
    }
    answer.output.resize(returned);
    if (returned > 0 && !zelcomm::recvAll(fd_, answer.output.data(), returned)) {
        return answer;
    }
    answer.answered = true;
    answer.ok = zelproto::getU32(header) == 1;
    return answer;
}

bool RawDevice::closedByDriver() {
    if (fd_ < 0) {
        return false;
    }
    // Late answers still in flight are read and dropped on the way to the end of the stream.
    pollfd wait{fd_, POLLIN, 0};
    std::uint8_t drain[512];
    while (::poll(&wait, 1, kWaitMs) > 0) {
        const ssize_t got = ::recv(fd_, drain, sizeof drain, 0);
        if (got <= 0) {
            return got == 0;
        }
    }
    return false;
}

bool RawDevice::close() {
    if (fd_ < 0) {
        return true;
    }
    ::shutdown(fd_, SHUT_WR);
    const bool closed = closedByDriver();
    ::close(fd_);
    fd_ = -1;
    return closed;
}

}  // namespace zeltest
