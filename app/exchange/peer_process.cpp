#include "exchange/peer_process.h"

#if defined(Q_OS_LINUX)
#include <sys/socket.h>
#elif defined(Q_OS_WIN)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace zelapp {

#if defined(Q_OS_LINUX)

std::optional<qint64> peerProcessId(qintptr descriptor) {
    ucred credentials{};
    socklen_t size = sizeof(credentials);
    if (descriptor < 0 ||
        getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) !=
            0 ||
        size != sizeof(credentials) || credentials.pid <= 0) {
        return std::nullopt;
    }
    return credentials.pid;
}

#elif defined(Q_OS_WIN)

std::optional<qint64> peerProcessId(qintptr descriptor) {
    ULONG pid = 0;
    if (descriptor == -1 ||
        !GetNamedPipeClientProcessId(reinterpret_cast<HANDLE>(descriptor), &pid) || pid == 0) {
        return std::nullopt;
    }
    return static_cast<qint64>(pid);
}

#else

// No way to ask here: the service then bounds connections only in all.
std::optional<qint64> peerProcessId(qintptr) {
    return std::nullopt;
}

#endif

}  // namespace zelapp
