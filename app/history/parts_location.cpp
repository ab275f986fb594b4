#include "history/parts_location.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>

#include "base/settings_store.h"

using namespace Qt::StringLiterals;

namespace zelapp {

QString defaultSettingsFile() {
    // Where QSettings keeps organisation "zelapp", application "zelapp" (base/settings_store.h).
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/zelapp/zelapp.conf");
}

QString defaultPartsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/zelapp/parts.db");
}

namespace {
const QString kResults = u"Results"_s;
}  // namespace

ResultsSettings readResultsSettings(const QString &settingsFile) {
    if (settingsFile.isEmpty() || !QFileInfo::exists(settingsFile)) {
        return {};
    }
    return readResultsSettings(QSettingsStore(settingsFile));
}

ResultsSettings readResultsSettings(const SettingsStore &store) {
    return {store.value(kResults, u"Database"_s).trimmed(),
            store.value(kResults, u"Station"_s).trimmed()};
}

void writeResultsSettings(SettingsStore &store, const ResultsSettings &settings) {
    store.setValue(kResults, u"Database"_s, settings.database.trimmed());
    store.setValue(kResults, u"Station"_s, settings.station.trimmed());
    store.sync();
}

PartsLocation resolvePartsLocation(const LocationInputs &inputs) {
    PartsLocation location;
    if (!inputs.option.isEmpty()) {
        location.file = inputs.option;
        location.source = PartsLocation::Source::Option;
    } else if (!inputs.environment.isEmpty()) {
        location.file = inputs.environment;
        location.source = PartsLocation::Source::Environment;
    } else if (!inputs.settings.database.isEmpty()) {
        location.file = inputs.settings.database;
        location.source = PartsLocation::Source::Settings;
    } else {
        location.file = inputs.defaultFile;
        location.source = PartsLocation::Source::Default;
    }
    location.file = QDir::cleanPath(QFileInfo(location.file).absoluteFilePath());
    location.station =
        inputs.settings.station.isEmpty() ? inputs.hostName : inputs.settings.station;
    return location;
}

PartsLocation findPartsLocation(const QString &option, const QString &settingsFile) {
    return resolvePartsLocation({option, qEnvironmentVariable("ZEL_PARTS_DB"),
                                 readResultsSettings(settingsFile), defaultPartsFile(),
                                 QSysInfo::machineHostName()});
}

ResultsHints resultsHints(const PartsLocation &found, const QString &hostName,
                          const QString &defaultFile) {
    ResultsHints hints{hostName, QDir::toNativeSeparators(defaultFile), {}};
    const bool option = found.source == PartsLocation::Source::Option;
    if (option || found.source == PartsLocation::Source::Environment) {
        hints.overruled = u"Used now: %1 (from %2)"_s.arg(QDir::toNativeSeparators(found.file),
                                                          option ? u"--db"_s : u"ZEL_PARTS_DB"_s);
    }
    return hints;
}

}  // namespace zelapp
