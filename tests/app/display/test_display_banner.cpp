// What the display windows say across themselves when their values are not live.
#include <gtest/gtest.h>

#include "display/display_banner.h"

namespace {

TEST(DisplayBannerTest, ALostUnitWinsOverAPause) {
    using zelapp::DisplayBanner;
    const struct {
        bool lost;
        bool paused;
        DisplayBanner banner;
        const char *words;
    } cases[] = {{false, false, DisplayBanner::None, ""},
                 {false, true, DisplayBanner::Paused, "DISPLAY PAUSED"},
                 {true, false, DisplayBanner::NoUnit, "NO UNIT"},
                 {true, true, DisplayBanner::NoUnit, "NO UNIT"}};
    for (const auto &c : cases) {
        const DisplayBanner banner = zelapp::displayBanner(c.lost, c.paused);
        EXPECT_EQ(banner, c.banner) << c.lost << c.paused;
        EXPECT_EQ(zelapp::displayBannerText(banner), QString::fromLatin1(c.words));
    }
}

}  // namespace
