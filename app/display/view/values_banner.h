// What a display window says across itself while its values are not live: "NO UNIT" in red
// while the unit is lost, "DISPLAY PAUSED" in dark slate while updating is off. A lost unit is
// the graver news and wins when both apply; the words carry the meaning, the colour only helps.
#pragma once

#include <QString>

#include "view/window_banner.h"

namespace zelapp {

class ValuesBanner : public WindowBanner {
  public:
    // A hidden banner over `window`, its parent, named "LabelBanner".
    explicit ValuesBanner(QWidget &window);

    void setUnitLost(bool lost);
    bool unitLost() const { return unitLost_; }
    void setPaused(bool paused);
    bool paused() const { return paused_; }
    // The words across the window; empty when there are none.
    QString shownText() const { return isHidden() ? QString() : text(); }

  private:
    void showState();

    bool unitLost_ = false;
    bool paused_ = false;
};

}  // namespace zelapp
