#include "device_path.h"

#include <sys/un.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace zelcomm {
namespace {

const char *nonEmptyVariable(const char *name) {
    const char *value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

// A whole number filling the whole text.
bool parseWhole(const char *text, long long *out) {
    const char *end = text + std::strlen(text);
    auto [ptr, ec] = std::from_chars(text, end, *out);
    return ec == std::errc() && ptr == end && ptr != text;
}

}  // namespace

std::string deviceFolder() {
    if (const char *dir = nonEmptyVariable("ZEL_DEVICE_DIR")) {
        return dir;
    }
    if (const char *runtime = nonEmptyVariable("XDG_RUNTIME_DIR")) {
        return std::string(runtime) + "/zel8";
    }
    return "/tmp/zel8-" + std::to_string(static_cast<unsigned long>(getuid()));
}

std::string devicePath(const std::string &folder, const char *deviceName) {
    static constexpr char kPrefix[] = "\\\\.\\";
    constexpr std::size_t kPrefixLength = sizeof kPrefix - 1;
    if (deviceName == nullptr || std::strncmp(deviceName, kPrefix, kPrefixLength) != 0) {
        return {};
    }
    const char *name = deviceName + kPrefixLength;
    if (name[0] == '\0' || std::strchr(name, '/') != nullptr) {
        return {};
    }
    std::string path = folder + "/" + name;
    if (path.size() >= sizeof(sockaddr_un{}.sun_path)) {
        return {};
    }
    return path;
}

int driverTimeoutMs() {
    constexpr int kDefault = 1000;
    const char *text = nonEmptyVariable("ZEL_DRIVER_TIMEOUT_MS");
    long long value = 0;
    if (text == nullptr || !parseWhole(text, &value) || value < 1 || value > 3600000) {
        return kDefault;
    }
    return static_cast<int>(value);
}

std::uint32_t platformIdFromEnvironment() {
    const char *text = nonEmptyVariable("ZEL_PLATFORM_ID");
    long long value = 0;
    if (text == nullptr || !parseWhole(text, &value) || value < 0 || value > 0xFFFFFFFFLL) {
        return 2;
    }
    return static_cast<std::uint32_t>(value);
}

void parseKernelRelease(const char *release, std::uint32_t *major, std::uint32_t *minor) {
    *major = 0;
    *minor = 0;
    const char *end = release + std::strlen(release);
    auto first = std::from_chars(release, end, *major);
    if (first.ec != std::errc() || first.ptr == end || *first.ptr != '.') {
        return;
    }
    std::from_chars(first.ptr + 1, end, *minor);
}

}  // namespace zelcomm
