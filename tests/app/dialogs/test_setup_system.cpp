// The system setup dialog without its window: the boxes as it opens, the rounding of the scan
// period and the averages with the order the unit receives them, the mended channel count, the
// question about the groups, the refused boxes, the values and counts the unit refuses, and the
// scan hold on every way out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/setup_system.h"
#include "group_list.h"
#include "setup_fixture.h"

using namespace Qt::StringLiterals;
using zelapp::PromptAnswer;
using zelapp::SystemBox;

namespace {

struct Focus : zelapp::SetupSystemView {
    std::vector<SystemBox> focused;
    void refresh() override {}
    void focusBox(SystemBox box) override { focused.push_back(box); }
};

struct Dialog {
    zeltest::SetupFixture f;
    zelapp::SetupSystemTool tool{f.dialogs};
    Focus view;

    Dialog() {
        tool.setView(&view);
        tool.Form_Load();
    }
    // The settings as the boxes were filled, and nothing sent.
    void expectNothingApplied() const {
        EXPECT_TRUE(f.unit.calls.empty());
        EXPECT_EQ(f.setup.channelCount(), 8);
        EXPECT_EQ(f.setup.lvdtCount(), 8);
        EXPECT_EQ(f.setup.analogCount(), 1);
        EXPECT_EQ(f.state.Decimals, 5);
        EXPECT_EQ(f.state.ScanTime, 100);
        EXPECT_EQ(f.state.ADCAverage, 4);
        EXPECT_EQ(f.state.RunAvg, 1);
        EXPECT_EQ(f.state.LvdtFSV, 0.05f);
        EXPECT_FALSE(f.state.SetupModified);
        EXPECT_EQ(f.mainWindow.updateMainDisplayCalls, 0);
    }
};

TEST(SetupSystemTool, OpensWithTheSettingsAndHoldsTheScan) {
    zeltest::SetupFixture f(6, 3, 2);
    f.state.ScanTime = 125;
    f.state.LvdtFSV = 0.05f;
    f.unit.port = 0;
    zelapp::SetupSystemTool tool{f.dialogs};
    tool.Form_Load();
    EXPECT_EQ(f.state.ScanHoldCount, 1);
    EXPECT_EQ(tool.text(SystemBox::Channels), u"6"_s);
    EXPECT_EQ(tool.text(SystemBox::Lvdt), u"3"_s);
    EXPECT_EQ(tool.text(SystemBox::Analog), u"2"_s);
    EXPECT_EQ(tool.text(SystemBox::ScanPeriod), u"12.5"_s);
    EXPECT_EQ(tool.text(SystemBox::LvdtFSV), u"0.05"_s);
    EXPECT_EQ(tool.TextMoxFirmware(), u"N/A"_s);
    EXPECT_EQ(tool.TextMoxPortAdr(), u"none"_s);
    f.unit.port = 2;
    f.state.ScanHoldCount = 32767;
    tool.Form_Load();
    EXPECT_EQ(tool.TextMoxPortAdr(), u"2"_s);
    EXPECT_EQ(f.state.ScanHoldCount, 32767);
    EXPECT_TRUE(f.unit.calls.empty());
}

TEST(SetupSystemTool, PeriodAndAveragesRoundHalfToEvenAndReachTheUnitInOrder) {
    struct Case {
        QString period, burst, running;
        int scanTime, adcAverage, runAverage;
    };
    for (const Case &c :
         {Case{u"10"_s, u"8"_s, u"2"_s, 100, 8, 2}, Case{u"0.25"_s, u"2.5"_s, u"3.5"_s, 2, 2, 4},
          Case{u"0.75"_s, u"1"_s, u"32767"_s, 8, 1, 32767},
          Case{u"3276.7"_s, u"0.6"_s, u"1"_s, 32767, 1, 1}}) {
        SCOPED_TRACE(c.period.toStdString());
        Dialog d;
        d.tool.editBox(SystemBox::ScanPeriod, c.period);
        d.tool.editBox(SystemBox::BurstAvg, c.burst);
        d.tool.editBox(SystemBox::RunningAvg, c.running);
        EXPECT_TRUE(d.tool.CommandOK_Click());
        const auto n = [](int v) { return std::to_string(v); };
        // The dialog reports a refusal itself: the library's boxes are off meanwhile.
        EXPECT_EQ(d.f.unit.calls, (std::vector<std::string>{
                                      "ZelMsgBox(0)", "ZelSetAdcAvg(" + n(c.adcAverage) + ")",
                                      "ZelSetRunAvg(" + n(c.runAverage) + ")",
                                      "ZelSetScanTime(" + n(c.scanTime) + ")", "ZelMsgBox(1)"}));
        EXPECT_EQ(d.f.state.ScanTime, c.scanTime);
        EXPECT_EQ(d.f.state.ADCAverage, c.adcAverage);
        EXPECT_EQ(d.f.state.RunAvg, c.runAverage);
        EXPECT_EQ(d.f.mainWindow.updateMainDisplayCalls, 1) << "which releases the hold";
        EXPECT_FALSE(d.f.state.SetupModified) << "the setup file holds none of them";
        EXPECT_TRUE(d.f.prompter.shown.empty());
    }
}

TEST(SetupSystemTool, CountsDecimalsAndFullScaleChangeTheSetup) {
    Dialog d;
    d.tool.editBox(SystemBox::Channels, u"10"_s);
    d.tool.editBox(SystemBox::Lvdt, u"0"_s);
    d.tool.editBox(SystemBox::Analog, u"255"_s);
    d.tool.editBox(SystemBox::Decimals, u"0"_s);
    d.tool.editBox(SystemBox::LvdtFSV, u"0.001"_s);
    EXPECT_TRUE(d.tool.CommandOK_Click());
    EXPECT_EQ(d.f.setup.channelCount(), 10);
    EXPECT_EQ(d.f.setup.lvdtCount(), 0);
    EXPECT_EQ(d.f.setup.analogCount(), 255);
    EXPECT_EQ(d.f.state.Decimals, 0);
    EXPECT_EQ(d.f.state.LvdtFSV, 0.001f);
    EXPECT_TRUE(d.f.state.SetupModified);
}

TEST(SetupSystemTool, FewerThanOneChannelSaysSoAndBecomesOne) {
    for (const QString &typed : {u"0"_s, u"-3"_s, u"0.5"_s}) {
        Dialog d;
        d.tool.editBox(SystemBox::Channels, typed);
        EXPECT_TRUE(d.tool.CommandOK_Click());
        EXPECT_EQ(d.f.prompter.texts(), std::vector<QString>{u"Channels must be at least 1"_s});
        EXPECT_EQ(d.tool.text(SystemBox::Channels), u"1"_s);
        EXPECT_EQ(d.f.setup.channelCount(), 1);
    }
}

TEST(SetupSystemTool, RemovingChannelsThatGroupsUseAsksFirst) {
    Dialog d;
    zeltest::addGroup(d.f.setup, {2, 6, 3});
    d.tool.editBox(SystemBox::Channels, u"4"_s);
    d.tool.editBox(SystemBox::BurstAvg, u"8"_s);
    d.f.prompter.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(d.tool.CommandOK_Click());
    ASSERT_EQ(d.f.prompter.shown.size(), 1u);
    const zeltest::ShownPrompt &q = d.f.prompter.shown[0];
    EXPECT_EQ(q.text,
              u"Some groups use channels that you are removing\r"
              u"These channels will be removed from group"_s);
    EXPECT_EQ(q.icon, zelapp::PromptIcon::Question);
    EXPECT_EQ(q.buttons, zelapp::PromptButtons::OkCancel);
    d.expectNothingApplied();
    EXPECT_EQ(zeltest::channelsOf(*d.f.setup.groupAt(1)), (std::vector<int>{2, 6, 3}));

    d.f.prompter.answers = {PromptAnswer::Ok};
    EXPECT_TRUE(d.tool.CommandOK_Click());
    EXPECT_EQ(zeltest::channelsOf(*d.f.setup.groupAt(1)), (std::vector<int>{2, 3}));
    EXPECT_EQ(d.f.setup.channelCount(), 4);
    EXPECT_EQ(d.f.state.ADCAverage, 8);
    EXPECT_TRUE(d.f.state.SetupModified);
}

// Each refusal is shown before any other message or question, and changes nothing.
TEST(SetupSystemTool, ABoxThatIsNoNumberOrOutOfRangeIsRefusedAndNothingApplied) {
    struct Case {
        SystemBox box;
        QString typed;
        QString message;
    };
    const Case cases[] = {
        {SystemBox::Channels, u"abc"_s, u"The value \"abc\" in Channels is not a number."_s},
        {SystemBox::Channels, u"256"_s,
         u"The value \"256\" in Channels is not a number from 1 to 255."_s},
        {SystemBox::Lvdt, u"-1"_s, u"The value \"-1\" in Probes is not a number from 0 to 255."_s},
        {SystemBox::Analog, u"300"_s,
         u"The value \"300\" in Analogs is not a number from 0 to 255."_s},
        {SystemBox::ScanPeriod, u""_s,
         u"The value \"\" in Scan Period (milliseconds) is not a number."_s},
        {SystemBox::ScanPeriod, u"0.05"_s,
         u"The value \"0.05\" in Scan Period (milliseconds) is not a number from 0.1 to "
         u"3276.7."_s},
        {SystemBox::ScanPeriod, u"3276.8"_s,
         u"The value \"3276.8\" in Scan Period (milliseconds) is not a number from 0.1 to "
         u"3276.7."_s},
        {SystemBox::BurstAvg, u"0.4"_s,
         u"The value \"0.4\" in Burst Average is not a number from 1 to 32767."_s},
        {SystemBox::RunningAvg, u"32768"_s,
         u"The value \"32768\" in Running Average is not a number from 1 to 32767."_s},
        {SystemBox::Decimals, u"6"_s,
         u"The value \"6\" in Default decimal places is not a number from 0 to 5."_s},
        {SystemBox::LvdtFSV, u"0.0009"_s,
         u"The value \"0.0009\" in Default LVDT Full Scale is below 0.001."_s},
        {SystemBox::LvdtFSV, u"1e39"_s,
         u"The value \"1e39\" in Default LVDT Full Scale is not a number."_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        Dialog d;
        zeltest::addGroup(d.f.setup, {6});
        d.tool.editBox(SystemBox::Channels, u"0"_s);  // would bring a message and a question
        d.tool.editBox(c.box, c.typed);
        if (c.box == SystemBox::Channels) {
            d.tool.editBox(SystemBox::RunningAvg, u"x"_s);  // a later box is not reached
        }
        EXPECT_FALSE(d.tool.CommandOK_Click());
        EXPECT_EQ(d.f.prompter.texts(), std::vector<QString>{c.message});
        EXPECT_EQ(d.view.focused, std::vector<SystemBox>{c.box});
        d.expectNothingApplied();
        EXPECT_EQ(zeltest::channelsOf(*d.f.setup.groupAt(1)), std::vector<int>{6});
    }
}

// The averages and the scan period reach the unit before anything is applied: the first it
// refuses is named, those sent before it are put back, and no other box of the OK is applied.
TEST(SetupSystemTool, AValueTheUnitRefusesIsNamedAndNothingOfTheOkIsKept) {
    struct Case {
        SystemBox box;
        std::string refused;
        std::vector<std::string> putBack;
        QString message;
    };
    const Case cases[] = {
        {SystemBox::BurstAvg,
         "ZelSetAdcAvg(300)",
         {},
         u"The unit does not take the value \"300\" in Burst Average."_s},
        {SystemBox::RunningAvg,
         "ZelSetRunAvg(300)",
         {"ZelSetAdcAvg(4)"},
         u"The unit does not take the value \"300\" in Running Average."_s},
        {SystemBox::ScanPeriod,
         "ZelSetScanTime(3000)",
         {"ZelSetAdcAvg(4)", "ZelSetRunAvg(1)"},
         u"The unit does not take the value \"300\" in Scan Period (milliseconds)."_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.refused);
        Dialog d;
        d.f.unit.refusals[c.refused] = 4;
        d.tool.editBox(SystemBox::Channels, u"10"_s);
        d.tool.editBox(SystemBox::Decimals, u"2"_s);
        d.tool.editBox(c.box, u"300"_s);
        d.f.unit.clearCalls();
        EXPECT_FALSE(d.tool.CommandOK_Click());
        EXPECT_EQ(d.f.prompter.texts(), std::vector<QString>{c.message});
        EXPECT_EQ(d.view.focused, std::vector<SystemBox>{c.box});
        EXPECT_TRUE(d.f.unit.errorBoxes.empty());
        EXPECT_TRUE(d.f.unit.errorBoxesOn);
        // Sent up to the refusal, then the earlier ones put back.
        std::vector<std::string> sent(d.f.unit.calls.end() - 1 - c.putBack.size(),
                                      d.f.unit.calls.end() - 1);
        EXPECT_EQ(sent, c.putBack);
        EXPECT_EQ(d.f.unit.calls.back(), "ZelMsgBox(1)");
        d.f.unit.clearCalls();
        d.expectNothingApplied();

        d.tool.editBox(c.box, u"3"_s);
        d.f.prompter.shown.clear();
        EXPECT_TRUE(d.tool.CommandOK_Click());
        EXPECT_TRUE(d.f.prompter.shown.empty());
        EXPECT_EQ(d.f.setup.channelCount(), 10);
        EXPECT_EQ(d.f.state.Decimals, 2);
    }
}

// A count of probes or analog inputs larger than the unit has is refused naming the highest it
// has; the inputs are tried with the library's boxes off, so that no box of its own comes up.
TEST(SetupSystemTool, MoreInputsThanTheUnitHasAreRefusedNamingItsLast) {
    struct Case {
        SystemBox box;
        QString typed;
        QString message;
    };
    for (const Case &c :
         {Case{SystemBox::Lvdt, u"10"_s, u"The unit has no probe 9: Probes can be at most 8."_s},
          Case{SystemBox::Analog, u"2"_s,
               u"The unit has no analog input 2: Analogs can be at most 1."_s}}) {
        SCOPED_TRACE(c.typed.toStdString());
        Dialog d;
        d.f.unit.refusals = {
            {"ZelReadLvdt(9)", 15}, {"ZelReadLvdt(10)", 15}, {"ZelReadAnalog(2)", 15}};
        d.tool.editBox(SystemBox::BurstAvg, u"8"_s);
        d.tool.editBox(c.box, c.typed);
        EXPECT_FALSE(d.tool.CommandOK_Click());
        EXPECT_EQ(d.f.prompter.texts(), std::vector<QString>{c.message});
        EXPECT_EQ(d.view.focused, std::vector<SystemBox>{c.box});
        EXPECT_TRUE(d.f.unit.errorBoxes.empty());
        EXPECT_EQ(d.f.unit.calls.front(), "ZelMsgBox(0)");
        EXPECT_EQ(d.f.unit.calls.back(), "ZelMsgBox(1)");
        EXPECT_EQ(d.f.unit.count("ZelSet"), 0);
        d.f.unit.clearCalls();
        d.expectNothingApplied();
    }

    // The unit's own count is taken; a smaller one asks nothing; a larger one the unit has
    // is tried input by input and taken.
    Dialog d;
    d.f.unit.refusals = {{"ZelReadLvdt(9)", 15}};
    d.tool.editBox(SystemBox::Lvdt, u"3"_s);
    ASSERT_TRUE(d.tool.CommandOK_Click());
    EXPECT_EQ(d.f.unit.count("ZelReadLvdt("), 0);
    d.tool.Form_Load();
    d.tool.editBox(SystemBox::Lvdt, u"8"_s);
    ASSERT_TRUE(d.tool.CommandOK_Click());
    EXPECT_EQ(d.f.unit.count("ZelReadLvdt("), 8);
    EXPECT_EQ(d.f.setup.lvdtCount(), 8);
    EXPECT_TRUE(d.f.prompter.shown.empty());

    // A unit that does not answer cannot say: the count is taken, as every setting is then.
    d.tool.Form_Load();
    d.f.unit.readResult = zelapp::kUnitNotCommunicating;
    d.tool.editBox(SystemBox::Lvdt, u"12"_s);
    EXPECT_TRUE(d.tool.CommandOK_Click());
    EXPECT_EQ(d.f.setup.lvdtCount(), 12);
}

TEST(SetupSystemTool, ClosingWithoutOkReleasesTheHoldAndAppliesNothing) {
    Dialog d;
    d.tool.editBox(SystemBox::Channels, u"2"_s);
    d.tool.editBox(SystemBox::ScanPeriod, u"20"_s);
    EXPECT_EQ(d.f.state.ScanHoldCount, 1);
    EXPECT_TRUE(d.tool.Form_QueryUnload());
    EXPECT_EQ(d.f.state.ScanHoldCount, 0);
    d.expectNothingApplied();
    EXPECT_TRUE(d.tool.Form_QueryUnload());
    EXPECT_EQ(d.f.state.ScanHoldCount, 0) << "never below 0";
}

}  // namespace
