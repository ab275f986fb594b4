#include "stream_io.h"

#include <sys/socket.h>

#include <cerrno>

namespace zelcomm {

bool sendAll(int fd, const std::uint8_t *bytes, std::size_t length) {
    while (length > 0) {
        const ssize_t sent = ::send(fd, bytes, length, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        bytes += sent;
        length -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool recvAll(int fd, std::uint8_t *bytes, std::size_t length) {
    while (length > 0) {
        const ssize_t got = ::recv(fd, bytes, length, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        bytes += got;
        length -= static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace zelcomm
