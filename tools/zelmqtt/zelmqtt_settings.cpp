#include "zelmqtt_settings.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>

#include "history/parts_location.h"

namespace zelmqtt {

namespace {

// A secret of the user's own that others may read is refused, as ssh refuses such a private
// key; one that belongs to another user (a service's, given to this one by its group) is theirs
// to guard.
QString exposedSecret(const QString &file) {
    struct stat info {};
    if (file.isEmpty() || ::stat(QFile::encodeName(file).constData(), &info) != 0) {
        return {};  // what cannot be read is told when it is read
    }
    if (info.st_uid == ::geteuid() && (info.st_mode & (S_IRGRP | S_IROTH)) != 0) {
        return QStringLiteral("%1 is readable by other users; chmod 600 it").arg(file);
    }
    return {};
}

}  // namespace

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
    for (const QString &secret : {options.passwordFile, options.keyFile}) {
        if (const QString problem = exposedSecret(secret); !problem.isEmpty()) {
            *error = problem;
            return false;
        }
    }
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

QString missingHistory(const Settings &settings) {
    if (settings.options.db.isEmpty() || settings.options.waitForDb ||
        QFileInfo(settings.dbFile).isFile()) {
        return {};
    }
    return QStringLiteral("no parts history at %1").arg(settings.dbFile);
}

QStringList startWarnings(const Settings &settings) {
    QStringList warnings;
    if (!settings.options.user.isEmpty() && !settings.options.passwordFile.isEmpty() &&
        settings.options.broker.startsWith(QStringLiteral("tcp://"))) {
        warnings << QStringLiteral(
                        "the password of %1 goes to %2 unencrypted; use ssl:// to "
                        "protect it")
                        .arg(settings.options.user, settings.options.broker);
    }
    return warnings;
}

}  // namespace zelmqtt
