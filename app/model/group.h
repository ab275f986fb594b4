// A named, ordered list of channel numbers that group view shows, with the places of its
// windows. Exists only in the application; nothing of it goes to the unit.
#pragma once

#include <QString>
#include <vector>

namespace zelapp {

class group {
  public:
    int Index = 0;
    QString Description;
    int Count = 0;  // maintained by AddChannel and RemoveChannel
    int WindowGridTop = 0, WindowGridLeft = 0, WindowGridHeight = 0, WindowGridWidth = 0;
    int WindowBarTop = 0, WindowBarLeft = 0, WindowBarHeight = 0, WindowBarWidth = 0;
    int WindowDialTop = 0, WindowDialLeft = 0, WindowDialHeight = 0, WindowDialWidth = 0;

    void AddChannel(int channel);
    // Removes the entry at a position of the list (not a channel number); positions outside
    // 1..Count change nothing.
    void RemoveChannel(int position);
    void SetDefaults(int n);
    // The channel number at a position 1..Count; 0 for any other position.
    int GetChannel(int position) const;

  private:
    std::vector<int> channels_;  // positions 1..Count; index 0 unused
};

}  // namespace zelapp
