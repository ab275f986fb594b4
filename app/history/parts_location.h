// Where the parts' history is and which station writes it. zelapp, the command-line tools and
// the publisher all find the file the same way: the `--db` option, else the environment's
// ZEL_PARTS_DB, else "Results/Database" of the per-user settings file, else
// $XDG_DATA_HOME/zelapp/parts.db. The station is "Results/Station" there, else the host name.
// Qt Core only, and nothing of the program's core, so that a command-line tool can use it. The
// keys have this one reader and writer.
#pragma once

#include <QString>

namespace zelapp {

class SettingsStore;

// What section "Results" of the per-user settings file says; empty: not set.
struct ResultsSettings {
    QString database;  // "Database"
    QString station;   // "Station"
    bool operator==(const ResultsSettings &) const = default;
};

// The per-user settings file as the program finds it ($XDG_CONFIG_HOME/zelapp/zelapp.conf).
QString defaultSettingsFile();
// $XDG_DATA_HOME/zelapp/parts.db (~/.local/share/zelapp/parts.db).
QString defaultPartsFile();
// Reads section "Results" of an INI file; a missing file says nothing.
ResultsSettings readResultsSettings(const QString &settingsFile);
// The same keys through the program's settings store; empty: the host name, the default file.
// Written trimmed and synced at once.
ResultsSettings readResultsSettings(const SettingsStore &store);
void writeResultsSettings(SettingsStore &store, const ResultsSettings &settings);

struct PartsLocation {
    enum class Source { Option, Environment, Settings, Default };
    QString file;  // absolute
    Source source = Source::Default;
    QString station;
};

// Everything the choice depends on, so that it is one pure rule.
struct LocationInputs {
    QString option;       // the --db value; empty: not given
    QString environment;  // ZEL_PARTS_DB; empty: not set
    ResultsSettings settings;
    QString defaultFile;  // defaultPartsFile()
    QString hostName;     // QSysInfo::machineHostName()
};
PartsLocation resolvePartsLocation(const LocationInputs &inputs);

// The rule on this machine: the environment, the settings file given (defaultSettingsFile()
// in the programs) and the host name.
PartsLocation findPartsLocation(const QString &option, const QString &settingsFile);

// What the Results group shows beside the two boxes.
struct ResultsHints {
    QString station;   // the placeholder of an empty Station: the host name
    QString database;  // the placeholder of an empty Database: the default file
    // "Used now: <file> (from --db)" when the command line or the environment overrules the
    // setting; empty otherwise.
    QString overruled;
    bool operator==(const ResultsHints &) const = default;
};
// `found` is where the rule finds the history now.
ResultsHints resultsHints(const PartsLocation &found, const QString &hostName,
                          const QString &defaultFile);

}  // namespace zelapp
