#include "display/display_banner.h"

#include "base/live_value.h"

namespace zelapp {

DisplayBanner displayBanner(bool unitLost, bool paused) {
    if (unitLost) {
        return DisplayBanner::NoUnit;
    }
    return paused ? DisplayBanner::Paused : DisplayBanner::None;
}

QString displayBannerText(DisplayBanner banner) {
    switch (banner) {
        case DisplayBanner::NoUnit:
            return noUnitText();
        case DisplayBanner::Paused:
            return QStringLiteral("DISPLAY PAUSED");
        case DisplayBanner::None:
            break;
    }
    return {};
}

}  // namespace zelapp
