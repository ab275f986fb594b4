// The operator's choices for the part display, kept in the per-user settings store (section
// "Parts"), never in zelapp.ini nor in the setup: "Palette" ("standard" or "okabe-ito") and
// "Beep" ("true" or "false"), and where the result window stands.
#pragma once

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
// Written and synced at once, so that a crash later keeps the choice. The program's palette is
// chosen through PaletteSetting (model/palette_setting.h), which tells those who show it.
void writePartSettings(SettingsStore &store, const PartSettings &settings);

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
