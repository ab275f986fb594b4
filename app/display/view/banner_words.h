// The display windows' banner for the state of their values, as both windows show it.
#pragma once

#include "display/display_banner.h"
#include "view/window_banner.h"

namespace zelapp {

// "NO UNIT" in red, "DISPLAY PAUSED" in dark slate; the words carry the meaning, the colour
// only helps. None hides the banner.
void showBanner(WindowBanner &banner, DisplayBanner which);

}  // namespace zelapp
