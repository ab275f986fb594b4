#include "zelmqtt_settings.h"

#include <QFile>
#include <QFileInfo>

#include "history/parts_location.h"

namespace zelmqtt {

bool resolveSettings(const Options &options, Settings *settings, QString *error) {
    const zelapp::PartsLocation location =
        zelapp::findPartsLocation(options.db, zelapp::defaultSettingsFile());
    settings->options = options;
    settings->dbFile = location.file;
    settings->station = options.station.isEmpty() ? location.station : options.station;
    if (const QString problem = topicLevelProblem(settings->station); !problem.isEmpty()) {
        *error = QStringLiteral("the station \"%1\" %2; give one with --station")
                     .arg(settings->station, problem);
        return false;
    }
    settings->clientId =
        options.clientId.isEmpty() ? QStringLiteral("zel8-") + settings->station : options.clientId;
    // One state per history and client, so that two publishers to two brokers keep their own.
    settings->stateFile = options.stateFile.isEmpty()
                              ? settings->dbFile + QStringLiteral(".") + settings->clientId +
                                    QStringLiteral(".mqtt-state")
                              : options.stateFile;
    if (!options.passwordFile.isEmpty()) {
        QFile file(options.passwordFile);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read the password file %1: %2")
                         .arg(options.passwordFile, file.errorString());
            return false;
        }
        settings->password = QString::fromUtf8(file.readLine(4096)).remove(QLatin1Char('\n'));
        settings->password.remove(QLatin1Char('\r'));
    }
    for (const QString &file : {options.caFile, options.certFile, options.keyFile}) {
        if (!file.isEmpty() && !QFileInfo(file).isReadable()) {
            *error = QStringLiteral("cannot read %1").arg(file);
            return false;
        }
    }
    return true;
}

}  // namespace zelmqtt
