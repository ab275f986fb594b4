// What the grid and bar windows say across themselves when their values are not live: "NO UNIT"
// while the unit is lost, "DISPLAY PAUSED" while updating is off. A lost unit is the graver
// news and wins when both apply.
#pragma once

#include <QString>

namespace zelapp {

enum class DisplayBanner { None, NoUnit, Paused };

DisplayBanner displayBanner(bool unitLost, bool paused);
// The words of the banner; empty for None.
QString displayBannerText(DisplayBanner banner);

}  // namespace zelapp
