// The DFQ export's settings, kept in section "Results" of the per-user settings file beside the
// history's: "DfqFolder" (empty: off), "DfqEncoding" ("windows-1252" or "utf-8") and
// "DfqFiles" ("part": one file per part, "hour": one file per hour). A part program's
// "DfqFolder" overrides the folder. Qt Core only, so that zelparts reads the same; the keys have
// this one reader and writer.
#pragma once

#include <QString>

#include "dfq/dfq_file.h"

namespace zelapp {

class SettingsStore;

enum class DfqFiles {
    PerPart,
    PerHour,
};

struct DfqSettings {
    QString folder;
    DfqEncoding encoding = DfqEncoding::Windows1252;
    DfqFiles files = DfqFiles::PerPart;
    bool operator==(const DfqSettings &) const = default;
};

// Reads section "Results" of an INI file; a missing file or a word that is none of the above
// gives the default.
DfqSettings readDfqSettings(const QString &settingsFile);
// The same keys through the program's settings store. Written (the folder trimmed) and synced at
// once, so that zelparts finds them.
DfqSettings readDfqSettings(const SettingsStore &store);
void writeDfqSettings(SettingsStore &store, const DfqSettings &settings);

}  // namespace zelapp
