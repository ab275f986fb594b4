#include "control_client.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "posix/device_path.h"
#include "posix/stream_io.h"

namespace zel8d {

bool controlRequest(const std::string &folder, const std::vector<std::string> &fields,
                    std::string *reply, std::string *error) {
    const std::string path = folder + "/control";
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) {
        *error = "the folder name " + folder + " is too long for a socket address";
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = std::strerror(errno);
        return false;
    }
    // A generous bound: "scan 100000" on a large channel table takes a while.
    timeval timeout{30, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        *error = "no emulator is running in " + folder + " (" + std::strerror(errno) + ")";
        ::close(fd);
        return false;
    }
    std::string line;
    for (const auto &field : fields) {
        line += (line.empty() ? "" : "\t") + field;
    }
    line += '\n';
    if (!zelcomm::sendAll(fd, reinterpret_cast<const std::uint8_t *>(line.data()), line.size())) {
        *error = "the emulator closed the control connection";
        ::close(fd);
        return false;
    }
    reply->clear();
    std::uint8_t byte = 0;
    while (zelcomm::recvAll(fd, &byte, 1) && byte != '\n') {
        reply->push_back(static_cast<char>(byte));
    }
    ::close(fd);
    if (byte != '\n') {
        *error = "no answer from the emulator";
        return false;
    }
    return true;
}

int runControlClient(const std::vector<std::string> &args) {
    std::string folder;
    std::size_t first = 0;
    if (args.size() >= 2 && args[0] == "--dir") {
        folder = args[1];
        first = 2;
    }
    if (first >= args.size()) {
        std::fprintf(stderr, "usage: zel8d ctl [--dir DIR] COMMAND [ARGUMENT]...\n");
        return 2;
    }
    if (folder.empty()) {
        folder = zelcomm::deviceFolder();
    }
    const std::vector<std::string> fields(args.begin() + static_cast<long>(first), args.end());
    std::string reply;
    std::string error;
    if (!controlRequest(folder, fields, &reply, &error)) {
        std::fprintf(stderr, "zel8d ctl: %s\n", error.c_str());
        return 2;
    }
    if (reply.rfind("OK", 0) == 0) {
        if (reply.size() > 3) {
            std::printf("%s\n", reply.c_str() + 3);
        }
        return 0;
    }
    const auto tab = reply.find('\t');
    std::fprintf(stderr, "zel8d ctl: %s\n",
                 tab == std::string::npos ? reply.c_str() : reply.c_str() + tab + 1);
    return 1;
}

}  // namespace zel8d
