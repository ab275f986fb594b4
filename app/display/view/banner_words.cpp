#include "display/view/banner_words.h"

namespace zelapp {

void showBanner(WindowBanner &banner, DisplayBanner which) {
    const QColor colour =
        which == DisplayBanner::NoUnit ? QColor(0xc0, 0, 0) : QColor(0x20, 0x30, 0x40);
    banner.showWords(displayBannerText(which), colour);
}

}  // namespace zelapp
