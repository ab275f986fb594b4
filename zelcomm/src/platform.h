// What the library needs of the operating system: the unit's kernel driver (open, control
// call, close), the version query and the message box. The session sees only this interface;
// Windows, the Linux socket driver and the tests' fake driver implement it.
#pragma once

#include <cstdint>

namespace zelcomm {

using Handle = std::intptr_t;
inline constexpr Handle kInvalidHandle = -1;

// What GetVersionExA reports that the session uses.
struct OsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t platformId = 0;
};

// Outgoing message of the library, shown by the platform when no hook is installed.
struct Message {
    const char *text;
    const char *caption;  // nullptr: no caption of its own
    std::uint32_t style;
};

class Platform {
  public:
    virtual ~Platform() = default;

    // GetVersionExA. False: the version cannot be read.
    virtual bool version(OsVersion *out) = 0;
    // CreateFileA(name, access, no sharing, open existing). kInvalidHandle on failure.
    virtual Handle open(const char *deviceName, std::uint32_t access) = 0;
    // DeviceIoControl. On success *returned holds the bytes written to out (at most outSize).
    virtual bool control(Handle handle, std::uint32_t code, const void *in, std::uint32_t inLength,
                         void *out, std::uint32_t outSize, std::uint32_t *returned) = 0;
    // CloseHandle.
    virtual bool close(Handle handle) = 0;
    // MessageBoxA with no owner window, or its equivalent.
    virtual void show(const Message &message) = 0;
};

// The implementation for the system the library was built for.
Platform &systemPlatform();

}  // namespace zelcomm
