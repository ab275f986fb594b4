#include "display/view/values_banner.h"

#include "display/display_banner.h"

namespace zelapp {

ValuesBanner::ValuesBanner(QWidget &window) : WindowBanner(window) {
    setObjectName(QStringLiteral("LabelBanner"));
}

void ValuesBanner::setUnitLost(bool lost) {
    if (lost != unitLost_) {
        unitLost_ = lost;
        showState();
    }
}

void ValuesBanner::setPaused(bool paused) {
    if (paused != paused_) {
        paused_ = paused;
        showState();
    }
}

void ValuesBanner::showState() {
    const DisplayBanner which = displayBanner(unitLost_, paused_);
    const QColor colour =
        which == DisplayBanner::NoUnit ? QColor(0xc0, 0, 0) : QColor(0x20, 0x30, 0x40);
    showWords(displayBannerText(which), colour);
}

}  // namespace zelapp
