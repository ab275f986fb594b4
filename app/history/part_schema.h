// The history file's tables (docs/parts.md describes them for other programs) and what the
// store needs around them: the fingerprint that finds a setup revision again, and the reading
// of SQLite's errors.
#pragma once

#include <QByteArray>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "history/part_store.h"

namespace zelapp {

// The statements that create a new file's tables, in order.
QStringList partSchemaStatements();
// The DFQ export queue's table and its index of the waiting entries.
QStringList dfqQueueStatements();
// The operator's events (history/part_event.h) and their index.
QStringList eventStatements();
// The column `kind` of events: "freeze", "exclude", "stage", "out", "cause".
QString eventKindText(PartEventKind kind);
std::optional<PartEventKind> eventKindOf(const QString &text);
// What brings a file of schema `fromVersion` up to PartStore::kSchemaVersion, in order.
QStringList schemaUpgradeStatements(int fromVersion);

// The column `sides` of revision_characteristics: '' both, 'upper', 'lower'.
QString sidesText(ToleranceSides sides);
ToleranceSides sidesOf(const QString &text);

// The characteristics of a part with their formulas: what judged it.
std::vector<RevisionCharacteristic> revisionOf(const PartResult &part, const SetupSnapshot &setup);
// Equal for two revisions exactly when they are the same, to the bit of every limit.
QByteArray revisionFingerprint(const std::vector<RevisionCharacteristic> &characteristics);

// SQLite's words for an error, and whether they say the file is damaged (SQLITE_CORRUPT,
// SQLITE_NOTADB) or held by another program (SQLITE_BUSY: "locked by another program").
StoreFailure storeFailure(const QSqlError &error);
// The same from SQLite's result code and its message.
StoreFailure storeFailure(int code, const QString &words);

// Runs `body` on `query` in one write transaction: committed when it returns true, rolled back
// with the query's last error as the failure when it returns false or the commit fails.
std::optional<StoreFailure> inWriteTransaction(QSqlQuery &query, const std::function<bool()> &body);

}  // namespace zelapp
