// The scan tick and UpdateMainDisplay: what is read from the unit, what reaches the dialogs'
// live fields, the value holders, the grid and the bars, and when.
#include <gtest/gtest.h>

#include <QString>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/scan_cycle.h"
#include "manual_clock.h"
#include "recording_ports.h"
#include "recording_windows.h"
#include "setup_fixture.h"

using namespace Qt::StringLiterals;
using zelapp::ScanCycle;

namespace {

// A running main window: updating on, no hold, "." as separator so texts do not depend on the
// machine's locale, and every channel measuring (a formula each).
struct Harness {
    zeltest::SetupFixture f;
    zeltest::RecordingWindows displays;
    // The four live-value fields, in the order the program adds them; all off at first.
    zeltest::RecordingSink mastering{zelapp::LiveValueSink::Source::Channel, 0, true};
    zeltest::RecordingSink setupChan{zelapp::LiveValueSink::Source::Channel, 0};
    zeltest::RecordingSink lvdt{zelapp::LiveValueSink::Source::Lvdt, 0};
    zeltest::RecordingSink analog{zelapp::LiveValueSink::Source::Analog, 0};
    ScanCycle scan{f.unit, f.state, f.setup, displays};
    int labelChanges = 0;

    explicit Harness(int channels = 8, int lvdts = 8, int analogs = 1)
        : f(channels, lvdts, analogs) {
        scan.setDecimalSeparator(u'.');
        for (zeltest::RecordingSink *sink : {&mastering, &setupChan, &lvdt, &analog}) {
            scan.addLiveSink(*sink);
        }
        for (int i = 1; i <= channels; ++i) {
            f.setup.channel(i)->setFormula(u"T1"_s);
        }
        f.unit.clearCalls();
        f.state.UpdateEnabled = true;
        f.state.ScanHoldCount = 0;
        QObject::connect(&f.labels, &zelapp::ChannelLabels::textChanged,
                         [this](int, const QString &) { ++labelChanges; });
    }

    void view(int viewType) {
        f.state.ViewType = viewType;
        scan.UpdateMainDisplay();
    }
    void addGroup(std::initializer_list<int> channels) {
        auto g = std::make_unique<zelapp::group>();
        g->SetDefaults(f.setup.groupCount() + 1);
        for (int ch : channels) {
            g->AddChannel(ch);
        }
        f.setup.addGroup(std::move(g));
    }
    // One tick, with the calls and displays of the ones before forgotten.
    void tick() {
        f.unit.clearCalls();
        displays.clear();
        scan.Timer1_Timer();
    }
    int reads(const char *prefix) const { return f.unit.count(prefix); }
};

// A tick that reads nothing else asks the unit this, to find out whether it still answers,
// with the library's boxes off: a refusal of it would otherwise be a box at every tick.
const std::vector<std::string> kUnitCheck{"ZelMsgBox(0)", "ZelReadChannel(1)", "ZelMsgBox(1)"};

std::vector<int> positions(const std::vector<std::pair<int, QString>> &values) {
    std::vector<int> p;
    for (const auto &v : values) {
        p.push_back(v.first);
    }
    return p;
}

// ---- Live-value fields of the dialogs ----

TEST(ScanCycleLiveFields, FedEveryTickEvenWhileMainDisplaysAreHeld) {
    for (bool updateOff : {true, false}) {
        SCOPED_TRACE(updateOff ? "UpdateEnabled False" : "ScanHoldCount 1");
        Harness h;
        h.f.state.UpdateEnabled = !updateOff;
        h.f.state.ScanHoldCount = updateOff ? 0 : 1;
        h.f.setup.channel(3)->Decimals = 2;
        h.f.unit.channelValue = {{2, 1.5f}, {3, -0.25f}};
        h.f.unit.lvdtValue[4] = 0.012f;
        h.f.unit.analogValue[1] = 0.5f;
        h.mastering.number = 2;
        h.setupChan.number = 3;
        h.lvdt.number = 4;
        h.analog.number = 1;

        h.tick();
        h.tick();

        EXPECT_EQ(h.mastering.texts, (std::vector<QString>{u" 1.50000"_s, u" 1.50000"_s}));
        EXPECT_EQ(h.mastering.readings.back(), 1.5f);
        EXPECT_EQ(h.setupChan.texts, (std::vector<QString>{u"-0.25"_s, u"-0.25"_s}));
        EXPECT_EQ(h.lvdt.texts, (std::vector<QString>{u" 0.01200"_s, u" 0.01200"_s}));
        EXPECT_EQ(h.analog.texts, (std::vector<QString>{u" 0.50000"_s, u" 0.50000"_s}));
        // Only the fields' reads: one per field, in the order they were added, with the
        // library's boxes off.
        EXPECT_EQ(h.f.unit.calls, (std::vector<std::string>{"ZelMsgBox(0)", "ZelReadChannel(2)",
                                                            "ZelReadChannel(3)", "ZelReadLvdt(4)",
                                                            "ZelReadAnalog(1)", "ZelMsgBox(1)"}));
        EXPECT_TRUE(h.displays.gridValues.empty());
        EXPECT_TRUE(h.displays.barValues.empty());
        EXPECT_EQ(h.f.labels.text(2), u"DDE"_s);
        EXPECT_EQ(h.labelChanges, 0);
    }
}

TEST(ScanCycleLiveFields, OnlyASinkThatSharesTheFormatUsesTheCache) {
    Harness h;
    h.f.state.UpdateEnabled = false;
    h.f.setup.channel(3)->Decimals = 2;
    h.setupChan.number = 3;
    h.tick();
    EXPECT_EQ(h.scan.formatBuilds(), 0);

    h.mastering.number = 3;
    h.tick();
    h.tick();
    EXPECT_EQ(h.scan.formatBuilds(), 1);
    EXPECT_EQ(h.scan.valueFormat(), u"\\ #0.00;-#0.00"_s);
}

TEST(ScanCycleLiveFields, ASinkNamingNoItemReadsNothing) {
    Harness h(4);  // 4 channels, 8 probes, 1 analog input
    h.f.state.UpdateEnabled = false;
    for (int n : {5, -1, 40000}) {
        h.mastering.number = n;
        h.setupChan.number = n;
        h.lvdt.number = n == 5 ? 9 : n;
        h.analog.number = n == 5 ? 2 : n;
        h.tick();
        EXPECT_EQ(h.f.unit.calls, kUnitCheck);
    }
    h.scan.removeLiveSink(h.lvdt);
    h.lvdt.number = 1;
    h.tick();
    EXPECT_EQ(h.f.unit.calls, kUnitCheck);
    for (auto *sink : {&h.mastering, &h.setupChan, &h.lvdt, &h.analog}) {
        EXPECT_TRUE(sink->texts.empty());
    }
}

TEST(ScanCycleLiveFields, RefusedReadShowsNoValueNotAnOldOne) {
    Harness h;
    h.f.state.UpdateEnabled = false;
    h.mastering.number = 1;
    h.f.unit.channelValue[1] = 2.5f;
    h.tick();
    h.f.unit.readResult = 10;  // a unit error: the fake leaves the value untouched
    h.tick();
    EXPECT_EQ(h.mastering.texts, (std::vector<QString>{u" 2.50000"_s, QString()}));
    EXPECT_EQ(h.mastering.readings.back(), std::nullopt);
}

// ---- Gates of the main displays ----

TEST(ScanCycleMain, HoldsAreReleasedOneByOneByUpdateMainDisplay) {
    Harness h;
    h.f.state.ScanHoldCount = 2;
    h.view(zelapp::VIEWTYPECHANNELS);
    EXPECT_EQ(h.f.state.ScanHoldCount, 1);
    h.tick();
    EXPECT_EQ(h.f.unit.calls, kUnitCheck);
    EXPECT_EQ(h.f.labels.text(1), u"DDE"_s);

    h.scan.UpdateMainDisplay();
    EXPECT_EQ(h.f.state.ScanHoldCount, 0);
    h.scan.UpdateMainDisplay();
    EXPECT_EQ(h.f.state.ScanHoldCount, 0);  // never below 0
    h.tick();
    EXPECT_EQ(h.reads("ZelReadChannel("), 8);
    EXPECT_EQ(h.f.labels.text(1), u" 0.00000"_s);
}

TEST(ScanCycleMain, UpdateEnabledFalseFeedsNoMainDisplay) {
    Harness h;
    h.addGroup({1});
    h.f.state.CurrentGroup = 1;
    for (int view = zelapp::VIEWTYPEGROUPS; view <= zelapp::VIEWTYPEANALOGS; ++view) {
        h.f.state.UpdateEnabled = true;
        h.view(view);
        h.f.state.UpdateEnabled = false;
        h.tick();
        EXPECT_EQ(h.f.unit.calls, kUnitCheck);
        EXPECT_TRUE(h.displays.gridValues.empty());
        EXPECT_TRUE(h.displays.barValues.empty());
    }
    EXPECT_EQ(h.labelChanges, 0);
}

TEST(ScanCycleMain, ExactReadsPerTickInEachView) {
    Harness h(8, 6, 2);
    h.addGroup({2, 5, 7});
    h.f.state.CurrentGroup = 1;
    struct Expect {
        int view, channelReads, lvdtReads, analogReads;
    };
    for (const Expect &e :
         {Expect{zelapp::VIEWTYPEGROUPS, 8, 0, 0}, Expect{zelapp::VIEWTYPECHANNELS, 8, 0, 0},
          Expect{zelapp::VIEWTYPELVDTS, 8, 6, 0}, Expect{zelapp::VIEWTYPEANALOGS, 8, 0, 2}}) {
        SCOPED_TRACE(e.view);
        h.view(e.view);
        for (int t = 0; t < 2; ++t) {  // unchanged values are still read
            h.tick();
            EXPECT_EQ(h.reads("ZelReadChannel("), e.channelReads);
            EXPECT_EQ(h.reads("ZelReadLvdt("), e.lvdtReads);
            EXPECT_EQ(h.reads("ZelReadAnalog("), e.analogReads);
            // and the library's boxes switched off and on again
            EXPECT_EQ(static_cast<int>(h.f.unit.calls.size()),
                      e.channelReads + e.lvdtReads + e.analogReads + 2);
        }
    }
}

TEST(ScanCycleMain, ATickThatReadsNothingElseAsksTheUnitOnce) {
    const struct {
        const char *why;
        bool update;
        int hold;
        bool formulas;
        int view;
        int liveChannel;
    } cases[] = {
        {"updating off", false, 0, true, zelapp::VIEWTYPECHANNELS, 0},
        {"displays held", true, 1, true, zelapp::VIEWTYPECHANNELS, 0},
        {"no channel defined", true, 0, false, zelapp::VIEWTYPECHANNELS, 0},
        {"no channel defined, probe view without probes", true, 0, false, zelapp::VIEWTYPELVDTS, 0},
        {"a live field reads, updating off", false, 0, true, zelapp::VIEWTYPECHANNELS, 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        Harness h(8, 0, 1);
        if (!c.formulas) {
            for (int i = 1; i <= 8; ++i) {
                h.f.setup.channel(i)->setFormula(QString());
            }
        }
        h.view(c.view);
        h.f.state.UpdateEnabled = c.update;
        h.f.state.ScanHoldCount = c.hold;
        h.setupChan.number = c.liveChannel;
        for (int t = 0; t < 2; ++t) {
            h.tick();
            if (c.liveChannel != 0) {
                EXPECT_EQ(h.f.unit.calls,
                          (std::vector<std::string>{"ZelMsgBox(0)", "ZelReadChannel(3)",
                                                    "ZelMsgBox(1)"}));
            } else {
                EXPECT_EQ(h.f.unit.calls, kUnitCheck);
            }
        }
        EXPECT_NE(h.f.labels.text(1), u" 0.00000"_s);  // the check's reading is shown nowhere
    }
}

TEST(ScanCycleMain, EveryTickTellsTheDisplaysWhetherUpdatingIsPaused) {
    Harness h;
    h.view(zelapp::VIEWTYPECHANNELS);
    h.tick();
    h.f.state.UpdateEnabled = false;
    h.tick();
    h.f.state.ScanHoldCount = 1;  // a hold is no pause
    h.f.state.UpdateEnabled = true;
    h.tick();
    h.scan.setTimerEnabled(false);  // a tick switched off does nothing at all
    h.tick();
    EXPECT_EQ(h.displays.pausedCalls, (std::vector<bool>{false, true, false}));
}

// ---- Channel view ----

TEST(ScanCycleChannels, UnchangedValueIsSentOnceAndAgainAfterUpdateMainDisplay) {
    Harness h(3);
    h.f.unit.channelValue = {{1, 0.5f}, {2, -1.5f}, {3, 0.0123f}};
    h.view(zelapp::VIEWTYPECHANNELS);

    h.tick();
    EXPECT_EQ(h.displays.gridValues,
              (std::vector<std::pair<int, QString>>{
                  {1, u" 0.50000"_s}, {2, u"-1.50000"_s}, {3, u" 0.01230"_s}}));
    EXPECT_EQ(h.displays.barValues,
              (std::vector<std::pair<int, float>>{{1, 0.5f}, {2, -1.5f}, {3, 0.0123f}}));
    EXPECT_EQ(h.f.labels.text(2), u"-1.50000"_s);

    h.tick();
    EXPECT_TRUE(h.displays.gridValues.empty());
    EXPECT_TRUE(h.displays.barValues.empty());

    h.f.unit.channelValue[2] = -1.25f;
    h.tick();
    EXPECT_EQ(h.displays.gridValues, (std::vector<std::pair<int, QString>>{{2, u"-1.25000"_s}}));
    EXPECT_EQ(h.displays.barValues, (std::vector<std::pair<int, float>>{{2, -1.25f}}));

    h.scan.UpdateMainDisplay();
    h.tick();
    EXPECT_EQ(positions(h.displays.gridValues), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(h.displays.barValues.size(), 3u);
    h.tick();
    EXPECT_TRUE(h.displays.gridValues.empty());
}

TEST(ScanCycleChannels, HoldersShowDdeUntilTheFirstReadingAndNotifyOnlyOnChange) {
    Harness h(3);
    h.f.unit.channelValue = {{1, 2.0f}, {2, 3.0f}, {3, 4.0f}};
    h.view(zelapp::VIEWTYPECHANNELS);
    EXPECT_EQ(h.f.labels.text(1), u"DDE"_s);
    EXPECT_EQ(h.f.labels.text(0), u"DDE"_s);

    h.tick();
    EXPECT_EQ(h.f.labels.text(1), u" 2.00000"_s);
    EXPECT_EQ(h.f.labels.text(3), u" 4.00000"_s);
    EXPECT_EQ(h.f.labels.text(0), u"DDE"_s);  // the design-time element is never fed
    EXPECT_EQ(h.labelChanges, 3);

    h.tick();
    EXPECT_EQ(h.labelChanges, 3);

    // Re-sent after a rebuild, but the holders' texts are the same: nobody is told.
    h.scan.UpdateMainDisplay();
    h.tick();
    EXPECT_EQ(h.labelChanges, 3);

    h.f.unit.channelValue[3] = 4.5f;
    h.tick();
    EXPECT_EQ(h.labelChanges, 4);
    EXPECT_EQ(h.f.labels.text(3), u" 4.50000"_s);
}

TEST(ScanCycleChannels, GridAndBarChecksAreReadOnEveryUse) {
    Harness h(2);
    h.f.unit.channelValue = {{1, 1.0f}, {2, 2.0f}};
    h.displays.grid = false;
    h.view(zelapp::VIEWTYPECHANNELS);
    EXPECT_EQ(h.displays.gridRebuilds, 0);
    EXPECT_EQ(h.displays.barRebuilds, 1);
    h.tick();
    EXPECT_TRUE(h.displays.gridValues.empty());
    EXPECT_EQ(h.displays.barValues.size(), 2u);
    EXPECT_EQ(h.f.labels.text(1), u" 1.00000"_s);

    h.displays.grid = true;
    h.displays.bars = false;
    h.f.unit.channelValue[2] = 2.5f;
    h.tick();
    EXPECT_EQ(h.displays.gridValues, (std::vector<std::pair<int, QString>>{{2, u" 2.50000"_s}}));
    EXPECT_TRUE(h.displays.barValues.empty());

    h.scan.UpdateMainDisplay();
    EXPECT_EQ(h.displays.gridRebuilds, 1);
    EXPECT_EQ(h.displays.barRebuilds, 1);
}

// ---- Value format ----

TEST(ScanCycleFormat, AlternatingDecimalsRebuildTheFormatOnEachSwitch) {
    Harness h(4);
    for (int i = 1; i <= 4; ++i) {
        h.f.setup.channel(i)->Decimals = i % 2 == 1 ? 3 : 5;
        h.f.unit.channelValue[i] = 1.23456f;
    }
    h.view(zelapp::VIEWTYPECHANNELS);
    h.tick();
    EXPECT_EQ(h.scan.formatBuilds(), 4);
    EXPECT_EQ(h.f.labels.text(1), u" 1.235"_s);
    EXPECT_EQ(h.f.labels.text(2), u" 1.23456"_s);
    EXPECT_EQ(h.f.labels.text(3), u" 1.235"_s);
    EXPECT_EQ(h.f.labels.text(4), u" 1.23456"_s);
    EXPECT_EQ(h.scan.valueFormat(), u"\\ #0.00000;-#0.00000"_s);

    // Unchanged values are not formatted at all.
    h.tick();
    EXPECT_EQ(h.scan.formatBuilds(), 4);

    // Same decimals everywhere: the format built last time serves every channel.
    for (int i = 1; i <= 4; ++i) {
        h.f.setup.channel(i)->Decimals = 5;
    }
    h.scan.UpdateMainDisplay();
    h.tick();
    EXPECT_EQ(h.scan.formatBuilds(), 4);
    EXPECT_EQ(h.f.labels.text(1), u" 1.23456"_s);
}

TEST(ScanCycleFormat, NegativeValueRoundingToZeroKeepsItsSign) {
    Harness h(2);
    h.f.unit.channelValue = {{1, -0.000001f}, {2, 0.000001f}};
    h.view(zelapp::VIEWTYPECHANNELS);
    h.tick();
    EXPECT_EQ(h.f.labels.text(1), u"-0.00000"_s);
    EXPECT_EQ(h.f.labels.text(2), u" 0.00000"_s);
    EXPECT_EQ(h.displays.gridValues.at(0).second, u"-0.00000"_s);
}

TEST(ScanCycleFormat, ZeroDecimalsEndWithTheSeparatorAndOddDecimalsDoNotCrash) {
    Harness h(3);
    h.scan.setDecimalSeparator(u',');
    h.f.setup.channel(1)->Decimals = 0;
    h.f.setup.channel(2)->Decimals = -3;
    h.f.setup.channel(3)->Decimals = 32767;
    h.f.unit.channelValue = {{1, 12.5f}, {2, 1.0f}, {3, 1.0f}};
    h.view(zelapp::VIEWTYPECHANNELS);
    h.tick();
    EXPECT_EQ(h.f.labels.text(1), u" 13,"_s);
    EXPECT_EQ(h.f.labels.text(2), u" 1,"_s);
    EXPECT_TRUE(h.f.labels.text(3).startsWith(u" 1,000"_s));
    EXPECT_EQ(h.scan.formatBuilds(), 3);
}

// ---- Probe and analog views ----

TEST(ScanCycleInputs, ValuesArePushedEveryTickWithFiveDecimals) {
    Harness h(2, 2, 1);
    h.f.state.Decimals = 2;
    h.f.setup.channel(1)->Decimals = 2;
    h.f.setup.channel(2)->Decimals = 2;
    h.f.unit.lvdtValue = {{1, 0.012f}, {2, -0.5f}};
    h.f.unit.channelValue[1] = 0.25f;
    h.view(zelapp::VIEWTYPELVDTS);
    for (int t = 0; t < 2; ++t) {
        h.tick();
        EXPECT_EQ(h.displays.gridValues,
                  (std::vector<std::pair<int, QString>>{{1, u" 0.01200"_s}, {2, u"-0.50000"_s}}));
        EXPECT_EQ(h.displays.barValues,
                  (std::vector<std::pair<int, float>>{{1, 0.012f}, {2, -0.5f}}));
    }
    EXPECT_EQ(h.f.labels.text(1), u" 0.25"_s);  // the holders go on in every view

    h.f.unit.analogValue[1] = 0.75f;
    h.view(zelapp::VIEWTYPEANALOGS);
    for (int t = 0; t < 2; ++t) {
        h.tick();
        EXPECT_EQ(h.displays.gridValues,
                  (std::vector<std::pair<int, QString>>{{1, u" 0.75000"_s}}));
        EXPECT_EQ(h.displays.barValues, (std::vector<std::pair<int, float>>{{1, 0.75f}}));
    }
}

// Any status but success is no reading: no value, no bar level, the unit's words as the tooltip,
// and one standing line in the notice under the buttons; never a box of the library's, which
// would stop the tick.
TEST(ScanCycleInputs, ARefusedReadShowsNoValueWithItsReasonAndIsNamedInTheNotice) {
    Harness h(2, 10, 1);  // two probes more than the unit has
    h.f.unit.refusals = {{"ZelReadLvdt(9)", 15}, {"ZelReadLvdt(10)", 15}};
    h.f.unit.lvdtValue[8] = 0.5f;
    h.lvdt.number = 9;
    h.view(zelapp::VIEWTYPELVDTS);
    for (int t = 0; t < 3; ++t) {
        h.tick();
        ASSERT_EQ(h.displays.gridValues.size(), 10u);
        EXPECT_EQ(h.displays.gridValues[7].second, u" 0.50000"_s);
        EXPECT_EQ(h.displays.gridValues[8], (std::pair<int, QString>{9, QString()}));
        EXPECT_TRUE(std::isnan(h.displays.barValues[9].second));
        EXPECT_EQ(h.displays.notes[8].second, (zelapp::ValueNote{false, u"Bad probe number"_s}));
        EXPECT_EQ(h.displays.notes[7].second, zelapp::ValueNote{});
    }
    EXPECT_EQ(h.lvdt.texts, std::vector<QString>(3, QString()));
    EXPECT_EQ(h.lvdt.readings.back(), std::nullopt);
    EXPECT_TRUE(h.f.unit.errorBoxes.empty());
    EXPECT_TRUE(h.f.unit.errorBoxesOn);
    EXPECT_EQ(h.displays.notices, (std::vector<QString>{u"Probes 9 to 10: Bad probe number"_s}));

    // The line follows the refusals: a read that succeeds leaves it, another status joins it.
    h.f.unit.refusals.erase("ZelReadLvdt(9)");
    h.tick();
    EXPECT_EQ(h.lvdt.texts.back(), u" 0.00000"_s);
    EXPECT_EQ(h.displays.notices.back(), u"Probe 10: Bad probe number"_s);
    h.f.unit.refusals["ZelReadLvdt(9)"] = 11;
    h.tick();
    h.tick();
    EXPECT_EQ(h.displays.notices.back(),
              u"Probe 9: Unknown error:0000000B\nProbe 10: Bad probe number"_s);
    EXPECT_EQ(h.displays.notices.size(), 3u);
    h.f.unit.refusals.clear();
    h.tick();
    EXPECT_EQ(h.displays.notices.back(), QString());
}

// ---- Group view ----

TEST(ScanCycleGroups, ShownChannelsAreReadOnceAndGoToTheirPositions) {
    Harness h;
    h.addGroup({1});
    h.addGroup({5, 2});
    h.f.state.CurrentGroup = 2;
    h.f.unit.channelValue = {{2, 0.2f}, {5, 0.5f}};
    h.view(zelapp::VIEWTYPEGROUPS);
    h.tick();

    const std::vector<std::string> expected = {
        "ZelMsgBox(0)",      "ZelReadChannel(1)", "ZelReadChannel(2)", "ZelReadChannel(3)",
        "ZelReadChannel(4)", "ZelReadChannel(5)", "ZelReadChannel(6)", "ZelReadChannel(7)",
        "ZelReadChannel(8)", "ZelMsgBox(1)"};
    EXPECT_EQ(h.f.unit.calls, expected);
    EXPECT_EQ(h.displays.gridValues,
              (std::vector<std::pair<int, QString>>{{1, u" 0.50000"_s}, {2, u" 0.20000"_s}}));
    EXPECT_EQ(h.displays.barValues, (std::vector<std::pair<int, float>>{{1, 0.5f}, {2, 0.2f}}));
    EXPECT_EQ(h.f.labels.text(8), u" 0.00000"_s);

    h.tick();
    EXPECT_TRUE(h.displays.gridValues.empty());
    h.f.unit.channelValue[2] = 0.3f;
    h.tick();
    EXPECT_EQ(h.displays.gridValues, (std::vector<std::pair<int, QString>>{{2, u" 0.30000"_s}}));
    EXPECT_EQ(h.f.labels.text(2), u" 0.30000"_s);
}

TEST(ScanCycleGroups, NoSuchGroupUpdatesTheHoldersOnly) {
    for (int current : {3, 0, -2}) {
        SCOPED_TRACE(current);
        Harness h;
        h.addGroup({1, 2});
        h.addGroup({3});
        h.f.state.CurrentGroup = current;
        h.f.unit.channelValue[1] = 1.0f;
        h.view(zelapp::VIEWTYPEGROUPS);
        h.tick();
        EXPECT_EQ(h.reads("ZelReadChannel("), 8);
        EXPECT_EQ(h.f.labels.text(1), u" 1.00000"_s);
        EXPECT_TRUE(h.displays.gridValues.empty());
        EXPECT_TRUE(h.displays.barValues.empty());
    }
}

TEST(ScanCycleGroups, ChannelsMissingFromTheSetupAreSkipped) {
    Harness h(4);
    h.addGroup({2, 9, 0, -1, 4});
    h.f.state.CurrentGroup = 1;
    h.view(zelapp::VIEWTYPEGROUPS);
    h.tick();
    EXPECT_EQ(h.reads("ZelReadChannel("), 4);
    EXPECT_EQ(positions(h.displays.gridValues), (std::vector<int>{1, 5}));
}

// ---- UpdateMainDisplay ----

// ---- Channels that measure nothing ----

TEST(ScanCycleUndefinedChannels, AreNotReadAndShowNoValueAnywhere) {
    Harness h(3);
    h.addGroup({3, 1});
    h.f.unit.channelValue = {{1, 1.0f}, {2, 2.0f}, {3, 3.0f}};
    h.f.setup.channel(3)->setFormula(QString());
    h.mastering.number = 3;
    h.setupChan.number = 3;
    h.view(zelapp::VIEWTYPECHANNELS);
    h.tick();
    EXPECT_EQ(h.reads("ZelReadChannel(3)"), 0);
    EXPECT_TRUE(h.f.labels.text(3).isEmpty());  // and so its live-value item
    EXPECT_EQ(h.displays.gridValues.back(), std::make_pair(3, QString()));
    EXPECT_TRUE(std::isnan(h.displays.barValues.back().second));
    EXPECT_EQ(h.mastering.texts, std::vector<QString>{QString()});
    EXPECT_EQ(h.setupChan.texts, std::vector<QString>{QString()});
    EXPECT_EQ(h.mastering.readings.back(), std::nullopt);  // no reading to master with
    h.tick();
    EXPECT_TRUE(h.displays.gridValues.empty());  // sent once, like a steady value

    h.view(zelapp::VIEWTYPEGROUPS);
    h.tick();
    EXPECT_EQ(h.displays.gridValues,
              (std::vector<std::pair<int, QString>>{{1, QString()}, {2, u" 1.00000"_s}}));
}

TEST(ScanCycleUndefinedChannels, NewSetupRebuildsTheDisplaysWithoutReleasingAHold) {
    Harness h(2);
    h.f.mainWindow.onRebuildDisplays = [&h] { h.scan.RebuildDisplays(); };
    h.f.unit.channelValue = {{1, 2.0f}, {2, 3.0f}};
    h.view(zelapp::VIEWTYPECHANNELS);
    h.tick();
    const int rebuilds = h.displays.gridRebuilds;

    h.f.state.ScanHoldCount = 1;  // a dialog's
    h.f.setup.NewSetup();
    EXPECT_EQ(h.displays.gridRebuilds, rebuilds + 1);
    EXPECT_EQ(h.f.state.ScanHoldCount, 1);
    h.f.state.ScanHoldCount = 0;
    h.f.setup.channel(1)->setFormula(u"T1"_s);
    h.tick();
    // The same steady reading as before New replaces the fresh holder's "DDE" at once.
    EXPECT_EQ(h.f.labels.text(1), u" 2.00000"_s);
    EXPECT_TRUE(h.f.labels.text(2).isEmpty());
}

TEST(ScanCycleUpdateMainDisplay, ChecksOnlyTheCurrentView) {
    Harness h;
    for (int view = zelapp::VIEWTYPEGROUPS; view <= zelapp::VIEWTYPEANALOGS; ++view) {
        SCOPED_TRACE(view);
        h.displays.checkCalls.clear();
        h.view(view);
        EXPECT_EQ(h.displays.checkCalls,
                  (std::vector<std::pair<int, bool>>{
                      {1, false}, {2, false}, {3, false}, {4, false}, {view, true}}));
    }
    h.displays.checkCalls.clear();
    h.view(7);  // no such view: all unchecked, and the tick shows only the holders
    EXPECT_EQ(h.displays.checkCalls.size(), 4u);
    h.tick();
    EXPECT_EQ(h.reads("ZelReadChannel("), 8);
    EXPECT_TRUE(h.displays.gridValues.empty());
}

TEST(ScanCycleUpdateMainDisplay, CountsChangedWithoutItAreFollowedSafely) {
    Harness h(4);
    h.addGroup({2, 6});
    h.f.state.CurrentGroup = 1;
    h.tick();  // before any UpdateMainDisplay: everything is new
    EXPECT_EQ(h.reads("ZelReadChannel("), 4);
    EXPECT_EQ(h.displays.gridValues.size(), 4u);

    h.f.setup.CreateChannels(6);
    h.f.setup.channel(5)->setFormula(u"T1"_s);
    h.f.setup.channel(6)->setFormula(u"T1"_s);
    h.f.unit.channelValue[6] = 6.0f;
    h.tick();
    EXPECT_EQ(positions(h.displays.gridValues), (std::vector<int>{5, 6}));
    EXPECT_EQ(h.f.labels.text(6), u" 6.00000"_s);

    h.f.state.ViewType = zelapp::VIEWTYPEGROUPS;  // the view changed without a rebuild
    h.tick();
    EXPECT_EQ(h.reads("ZelReadChannel("), 6);
    EXPECT_EQ(positions(h.displays.gridValues), (std::vector<int>{1, 2}));

    h.f.state.MaxChannel = 9;  // a count ahead of the collection
    h.tick();
    EXPECT_EQ(h.reads("ZelReadChannel("), 6);

    // Shrunk below a group's channel: the group's row for it is left alone.
    h.f.state.MaxChannel = 6;
    h.f.setup.CreateChannels(3);
    h.tick();
    EXPECT_EQ(h.reads("ZelReadChannel("), 3);
    EXPECT_TRUE(h.displays.gridValues.empty());
}

}  // namespace

// ---- A unit that answers late ----

namespace {
// The unit takes `answerMs` over each call, on the scan's clock.
struct SlowHarness : Harness {
    zeltest::ManualElapsedClock clock;
    qint64 answerMs = 0;
    explicit SlowHarness(int channels) : Harness(channels) {
        scan.setClock(clock);
        f.unit.onCall = [this] { clock.now += answerMs; };
        view(zelapp::VIEWTYPECHANNELS);
    }
    std::vector<int> channelsRead() const {
        std::vector<int> read;
        for (const std::string &call : f.unit.calls) {
            if (call.rfind("ZelReadChannel(", 0) == 0) {
                read.push_back(std::stoi(call.substr(15)));
            }
        }
        return read;
    }
};
}  // namespace

// The window's thread waits at most the budget plus the read under way; what was not read keeps
// its value, marked old, and is read first next time.
TEST(ScanCycleBudget, ReadsStopAtTheBudgetAndTheRestComeFirstInTheNextTick) {
    SlowHarness h(8);
    h.f.unit.channelValue = {{1, 1.0f}, {5, 5.0f}};
    h.tick();  // quick: everything read
    h.answerMs = 100;
    h.f.unit.channelValue = {{1, 1.5f}, {5, 5.5f}};
    h.tick();
    EXPECT_EQ(h.channelsRead(), (std::vector<int>{1, 2, 3}));  // at 0, 100 and 200 ms
    EXPECT_EQ(h.f.labels.text(1), u" 1.50000"_s);
    EXPECT_EQ(h.f.labels.text(5), u" 5.00000"_s);  // the old value, not a blank
    ASSERT_EQ(h.displays.notes.size(), 6u);        // 1 changed, 4..8 turned old
    EXPECT_EQ(h.displays.notes[1],
              (std::pair{4, zelapp::ValueNote{true, ScanCycle::notReadTip()}}));
    EXPECT_EQ(h.displays.gridValues[2], (std::pair{5, u" 5.00000"_s}));
    EXPECT_EQ(h.displays.barValues[2], (std::pair{5, 5.0f}));

    h.tick();
    EXPECT_EQ(h.channelsRead(), (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(h.f.labels.text(5), u" 5.50000"_s);
    h.tick();
    EXPECT_EQ(h.channelsRead(), (std::vector<int>{7, 8, 1}));
    EXPECT_TRUE(h.displays.notices.empty());  // each answer came within the budget

    // Answers each slower than the budget: one read per tick, and the notice says so.
    h.answerMs = 300;
    h.tick();
    EXPECT_EQ(h.channelsRead(), (std::vector<int>{2}));
    EXPECT_EQ(h.displays.notices, (std::vector<QString>{ScanCycle::slowText()}));
    h.tick();
    EXPECT_EQ(h.displays.notices.size(), 1u);
    h.answerMs = 0;
    h.tick();
    EXPECT_EQ(h.channelsRead().size(), 8u);
    EXPECT_EQ(h.displays.notices.back(), QString());
    EXPECT_EQ(h.displays.notes.back().second, zelapp::ValueNote{});
}

// A channel's standing note ("re-master") joins the tooltip of its value, in channel and group
// views alike, after the reason there may be for the value itself.
TEST(ScanCycleNotes, AChannelsStandingNoteJoinsItsValuesTooltip) {
    Harness h(3);
    h.scan.setChannelNotes([](int channel) { return channel == 2 ? u"re-master"_s : QString(); });
    h.f.unit.refusals["ZelReadChannel(2)"] = 11;
    h.view(zelapp::VIEWTYPECHANNELS);
    h.tick();
    ASSERT_EQ(h.displays.notes.size(), 3u);
    EXPECT_EQ(h.displays.notes[1].second.tip, u"Unknown error:0000000B\nre-master"_s);
    EXPECT_EQ(h.displays.notes[2].second.tip, QString());
    h.addGroup({2});
    h.f.state.CurrentGroup = 1;
    h.f.unit.refusals.clear();
    h.view(zelapp::VIEWTYPEGROUPS);
    h.tick();
    EXPECT_EQ(h.displays.notes, (std::vector<std::pair<int, zelapp::ValueNote>>{
                                    {1, zelapp::ValueNote{false, u"re-master"_s}}}));
}
