// The messages the publisher sends, as JSON text (docs/plant.md, docs/zelmqtt-part.schema.json).
// Keys keep the documented order, and numbers are written as their shortest text: a limit of
// 0.01 reads 0.01, never 0.009999999776482582.
#pragma once

#include <QByteArray>
#include <QString>
#include <map>
#include <optional>
#include <vector>

#include "history/part_store.h"

namespace zelmqtt {

// A part as `<prefix>/<station>/part` carries it. `revision` holds the characteristics that
// judged it; `db` is the history's UUID.
QByteArray partPayload(const zelapp::StoredPart &part,
                       const std::vector<zelapp::RevisionCharacteristic> &revision,
                       const QString &db, const QString &station);

// What the retained `<prefix>/<station>/status` says; empty texts are written as null.
struct Status {
    QString version;
    QString setup;
    QString partNumber;
    QString unit = QStringLiteral("unknown");   // "communicating", "lost", "unknown"
    QString cycle = QStringLiteral("unknown");  // "READY", "MEASURING", "RESULT", "unknown"
    bool operator==(const Status &) const = default;
};
QByteArray statusPayload(const Status &status);
// The last will, and what a publisher that stops as asked leaves behind.
QByteArray offlinePayload();

// A live value: the text as the program shows it, and its number (null when it is none, as
// "DDE" before the first reading or an empty text).
QByteArray livePayload(const QString &text);
// The part cycle's items (`state`, `verdict`, `count`, `reason`, `id`) as texts in one object.
QByteArray cyclePayload(const std::map<QString, QString> &items);

// A JSON number of a double as its shortest text; null for NaN and infinities.
QByteArray jsonNumber(double value);
// A JSON string.
QByteArray jsonString(const QString &text);

}  // namespace zelmqtt
