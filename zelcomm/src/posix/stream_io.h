// Whole-buffer reads and writes on a stream socket, shared by the driver's two ends.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zelcomm {

// Sends every byte (never raises SIGPIPE). False when the connection fails or a send times out.
bool sendAll(int fd, const std::uint8_t *bytes, std::size_t length);

// Reads exactly `length` bytes. False on end of stream, error or timeout (SO_RCVTIMEO).
bool recvAll(int fd, std::uint8_t *bytes, std::size_t length);

}  // namespace zelcomm
