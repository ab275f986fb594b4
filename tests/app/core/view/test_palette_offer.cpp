// The first start's palette offer as the operator meets it: either button keeps the choice for
// the user, tells the displays, and takes the bar away; a choice made elsewhere does too.
#include <gtest/gtest.h>

#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>

#include "base/settings_store.h"
#include "core/view/palette_offer.h"
#include "model/palette_setting.h"

using namespace Qt::StringLiterals;
using zelapp::ResultPalette;

namespace {

TEST(PaletteOfferTest, EitherChoiceIsKeptAndTakesTheBarAway) {
    zelapp::MemorySettingsStore store;
    zelapp::PaletteSetting setting(store);
    QSignalSpy changed(&setting, &zelapp::PaletteSetting::changed);

    QPointer<zelapp::PaletteOffer> offer = new zelapp::PaletteOffer(setting);
    offer->show();
    offer->findChild<QPushButton *>(u"CommandPaletteSafe"_s)->click();
    EXPECT_EQ(store.value(u"Parts"_s, u"Palette"_s), u"okabe-ito"_s);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_FALSE(offer->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(offer.isNull());

    // Standard is a choice too: kept, and never offered again.
    zelapp::MemorySettingsStore fresh;
    zelapp::PaletteSetting standard(fresh);
    zelapp::PaletteOffer second(standard);
    second.findChild<QPushButton *>(u"CommandPaletteStandard"_s)->click();
    EXPECT_EQ(fresh.value(u"Parts"_s, u"Palette"_s), u"standard"_s);
    EXPECT_FALSE(standard.offerDue(u"xcb"_s));
}

TEST(PaletteOfferTest, AChoiceInTheSettingsTakesTheBarAway) {
    zelapp::MemorySettingsStore store;
    zelapp::PaletteSetting setting(store);
    QPointer<zelapp::PaletteOffer> offer = new zelapp::PaletteOffer(setting);
    offer->show();
    setting.choose(ResultPalette::OkabeIto);
    EXPECT_FALSE(offer->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(offer.isNull());
}

}  // namespace
