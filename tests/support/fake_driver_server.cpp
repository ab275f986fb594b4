#include "fake_driver_server.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "posix/stream_io.h"
#include "protocol.h"

namespace zeltest {

DriverReply FakeDriverServer::unitAnswer(std::uint8_t status, std::vector<std::uint8_t> data) {
    DriverReply reply;
    reply.data.assign(zelproto::kDataOffset, 0);
    reply.data[zelproto::kStatusOffset] = status;
    reply.data.insert(reply.data.end(), data.begin(), data.end());
    return reply;
}

FakeDriverServer::FakeDriverServer(std::string folder, std::vector<std::string> devices,
                                   Handler handler)
    : folder_(std::move(folder)), handler_(std::move(handler)) {
    if (::pipe(wake_) != 0) {
        throw std::runtime_error("pipe");
    }
    for (const auto &name : devices) {
        Listener listener{name, folder_ + "/" + name, -1};
        listener.fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, listener.path.c_str(), sizeof address.sun_path - 1);
        ::unlink(listener.path.c_str());
        if (listener.fd < 0 ||
            ::bind(listener.fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            ::listen(listener.fd, 8) != 0) {
            throw std::runtime_error("cannot serve " + listener.path);
        }
        listeners_.push_back(listener);
        deviceOpen_[name] = false;
    }
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

FakeDriverServer::~FakeDriverServer() {
    stopping_ = true;
    const char wake = 1;
    (void)!::write(wake_[1], &wake, 1);
    acceptThread_.join();
    {
        std::lock_guard lock(mutex_);
        for (int fd : connections_) {
            ::shutdown(fd, SHUT_RDWR);
        }
    }
    for (auto &thread : connectionThreads_) {
        thread.join();
    }
    for (const auto &listener : listeners_) {
        ::close(listener.fd);
        ::unlink(listener.path.c_str());
    }
    ::close(wake_[0]);
    ::close(wake_[1]);
}

void FakeDriverServer::setHandler(Handler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

std::vector<DriverCall> FakeDriverServer::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<std::uint32_t> FakeDriverServer::accessMasks() const {
    std::lock_guard lock(mutex_);
    return accessMasks_;
}

int FakeDriverServer::openDevices() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(deviceOpen_.begin(), deviceOpen_.end(),
                                          [](const auto &entry) { return entry.second; }));
}

void FakeDriverServer::acceptLoop() {
    std::vector<pollfd> fds;
    fds.push_back({wake_[0], POLLIN, 0});
    for (const auto &listener : listeners_) {
        fds.push_back({listener.fd, POLLIN, 0});
    }
    while (!stopping_) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            continue;
        }
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if ((fds[i].revents & POLLIN) == 0) {
                continue;
            }
            const int fd = ::accept4(fds[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                continue;
            }
            std::lock_guard lock(mutex_);
            connections_.push_back(fd);
            connectionThreads_.emplace_back(
                [this, fd, name = listeners_[i - 1].name] { serve(fd, name); });
        }
    }
}

DriverReply FakeDriverServer::answer(const DriverCall &call) {
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(call);
        handler = handler_;
    }
    if (handler) {
        return handler(call);
    }
    if (isProbe(call) || call.outSize == 0) {
        return DriverReply{};
    }
    DriverReply reply = unitAnswer(0);
    reply.data.resize(call.outSize, 0);
    return reply;
}

void FakeDriverServer::serve(int fd, std::string device) {
    std::uint8_t mask[4];
    bool opened = false;
    if (zelcomm::recvAll(fd, mask, sizeof mask)) {
        std::lock_guard lock(mutex_);
        accessMasks_.push_back(zelproto::getU32(mask));
        opened = !deviceOpen_[device];
        deviceOpen_[device] = true;
    }
    const std::uint8_t verdict = opened ? 1 : 0;
    if (opened && zelcomm::sendAll(fd, &verdict, 1)) {
        for (;;) {
            std::uint8_t header[12];
            if (!zelcomm::recvAll(fd, header, sizeof header)) {
                break;
            }
            DriverCall call{device, zelproto::getU32(header), {}, zelproto::getU32(header + 8)};
            const std::uint32_t length = zelproto::getU32(header + 4);
            if (length > 65536) {
                break;
            }
            call.input.resize(length);
            if (!zelcomm::recvAll(fd, call.input.data(), call.input.size())) {
                break;
            }
            const DriverReply reply = answer(call);
            std::vector<std::uint8_t> out(8);
            std::uint32_t count =
                static_cast<std::uint32_t>(std::min<std::size_t>(reply.data.size(), call.outSize));
            std::uint32_t ok = reply.ok;
            if (reply.fault == DriverReply::Fault::Oversize) {
                count = call.outSize + 1;
            } else if (reply.fault == DriverReply::Fault::BadOk) {
                ok = 7;
            }
            zelproto::putU32(out.data(), ok);
            zelproto::putU32(out.data() + 4, count);
            out.insert(out.end(), reply.data.begin(),
                       reply.data.begin() + std::min<std::size_t>(count, reply.data.size()));
            out.resize(8 + count, 0);
            if (reply.fault == DriverReply::Fault::NoAnswer) {
                continue;
            }
            if (reply.fault == DriverReply::Fault::HangUp) {
                break;
            }
            if (reply.fault == DriverReply::Fault::Truncated) {
                zelcomm::sendAll(fd, out.data(), 4);
                break;
            }
            if (reply.fault == DriverReply::Fault::ByteByByte) {
                for (std::uint8_t byte : out) {
                    zelcomm::sendAll(fd, &byte, 1);
                }
                continue;
            }
            if (!zelcomm::sendAll(fd, out.data(), out.size())) {
                break;
            }
        }
    } else if (!opened) {
        zelcomm::sendAll(fd, &verdict, 1);
    }
    // Release the device before closing: a client that saw the close may open it again at once.
    {
        std::lock_guard lock(mutex_);
        if (opened) {
            deviceOpen_[device] = false;
        }
        connections_.erase(std::remove(connections_.begin(), connections_.end(), fd),
                           connections_.end());
    }
    ::close(fd);
}

}  // namespace zeltest
