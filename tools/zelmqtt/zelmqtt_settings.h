// What the publisher runs with once the options are read and the machine is asked: the
// station, the client id, the history file, the state file and the password.
#pragma once

#include <QString>

#include "zelmqtt_options.h"

namespace zelmqtt {

struct Settings {
    Options options;
    QString station;
    QString clientId;
    QString dbFile;
    QString stateFile;
    QString password;
    QString version;
    QString topic(const QString &leaf) const {
        return options.prefix + QLatin1Char('/') + station + QLatin1Char('/') + leaf;
    }
};

// Fills in what the options left open; *error when the password file cannot be read or the
// station found cannot be a topic level.
bool resolveSettings(const Options &options, Settings *settings, QString *error);

}  // namespace zelmqtt
