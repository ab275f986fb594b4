// Session exports: finding the unit on a port, opening and closing the driver device, and the
// flags that steer messages and demonstration mode.
#include "session.h"

#include <cstdio>
#include <cstring>

#include "messages.h"

namespace zelcomm {

Session session;

namespace {

constexpr std::int32_t kDllVersion = 0x0301;

bool validPort(std::int32_t port) {
    return port >= zelproto::kFirstPort && port <= zelproto::kLastPort;
}

void showDiagnostic(const char *format, std::int32_t port) {
    std::snprintf(session.message, sizeof session.message, format, static_cast<int>(port));
    showMessage(session.message, kDiagnosticCaption);
}

void showVersionReport() {
    const OsVersion &os = session.os;
    int used =
        std::snprintf(session.message, sizeof session.message,
                      "Zelcomm::Verbose Debug enabled\nOsVersion:%lu.%lu\n",
                      static_cast<unsigned long>(os.major), static_cast<unsigned long>(os.minor));
    char *rest = session.message + used;
    std::size_t room = sizeof session.message - static_cast<std::size_t>(used);
    switch (os.platformId) {
        case 0:
            std::snprintf(rest, room, "Win32s on Windows 3.1\n");
            break;
        case 1:
            std::snprintf(rest, room, "Win32 on Windows 95\n");
            break;
        case 2:
            std::snprintf(rest, room, "Win32 on Windows NT\n");
            break;
        default:
            std::snprintf(rest, room, "OsVersionInfo.dwPlatformId:%ld\n",
                          static_cast<long>(static_cast<std::int32_t>(os.platformId)));
            break;
    }
    showMessage(session.message, kDiagnosticCaption);
}

// Asks the driver whether the unit answers. Sends the whole request area as it stands.
std::int32_t probe() {
    session.demo = 0;
    const std::uint32_t code = session.nt ? zelproto::kNtProbe : zelproto::kVxdProbe;
    const bool ok = driverCall(code, session.request, zelproto::kAreaSize, nullptr, 0);
    session.lastCallSucceeded = ok ? 1 : 0;
    return ok ? 0 : 1;
}

// Ports 1 to 3 in order; the first that opens and probes becomes the current port.
std::int32_t scanPorts(bool verbose) {
    for (std::int32_t port = zelproto::kFirstPort; port <= zelproto::kLastPort; ++port) {
        if (openPort(port) != 0) {
            if (verbose) {
                showDiagnostic("Zel driver NOT found Port:%d", port);
            }
            continue;
        }
        if (probe() == 0) {
            if (verbose) {
                showDiagnostic("Zel driver found Port:%d, Zel found", port);
            }
            session.currentPort = port;
            return 0;
        }
        if (verbose) {
            showDiagnostic("Zel driver found Port:%d, Zel NOT found", port);
        }
        closeSession();
    }
    return 1;
}

}  // namespace

bool attach(Platform &platform) {
    session.platform = &platform;
    OsVersion os;
    if (!platform.version(&os)) {
        return false;
    }
    session.os = os;
    session.nt = os.platformId == zelproto::kPlatformNt ? 1 : 0;
    if (session.loaded) {
        return false;
    }
    session.loaded = 1;
    return true;
}

void detach() {
    closeSession();
    session.loaded = 0;
}

void resetSession() {
    session = Session{};
}

bool driverCall(std::uint32_t code, const void *in, std::uint32_t inLength, void *out,
                std::uint32_t outSize) {
    if (session.device == kInvalidHandle || session.platform == nullptr) {
        return false;
    }
    std::uint32_t returned = 0;
    return session.platform->control(session.device, code, in, inLength, out, outSize, &returned);
}

std::int32_t openPort(std::int32_t port) {
    if (session.open) {
        return 0;
    }
    if (!validPort(port) || session.platform == nullptr) {
        return 1;
    }
    if (session.nt) {
        char name[] = "\\\\.\\ZEL0";
        name[sizeof name - 2] = static_cast<char>('0' + port);
        session.device = session.platform->open(name, zelproto::kAccessReadWrite);
        if (session.device == kInvalidHandle) {
            return 1;
        }
    } else {
        session.device = session.platform->open("\\\\.\\ZELVXD", zelproto::kAccessNone);
        if (session.device == kInvalidHandle) {
            return 1;
        }
        std::uint8_t *payload = session.request + zelproto::kDataOffset;
        zelproto::putU32(payload, static_cast<std::uint32_t>(port - 1));
        if (!driverCall(zelproto::kVxdSelectPort, payload, 4, nullptr, 0)) {
            session.platform->close(session.device);
            session.device = kInvalidHandle;
            return 1;
        }
    }
    session.open = 1;
    return 0;
}

std::int32_t closeSession() {
    if (!session.open) {
        return 0;
    }
    if (session.device != kInvalidHandle && session.platform != nullptr) {
        if (!session.platform->close(session.device)) {
            return 1;
        }
    }
    session.device = kInvalidHandle;
    session.open = 0;
    return 0;
}

}  // namespace zelcomm

using zelcomm::session;

extern "C" {

ZEL_EXPORT int32_t ZELAPI ZelCommInit(int32_t) {
    if (session.verbose) {
        zelcomm::showVersionReport();
    }
    zelcomm::closeSession();
    session.demo = 0;
    return zelcomm::scanPorts(session.verbose != 0);
}

ZEL_EXPORT int32_t ZELAPI ZelCommInitEx(int32_t port, int32_t) {
    if (session.verbose) {
        zelcomm::showVersionReport();
    }
    session.demo = 0;
    if (port == 0) {
        return zelcomm::scanPorts(false);
    }
    const int32_t opened = zelcomm::openPort(port);
    if (opened != 0) {
        return opened;
    }
    return zelcomm::probe();
}

ZEL_EXPORT int32_t ZELAPI ZelOpen(void) {
    return zelcomm::openPort(session.currentPort);
}

ZEL_EXPORT int32_t ZELAPI ZelOpenEx(int32_t port, int32_t) {
    return zelcomm::openPort(port);
}

ZEL_EXPORT int32_t ZELAPI ZelClose(void) {
    return zelcomm::closeSession();
}

ZEL_EXPORT int32_t ZELAPI ZelCloseEx(int32_t, int32_t) {
    return zelcomm::closeSession();
}

ZEL_EXPORT void ZELAPI ZelMsgBox(int32_t flag) {
    session.errorBox = flag != 0 ? 1 : 0;
}

ZEL_EXPORT int32_t ZELAPI EppInstallMsg(int32_t flag) {
    const int32_t previous = session.verbose;
    session.verbose = flag;
    return previous;
}

ZEL_EXPORT int32_t ZELAPI EppDiagMsg(int32_t flag) {
    const int32_t previous = session.diagnostic;
    session.diagnostic = flag;
    return previous;
}

ZEL_EXPORT int32_t ZELAPI GetZelVersion(int16_t *version) {
    if (version != nullptr) {
        *version = 0;
    }
    return 0;
}

ZEL_EXPORT int32_t ZELAPI ZelDLL(void) {
    return zelcomm::kDllVersion;
}

ZEL_EXPORT int32_t ZELAPI ZelIsDemo(void) {
    return session.demo != 0 ? 1 : 0;
}

ZEL_EXPORT int32_t ZELAPI ZelGetPort(void) {
    return session.currentPort;
}

ZEL_EXPORT void ZELAPI ZelSetMessageHook(ZelMessageHook hook) {
    session.hook = hook;
}

}  // extern "C"
