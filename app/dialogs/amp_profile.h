// The amplifier profile file (.zap): the amplifier settings of every probe as 8-bit text, one
// item per line. The calibration dialog saves and loads it; here are only the file's text, its
// safe write and a reader that judges the whole file before the dialog applies any of it.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace zelapp {

// One probe amplifier as the unit holds it.
struct AmpSettings {
    uint8_t coarse = 0;
    uint8_t ri = 0;
    int16_t fine = 0;
    int16_t null = 0;
    bool operator==(const AmpSettings &) const = default;
};

struct AmpRecord {
    int probe = 0;
    AmpSettings settings;
    bool operator==(const AmpRecord &) const = default;
};

// The whole file, lines ended in CR LF, Latin-1: the 5 header lines with "MaxLVDT=" and the
// number field of maxLvdt, one 7-line record per entry in the given order, the end line.
QByteArray ampProfileText(int maxLvdt, const std::vector<AmpRecord> &records);

// Writes through a temporary file (QSaveFile): an existing file is replaced only when the
// whole new one was written. Returns an empty text on success, else the reason (for a message).
QString writeAmpProfile(const QString &path, const QByteArray &text);

struct AmpProfileRead {
    enum class Outcome { Loaded, NotAProfile, Stopped };
    Outcome outcome = Outcome::Loaded;
    // Loaded: the records to apply in file order (records for probes above maxLvdt left out).
    std::vector<AmpRecord> records;
    // The warnings met while reading, in file order, each one message box text (lines joined
    // by "\r"). Shown before anything is applied.
    std::vector<QString> warnings;
    // NotAProfile / Stopped: the one message that ends the load (nothing is applied, no store
    // step).
    QString message;
};

// Reads a whole file's bytes (possibly empty) for a setup with maxLvdt probes. A record or
// MaxLVDT value that is not a number in range, or a file that ends inside a record or inside
// the general section, stops the load: nothing of a damaged file reaches the unit.
AmpProfileRead readAmpProfile(const QByteArray &bytes, int maxLvdt);

}  // namespace zelapp
