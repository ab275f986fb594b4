// The history file's tables (docs/parts.md describes them for other programs) and what the
// store needs around them: the fingerprint that finds a setup revision again.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <optional>
#include <vector>

#include "history/part_event.h"
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

}  // namespace zelapp
