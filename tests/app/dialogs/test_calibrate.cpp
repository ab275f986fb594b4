// The amplifier calibration dialog without its window: the gain shown, the range read from
// the unit, what each move sends, settings beyond a bar's reach, Cancel putting the opening
// state back, the full-scale and offset boxes, the store step, the scan pause around every
// exchange, the lost unit and its return, and saving and loading amplifier profiles.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialogs/calibrate.h"
#include "file_bytes.h"
#include "model/inputs.h"
#include "session_fixture.h"
#include "special_files.h"

using namespace Qt::StringLiterals;
using zelapp::CalibrateTool;

namespace {

struct Calibrate : ::testing::Test {
    zeltest::SessionFixture f;
    CalibrateTool *tool = nullptr;
    std::vector<bool> focused;  // the boxes a refusal put the focus back into (true: full scale)
    std::vector<QString> progress;  // what the store's progress said, in order

    struct View : zelapp::CalibrateView {
        Calibrate &test;
        explicit View(Calibrate &t) : test(t) {}
        void refresh() override {}
        void storeStarted() override { test.progress.clear(); }
        void storeProgress(const QString &text) override { test.progress.push_back(text); }
        void storeEnded() override {}
        void focusBox(bool fullScale) override { test.focused.push_back(fullScale); }
    } view{*this};

    void SetUp() override {
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        tool = &f.session->dialogs().calibrate;
        tool->setView(&view);
        f.prompter.shown.clear();
    }
    // Opens the dialog on a probe whose amplifier holds these settings.
    void open(int probe, zeltest::FakeUnit::Amplifier amplifier) {
        f.fakeUnit.amplifiers[probe] = amplifier;
        ASSERT_TRUE(tool->open(probe));
        f.fakeUnit.clearCalls();
    }
    std::vector<std::string> sets() const {
        std::vector<std::string> sent;
        for (const std::string &call : f.fakeUnit.calls) {
            if (call.starts_with("ZelSet")) {
                sent.push_back(call);
            }
        }
        return sent;
    }
};

using Strings = std::vector<std::string>;

TEST(CalibrateGain, FollowsTheAmplifierFormulaInSinglePrecision) {
    const auto text = [](int coarse, int ri, int fine) {
        return QString::number(CalibrateTool::amplifierGain(coarse, ri, fine), 'g', 7);
    };
    EXPECT_EQ(text(255, 85, 0), u"3.970329"_s);
    EXPECT_EQ(text(0, 85, 0), u"1.014835"_s);
    EXPECT_EQ(text(255, 30, 0), u"9.193094"_s);
    EXPECT_EQ(text(255, 85, 100), u"4.069587"_s);
}

TEST_F(Calibrate, OpensOnTheRangeTheUnitsRiBelongsToAndSendsNothing) {
    f.fakeUnit.clearCalls();
    open(3, {200, 60, 7, -2});
    EXPECT_EQ(tool->lblProbe(), u"Probe 3"_s);
    EXPECT_EQ(tool->gainSelectIndex(), 1);  // "M Lo"
    EXPECT_FALSE(tool->riBarVisible());
    EXPECT_FALSE(tool->detailsShown());
    EXPECT_EQ(tool->dialogWidthTwips(), 4080);
    EXPECT_EQ(tool->cmdAdvancedCaption(), u"Details >>"_s);
    EXPECT_EQ(tool->lblCurrentRf(), u"200"_s);
    EXPECT_EQ(tool->lblCurrentNull(), u"-2"_s);
    EXPECT_EQ(tool->txtFullScale(), u"0.05000"_s);

    open(3, {200, 100, 0, 0});
    EXPECT_EQ(tool->gainSelectIndex(), 4);  // "Cust"
    EXPECT_TRUE(tool->riBarVisible());
    EXPECT_TRUE(tool->detailsShown());
    EXPECT_EQ(tool->dialogWidthTwips(), 6200);
    EXPECT_EQ(tool->cmdAdvancedCaption(), u"<< No Details"_s);
    EXPECT_TRUE(sets().empty());

    EXPECT_FALSE(tool->open(0));
    EXPECT_FALSE(tool->open(f.setup().lvdtCount() + 1));
}

TEST_F(Calibrate, EachMoveSendsItsSettingAndARangeSendsItsRiWithTheCoarseGainKept) {
    open(1, {200, 60, 0, 0});
    tool->cboGainSelect_Click(3);  // "Hi"
    tool->vscrGainCoarse_Change(201);
    tool->vscrGainFine_Change(-100);
    tool->vscrNull_Change(5);
    tool->cboGainSelect_Click(4);  // "Cust" keeps the Ri and shows its bar
    EXPECT_EQ(sets(), (Strings{"ZelSetLvdtGain(1, 200, 30)", "ZelSetLvdtGain(1, 201, 30)",
                               "ZelSetLvdtFine(1, -100)", "ZelSetLvdtNull(1, 5)"}));
    EXPECT_TRUE(tool->riBarVisible());
    EXPECT_EQ(tool->lblCurrentGain(),
              QString::number(CalibrateTool::amplifierGain(201, 30, -100), 'g', 7));
}

TEST_F(Calibrate, ASettingBeyondItsBarIsShownAsItIsAndNeverSentClamped) {
    open(1, {255, 85, 300, -1000});
    EXPECT_EQ(tool->barValue(CalibrateTool::GainFine), 100);
    EXPECT_EQ(tool->barValue(CalibrateTool::Null), -100);
    EXPECT_EQ(tool->lblCurrentFine(), u"300"_s);
    EXPECT_EQ(tool->lblCurrentGain(),
              QString::number(CalibrateTool::amplifierGain(255, 85, 300), 'g', 7));
    tool->vscrGainCoarse_Change(254);
    EXPECT_EQ(sets(), (Strings{"ZelSetLvdtGain(1, 254, 85)"}));
    tool->vscrGainFine_Change(99);  // the operator moved it: from now on it is the bar's
    EXPECT_EQ(f.fakeUnit.amplifiers[1].fine, 99);
    EXPECT_EQ(f.fakeUnit.amplifiers[1].null, -1000);
}

TEST_F(Calibrate, CancelAndTheCloseBoxPutBackTheOpeningStateEvenOverARefusedBox) {
    f.state().SetupModified = false;
    open(2, {10, 60, 0, 0});
    tool->vscrRi_Change(61);
    tool->vscrGainCoarse_Change(11);
    tool->vscrGainFine_Change(12);
    tool->vscrNull_Change(13);
    tool->txtFullScale_Change(u"0.5"_s);
    ASSERT_TRUE(tool->txtFullScale_LostFocus());
    EXPECT_TRUE(f.state().SetupModified);
    tool->txtOffset_Change(u"abc"_s);
    f.fakeUnit.clearCalls();

    EXPECT_TRUE(tool->Form_QueryUnload());
    EXPECT_EQ(sets(),
              (Strings{"ZelSetLvdtGain(2, 10, 60)", "ZelSetLvdtFine(2, 0)", "ZelSetLvdtNull(2, 0)",
                       "ZelSetTfsv(2, 0.0125)", "ZelSetTzero(2, 0)"}));
    EXPECT_FALSE(f.state().SetupModified);
    EXPECT_TRUE(f.prompter.shown.empty());

    f.state().SetupModified = true;  // a change made before the opening stays to be saved
    open(2, {10, 60, 0, 0});
    EXPECT_TRUE(tool->CancelButton_Click());
    EXPECT_TRUE(f.state().SetupModified);
}

TEST_F(Calibrate, TheBoxesCommitWhenLeftAndRefuseWhatTheProbeCannotTake) {
    open(1, {0, 85, 0, 0});
    tool->txtFullScale_Change(u"0.0005"_s);
    EXPECT_FALSE(tool->txtFullScale_LostFocus());
    tool->txtOffset_Change(u"x1"_s);
    EXPECT_FALSE(tool->txtOffset_LostFocus());
    EXPECT_EQ(f.prompter.texts(),
              (std::vector<QString>{u"The value \"0.0005\" in FullSc is below 0.001."_s,
                                    u"The value \"x1\" in Offset is not a number."_s}));
    EXPECT_EQ(focused, (std::vector<bool>{true, false}));
    EXPECT_TRUE(sets().empty());

    tool->txtFullScale_Change(u"0.001"_s);
    tool->txtOffset_Change(u"-0.25"_s);
    EXPECT_TRUE(tool->txtFullScale_LostFocus());
    EXPECT_TRUE(tool->txtOffset_LostFocus());
    EXPECT_EQ(tool->txtFullScale(), u"0.00100"_s);
    EXPECT_EQ(tool->txtOffset(), u"-0.25000"_s);
    EXPECT_EQ(sets(), (Strings{"ZelSetTfsv(1, 0.00025)", "ZelSetTzero(1, -0.25)"}));
    EXPECT_TRUE(tool->txtFullScale_LostFocus());  // nothing edited since: nothing sent
    EXPECT_EQ(sets().size(), 2U);
}

TEST_F(Calibrate, OKStoresAndClosesOnlyWhenTheUnitConfirms) {
    open(1, {0, 85, 0, 0});
    f.fakeUnit.saveStatus = {{0, 0}, {0, 0}};  // done at the third poll
    std::vector<bool> closable;
    f.clock.onWait = [&] {
        closable.push_back(tool->OKButtonEnabled() || tool->CancelButtonEnabled() ||
                           tool->cmdLoadEnabled() || tool->Form_QueryUnload());
    };
    EXPECT_TRUE(tool->OKButton_Click());
    EXPECT_EQ(f.clock.elapsedMs, 600);
    EXPECT_EQ(closable, (std::vector<bool>{false, false, false}));
    EXPECT_TRUE(f.prompter.shown.empty());

    const auto storeFails = [&](auto arrange) {
        open(1, {0, 85, 0, 0});
        f.clock = {};
        f.prompter.shown.clear();
        arrange();
        EXPECT_FALSE(tool->OKButton_Click());
        return f.prompter.texts();
    };
    EXPECT_EQ(storeFails([&] {
                  f.fakeUnit.saveStatus.assign(50, {0, 0});
              }),
              (std::vector<QString>{u"The unit did not confirm that the settings were stored."_s}));
    EXPECT_EQ(f.clock.waits, 50);
    EXPECT_EQ(storeFails([&] {
                  f.fakeUnit.saveStatus = {{1, 3}};
              }),
              (std::vector<QString>{u"Problem saving to ZEL '3'"_s}));
    EXPECT_EQ(storeFails([&] { f.fakeUnit.saveRefused = 1; }),
              (std::vector<QString>{u"Unable to initiate save operation"_s}));
    EXPECT_EQ(f.clock.waits, 0);
}

TEST_F(Calibrate, TheStoresProgressCountsTheSecondsWaitedOnTheClock) {
    EXPECT_EQ(CalibrateTool::storeProgressText(0), u"Storing... (0 s)"_s);
    EXPECT_EQ(CalibrateTool::storeProgressText(12), u"Storing... (12 s)"_s);

    open(1, {0, 85, 0, 0});
    f.fakeUnit.saveStatus.assign(5, {0, 0});  // done at the sixth poll, 1.2 s in
    ASSERT_TRUE(tool->OKButton_Click());
    EXPECT_EQ(f.clock.elapsedMs, 1200);
    EXPECT_EQ(progress, (std::vector<QString>{u"Storing... (0 s)"_s, u"Storing... (0 s)"_s,
                                              u"Storing... (0 s)"_s, u"Storing... (0 s)"_s,
                                              u"Storing... (0 s)"_s, u"Storing... (1 s)"_s,
                                              u"Storing... (1 s)"_s}));

    // A unit that never confirms: the last word is the whole wait.
    open(1, {0, 85, 0, 0});
    f.fakeUnit.saveStatus.assign(50, {0, 0});
    EXPECT_FALSE(tool->OKButton_Click());
    EXPECT_EQ(progress.back(), u"Storing... (10 s)"_s);
}

TEST_F(Calibrate, TheOpenDialogShowsItsProbesLiveReadingFromTheScan) {
    const auto sinks = f.session->dialogs().liveSinks();
    EXPECT_NE(std::find(sinks.begin(), sinks.end(), tool), sinks.end());
    EXPECT_EQ(tool->liveNumber(), 0);  // closed: nothing to read

    open(2, {0, 85, 0, 0});
    EXPECT_EQ(tool->liveSource(), zelapp::LiveValueSink::Source::Lvdt);
    EXPECT_EQ(tool->liveNumber(), 2);
    EXPECT_EQ(tool->lblLiveValue(), QString());  // no reading yet
    f.fakeUnit.lvdtValue[2] = 0.25f;
    f.session->scan().Timer1_Timer();
    EXPECT_EQ(tool->lblLiveValue(), u"Reading: 0.25000"_s);

    // Another probe opens without the last one's reading.
    ASSERT_TRUE(tool->CancelButton_Click());
    EXPECT_EQ(tool->liveNumber(), 0);
    open(3, {0, 85, 0, 0});
    EXPECT_EQ(tool->lblLiveValue(), QString());
}

TEST_F(Calibrate, EveryExchangeWithTheUnitRunsWithTheScanTickOff) {
    int unpaused = 0;
    f.fakeUnit.onCall = [&] { unpaused += f.session->scan().timerEnabled() ? 1 : 0; };
    open(1, {0, 85, 0, 0});
    f.clock.onWait = [&] { f.session->scan().Timer1_Timer(); };  // a tick falls due meanwhile
    tool->vscrNull_Change(4);
    tool->cboGainSelect_Click(0);
    tool->txtFullScale_Change(u"2"_s);
    tool->txtFullScale_LostFocus();
    f.fakeUnit.saveStatus = {{0, 0}};
    tool->OKButton_Click();
    f.fakeUnit.onCall = nullptr;
    EXPECT_EQ(unpaused, 0);
    EXPECT_EQ(f.fakeUnit.count("ZelReadLvdt("), 0);  // the tick read nothing
    EXPECT_TRUE(f.session->scan().timerEnabled());
}

TEST_F(Calibrate, WhileTheUnitIsLostNothingActsOnItAndTheReasonIsShown) {
    open(1, {0, 85, 0, 0});
    f.fakeUnit.reachable = false;
    float reading = 0;
    f.session->unit().ZelReadLvdt(1, &reading);  // the scan finds it lost
    EXPECT_FALSE(tool->barsEnabled());
    EXPECT_FALSE(tool->OKButtonEnabled() || tool->cmdSaveEnabled() || tool->cmdLoadEnabled());
    EXPECT_TRUE(tool->CancelButtonEnabled());
    EXPECT_FALSE(tool->unitLostText().isEmpty());
    f.fakeUnit.clearCalls();
    tool->vscrNull_Change(9);
    EXPECT_FALSE(tool->OKButton_Click());
    EXPECT_EQ(f.fakeUnit.count("Zel"), 0);

    // Opened on a probe the program never read while the unit was away: known on its return.
    tool->CancelButton_Click();
    f.fakeUnit.amplifiers[4] = {7, 50, 0, 0};
    ASSERT_TRUE(tool->open(4));
    EXPECT_TRUE(tool->lblCurrentRf().isEmpty());
    f.fakeUnit.reachable = true;
    f.session->recovery().reconnect();
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_TRUE(tool->barsEnabled());
    EXPECT_EQ(tool->lblCurrentRf(), u"7"_s);
    EXPECT_EQ(tool->gainSelectIndex(), 2);  // "M Hi"
}

TEST_F(Calibrate, TheBoxesAreOffWheneverOkIs) {
    open(1, {0, 85, 0, 0});
    EXPECT_TRUE(tool->boxesEnabled());
    tool->txtFullScale_Change(u"0.2"_s);
    f.fakeUnit.reachable = false;
    float reading = 0;
    f.session->unit().ZelReadLvdt(1, &reading);  // the scan finds it lost
    EXPECT_FALSE(tool->boxesEnabled());
    f.fakeUnit.clearCalls();
    EXPECT_TRUE(tool->txtFullScale_LostFocus());  // the edit waits for the unit
    EXPECT_EQ(f.fakeUnit.count("Zel"), 0);
    EXPECT_EQ(tool->txtFullScale(), u"0.2"_s);
    tool->CancelButton_Click();

    // Settings the unit would not give at the opening: nothing to store, nothing to type.
    f.fakeUnit.reachable = true;
    f.session->recovery().reconnect();
    ASSERT_TRUE(f.attempts.finish());
    f.fakeUnit.refusals["ZelReadLvdtGain(3)"] = 15;
    ASSERT_TRUE(tool->open(3));
    EXPECT_FALSE(tool->OKButtonEnabled());
    EXPECT_FALSE(tool->boxesEnabled());
    EXPECT_EQ(tool->unitLostText(), u"The amplifier settings of probe 3 could not be read."_s);

    bool boxesWhileStoring = true;
    f.clock.onWait = [&] { boxesWhileStoring = tool->boxesEnabled(); };
    open(1, {0, 85, 0, 0});
    EXPECT_TRUE(tool->OKButton_Click());
    EXPECT_FALSE(boxesWhileStoring);
}

TEST_F(Calibrate, TheUnitsReturnReadsTheSettingsAgainAsTheOpeningAndSaysSo) {
    open(1, {10, 85, 5, 5});
    tool->vscrGainCoarse_Change(20);
    f.fakeUnit.reachable = false;
    float reading = 0;
    f.session->unit().ZelReadLvdt(1, &reading);
    f.fakeUnit.amplifiers[1] = {128, 60, 0, 0};  // restarted with its stored settings
    f.fakeUnit.reachable = true;
    f.session->recovery().reconnect();
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_EQ(tool->lblCurrentRf(), u"128"_s);
    EXPECT_EQ(tool->lblCurrentNull(), u"0"_s);
    EXPECT_EQ(tool->gainSelectIndex(), 1);  // "M Lo"
    EXPECT_EQ(tool->unitLostText(),
              u"The ZEL-8 is communicating again: the amplifier settings "
              u"of probe 1 were read from it again."_s);
    EXPECT_TRUE(tool->boxesEnabled());
    EXPECT_EQ(f.view.statuses.size(), 1u);  // the program's own word of the return

    f.fakeUnit.clearCalls();
    EXPECT_TRUE(tool->CancelButton_Click());
    EXPECT_EQ(f.fakeUnit.count("ZelSetLvdt"), 0);
    open(1, {128, 60, 0, 0});
    EXPECT_TRUE(tool->unitLostText().isEmpty());
}

struct Profiles : Calibrate {
    QString path() const { return QDir(f.programFolder()).filePath(u"gauge.zap"_s); }
    // Loads a file holding `text` through the dialog on probe 1.
    void load(const QByteArray &text) {
        zeltest::writeBytes(path(), text);
        f.chooser.answer = path();
        f.fakeUnit.clearCalls();
        f.prompter.shown.clear();
        tool->cmdLoad_Click();
    }
};

TEST_F(Profiles, SaveWritesEveryProbeAsTheUnitHoldsItAndNothingWhenTheUnitIsGone) {
    open(1, {1, 2, -3, 4});
    const int probes = f.setup().lvdtCount();
    f.chooser.answer = path();
    tool->cmdSave_Click();
    std::vector<zelapp::AmpRecord> expected;
    for (int i = 1; i <= probes; ++i) {
        const auto a = f.fakeUnit.amplifiers[i];
        expected.push_back({i, {a.coarse, a.ri, a.fine, a.null}});
    }
    EXPECT_EQ(zeltest::readBytes(path()), zelapp::ampProfileText(probes, expected));
    ASSERT_EQ(f.chooser.saveRequests.size(), 1U);
    EXPECT_EQ(f.chooser.saveRequests[0].filter,
              u"Zel Amplifier Profile (*.zap)|*.zap|All (*.*)|*.*"_s);
    EXPECT_EQ(f.chooser.saveRequests[0].defaultExtension, u"zap"_s);
    EXPECT_EQ(tool->profilePath(), path());

    QFile::remove(path());
    f.fakeUnit.reachable = false;  // found lost by the first read
    tool->cmdSave_Click();
    EXPECT_FALSE(QFile::exists(path()));
    EXPECT_EQ(f.prompter.shown.size(), 1U);
}

TEST_F(Profiles, LoadSendsTheProbesTheSetupHasMovesTheShownBarsAndStores) {
    open(1, {0, 85, 0, 0});
    const int probes = f.setup().lvdtCount();
    std::vector<zelapp::AmpRecord> records;
    for (int i = 1; i <= probes + 2; ++i) {
        records.push_back({i, {static_cast<uint8_t>(i), 60, 300, -5}});
    }
    load(zelapp::ampProfileText(probes + 2, records));
    EXPECT_EQ(f.prompter.texts(), (std::vector<QString>{u"Number of LVDTs stored in this "
                                                        u"file,\rdiffers from current setting"_s}));
    EXPECT_EQ(f.fakeUnit.count("ZelSetLvdtGain("), probes);
    EXPECT_EQ(f.fakeUnit.count("ZelSetLvdtFine("), probes);
    EXPECT_EQ(f.fakeUnit.count("ZelSaveCalibration("), 1);
    EXPECT_EQ(f.fakeUnit.amplifiers[probes].fine, 300);  // sent whole, beyond the bar's reach
    EXPECT_EQ(tool->barValue(CalibrateTool::GainFine), 100);
    EXPECT_EQ(tool->lblCurrentRf(), u"1"_s);
    EXPECT_EQ(tool->gainSelectIndex(), 0);  // the range keeps its choice

    load({});  // an empty file still makes the unit store
    EXPECT_EQ(f.fakeUnit.count("ZelSet"), 0);
    EXPECT_EQ(f.fakeUnit.count("ZelSaveCalibration("), 1);
}

TEST_F(Profiles, AStoredLoadBecomesTheOpeningStateThatCancelKeeps) {
    const auto profile = [](int16_t fine) {
        std::vector<zelapp::AmpRecord> records;
        for (int i = 1; i <= 8; ++i) {
            records.push_back({i, {static_cast<uint8_t>(i), 60, fine, -5}});
        }
        return zelapp::ampProfileText(8, records);
    };
    open(1, {0, 85, 0, 0});
    tool->vscrNull_Change(7);
    load(profile(30));
    f.fakeUnit.clearCalls();
    EXPECT_TRUE(tool->CancelButton_Click());
    EXPECT_EQ(f.fakeUnit.count("ZelSetLvdt"), 0);
    EXPECT_EQ(f.fakeUnit.amplifiers[1].fine, 30);

    // A load the unit did not store leaves the opening state for Cancel to put back.
    open(1, {0, 85, 0, 0});
    f.fakeUnit.saveRefused = 1;
    load(profile(40));
    f.fakeUnit.clearCalls();
    EXPECT_TRUE(tool->CancelButton_Click());
    EXPECT_EQ(f.fakeUnit.count("ZelSetLvdtGain(1, 0, 85)"), 1);
    EXPECT_EQ(f.fakeUnit.amplifiers[1].fine, 0);
}

TEST_F(Profiles, ARefusedOrMissingFileSendsAndStoresNothing) {
    open(1, {0, 85, 0, 0});
    const auto refused = [&](const QByteArray &text) {
        load(text);
        EXPECT_EQ(f.fakeUnit.count("ZelSet"), 0);
        EXPECT_EQ(f.fakeUnit.count("ZelSaveCalibration("), 0);
        return f.prompter.texts();
    };
    EXPECT_EQ(
        refused("[Amplifier profile]\r\n"),
        (std::vector<QString>{u"This is not an Amplifier Profile file\r[Amplifier profile]"_s}));
    const QByteArray cut =
        "[Amplifier Profile]\r\n[ZELAPP Version 6.0]\r\n[START_AMP_PROFILE]\r\n"
        " 1 \r\n 85 \r\n";
    EXPECT_EQ(refused(cut).size(), 1U);
    QByteArray noisy = "[Amplifier Profile]\r\n[ZELAPP Version 6.0]\r\n";
    for (int i = 0; i < 12; ++i) {
        noisy += "noise\r\n";
    }
    EXPECT_EQ(refused(noisy + "[START_AMP_PROFILE]\r\n 0 \r\n").size(),
              12U);  // 10, the rest, the stop

    EXPECT_EQ(refused(QByteArray((1 << 20) + 1, ' ')),
              (std::vector<QString>{path() + u" cannot be read:\rIt is too large to be an "
                                             u"amplifier profile.\rNothing was loaded."_s}));

    QFile::remove(path());
    f.prompter.shown.clear();
    tool->cmdLoad_Click();
    EXPECT_EQ(f.prompter.texts(), (std::vector<QString>{path() + u" file not found."_s}));

    ASSERT_TRUE(zeltest::makeFifo(path()));  // opening it would wait for a writer
    f.prompter.shown.clear();
    tool->cmdLoad_Click();
    EXPECT_EQ(f.prompter.texts(), (std::vector<QString>{path() + u" is not a file."_s}));
    EXPECT_EQ(f.fakeUnit.count("ZelSet"), 0);
}

}  // namespace
