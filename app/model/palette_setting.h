// The palette the verdicts' zones are shown in (model/verdict_marks.h), one for the whole
// program: kept per user in the settings store (section "Parts", "Palette": "standard" or
// "okabe-ito"), never in zelapp.ini nor in a setup. One object holds it while the program runs
// and tells of each change, which the result window, the bars, the grid, the history's table
// and the statistics' charts follow as it happens.
#pragma once

#include <QObject>
#include <QString>

#include "model/verdict_marks.h"

namespace zelapp {

class SettingsStore;

// The stored palette; none when nothing (or a word that is none of the two) is stored.
std::optional<ResultPalette> storedPalette(const SettingsStore &store);
// Writes the palette's word (not synced).
void storePalette(SettingsStore &store, ResultPalette palette);

class PaletteSetting : public QObject {
    Q_OBJECT
  public:
    explicit PaletteSetting(SettingsStore &store);

    ResultPalette palette() const { return palette_; }
    // Whether the first start offers the choice: none is stored for this user yet, and the
    // program runs on a screen (`platform`: the GUI platform's name; never "offscreen").
    bool offerDue(const QString &platform) const;
    // Stores the choice and syncs at once, so that a crash later keeps it; tells when it changed.
    void choose(ResultPalette palette);

  signals:
    void changed(zelapp::ResultPalette palette);

  private:
    SettingsStore &store_;
    ResultPalette palette_;
};

}  // namespace zelapp
