// The publisher's settings: the configuration file (INI, one key per option, without the
// dashes) and the command line over it. Read without touching the broker or the history.
#pragma once

#include <QString>
#include <QStringList>
#include <map>

namespace zelmqtt {

// 0 stopped as asked, 1 a bad argument or configuration, 2 the history named by --db (or the
// file's db) is not there, 3 --check could not reach the broker or publish. The default history,
// which zelapp makes at its first part, is waited for, as a service should; so is a --db file
// with --wait-for-db.
constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitNoHistory = 2;
constexpr int kExitBroker = 3;

struct Options {
    QString broker = QStringLiteral("tcp://localhost:1883");
    QString clientId;  // empty: "zel8-" + station
    QString user;
    QString passwordFile;
    QString caFile;
    QString certFile;
    QString keyFile;
    QString prefix = QStringLiteral("zel8");
    QString station;    // empty: the history's station setting, else the host name
    QString db;         // empty: the history zelapp uses
    QString stateFile;  // empty: beside the history, named after the client id
    QString service = QStringLiteral("zelapp");  // the live-value service read with --live
    bool live = false;
    bool waitForDb = false;  // a db that is not there is waited for, not refused
    bool check = false;
    bool help = false;
};

struct ParsedOptions {
    Options options;
    QString error;  // why the settings cannot be used; empty when they can
    bool ok() const { return error.isEmpty(); }
};

// The file's keys as text (a missing file gives none); *error when it cannot be read.
std::map<QString, QString> readConfigFile(const QString &file, QString *error);

// Reads the arguments that follow the program name over the configuration: `--config FILE`
// when given (it must exist), else `defaultConfig` when it exists.
ParsedOptions parseZelmqttOptions(const QStringList &args, const QString &defaultConfig);

// Why a prefix or station cannot be a topic level (empty, a "+", "#", "/" or a control
// character); empty when it can.
QString topicLevelProblem(const QString &level);

// $XDG_CONFIG_HOME/zelapp/zelmqtt.conf (~/.config/zelapp/zelmqtt.conf).
QString defaultConfigFile();

QString zelmqttUsage();
QString zelmqttHelp();

}  // namespace zelmqtt
