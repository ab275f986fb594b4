// The part display's settings in the per-user store: the palette and the beep with their
// defaults, which parts beep, and the result window's place.
#include "core/part_settings.h"

#include <gtest/gtest.h>

#include "core/settings_store.h"
#include "part/operator_measure.h"
#include "session_fixture.h"

using namespace Qt::StringLiterals;
using zelapp::PartSettings;
using zelapp::ResultPalette;
using zelapp::ToleranceVerdict;

namespace {

TEST(PartSettingsTest, PaletteAndBeepReadBackAndUnknownWordsGiveTheDefaults) {
    zelapp::MemorySettingsStore store;
    EXPECT_EQ(zelapp::readPartSettings(store), (PartSettings{ResultPalette::Standard, true}));
    zelapp::writePartSettings(store, {ResultPalette::OkabeIto, false});
    EXPECT_EQ(store.value(u"Parts"_s, u"Palette"_s), u"okabe-ito"_s);
    EXPECT_EQ(store.value(u"Parts"_s, u"Beep"_s), u"false"_s);
    EXPECT_EQ(zelapp::readPartSettings(store), (PartSettings{ResultPalette::OkabeIto, false}));
    zelapp::writePartSettings(store, {});
    EXPECT_EQ(store.value(u"Parts"_s, u"Palette"_s), u"standard"_s);
    EXPECT_EQ(store.value(u"Parts"_s, u"Beep"_s), u"true"_s);
    // Case and spaces are forgiven; anything else is the default.
    store.setValue(u"Parts"_s, u"Palette"_s, u" Okabe-Ito "_s);
    store.setValue(u"Parts"_s, u"Beep"_s, u"FALSE"_s);
    EXPECT_EQ(zelapp::readPartSettings(store), (PartSettings{ResultPalette::OkabeIto, false}));
    store.setValue(u"Parts"_s, u"Palette"_s, u"rainbow"_s);
    store.setValue(u"Parts"_s, u"Beep"_s, u"0"_s);
    EXPECT_EQ(zelapp::readPartSettings(store), PartSettings{});
}

TEST(PartSettingsTest, RejectsAndNotValidPartsBeepUnlessTurnedOff) {
    zelapp::PartResult part;
    for (auto [verdict, beeps] :
         std::vector<std::pair<ToleranceVerdict, bool>>{{ToleranceVerdict::Good, false},
                                                        {ToleranceVerdict::WarningPlus, false},
                                                        {ToleranceVerdict::WarningMinus, false},
                                                        {ToleranceVerdict::RejectPlus, true},
                                                        {ToleranceVerdict::RejectMinus, true},
                                                        {ToleranceVerdict::NotValid, true}}) {
        part.verdict = verdict;
        EXPECT_EQ(zelapp::partBeeps(part, {}), beeps);
        EXPECT_FALSE(zelapp::partBeeps(part, {ResultPalette::Standard, false}));
    }
}

TEST(PartSettingsTest, TheResultWindowsPlaceReadsBackAndABrokenOneIsNone) {
    zelapp::MemorySettingsStore store;
    EXPECT_EQ(zelapp::readResultWindowPlace(store), zelapp::ResultWindowPlace{});
    const zelapp::ResultWindowPlace place{{-300, 1500, 9000, 12000},
                                          zelapp::ResultWindowShow::Maximized};
    zelapp::writeResultWindowPlace(store, place);
    EXPECT_EQ(zelapp::readResultWindowPlace(store), place);
    zelapp::writeResultWindowPlace(store, {{}, zelapp::ResultWindowShow::FullScreen});
    EXPECT_EQ(zelapp::readResultWindowPlace(store).place, place.place);  // kept
    EXPECT_EQ(zelapp::readResultWindowPlace(store).show, zelapp::ResultWindowShow::FullScreen);
    for (const QString &bad : {u"x"_s, u"40000"_s, u"0"_s, u""_s}) {
        store.setValue(u"Parts"_s, u"ResultWidth"_s, bad);
        EXPECT_EQ(zelapp::readResultWindowPlace(store).place, zelapp::WindowGeometry{})
            << bad.toStdString();
    }
}

TEST(PartSettingsTest, MeasureWithoutTheAskedIdStartsNothing) {
    zeltest::SessionFixture f;
    zelapp::PartCycle &cycle = f.session->partCycle();
    const zelapp::MeasureAttempt noId = zelapp::operatorMeasure(cycle, true, u"  "_s);
    EXPECT_FALSE(noId.started());
    EXPECT_TRUE(noId.needsId);
    EXPECT_EQ(zelapp::measureRefusedText(noId.refusal), u"Measure refused: no part ID"_s);
    EXPECT_EQ(cycle.state(), zelapp::CycleState::Ready);
    // Without identifiers the cycle decides; its refusal is said as it is.
    const zelapp::MeasureAttempt keyed = zelapp::operatorMeasure(cycle, false, {});
    EXPECT_FALSE(keyed.needsId);
    if (!keyed.started()) {
        EXPECT_EQ(zelapp::measureRefusedText(keyed.refusal),
                  u"Measure refused: "_s + keyed.refusal);
    }
}

}  // namespace
