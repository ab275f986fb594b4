// The kernel driver and message boxes on Windows.
#include <windows.h>

#include "../platform.h"

namespace zelcomm {
namespace {

class Win32Platform final : public Platform {
  public:
    bool version(OsVersion *out) override {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;  // 148
        if (!GetVersionExA(&info)) {
            return false;
        }
        out->major = info.dwMajorVersion;
        out->minor = info.dwMinorVersion;
        out->platformId = info.dwPlatformId;
        return true;
    }

    Handle open(const char *deviceName, std::uint32_t access) override {
        HANDLE handle = CreateFileA(deviceName, access, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        return handle == INVALID_HANDLE_VALUE ? kInvalidHandle : reinterpret_cast<Handle>(handle);
    }

    bool control(Handle handle, std::uint32_t code, const void *in, std::uint32_t inLength,
                 void *out, std::uint32_t outSize, std::uint32_t *returned) override {
        DWORD count = 0;
        const BOOL ok =
            DeviceIoControl(reinterpret_cast<HANDLE>(handle), code, const_cast<void *>(in),
                            inLength, out, outSize, &count, nullptr);
        if (returned != nullptr) {
            *returned = count;
        }
        return ok != FALSE;
    }

    bool close(Handle handle) override {
        return CloseHandle(reinterpret_cast<HANDLE>(handle)) != FALSE;
    }

    void show(const Message &message) override {
        MessageBoxA(nullptr, message.text, message.caption, message.style);
    }
};

}  // namespace

Platform &systemPlatform() {
    // Never destroyed: the library's unload entry closes a device still open at process exit,
    // and runs after the destructors of function-local statics.
    static Win32Platform *platform = new Win32Platform;
    return *platform;
}

}  // namespace zelcomm
