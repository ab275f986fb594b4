// The operator's choices for the part display, kept in the per-user settings store (section
// "Parts"), never in zelapp.ini nor in the setup: "Palette" ("standard" or "okabe-ito") and
// "Beep" ("true" or "false"), and where the result window stands; and the results' own (section
// "Results"): the station that writes the parts and the history file.
#pragma once

#include "dfq/dfq_settings.h"
#include "history/parts_location.h"
#include "model/part_result.h"
#include "part/result_board.h"
#include "setup/window_geometry.h"

namespace zelapp {

class SettingsStore;

struct PartSettings {
    ResultPalette palette = ResultPalette::Standard;
    bool beep = true;  // a reject or a Not valid part beeps
    bool operator==(const PartSettings &) const = default;
};

// A stored value that is none of the words gives the default.
PartSettings readPartSettings(const SettingsStore &store);
// Written and synced at once, so that a crash later keeps the choice.
void writePartSettings(SettingsStore &store, const PartSettings &settings);

// "Station" and "Database" of section "Results", the keys the command-line tools read from the
// same file (history/parts_location.h); empty: the host name, the default file. Written trimmed
// and synced at once.
ResultsSettings readResultsSettings(const SettingsStore &store);
void writeResultsSettings(SettingsStore &store, const ResultsSettings &settings);

// The DFQ export's "DfqFolder", "DfqEncoding" and "DfqFiles" of section "Results"
// (dfq/dfq_settings.h), read as readDfqSettings(file) reads them from the file; a word that is
// none of those it knows gives the default. Written (the folder trimmed) and synced at once, so
// that zelparts finds them.
DfqSettings readDfqSettings(const SettingsStore &store);
void writeDfqSettings(SettingsStore &store, const DfqSettings &settings);

// What the Results group shows beside the two boxes.
struct ResultsHints {
    QString station;   // the placeholder of an empty Station: the host name
    QString database;  // the placeholder of an empty Database: the default file
    // "Used now: <file> (from --db)" when the command line or the environment overrules the
    // setting; empty otherwise.
    QString overruled;
    bool operator==(const ResultsHints &) const = default;
};
// `found` is where the rule finds the history now.
ResultsHints resultsHints(const PartsLocation &found, const QString &hostName,
                          const QString &defaultFile);

// Whether a part ending so beeps: a reject or a Not valid one, while the setting allows.
bool partBeeps(const PartResult &part, const PartSettings &settings);

// How the result window was last shown.
enum class ResultWindowShow { Normal, Maximized, FullScreen };

// The result window's place in twips ("ResultTop", "ResultLeft", "ResultHeight",
// "ResultWidth"; a Height of 0: never placed) and how it was shown ("ResultShow": "normal",
// "maximized" or "fullscreen"). A place with a value that is not a whole number in 16 bits, or
// without a positive size, is none.
struct ResultWindowPlace {
    WindowGeometry place;
    ResultWindowShow show = ResultWindowShow::Normal;
    bool operator==(const ResultWindowPlace &) const = default;
};
ResultWindowPlace readResultWindowPlace(const SettingsStore &store);
void writeResultWindowPlace(SettingsStore &store, const ResultWindowPlace &place);

}  // namespace zelapp
