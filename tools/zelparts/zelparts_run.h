// What zelparts does once its arguments are read: opens the history read-only (so that a
// running zelapp never waits for it) and runs the command, data to `out`, messages to `err`.
#pragma once

#include <QIODevice>
#include <QString>

#include "zelparts_options.h"

namespace zelparts {

// `file` is the history as found (findPartsLocation); gives the exit status.
int runZelparts(const Options &options, const QString &file, QIODevice &out, QIODevice &err);

}  // namespace zelparts
