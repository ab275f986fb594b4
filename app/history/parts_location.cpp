#include "history/parts_location.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>

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

ResultsSettings readResultsSettings(const QString &settingsFile) {
    if (settingsFile.isEmpty() || !QFileInfo::exists(settingsFile)) {
        return {};
    }
    const QSettings settings(settingsFile, QSettings::IniFormat);
    return {settings.value(QStringLiteral("Results/Database")).toString().trimmed(),
            settings.value(QStringLiteral("Results/Station")).toString().trimmed()};
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

}  // namespace zelapp
