// The setup file writer: the whole setup as the lines of a .zel file, and the safe write of
// those lines to disk.
#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

namespace zelapp {

class Setup;

// The file text of the setup: 8-bit Latin-1, lines ending in CR LF, reals with
// `decimalSeparator`. Reads the unit-side values (scaling, zero offsets, full scales) through
// the model objects.
QByteArray setupFileText(const Setup &setup, QChar decimalSeparator);

// Writes the setup to `path`. The text goes to a temporary file in the same folder that
// replaces the old file only once it is complete and flushed, so a failed write leaves the
// old file as it was. A read-only file is not replaced. Returns false with the reason in
// `error` (when given) on any failure.
bool writeSetupFile(const QString &path, const Setup &setup, QChar decimalSeparator,
                    QString *error);

}  // namespace zelapp
