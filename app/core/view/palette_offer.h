// The first start's offer of the palette: a bar at the top of the main window, "Colours:
// Standard | Colour-blind safe". Not a message box: it stops nothing, covers no display and is
// never lost behind another window; the operator chooses when it suits, and either choice is
// kept for the user and takes the bar away.
#pragma once

#include <QFrame>

namespace zelapp {

class PaletteSetting;

class PaletteOffer : public QFrame {
  public:
    PaletteOffer(PaletteSetting &setting, QWidget *parent = nullptr);
};

}  // namespace zelapp
