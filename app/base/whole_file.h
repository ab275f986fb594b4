// The program's files are read and written whole: read at once before any of it is used, and
// replaced only by a complete new one.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace zelapp {

// Writes `bytes` to `path` through a temporary file in the same folder that replaces the old
// file only once it is complete and flushed, so a failed write leaves the old file as it was. A
// read-only file is not replaced. Returns an empty text on success, else the reason.
QString saveWholeFile(const QString &path, const QByteArray &bytes);

// The bytes of the file at `path`; nothing, with the reason in `reason`, when it cannot be
// opened or read to its end.
std::optional<QByteArray> readWholeFile(const QString &path, QString *reason);

}  // namespace zelapp
