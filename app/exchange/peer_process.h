// The program at the other end of a local connection, so that the live-value service can bound
// what one program holds. How each system tells it stays in this file's source.
#pragma once

#include <QtGlobal>
#include <optional>

namespace zelapp {

// The process id of the peer of a connected local socket, given its native descriptor (a Unix
// socket, or on Windows the named pipe's handle); nothing when the system cannot tell.
std::optional<qint64> peerProcessId(qintptr descriptor);

}  // namespace zelapp
