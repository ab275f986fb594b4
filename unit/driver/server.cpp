#include "server.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "control_commands.h"
#include "posix/device_path.h"
#include "protocol.h"

namespace zel8d {

namespace {

constexpr std::size_t kCallHeader = 12;
// The loop sleeps at least this long while scanning, so fast scan rates run in small batches.
constexpr double kMinWait = 0.0005;

std::string systemError(const std::string &what) {
    return what + ": " + std::strerror(errno);
}

bool fillAddress(const std::string &path, sockaddr_un *address) {
    if (path.size() >= sizeof address->sun_path) {
        return false;
    }
    *address = sockaddr_un{};
    address->sun_family = AF_UNIX;
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Is a program serving this socket path?
bool served(const std::string &path) {
    sockaddr_un address{};
    if (!fillAddress(path, &address)) {
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const bool answered =
        ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return answered;
}

void append(std::vector<std::uint8_t> &out, std::uint32_t value) {
    std::uint8_t bytes[4];
    zelproto::putU32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

}  // namespace

Server::Server(Emulator &emulator, std::string folder)
    : emulator_(emulator), folder_(std::move(folder)) {}

Server::~Server() {
    stop();
}

bool Server::start(std::string *error) {
    std::error_code failure;
    if (!std::filesystem::exists(folder_, failure)) {
        if (!std::filesystem::create_directories(folder_, failure)) {
            *error = "cannot create the device folder " + folder_ + ": " + failure.message();
            return false;
        }
        ::chmod(folder_.c_str(), 0700);
        createdFolder_ = true;
    } else if (!std::filesystem::is_directory(folder_, failure)) {
        *error = folder_ + " is not a folder";
        return false;
    }
    if (::access(folder_.c_str(), W_OK | X_OK) != 0) {
        *error = systemError("cannot serve sockets in " + folder_);
        return false;
    }
    for (Device device : kDevices) {
        if (!emulator_.driver().offers(device)) {
            continue;
        }
        const std::string name = std::string("\\\\.\\") + deviceName(device);
        const std::string path = zelcomm::devicePath(folder_, name.c_str());
        if (path.empty()) {
            *error = "the folder name " + folder_ + " is too long for a socket address";
            return false;
        }
        if (!listenOn(path, false, device, error)) {
            return false;
        }
    }
    return listenOn(folder_ + "/control", true, Device::Zel1, error);
}

bool Server::listenOn(const std::string &path, bool control, Device device, std::string *error) {
    sockaddr_un address{};
    if (!fillAddress(path, &address)) {
        *error = "the folder name " + folder_ + " is too long for a socket address";
        return false;
    }
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode)) {
            *error = path + " exists and is not a socket; not touching it";
            return false;
        }
        if (served(path)) {
            *error = path + " is in use: another driver serves it";
            return false;
        }
        ::unlink(path.c_str());  // left behind by a driver that did not stop cleanly
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        *error = systemError("socket");
        return false;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(fd, 16) != 0) {
        *error = systemError("cannot serve " + path);
        ::close(fd);
        return false;
    }
    listeners_.push_back({fd, path, control, device});
    return true;
}

void Server::stop() {
    for (auto &c : connections_) {
        ::close(c.fd);
    }
    connections_.clear();
    deviceOpen_.fill(false);
    for (const auto &listener : listeners_) {
        ::close(listener.fd);
        ::unlink(listener.path.c_str());
    }
    listeners_.clear();
    if (createdFolder_) {
        ::rmdir(folder_.c_str());  // only when empty; other files stay
        createdFolder_ = false;
    }
}

void Server::accept(const Listener &listener) {
    while (connections_.size() < kMaxConnections) {
        const int fd = ::accept4(listener.fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            return;  // EAGAIN, or a client that went away before being accepted
        }
        Connection c;
        c.fd = fd;
        c.control = listener.control;
        c.device = listener.device;
        connections_.push_back(std::move(c));
    }
}

bool Server::readFrom(Connection &c) {
    std::uint8_t buffer[4096];
    for (;;) {
        const ssize_t got = ::recv(c.fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            c.in.insert(c.in.end(), buffer, buffer + got);
            if (c.in.size() > kMaxPendingOutput) {
                return false;  // floods us while an answer is held back
            }
            // A short read has drained the socket for now; poll tells when more arrives.
            // Saves a system call per request, which shows in the round trip.
            if (static_cast<std::size_t>(got) < sizeof buffer ||
                c.in.size() > kMaxCallInput + kCallHeader + kMaxControlLine) {
                break;
            }
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return c.control ? serveControl(c, false) : serveDevice(c);
        }
        // End of stream (or a broken one): a device client has closed its handle.
        if (c.control) {
            serveControl(c, true);
            flush(c);
        }
        return false;
    }
    return c.control ? serveControl(c, false) : serveDevice(c);
}

bool Server::serveDevice(Connection &c) {
    const std::size_t index = static_cast<std::size_t>(c.device);
    if (!c.masked) {
        if (c.in.size() < 4) {
            return true;
        }
        // The access mask is not checked: the driver grants what the device allows.
        c.in.erase(c.in.begin(), c.in.begin() + 4);
        c.masked = true;
        if (deviceOpen_[index]) {
            c.out.push_back(0);  // no sharing
            c.closeAfterFlush = true;
            c.in.clear();
            return flush(c);
        }
        deviceOpen_[index] = true;
        c.holdsDevice = true;
        c.out.push_back(1);
    }
    while (!c.closeAfterFlush && !c.waiting && c.in.size() >= kCallHeader) {
        const std::uint32_t code = zelproto::getU32(c.in.data());
        const std::uint32_t inLength = zelproto::getU32(c.in.data() + 4);
        const std::uint32_t outSize = zelproto::getU32(c.in.data() + 8);
        if (inLength > kMaxCallInput || outSize > kMaxCallOutput) {
            return false;  // not a client of this driver
        }
        if (c.in.size() < kCallHeader + inLength) {
            break;
        }
        const double now = emulator_.now();
        if (!scanned_) {
            runDueScans(now);
        }
        const CallReply reply = emulator_.driver().control(
            c.device, &c.selectedPort, code, c.in.data() + kCallHeader, inLength, outSize, now);
        c.in.erase(c.in.begin(), c.in.begin() + kCallHeader + inLength);
        // A held-back answer waits in its own buffer until it is due.
        std::vector<std::uint8_t> &answer = reply.delaySeconds > 0.0 ? c.held : c.out;
        append(answer, reply.ok ? 1 : 0);
        append(answer, static_cast<std::uint32_t>(reply.output.size()));
        answer.insert(answer.end(), reply.output.begin(), reply.output.end());
        if (reply.delaySeconds > 0.0) {
            c.waiting = true;
            c.due = now + reply.delaySeconds;
        }
    }
    return flush(c);
}

bool Server::serveControl(Connection &c, bool atEnd) {
    while (!c.closeAfterFlush) {
        auto newline = std::find(c.in.begin(), c.in.end(), '\n');
        const std::size_t length = static_cast<std::size_t>(newline - c.in.begin());
        if (newline == c.in.end() || length > kMaxControlLine) {
            if (length > kMaxControlLine) {
                const std::string reply = "ERR\tline too long\n";
                c.out.insert(c.out.end(), reply.begin(), reply.end());
                c.closeAfterFlush = true;
                break;
            }
            if (!atEnd || c.in.empty()) {
                break;
            }
            newline = c.in.end();  // a last line without its line feed
        }
        std::string line(c.in.begin(), newline);
        c.in.erase(c.in.begin(), newline == c.in.end() ? newline : newline + 1);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const ControlReply reply = executeControl(line, emulator_);
        c.out.insert(c.out.end(), reply.line.begin(), reply.line.end());
        c.out.push_back('\n');
        if (reply.quit) {
            quit_ = true;
        }
    }
    if (c.closeAfterFlush) {
        c.in.clear();
    }
    return flush(c);
}

bool Server::flush(Connection &c) {
    while (!c.out.empty()) {
        const ssize_t sent = ::send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            c.out.erase(c.out.begin(), c.out.begin() + sent);
            continue;
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return c.out.size() <= kMaxPendingOutput;
        }
        return false;
    }
    return !c.closeAfterFlush;
}

void Server::drop(std::size_t index) {
    Connection &c = connections_[index];
    // Release the device before closing: a client that sees the close may open it again at once.
    if (c.holdsDevice) {
        deviceOpen_[static_cast<std::size_t>(c.device)] = false;
    }
    ::close(c.fd);
    connections_.erase(connections_.begin() + static_cast<std::ptrdiff_t>(index));
}

// One scan at a time: on the unit the scans run beside its answers, so a request waits for one
// scan at most. A backlog is caught up between requests, the loop not sleeping meanwhile.
void Server::runDueScans(double now) {
    scanned_ = emulator_.schedule().run(emulator_.unit(), now, 1) > 0 || scanned_;
}

double Server::nextWake(double now) const {
    double wake = now + 1.0;
    const double nextScan = emulator_.schedule().next();
    if (nextScan >= 0.0) {
        wake = std::min(wake, nextScan <= now ? now : std::max(nextScan, now + kMinWait));
    }
    for (const auto &c : connections_) {
        if (c.waiting) {
            wake = std::min(wake, c.due);
        }
    }
    if (emulator_.unit().storing()) {
        wake = std::min(wake, emulator_.unit().storeDue());
    }
    return wake;
}

void Server::run(int stopSignalFd) {
    std::vector<pollfd> fds;
    while (!quit_) {
        const double now = emulator_.now();
        scanned_ = false;
        runDueScans(now);
        emulator_.unit().advance(now);
        for (std::size_t i = connections_.size(); i-- > 0;) {
            Connection &c = connections_[i];
            if (c.waiting && c.due <= now) {
                c.waiting = false;
                c.out.insert(c.out.end(), c.held.begin(), c.held.end());
                c.held.clear();
                if (!serveDevice(c)) {
                    drop(i);
                }
            }
        }

        fds.clear();
        fds.push_back({stopSignalFd, POLLIN, 0});
        // At the connection limit the listeners are left alone, so waiting clients stay queued
        // instead of keeping the loop awake.
        const bool accepting = connections_.size() < kMaxConnections;
        for (const auto &listener : listeners_) {
            fds.push_back({listener.fd, static_cast<short>(accepting ? POLLIN : 0), 0});
        }
        for (const auto &c : connections_) {
            fds.push_back({c.fd, static_cast<short>(POLLIN | (c.out.empty() ? 0 : POLLOUT)), 0});
        }
        const double wait = std::max(0.0, nextWake(now) - emulator_.now());
        timespec timeout{};
        timeout.tv_sec = static_cast<time_t>(wait);
        timeout.tv_nsec = static_cast<long>((wait - std::floor(wait)) * 1e9);
        if (::ppoll(fds.data(), fds.size(), &timeout, nullptr) < 0) {
            continue;  // EINTR
        }
        if (fds[0].revents != 0) {
            break;
        }
        const std::size_t listenerCount = listeners_.size();
        const std::size_t connectionCount = connections_.size();
        for (std::size_t i = 0; i < listenerCount; ++i) {
            if ((fds[1 + i].revents & POLLIN) != 0) {
                accept(listeners_[i]);
            }
        }
        // Backwards, so that dropping a connection keeps the earlier indices valid; new
        // connections from accept() sit beyond connectionCount and wait for the next round.
        for (std::size_t i = connectionCount; i-- > 0;) {
            const short events = fds[1 + listenerCount + i].revents;
            if (events == 0) {
                continue;
            }
            Connection &c = connections_[i];
            bool keep = true;
            if ((events & (POLLIN | POLLHUP | POLLERR)) != 0) {
                keep = readFrom(c);
            } else if ((events & POLLOUT) != 0) {
                keep = flush(c);
            }
            if (!keep) {
                drop(i);
            }
        }
    }
    // Deliver the answer to "quit" before going.
    for (auto &c : connections_) {
        flush(c);
    }
}

}  // namespace zel8d
