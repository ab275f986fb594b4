// zelmqtt --check: for setting up a station. Connects under a client id of its own (so the
// running publisher stays connected), publishes the status, and shows what would be sent.
#pragma once

#include <QIODevice>

#include "zelmqtt_settings.h"

namespace zelmqtt {

// Returns the exit status; the report goes to `out`, problems to `err`.
int runCheck(const Settings &settings, QIODevice &out, QIODevice &err);

}  // namespace zelmqtt
