// The channel setup dialog without its window: filling from a channel, stepping with its wrap,
// the decimals spin, the question before leaving an edited channel, what programming sends to
// the unit and in which order, boxes that do not hold a number, and the live value.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/setup_chan.h"
#include "model/channel.h"
#include "session_fixture.h"
#include "setup/setup_writer.h"
#include "setup_fixture.h"

using namespace Qt::StringLiterals;
using zelapp::ChanBox;
using zelapp::PromptAnswer;

namespace {

struct Focus : zelapp::SetupChanView {
    std::vector<ChanBox> focused;
    void refresh() override {}
    void showLiveText(const QString &) override {}
    void focusBox(ChanBox box) override { focused.push_back(box); }
};

struct Dialog {
    zeltest::SetupFixture f;
    zelapp::SetupChanTool tool{f.dialogs};
    Focus view;

    explicit Dialog(int channels = 8) : f(channels) {
        tool.setView(&view);
        tool.Form_Load();
        tool.Form_Activate();
        f.unit.clearCalls();
    }
    // Opens the dialog on a channel as a pick from a display does.
    void show(int channel) {
        tool.SetCurrentChannel(channel);
        f.unit.clearCalls();
    }
};

TEST(SetupChanTool, OpensOnChannelOneAndFillsTheBoxesFromTheChannel) {
    zeltest::SetupFixture f;
    zelapp::Channel &c = *f.setup.channel(1);
    c.setFormula(u"T1-T2"_s);
    c.Description = u"Bore"_s;
    c.Decimals = 3;
    c.UseTwoMasters = true;
    c.Master2 = -1.5f;
    c.setScaling(2.0f);
    zelapp::SetupChanTool tool{f.dialogs};
    tool.Form_Load();
    EXPECT_EQ(tool.TextCurrentChannel(), u"1"_s);
    EXPECT_EQ(tool.text(ChanBox::Formula), u"T1-T2"_s);
    EXPECT_EQ(tool.text(ChanBox::Decimals), u"3"_s);
    EXPECT_EQ(tool.text(ChanBox::Master2), u"-1.500"_s);
    EXPECT_EQ(tool.text(ChanBox::Scaling), u" 2.000"_s);
    EXPECT_TRUE(tool.master2Enabled());
    EXPECT_TRUE(tool.boxesEnabled());
    EXPECT_FALSE(tool.modified());

    zeltest::SetupFixture none(0);
    zelapp::SetupChanTool empty{none.dialogs};
    empty.Form_Load();
    EXPECT_FALSE(empty.boxesEnabled());
    EXPECT_EQ(empty.GetCurrentChannel(), 0);
    empty.CommandNext_Click();
    EXPECT_FALSE(empty.ProgramChannel());
    EXPECT_EQ(none.unit.count("ZelDefineChannel("), 0);
}

TEST(SetupChanTool, StepsWrapAtBothEndsAndTheDecimalsSpinStopsAtZeroAndFive) {
    Dialog d;
    d.show(8);
    d.tool.CommandNext_Click();
    EXPECT_EQ(d.tool.GetCurrentChannel(), 1);
    d.tool.SpinButtonChannel_SpinDown();
    EXPECT_EQ(d.tool.GetCurrentChannel(), 8);

    d.f.setup.channel(8)->Decimals = 4;
    d.show(8);
    d.tool.SpinButtonDecimals_SpinUp();
    d.tool.SpinButtonDecimals_SpinUp();
    EXPECT_EQ(d.tool.text(ChanBox::Decimals), u"5"_s);
    for (int i = 0; i < 7; ++i) {
        d.tool.SpinButtonDecimals_SpinDown();
    }
    EXPECT_EQ(d.tool.text(ChanBox::Decimals), u"0"_s);
    EXPECT_TRUE(d.tool.modified());
}

TEST(SetupChanTool, LeavingAnEditedChannelAsksAndEachAnswerDoesItsPart) {
    Dialog d;
    d.f.setup.channel(2)->Description = u"Bore"_s;
    d.show(2);
    d.tool.editBox(ChanBox::Formula, u"T3"_s);

    d.f.prompter.answers = {PromptAnswer::Cancel};
    d.tool.CommandNext_Click();
    ASSERT_EQ(d.f.prompter.shown.size(), 1u);
    EXPECT_EQ(d.f.prompter.shown[0].text, u"Channel 2 has been modified\rSave changes"_s);
    EXPECT_EQ(d.f.prompter.shown[0].title, u"Bore"_s);
    EXPECT_EQ(d.f.prompter.shown[0].buttons, zelapp::PromptButtons::YesNoCancel);
    EXPECT_EQ(d.tool.GetCurrentChannel(), 2);
    EXPECT_EQ(d.tool.text(ChanBox::Formula), u"T3"_s);

    d.f.prompter.answers = {PromptAnswer::No};
    d.tool.CommandNext_Click();
    EXPECT_EQ(d.tool.GetCurrentChannel(), 3);
    EXPECT_TRUE(d.f.setup.channel(2)->Formula().isEmpty());

    d.tool.editBox(ChanBox::Formula, u"T4"_s);
    d.f.prompter.answers = {PromptAnswer::Yes};
    d.tool.CommandPrev_Click();
    EXPECT_EQ(d.f.setup.channel(3)->Formula(), u"T4"_s);
    EXPECT_EQ(d.tool.GetCurrentChannel(), 2);
    EXPECT_TRUE(d.f.state.SetupModified);

    // Closing asks the same; Cancel keeps the dialog open.
    d.tool.editBox(ChanBox::Description, u"x"_s);
    d.f.prompter.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(d.tool.Form_QueryUnload());
}

TEST(SetupChanTool, ProgramSendsEditedValuesInOrderAndKeepsUntouchedOnesExact) {
    Dialog d;
    d.f.setup.channel(4)->setScaling(0.000123f);
    d.f.setup.channel(4)->HiTol = 0.0000126f;
    d.show(4);
    EXPECT_EQ(d.tool.text(ChanBox::Scaling), u" 0.00012"_s);

    // Only the description edited: nothing goes to the unit (a formula sent again would clear
    // the channel's minimum and maximum), and the rounded texts do not replace the exact values.
    d.tool.editBox(ChanBox::Description, u"Taper"_s);
    d.tool.CommandProgram_Click();
    EXPECT_TRUE(d.f.unit.calls.empty());
    EXPECT_FLOAT_EQ(d.f.setup.channel(4)->Scaling(), 0.000123f);
    EXPECT_FLOAT_EQ(d.f.setup.channel(4)->HiTol, 0.0000126f);
    EXPECT_EQ(d.f.setup.channel(4)->Description, u"Taper"_s);
    EXPECT_TRUE(d.f.setup.channel(4)->InUse);
    EXPECT_FALSE(d.tool.modified());

    d.f.unit.clearCalls();
    d.tool.editBox(ChanBox::Zero, u"0.5"_s);
    d.tool.editBox(ChanBox::Scaling, u"2"_s);
    d.tool.editBox(ChanBox::Formula, u"T1+T2"_s);
    d.tool.editBox(ChanBox::Decimals, u"3"_s);
    d.tool.CheckUse2Masters_Click(false);
    d.tool.editBox(ChanBox::Master2, u"1.25"_s);
    d.tool.CommandProgram_Click();
    EXPECT_EQ(d.f.unit.calls,
              (std::vector<std::string>{"ZelDefineChannel(4, T1+T2)", "ZelSetCscale(4, 2)",
                                        "ZelSetCzero(4, 0.5)"}));
    EXPECT_EQ(d.f.setup.channel(4)->Decimals, 3);
    EXPECT_FALSE(d.f.setup.channel(4)->UseTwoMasters);
    EXPECT_FLOAT_EQ(d.f.setup.channel(4)->Master2, 1.25f);
}

TEST(SetupChanTool, ABoxWithoutANumberProgramsNothingAndKeepsTheDialogWhereItIs) {
    Dialog d;
    d.show(5);
    d.tool.editBox(ChanBox::Formula, u"T2"_s);
    d.tool.editBox(ChanBox::LoTol, u"0,5x"_s);
    d.tool.CommandProgram_Click();
    ASSERT_EQ(d.f.prompter.texts(),
              std::vector<QString>{u"The value \"0,5x\" in LoTol is not a number."_s});
    EXPECT_EQ(d.view.focused, std::vector<ChanBox>{ChanBox::LoTol});
    EXPECT_TRUE(d.f.unit.calls.empty());
    EXPECT_TRUE(d.f.setup.channel(5)->Formula().isEmpty());

    // Yes to the question on Next or on close: the same refusal, no step, no close.
    d.f.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    d.tool.CommandNext_Click();
    EXPECT_EQ(d.tool.GetCurrentChannel(), 5);
    EXPECT_FALSE(d.tool.Form_QueryUnload());

    d.tool.editBox(ChanBox::LoTol, u"-0.5"_s);
    for (const QString &decimals : {u"6"_s, u"-1"_s, u"two"_s}) {
        d.f.prompter.shown.clear();
        d.tool.editBox(ChanBox::Decimals, decimals);
        d.tool.CommandProgram_Click();
        ASSERT_EQ(d.f.prompter.shown.size(), 1u);
        EXPECT_TRUE(d.f.prompter.shown[0].text.startsWith(u"The value \""_s + decimals +
                                                          u"\" in Decimals is not a number"_s));
    }
    EXPECT_TRUE(d.f.unit.calls.empty());
}

// A reading is never shown under another channel's number: the live value follows a step, a
// pick from a display and the increment after Program.
TEST(SetupChanTool, TheLiveValueIsAlwaysTheChannelShown) {
    Dialog d;
    d.show(8);
    d.tool.CheckShowCurrentValue_Click(true);
    EXPECT_EQ(d.tool.SetupChanChannel(), 8);
    d.tool.CommandNext_Click();
    EXPECT_EQ(d.tool.SetupChanChannel(), 1);
    d.show(5);
    EXPECT_EQ(d.tool.SetupChanChannel(), 5);
    d.show(1);

    d.tool.CheckAutoIncChannel_Click(true);
    d.tool.CommandProgram_Click();
    EXPECT_EQ(d.tool.GetCurrentChannel(), 2);
    EXPECT_EQ(d.tool.SetupChanChannel(), 2);

    // Closing stops it; the next opening restores both boxes and starts it again.
    ASSERT_TRUE(d.tool.Form_QueryUnload());
    EXPECT_EQ(d.tool.SetupChanChannel(), 0);
    EXPECT_FALSE(d.tool.CheckShowCurrentValue());
    d.tool.Form_Load();
    d.tool.Form_Activate();
    EXPECT_TRUE(d.tool.CheckShowCurrentValue());
    EXPECT_TRUE(d.tool.CheckAutoIncChannel());
    EXPECT_EQ(d.tool.SetupChanChannel(), 2);
}

// The unit's refusal ("Bad formula", reported by the library) is not taken for a programmed
// channel: nothing is written, the edit and the focus stay, the channel and a saved setup keep
// the formula the unit holds.
TEST(SetupChanTool, AFormulaTheUnitRefusesIsNotProgrammed) {
    Dialog d;
    d.show(3);
    d.tool.editBox(ChanBox::Formula, u"T1"_s);
    d.tool.CommandProgram_Click();
    d.f.unit.refusals["ZelDefineChannel(3, T1+)"] = 12;
    d.f.unit.clearCalls();

    d.tool.editBox(ChanBox::Formula, u"T1+"_s);
    d.tool.editBox(ChanBox::Description, u"Bore"_s);
    d.tool.editBox(ChanBox::Scaling, u"2"_s);
    d.tool.CommandProgram_Click();
    EXPECT_EQ(d.f.unit.calls, std::vector<std::string>{"ZelDefineChannel(3, T1+)"});
    EXPECT_TRUE(d.tool.modified());
    EXPECT_EQ(d.tool.text(ChanBox::Formula), u"T1+"_s);
    EXPECT_EQ(d.view.focused, std::vector<ChanBox>{ChanBox::Formula});
    const zelapp::Channel &c = *d.f.setup.channel(3);
    EXPECT_EQ(c.Formula(), u"T1"_s);
    EXPECT_NE(c.Description, u"Bore"_s);
    EXPECT_TRUE(zelapp::setupFileText(d.f.setup, u'.').contains("\r\nT1\r\n"));
    EXPECT_FALSE(zelapp::setupFileText(d.f.setup, u'.').contains("T1+"));

    // Yes on leaving asks the unit again and stays while it refuses.
    d.f.prompter.answers = {PromptAnswer::Yes};
    EXPECT_FALSE(d.tool.Form_QueryUnload());
    d.tool.editBox(ChanBox::Formula, u"T1*2"_s);
    d.tool.CommandProgram_Click();
    EXPECT_FALSE(d.tool.modified());
    EXPECT_EQ(c.Formula(), u"T1*2"_s);
    EXPECT_EQ(c.Description, u"Bore"_s);
}

TEST(SetupChanTool, ASmallerSetupMovesTheDialogAndItsLiveValueBeforeTheChannelGoes) {
    zeltest::SessionFixture f;
    f.setup().CreateChannels(8);
    zelapp::SetupChanTool &tool = f.session->dialogs().setupChan;
    tool.SetCurrentChannel(7);
    tool.CheckShowCurrentValue_Click(true);
    f.setup().CreateChannels(6);
    EXPECT_EQ(tool.GetCurrentChannel(), 6);
    EXPECT_EQ(tool.SetupChanChannel(), 6);
    EXPECT_EQ(tool.TextCurrentChannel(), u"6"_s);
}

}  // namespace

// The library's box says what the unit refused; the dialog adds where, when the text shows it.
TEST(SetupChanTool, ARefusedFormulaIsExplainedWhereTheTextShowsIt) {
    Dialog d;
    d.show(3);
    d.f.unit.refusals["ZelDefineChannel(3, T1+T2))"] = 13;
    d.f.unit.refusals["ZelDefineChannel(3, T1+T9)"] = 15;
    d.f.unit.refusals["ZelDefineChannel(3, T1)"] = 14;  // a full table: nothing to point at
    d.tool.editBox(ChanBox::Formula, u"T1+T2)"_s);
    d.tool.CommandProgram_Click();
    d.tool.editBox(ChanBox::Formula, u"T1+T9"_s);
    d.tool.CommandProgram_Click();
    d.tool.editBox(ChanBox::Formula, u"T1"_s);
    d.tool.CommandProgram_Click();
    EXPECT_EQ(d.f.prompter.texts(),
              (std::vector<QString>{u"Bad formula at character 6 of 'T1+T2)': ')' without '('"_s,
                                    u"Bad probe number at character 4 of 'T1+T9': the setup has "
                                    u"no probe T9"_s}));
    EXPECT_TRUE(d.tool.modified());
}

// LoTol <= LoAppr <= HiAppr <= HiTol and Bar Bot below Bar Top, as they would be programmed.
TEST(SetupChanTool, LimitsOutOfOrderAreNamedAndNothingIsSent) {
    Dialog d;
    d.show(2);
    d.tool.editBox(ChanBox::LoApp, u"-0.02"_s);  // below the LoTol of -0.01
    d.tool.editBox(ChanBox::Scaling, u"2"_s);
    d.tool.CommandProgram_Click();
    ASSERT_EQ(d.f.prompter.shown.size(), 1u);
    EXPECT_EQ(d.f.prompter.shown[0].text.toStdString().find("Nothing was programmed."),
              d.f.prompter.shown[0].text.size() - 23);
    EXPECT_TRUE(d.f.unit.calls.empty());
    EXPECT_EQ(d.view.focused.back(), ChanBox::LoApp);
    EXPECT_TRUE(d.tool.modified());

    d.tool.editBox(ChanBox::LoApp, u"-0.01"_s);   // equal limits are in order
    d.tool.editBox(ChanBox::BarTop, u"-0.05"_s);  // the bar's top on its bottom is not
    d.tool.CommandProgram_Click();
    EXPECT_EQ(d.f.prompter.shown.size(), 2u);
    EXPECT_TRUE(d.f.unit.calls.empty());
    d.tool.editBox(ChanBox::BarTop, u"0.06"_s);
    d.tool.CommandProgram_Click();
    EXPECT_EQ(d.f.prompter.shown.size(), 2u);
    EXPECT_FALSE(d.tool.modified());
    EXPECT_FLOAT_EQ(d.f.setup.channel(2)->LoAppr, -0.01f);
}

// Program confirms in the dialog's status line, never in a box; the next edit or channel clears it.
TEST(SetupChanTool, ProgramConfirmsInTheStatusLine) {
    Dialog d;
    d.show(3);
    d.tool.editBox(ChanBox::Description, u"Bore"_s);
    d.tool.CommandProgram_Click();
    EXPECT_EQ(d.tool.statusText(), u"Channel 3 programmed"_s);
    EXPECT_TRUE(d.f.prompter.shown.empty());
    d.tool.editBox(ChanBox::Description, u"Bore A"_s);
    EXPECT_EQ(d.tool.statusText(), QString());
}
