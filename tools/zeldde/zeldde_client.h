// One conversation of zeldde with a program's live-value service over its local socket:
// requests the items, or advises them and prints every change until told to stop.
#pragma once

#include <QString>
#include <cstdio>

#include "zeldde_options.h"

namespace zeldde {

enum ExitStatus : int {
    kExitOk = 0,
    kExitUsage = 1,
    kExitNotRunning = 2,
    kExitRefused = 3,
    kExitLost = 4,  // the connection went away, or the service answered out of turn
    // request stopped by a signal ends with kExitSignalBase plus the signal number
    kExitSignalBase = 128,
};

// How long a reply may take before the service is taken for hung.
inline constexpr int kReplySeconds = 10;

// Makes SIGINT and SIGTERM end the conversation with TERMINATE instead of killing the
// program. Call once, before runConversation; false when the handlers cannot be set.
bool catchInterrupts();

// Talks with the service listening at socketPath as the options say: values go to out, one
// line each, flushed per line; messages, prefixed "zeldde: ", go to err. Returns the exit
// status.
int runConversation(const Options &options, const QString &socketPath, std::FILE *out,
                    std::FILE *err);

}  // namespace zeldde
