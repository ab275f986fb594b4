// The program's one palette: read from the per-user store, chosen through its owner, which
// stores it at once and tells of a change once.
#include "model/palette_setting.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <string>

#include "base/settings_store.h"

using namespace Qt::StringLiterals;
using zelapp::ResultPalette;

namespace {

TEST(PaletteSettingTest, StoredWordsReadBackAndAChangeIsToldOnce) {
    zelapp::MemorySettingsStore store;
    EXPECT_EQ(zelapp::storedPalette(store), std::nullopt);
    store.setValue(u"Parts"_s, u"Palette"_s, u" Okabe-Ito "_s);
    EXPECT_EQ(zelapp::storedPalette(store), ResultPalette::OkabeIto);
    store.setValue(u"Parts"_s, u"Palette"_s, u"sepia"_s);
    EXPECT_EQ(zelapp::storedPalette(store), std::nullopt) << "an unknown word is no choice";

    zelapp::PaletteSetting setting(store);
    EXPECT_EQ(setting.palette(), ResultPalette::Standard);
    QSignalSpy changed(&setting, &zelapp::PaletteSetting::changed);
    setting.choose(ResultPalette::Standard);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(store.value(u"Parts"_s, u"Palette"_s), u"standard"_s) << "the choice is kept";
    setting.choose(ResultPalette::OkabeIto);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<ResultPalette>(), ResultPalette::OkabeIto);
    EXPECT_EQ(zelapp::PaletteSetting(store).palette(), ResultPalette::OkabeIto);
}

// The first start offers the palette on a screen while nothing is stored for the user.
struct OfferCase {
    const char *name;
    const char16_t *stored;  // nullptr: nothing
    const char16_t *platform;
    bool offered;
};

class PaletteOffer : public ::testing::TestWithParam<OfferCase> {};

TEST_P(PaletteOffer, OnlyWhileNoneIsStoredAndNeverOffscreen) {
    const OfferCase &c = GetParam();
    zelapp::MemorySettingsStore store;
    if (c.stored != nullptr) {
        store.setValue(u"Parts"_s, u"Palette"_s, QString::fromUtf16(c.stored));
    }
    zelapp::PaletteSetting setting(store);
    EXPECT_EQ(setting.offerDue(QString::fromUtf16(c.platform)), c.offered);
    setting.choose(ResultPalette::Standard);
    EXPECT_FALSE(setting.offerDue(QString::fromUtf16(c.platform))) << "asked once";
}

const OfferCase kOfferCases[] = {
    {"FirstStart", nullptr, u"xcb", true},
    {"FirstStartOnWindows", nullptr, u"windows", true},
    {"Offscreen", nullptr, u"offscreen", false},
    {"StandardChosen", u"standard", u"xcb", false},
    {"SafeChosen", u"okabe-ito", u"wayland", false},
    // A word that is no palette was no choice.
    {"UnknownWord", u"sepia", u"xcb", true},
};
INSTANTIATE_TEST_SUITE_P(PaletteSettingTest, PaletteOffer, ::testing::ValuesIn(kOfferCases),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
