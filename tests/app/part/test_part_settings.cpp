// The part display's settings in the per-user store: the palette and the beep with their
// defaults, which parts beep, and the result window's place; the results' station and file.
#include "dfq/dfq_settings.h"
#include "history/parts_location.h"
#include "part/part_settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>

#include "base/settings_store.h"
#include "history/part_history.h"
#include "part/operator_measure.h"
#include "session_fixture.h"
#include "temp_folder.h"

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

TEST(PartSettingsTest, ResultsSettingsAreTheKeysTheToolsReadFromTheSameFile) {
    zeltest::TempFolder folder;
    const QString path = QString::fromStdString(folder.path()) + u"/zelapp/zelapp.conf"_s;
    const zelapp::ResultsSettings results{u"/data/line 3/parts.db"_s, u"Line 3, bay 2"_s};
    {
        zelapp::QSettingsStore store(path);
        EXPECT_EQ(zelapp::readResultsSettings(store), zelapp::ResultsSettings{});
        // Written trimmed, so that a blank typed by mistake is never a station of its own.
        zelapp::writeResultsSettings(store, {u" /data/line 3/parts.db "_s, u" Line 3, bay 2 "_s});
        EXPECT_EQ(zelapp::readResultsSettings(store), results);
    }
    // Synced at once: the command-line tools' reader finds it in the file as it is.
    EXPECT_EQ(zelapp::readResultsSettings(path), results);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(u"[Results]\n"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"\nDatabase=/data/line 3/parts.db\n"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"\nStation="_s)) << text.toStdString();
    // Emptied: the host name and the default file again.
    {
        zelapp::QSettingsStore store(path);
        zelapp::writeResultsSettings(store, {});
    }
    EXPECT_EQ(zelapp::readResultsSettings(path), zelapp::ResultsSettings{});
}

TEST(PartSettingsTest, DfqSettingsRoundTripThroughTheFileWithTheirDefaults) {
    zeltest::TempFolder folder;
    const QString path = QString::fromStdString(folder.path()) + u"/zelapp/zelapp.conf"_s;
    const zelapp::DfqSettings set{u"/mnt/qdas/line 3"_s, zelapp::DfqEncoding::Utf8,
                                  zelapp::DfqFiles::PerHour};
    {
        zelapp::QSettingsStore store(path);
        EXPECT_EQ(zelapp::readDfqSettings(store), zelapp::DfqSettings{});
        zelapp::DfqSettings typed = set;
        typed.folder = u" /mnt/qdas/line 3 "_s;
        zelapp::writeDfqSettings(store, typed);
        EXPECT_EQ(zelapp::readDfqSettings(store), set);
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(u"\nDfqFolder=/mnt/qdas/line 3\n"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"\nDfqEncoding=utf-8\n"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"\nDfqFiles=hour\n"_s)) << text.toStdString();

    // Words in any case; a word it does not know gives the default, never an error.
    zelapp::MemorySettingsStore memory;
    memory.setValue(u"Results"_s, u"DfqEncoding"_s, u" UTF-8 "_s);
    memory.setValue(u"Results"_s, u"DfqFiles"_s, u"Hour"_s);
    EXPECT_EQ(zelapp::readDfqSettings(memory).encoding, zelapp::DfqEncoding::Utf8);
    EXPECT_EQ(zelapp::readDfqSettings(memory).files, zelapp::DfqFiles::PerHour);
    memory.setValue(u"Results"_s, u"DfqEncoding"_s, u"latin1"_s);
    memory.setValue(u"Results"_s, u"DfqFiles"_s, u"day"_s);
    EXPECT_EQ(zelapp::readDfqSettings(memory), zelapp::DfqSettings{});
    zelapp::writeDfqSettings(memory, {});
    EXPECT_EQ(memory.value(u"Results"_s, u"DfqEncoding"_s), u"windows-1252"_s);
    EXPECT_EQ(memory.value(u"Results"_s, u"DfqFiles"_s), u"part"_s);
}

TEST(PartSettingsTest, ResultsHintsNameTheHostTheDefaultAndWhatOverrulesTheSetting) {
    zelapp::PartsLocation found{u"/run/parts.db"_s, zelapp::PartsLocation::Source::Settings,
                                u"Line 3"_s};
    EXPECT_EQ(zelapp::resultsHints(found, u"gauge-7"_s, u"/home/op/parts.db"_s),
              (zelapp::ResultsHints{u"gauge-7"_s, u"/home/op/parts.db"_s, {}}));
    found.source = zelapp::PartsLocation::Source::Default;
    EXPECT_TRUE(zelapp::resultsHints(found, {}, {}).overruled.isEmpty());
    found.source = zelapp::PartsLocation::Source::Option;
    EXPECT_EQ(zelapp::resultsHints(found, {}, {}).overruled,
              u"Used now: /run/parts.db (from --db)"_s);
    found.source = zelapp::PartsLocation::Source::Environment;
    EXPECT_EQ(zelapp::resultsHints(found, {}, {}).overruled,
              u"Used now: /run/parts.db (from ZEL_PARTS_DB)"_s);
}

TEST(PartSettingsTest, TheHistoryTakesANewStationAtReopenAndTheOptionOverTheSetting) {
    zeltest::SessionFixture f;
    zelapp::PartHistory &history = f.session->partHistory();
    const QString option = f.programFolder() + u"/parts.db"_s;
    zelapp::writeResultsSettings(f.store, {f.programFolder() + u"/other.db"_s, u"Line 3"_s});
    EXPECT_EQ(history.found().file, option);
    EXPECT_EQ(history.found().source, zelapp::PartsLocation::Source::Option);
    history.open();
    EXPECT_EQ(history.location().station, u"Line 3"_s);
    zelapp::writeResultsSettings(f.store, {{}, u"Line 4"_s});
    EXPECT_EQ(history.location().station, u"Line 3"_s);
    history.reopen();
    EXPECT_TRUE(history.isOpen());
    EXPECT_EQ(history.location().station, u"Line 4"_s);
}

TEST(PartSettingsTest, AFolderChosenAsTheHistoryIsToldOnceWhileThePartWaitsForAFile) {
    zeltest::SessionFixture f;
    const QString folder = f.programFolder() + u"/history"_s;
    ASSERT_TRUE(QDir().mkpath(folder));
    zelapp::writeResultsSettings(f.store, {folder, {}});
    // A history of its own, without the fixture's --db, so that the setting rules.
    zelapp::PartHistory history(f.session->partCycle(), f.setup(), f.prompter, f.store, {});
    history.reopen();
    EXPECT_FALSE(history.isOpen());
    ASSERT_EQ(f.prompter.notices.size(), 1u);
    EXPECT_TRUE(f.prompter.notices[0].text.contains(u"it is a folder"_s))
        << f.prompter.notices[0].text.toStdString();
    emit f.session->partCycle().partEnded(zelapp::PartResult{});
    EXPECT_EQ(history.notRecorded(), 1);
    const std::size_t told = f.prompter.notices.size();  // and that the part is not recorded
    history.retry();
    history.retry();
    EXPECT_EQ(f.prompter.notices.size(), told);
    // A file chosen: the part kept goes into it.
    zelapp::writeResultsSettings(f.store, {folder + u"/parts.db"_s, {}});
    history.reopen();
    EXPECT_TRUE(history.isOpen());
    EXPECT_EQ(history.notRecorded(), 0);
    EXPECT_EQ(history.location().file, folder + u"/parts.db"_s);
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
