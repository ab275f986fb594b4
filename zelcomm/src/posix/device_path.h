// Where the Linux driver's device sockets live, and how a Windows device name maps to one.
// The unit emulator serves the same paths.
#pragma once

#include <cstdint>
#include <string>

namespace zelcomm {

// $ZEL_DEVICE_DIR when set and not empty, else $XDG_RUNTIME_DIR/zel8 when that is set and not
// empty, else /tmp/zel8-<uid>.
std::string deviceFolder();

// "\\.\NAME" -> "<folder>/NAME". Empty when the name has no "\\.\" prefix, an empty NAME or
// one with a path separator, or when the path would not fit an AF_UNIX socket address.
std::string devicePath(const std::string &folder, const char *deviceName);

// $ZEL_DRIVER_TIMEOUT_MS when it holds a whole number 1..3600000, else 1000.
int driverTimeoutMs();

// Platform id reported as the Windows family: $ZEL_PLATFORM_ID when it holds a whole number,
// else 2 (NT).
std::uint32_t platformIdFromEnvironment();

// "6.1.0-18-amd64" -> 6, 1. Missing parts read 0.
void parseKernelRelease(const char *release, std::uint32_t *major, std::uint32_t *minor);

}  // namespace zelcomm
