// What the publisher runs with once the options are read and the machine is asked: the
// station, the client id, the history file, the state file and the password.
#pragma once

#include <QString>
#include <QStringList>

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

// Fills in what the options left open; *error when the password file cannot be read, it or the
// private key is the user's own and readable by other users, or the station found cannot be a
// topic level.
bool resolveSettings(const Options &options, Settings *settings, QString *error);

// "no parts history at <file>" when --db (or the configuration's db) names a file that is not
// there and --wait-for-db was not given; empty otherwise (the default history, which zelapp
// makes at its first part, is waited for).
QString missingHistory(const Settings &settings);

// What the publisher warns of as it starts, and runs on: a password sent over plain tcp://.
QStringList startWarnings(const Settings &settings);

}  // namespace zelmqtt
