// The probe and analog setup dialogs without their windows: the number format of the boxes,
// the probe dialog's wrapping spin and its question, the analog dialog's refusals and its stops,
// the auto increment, what programming sends, the refused numbers, the live value through a
// smaller setup and a lost unit, and a pick from a display into a dialog already open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/setup_analog.h"
#include "dialogs/setup_lvdt.h"
#include "model/inputs.h"
#include "session_fixture.h"
#include "setup_fixture.h"

using namespace Qt::StringLiterals;
using zelapp::CommandDialog;
using zelapp::InputBox;
using zelapp::PromptAnswer;
using zelapp::SetupAnalogTool;

namespace {

struct Focus : zelapp::InputSetupView {
    std::vector<InputBox> focused;
    void refresh() override {}
    void showLiveText(const QString &) override {}
    void focusBox(InputBox box) override { focused.push_back(box); }
};

// The calls that change the unit (filling the boxes reads it).
std::vector<std::string> sets(const zeltest::FakeUnit &unit) {
    std::vector<std::string> sent;
    for (const std::string &call : unit.calls) {
        if (call.starts_with("ZelSet")) {
            sent.push_back(call);
        }
    }
    return sent;
}

// A dialog opened once, over 8 probes and `analogs` analog inputs.
template <typename Tool>
struct Dialog {
    zeltest::SetupFixture f;
    Tool tool{f.dialogs};
    Focus view;

    explicit Dialog(int lvdts = 8, int analogs = 3) : f(8, lvdts, analogs) {
        tool.setView(&view);
        tool.Form_Load();
        f.unit.clearCalls();
    }
};
using LvdtDialog = Dialog<zelapp::SetupLvdtTool>;
using AnalogDialog = Dialog<SetupAnalogTool>;

TEST(SetupLvdtTool, OpensOnProbeOneWithTheSettingsDecimalsAndDisabledWithoutProbes) {
    LvdtDialog d;
    EXPECT_EQ(d.tool.TextCurrentLvdt(), u"1"_s);
    EXPECT_EQ(d.tool.text(InputBox::Description), u"Lvdt 1"_s);
    d.f.state.Decimals = 3;
    d.f.setup.lvdt(2)->setZeroOffset(-0.2f);
    d.tool.SetCurrentLvdt(2);
    EXPECT_EQ(d.tool.text(InputBox::FullScale), u" 0.050"_s);
    EXPECT_EQ(d.tool.text(InputBox::ZeroOffset), u"-0.200"_s);
    EXPECT_TRUE(d.tool.boxesEnabled());

    LvdtDialog none(0, 0);
    EXPECT_FALSE(none.tool.boxesEnabled());
    EXPECT_TRUE(none.tool.TextCurrentLvdt().isEmpty());
    none.tool.SpinButtonLvdt_SpinUp();
    none.tool.CommandProgram_Click();
    EXPECT_TRUE(sets(none.f.unit).empty());
    EXPECT_FALSE(AnalogDialog(8, 0).tool.boxesEnabled());
}

TEST(SetupLvdtTool, TheSpinWrapsAndLeavingAnEditedProbeAsksEvenForTheZeroAlone) {
    LvdtDialog d;
    d.f.setup.lvdt(8)->Description = u"Bore"_s;
    d.tool.SetCurrentLvdt(8);
    d.tool.SpinButtonLvdt_SpinUp();
    EXPECT_EQ(d.tool.GetCurrentLvdt(), 1);
    d.tool.SpinButtonLvdt_SpinDown();
    EXPECT_EQ(d.tool.GetCurrentLvdt(), 8);
    EXPECT_TRUE(d.f.prompter.shown.empty());

    d.tool.editBox(InputBox::ZeroOffset, u"0.01"_s);
    d.f.prompter.answers = {PromptAnswer::Cancel};
    d.tool.SpinButtonLvdt_SpinUp();
    ASSERT_EQ(d.f.prompter.shown.size(), 1u);
    EXPECT_EQ(d.f.prompter.shown[0].text, u"Lvdt 8 has been modified\rSave changes"_s);
    EXPECT_EQ(d.f.prompter.shown[0].title, u"Bore"_s);
    EXPECT_EQ(d.f.prompter.shown[0].buttons, zelapp::PromptButtons::YesNoCancel);
    EXPECT_EQ(d.tool.GetCurrentLvdt(), 8);
    EXPECT_EQ(d.tool.text(InputBox::ZeroOffset), u"0.01"_s);

    d.f.prompter.answers = {PromptAnswer::Yes};
    d.tool.SpinButtonLvdt_SpinUp();
    EXPECT_EQ(sets(d.f.unit), std::vector<std::string>{"ZelSetTzero(8, 0.01)"});
    EXPECT_EQ(d.tool.GetCurrentLvdt(), 1);

    d.tool.editBox(InputBox::Description, u"lost"_s);
    d.f.prompter.answers = {PromptAnswer::No};
    d.tool.SpinButtonLvdt_SpinDown();
    EXPECT_EQ(d.tool.GetCurrentLvdt(), 8);
    EXPECT_EQ(d.f.setup.lvdt(1)->Description, u"Lvdt 1"_s);
}

TEST(SetupAnalogTool, AnEditedInputRefusesToStepOrCloseUntilItIsProgrammed) {
    for (const InputBox edited : {InputBox::FullScale, InputBox::ZeroOffset}) {
        AnalogDialog d;
        d.tool.SetCurrentAnalog(2);
        d.tool.editBox(edited, u"0.5"_s);
        d.tool.SpinButtonAnalog_SpinUp();
        d.tool.SpinButtonAnalog_SpinDown();
        EXPECT_FALSE(d.tool.Form_QueryUnload());
        EXPECT_EQ(d.f.prompter.texts(), std::vector<QString>(3, SetupAnalogTool::changedText()));
        EXPECT_EQ(d.f.prompter.shown[0].buttons, zelapp::PromptButtons::Ok);
        EXPECT_TRUE(d.f.prompter.shown[0].title.isEmpty());
        EXPECT_EQ(d.tool.GetCurrentAnalog(), 2);
        EXPECT_TRUE(sets(d.f.unit).empty());

        d.tool.CommandProgram_Click();
        EXPECT_FALSE(d.tool.modified());
        EXPECT_TRUE(d.tool.Form_QueryUnload());
    }
}

TEST(SetupAnalogTool, TheSpinStopsAtBothEndsWhileTheAutoIncrementWraps) {
    AnalogDialog one(8, 1);
    one.tool.SpinButtonAnalog_SpinUp();
    one.tool.SpinButtonAnalog_SpinDown();
    EXPECT_EQ(one.tool.GetCurrentAnalog(), 1);

    AnalogDialog d;
    d.tool.SpinButtonAnalog_SpinDown();
    EXPECT_EQ(d.tool.GetCurrentAnalog(), 1);
    d.tool.SetCurrentAnalog(3);
    d.tool.SpinButtonAnalog_SpinUp();
    EXPECT_EQ(d.tool.GetCurrentAnalog(), 3);
    d.tool.setCheckAutoIncAnalog(true);
    d.tool.CommandProgram_Click();
    EXPECT_EQ(d.tool.GetCurrentAnalog(), 1);
    EXPECT_EQ(d.tool.TextCurrentAnalog(), u"1"_s);
    // The confirmation names the input programmed and outlives the step, never a box.
    EXPECT_EQ(d.tool.statusText(), u"Analog input 3 programmed"_s);
    EXPECT_TRUE(d.f.prompter.shown.empty());

    // Nothing of the check boxes is remembered: the next opening starts with both unchecked.
    d.tool.CheckShowCurrentValue_Click(true);
    ASSERT_TRUE(d.tool.Form_QueryUnload());
    d.tool.Form_Load();
    EXPECT_FALSE(d.tool.CheckShowCurrentValue());
    EXPECT_FALSE(d.tool.CheckAutoIncAnalog());
    EXPECT_EQ(d.tool.SetupAnalogLive(), 0);
}

TEST(SetupLvdtTool, AutoIncrementWrapsAndBothBoxesAreRememberedAcrossOpenings) {
    LvdtDialog d;
    d.tool.SetCurrentLvdt(8);
    d.tool.CheckAutoIncLvdt_Click(true);
    d.tool.CheckShowCurrentValue_Click(true);
    d.tool.CommandProgram_Click();
    EXPECT_EQ(d.tool.GetCurrentLvdt(), 1);
    EXPECT_EQ(d.tool.liveNumber(), 1);  // the reading follows the probe shown

    ASSERT_TRUE(d.tool.Form_QueryUnload());
    EXPECT_EQ(d.tool.SetupLvdtLive(), 0);
    EXPECT_EQ(d.tool.liveNumber(), 0);
    d.tool.Form_Load();
    d.tool.Form_Activate();
    EXPECT_TRUE(d.tool.CheckShowCurrentValue());
    EXPECT_TRUE(d.tool.CheckAutoIncLvdt());
    EXPECT_EQ(d.tool.SetupLvdtLive(), 1);
}

TEST(SetupLvdtTool, ProgramSendsOnlyEditedNumbersAndKeepsTheOthersExact) {
    LvdtDialog d;
    d.f.setup.lvdt(3)->setZeroOffset(0.0001234f);
    d.tool.SetCurrentLvdt(3);
    d.f.unit.clearCalls();
    d.tool.editBox(InputBox::Description, u"Taper"_s);
    EXPECT_TRUE(d.tool.ProgramLvdt());
    EXPECT_TRUE(sets(d.f.unit).empty());
    EXPECT_FLOAT_EQ(d.f.setup.lvdt(3)->ZeroOffset(), 0.0001234f);
    EXPECT_EQ(d.f.setup.lvdt(3)->Description, u"Taper"_s);
    EXPECT_TRUE(d.f.state.SetupModified);

    d.tool.editBox(InputBox::ZeroOffset, u"-0.5"_s);
    d.tool.editBox(InputBox::FullScale, u"0.2"_s);
    d.tool.CommandProgram_Click();
    EXPECT_EQ(sets(d.f.unit),
              (std::vector<std::string>{"ZelSetTfsv(3, 0.05)", "ZelSetTzero(3, -0.5)"}));
    EXPECT_FALSE(d.tool.modified());
    EXPECT_EQ(d.tool.statusText(), u"Probe 3 programmed"_s);
    d.tool.editBox(InputBox::Description, u"Taper B"_s);
    EXPECT_EQ(d.tool.statusText(), QString());
}

TEST(SetupInputTools, ARefusedFullScaleOrZeroSendsNothingAndKeepsTheInput) {
    const std::vector<std::pair<InputBox, QString>> refused{
        {InputBox::FullScale, u"The value \"0,2\" in Full Scale is not a number."_s},
        {InputBox::FullScale, u"The value \"0.0009\" in Full Scale is below 0.001."_s},
        {InputBox::FullScale, u"The value \"-1\" in Full Scale is below 0.001."_s},
        {InputBox::ZeroOffset, u"The value \"zero\" in Zero is not a number."_s},
    };
    for (const auto &[box, message] : refused) {
        LvdtDialog d;
        const QString typed = message.section(u'"', 1, 1);
        d.tool.editBox(InputBox::Description, u"Bore"_s);
        d.tool.editBox(InputBox::FullScale, box == InputBox::FullScale ? typed : u"0.001"_s);
        d.tool.editBox(InputBox::ZeroOffset, box == InputBox::ZeroOffset ? typed : u"0"_s);
        d.tool.CommandProgram_Click();
        EXPECT_EQ(d.f.prompter.texts(), std::vector<QString>{message});
        EXPECT_EQ(d.view.focused, std::vector<InputBox>{box});
        EXPECT_TRUE(sets(d.f.unit).empty()) << message.toStdString();
        EXPECT_EQ(d.f.setup.lvdt(1)->Description, u"Lvdt 1"_s);
        // Yes to the question: the same refusal, and the probe stays.
        d.f.prompter.answers = {PromptAnswer::Yes};
        d.tool.SpinButtonLvdt_SpinUp();
        EXPECT_EQ(d.tool.GetCurrentLvdt(), 1);
    }
    AnalogDialog a;
    a.tool.editBox(InputBox::FullScale, u"x"_s);
    a.tool.CommandProgram_Click();
    EXPECT_EQ(a.f.prompter.texts(),
              std::vector<QString>{u"The value \"x\" in Full Scale is not a number."_s});
    EXPECT_TRUE(sets(a.f.unit).empty());
}

TEST(SetupInputTools, ASmallerSetupMovesTheDialogsAndTheirLiveValues) {
    zeltest::SessionFixture f;
    f.setup().CreateLVDTs(8);
    f.setup().CreateAnalogs(3);
    zelapp::SetupLvdtTool &lvdt = f.session->dialogs().setupLvdt;
    SetupAnalogTool &input = f.session->dialogs().setupAnalog;
    lvdt.SetCurrentLvdt(7);
    lvdt.CheckShowCurrentValue_Click(true);
    input.SetCurrentAnalog(3);
    input.CheckShowCurrentValue_Click(true);
    f.setup().CreateLVDTs(5);
    f.setup().CreateAnalogs(2);
    EXPECT_EQ(lvdt.TextCurrentLvdt(), u"5"_s);
    EXPECT_EQ(lvdt.liveNumber(), 5);
    EXPECT_EQ(input.TextCurrentAnalog(), u"2"_s);
    EXPECT_EQ(input.liveNumber(), 2);

    // A setup without probes leaves the dialog on none, boxes off, the live value stopped.
    f.setup().CreateLVDTs(0);
    EXPECT_EQ(lvdt.GetCurrentLvdt(), 0);
    EXPECT_EQ(lvdt.liveNumber(), 0);
    EXPECT_FALSE(lvdt.boxesEnabled());
}

TEST(SetupLvdtTool, WhileTheUnitIsLostTheBoxesShowTheCopyAndAProgramWaitsForTheReturn) {
    zeltest::SessionFixture f;
    ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
    zelapp::SetupLvdtTool &tool = f.session->dialogs().setupLvdt;
    f.setup().lvdt(2)->setFullScale(0.2f);
    tool.Form_Load();
    tool.SetCurrentLvdt(2);
    tool.CheckShowCurrentValue_Click(true);
    f.fakeUnit.reachable = false;
    f.session->scan().Timer1_Timer();
    EXPECT_EQ(tool.TextCLvdtValue(), u"NO UNIT"_s);

    tool.DisplayLvdt();
    EXPECT_EQ(tool.text(InputBox::FullScale), u" 0.20000"_s);  // not the library's demo zero
    tool.editBox(InputBox::ZeroOffset, u"0.03"_s);
    tool.CommandProgram_Click();
    EXPECT_FALSE(tool.modified());
    f.fakeUnit.clearCalls();

    f.fakeUnit.reachable = true;
    f.session->recovery().reconnect();
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_EQ(f.fakeUnit.count("ZelSetTzero(2, 0.03)"), 1);
    EXPECT_EQ(f.fakeUnit.count("ZelSetTfsv(2, 0.05)"), 1);
}

TEST(SetupInputTools, APickIntoAnOpenDialogAsksOrRefusesThenMovesItForward) {
    zeltest::SessionFixture f;
    ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
    f.prompter.shown.clear();
    zelapp::MainCommands &commands = f.session->commands();
    zelapp::SetupLvdtTool &lvdt = f.session->dialogs().setupLvdt;
    f.view.openDialogs = {CommandDialog::SetupLvdt, CommandDialog::SetupAnalog};

    f.state().ViewType = zelapp::VIEWTYPELVDTS;
    lvdt.Form_Load();
    lvdt.editBox(InputBox::Description, u"edited"_s);
    f.prompter.answers = {PromptAnswer::Cancel};
    commands.GotoSetupFromView(4);
    EXPECT_EQ(lvdt.GetCurrentLvdt(), 1);  // Cancel keeps the probe and its edit
    EXPECT_TRUE(lvdt.modified());
    f.prompter.answers = {PromptAnswer::No};
    commands.GotoSetupFromView(4);
    EXPECT_EQ(lvdt.GetCurrentLvdt(), 4);

    f.state().ViewType = zelapp::VIEWTYPEANALOGS;
    SetupAnalogTool &input = f.session->dialogs().setupAnalog;
    input.Form_Load();
    input.editBox(InputBox::ZeroOffset, u"1"_s);
    f.prompter.shown.clear();
    commands.GotoSetupFromView(1);
    EXPECT_EQ(f.prompter.texts(), std::vector<QString>{SetupAnalogTool::changedText()});
    EXPECT_TRUE(input.modified());
    EXPECT_EQ(f.view.dialogs,
              (std::vector<std::pair<CommandDialog, bool>>{{CommandDialog::SetupLvdt, false}}));
}

}  // namespace
