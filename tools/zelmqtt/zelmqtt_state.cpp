#include "zelmqtt_state.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include "base/private_folder.h"

namespace zelmqtt {

namespace {
const QString kDbKey = QStringLiteral("db");
const QString kLastKey = QStringLiteral("last_acked");
}  // namespace

std::optional<PublishState> readPublishState(const QString &file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    // A state file is a few dozen bytes; anything large is not ours.
    const QJsonDocument document = QJsonDocument::fromJson(in.read(4096));
    const QJsonObject object = document.object();
    if (!object.value(kDbKey).isString() || !object.value(kLastKey).isDouble()) {
        return std::nullopt;
    }
    const double last = object.value(kLastKey).toDouble();
    if (last < 0 || last > 9007199254740992.0 || last != qint64(last)) {
        return std::nullopt;
    }
    return PublishState{object.value(kDbKey).toString(), qint64(last)};
}

bool writePublishState(const QString &file, const PublishState &state, QString *error) {
    zelapp::makePrivateFolder(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    QJsonObject object;
    object.insert(kDbKey, state.db);
    object.insert(kLastKey, double(state.lastAcked));
    if (!out.open(QIODevice::WriteOnly) ||
        !out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        out.write(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n') < 0 ||
        !out.commit()) {
        *error = out.errorString();
        return false;
    }
    return true;
}

qint64 firstToPublish(const std::optional<PublishState> &state, const QString &uuid) {
    return state && state->db == uuid ? state->lastAcked + 1 : 1;
}

}  // namespace zelmqtt
