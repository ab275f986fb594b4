// The safe write of a whole file: the program's files are replaced only by a complete new one.
#pragma once

#include <QByteArray>
#include <QString>

namespace zelapp {

// Writes `bytes` to `path` through a temporary file in the same folder that replaces the old
// file only once it is complete and flushed, so a failed write leaves the old file as it was. A
// read-only file is not replaced. Returns an empty text on success, else the reason.
QString saveWholeFile(const QString &path, const QByteArray &bytes);

}  // namespace zelapp
