// The part file beside a setup (shaft.zel -> shaft.zpart): what the program keeps about the
// part the setup gauges, apart from the setup file, which stays as it is. An INI-style text;
// this file knows its "[Mastered]" section: "C<n>=" the time channel n was last mastered
// (ISO 8601 with its offset) and "Interval=" the hours after which mastering is due. Every other
// section and line of the file belongs to others and is written back byte for byte.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <map>
#include <optional>

namespace zelapp {

struct PartMastering {
    std::map<int, QDateTime> mastered;    // channel -> when it was last mastered
    std::optional<double> intervalHours;  // none: mastering is never due

    bool operator==(const PartMastering &) const = default;
};

// "<folder>/<base name>.zpart" for a setup at "<folder>/<base name>.zel". A setup kept unsaved
// ("shaft.zel.unsaved", core/unsaved_setup.h) goes with its setup's part file ("shaft.zpart"):
// opened and saved under the setup's name, it keeps its mastering times and part program.
QString partFilePath(const QString &setupPath);

// Where a setup that could not be saved is kept: "<setup path>.unsaved"; a kept setup is kept
// where it is.
QString unsavedSetupPath(const QString &setupPath);

// The "[Mastered]" section of a part file's text (lines ending in CR LF, LF or CR). Lines not
// understood (a bad time, a bad channel number, a bad or non-positive interval) are passed over.
PartMastering parsePartMastering(const QByteArray &bytes);

// `existing` with its "[Mastered]" section replaced by `mastering`: the section stays where it
// was (appended when there is none), lines of it that are not ours stay in it, and every other
// byte of the file is kept. New lines end in CR LF.
QByteArray mergePartMastering(const QByteArray &existing, const PartMastering &mastering);

// The bytes of the part file of a setup: empty when there is none; when it is there but cannot
// be read (a folder, too large, unreadable), empty with the reason in `error`.
struct PartFileBytes {
    QByteArray bytes;
    QString error;
    bool exists = false;
};
PartFileBytes readPartFile(const QString &setupPath);

// Replaces the part file of a setup, through a temporary file, by what `merge` makes of its
// bytes (empty when it is missing; a missing file stays missing when nothing is to be kept in
// it). A file there that cannot be read is left alone. An empty text on success, else the
// reason.
QString updatePartFile(const QString &setupPath,
                       const std::function<QByteArray(const QByteArray &)> &merge);

// Reads the part file of a setup; a missing file gives nothing mastered, as does one that cannot
// be read (its reason in `error` then).
PartMastering readPartMastering(const QString &setupPath, QString *error = nullptr);

// Writes the "[Mastered]" section into the part file of a setup, creating the file when it is
// missing, through a temporary file. An empty text on success, else the reason.
QString writePartMastering(const QString &setupPath, const PartMastering &mastering);

}  // namespace zelapp
