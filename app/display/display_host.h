// What the grid and bar windows ask of the main window: open the setup of a picked item, switch
// themselves off through the View menu, and the bars' right-click actions.
#pragma once

namespace zelapp {

class PaletteSetting;

class DisplayHost {
  public:
    virtual ~DisplayHost() = default;
    // Opens the setup dialog of the item at a 1-based position of the current view.
    virtual void GotoSetupFromView(int index) = 0;
    // The View/Numbers and View/Bar Graphs commands (a display's close box calls them).
    virtual void EnableGrid_Click() = 0;
    virtual void EnableBarGraphs_Click() = 0;
    // Right click on a bar: the link pop-up for a channel, the amplifier calibration for a
    // probe; x and y are the screen position in twips.
    virtual void ShowLinkPopupAt(int channel, float x, float y) = 0;
    virtual void ShowCalibrateAt(int lvdt, float x, float y) = 0;
    // The bar window's "Show Values", kept for the user between runs (not in any setup or
    // program file). A host that keeps nothing starts with the values hidden.
    virtual bool barValuesShown() const { return false; }
    virtual void setBarValuesShown(bool /*shown*/) {}
    // The palette the zones are coloured in, which the displays follow; none: the standard one.
    virtual PaletteSetting *paletteSetting() { return nullptr; }
};

}  // namespace zelapp
