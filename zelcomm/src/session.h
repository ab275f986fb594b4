// The library's one process-wide session with the unit's driver. Nothing here is allocated;
// the state lives for the life of the process.
#pragma once

#include <cstdint>

#include "platform.h"
#include "protocol.h"
#include "zelcomm.h"

namespace zelcomm {

struct Session {
    std::int32_t loaded = 0;
    OsVersion os;
    std::int32_t nt = 0;
    Handle device = kInvalidHandle;
    std::int32_t open = 0;
    std::int32_t currentPort = 0;
    std::int32_t demo = 1;  // until an initialisation, requests are answered locally
    std::int32_t errorBox = 1;
    std::int32_t verbose = 0;
    std::int32_t diagnostic = 0;
    // One guard byte after each area stays zero, so text read from the response always ends.
    std::uint8_t request[zelproto::kAreaSize + 1] = {};
    std::uint8_t response[zelproto::kAreaSize + 1] = {};
    std::int32_t lastCallSucceeded = 0;
    char message[256] = {};
    ZelMessageHook hook = nullptr;
    Platform *platform = nullptr;
};

// The session. Only the functions of this library touch it.
extern Session session;

// Load entry: reads the OS version and sets the NT flag. False refuses the load.
bool attach(Platform &platform);
// Unload entry: closes the session.
void detach();
// Puts the session back to its state before attach (tests start each case from here).
void resetSession();

// Session steps shared by several exports.
std::int32_t openPort(std::int32_t port);
std::int32_t closeSession();

// One driver call with the session's handle; records nothing.
bool driverCall(std::uint32_t code, const void *in, std::uint32_t inLength, void *out,
                std::uint32_t outSize);

inline std::uint32_t requestControlCode() {
    return session.nt ? zelproto::kNtRequest : zelproto::kVxdRequest;
}

}  // namespace zelcomm
