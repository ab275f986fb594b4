// The part program dialog without its window: the boxes from the program, what an empty box
// means for the setup in use, the checks of OK with their messages and focus, the save, the
// question about edits at a close, before a new setup and before the program closes, and the
// open dialog following the setup.
#include <gtest/gtest.h>

#include <QDir>
#include <utility>
#include <vector>

#include "file_bytes.h"
#include "part/part_program_tool.h"
#include "session_fixture.h"
#include "two_probe_setup.h"

using namespace Qt::StringLiterals;
using zelapp::PartProgram;
using zelapp::ProgramBox;
using zelapp::PromptAnswer;

namespace {

using Place = zelapp::ProgramRefusal::Place;

struct RecordingProgramView : zelapp::PartProgramView {
    int refreshes = 0;
    std::vector<zelapp::ProgramRefusal> shown;  // the last refusals shown
    // Where the focus went: a box or a channel's nominal.
    std::vector<ProgramBox> focused;
    std::vector<int> nominalsFocused;
    void refresh() override { ++refreshes; }
    void showRefusals(const std::vector<zelapp::ProgramRefusal> &refusals) override {
        shown = refusals;
        if (refusals.empty()) {
            return;
        }
        const zelapp::ProgramRefusal &first = refusals.front();
        if (first.place == Place::Box) {
            focused.push_back(first.box);
        } else if (first.place == Place::Nominal) {
            nominalsFocused.push_back(first.channel);
        }
    }
};

struct PartProgramToolTest : ::testing::Test {
    zeltest::SessionFixture f;
    QDir folder{f.programFolder()};
    RecordingProgramView view;

    void SetUp() override {
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        zeltest::writeBytes(folder.filePath(u"shaft.zel"_s), zeltest::kTwoProbeSetup);
        zeltest::writeBytes(folder.filePath(u"shaft.zpart"_s),
                            "[Part]\nStart=auto\nPresentChannel=2\nPresentLow=-0.1\n"
                            "PresentHigh=0.1\nTimeout=5000\n");
        f.state().SetupFileName = folder.filePath(u"shaft.zel"_s);
        ASSERT_EQ(f.session->setupCommands().loadSetupFile(), zelapp::SetupLoad::Loaded);
        tool().setView(&view);
        tool().Form_Load();
    }
    void TearDown() override { tool().setView(nullptr); }
    zelapp::PartProgramTool &tool() { return f.session->partProgramTool(); }
    const zelapp::PartProgram &program() { return f.session->partProgram().program(); }
};

TEST_F(PartProgramToolTest, OpensWithTheProgramAndSaysWhatEmptyMeans) {
    EXPECT_TRUE(tool().isOpen());
    EXPECT_TRUE(tool().autoStart());
    EXPECT_TRUE(tool().presentEnabled());
    EXPECT_EQ(tool().text(ProgramBox::Number), QString());
    EXPECT_EQ(tool().text(ProgramBox::PresentChannel), u"2"_s);
    EXPECT_EQ(tool().text(ProgramBox::PresentLow), u"-0.1"_s);
    EXPECT_EQ(tool().text(ProgramBox::PresentTime), u"200"_s);
    EXPECT_EQ(tool().text(ProgramBox::SettleBand), QString());
    EXPECT_EQ(tool().text(ProgramBox::SettleTime), u"300"_s);
    EXPECT_EQ(tool().text(ProgramBox::Timeout), u"5000"_s);
    // No list in the file: every channel with a formula is checked.
    const std::vector<zelapp::CharacteristicRow> rows = tool().characteristicRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].chosen && rows[1].chosen);
    EXPECT_EQ(tool().settleBandHint(),
              u"Empty: 5 steps of each channel's last decimal (0.0005 at 4 decimals)"_s);
    EXPECT_EQ(tool().presentChannelHint(), u"Channel 1 to 2"_s);
    EXPECT_FALSE(tool().edited());
    tool().setAutoStart(false);
    EXPECT_FALSE(tool().presentEnabled());
    EXPECT_TRUE(tool().edited());
}

TEST_F(PartProgramToolTest, EachBoxIsCheckedWithItsMessageAndFocus) {
    const std::vector<std::pair<std::pair<ProgramBox, QString>, QString>> cases = {
        {{ProgramBox::Description, u"Welle \u20ac"_s},
         u"The value \"Welle \u20ac\" in Description holds characters a part file cannot "
         "keep."_s},
        {{ProgramBox::PresentChannel, u""_s},
         u"The value \"\" in Present channel is not a number from 1 to 2."_s},
        {{ProgramBox::PresentLow, u"low"_s},
         u"The value \"low\" in Present low is not a number. Use \".\" as the decimal "
         "separator."_s},
        {{ProgramBox::PresentHigh, u"-0.2"_s},
         u"The value \"-0.2\" in Present high is below -0.1."_s},
        {{ProgramBox::PresentTime, u"-1"_s},
         u"The value \"-1\" in Present time is not a whole number of milliseconds (0 or "
         "more)."_s},
        {{ProgramBox::SettleBand, u"0"_s}, u"The value \"0\" in Settle band is not above 0."_s},
        {{ProgramBox::SettleBand, u"wide"_s},
         u"The value \"wide\" in Settle band is not a number. Use \".\" as the decimal "
         "separator."_s},
        {{ProgramBox::SettleTime, u"soon"_s},
         u"The value \"soon\" in Settle time is not a number."_s},
        {{ProgramBox::DynamicTime, u"2.5"_s},
         u"The value \"2.5\" in Dynamic time is not a whole number of milliseconds (0 or "
         "more)."_s},
        {{ProgramBox::Timeout, u"300"_s},
         u"The value \"300\" in Timeout must exceed Settle time + Dynamic time (300 ms)."_s},
    };
    for (const auto &[edit, message] : cases) {
        tool().Form_Load();
        tool().editBox(edit.first, edit.second);
        view.focused.clear();
        const std::size_t before = f.prompter.shown.size();
        EXPECT_FALSE(tool().CommandOK_Click()) << message.toStdString();
        ASSERT_EQ(f.prompter.shown.size(), before + 1) << message.toStdString();
        EXPECT_EQ(f.prompter.shown.back().text, message);
        EXPECT_EQ(view.focused, std::vector<ProgramBox>{edit.first}) << message.toStdString();
        EXPECT_TRUE(tool().isOpen());
    }
    // At the boundary the timeout is accepted; with key start the present boxes are not asked.
    tool().Form_Load();
    tool().editBox(ProgramBox::Timeout, u"301"_s);
    tool().editBox(ProgramBox::PresentLow, u"low"_s);
    tool().editBox(ProgramBox::PresentTime, u"soon"_s);
    tool().setAutoStart(false);
    const std::optional<PartProgram> checked = tool().checkBoxes();
    ASSERT_TRUE(checked);
    EXPECT_EQ(checked->timeoutMs, 301);
    EXPECT_EQ(checked->start, zelapp::PartStart::Key);
    EXPECT_EQ(checked->presentLow, -0.1);
    EXPECT_EQ(checked->presentTimeMs, 200);
}

TEST_F(PartProgramToolTest, EveryRefusalIsToldAtOnceInTabOrderWithTheFocusOnTheFirst) {
    tool().editBox(ProgramBox::Number, QString(31, u'7'));
    EXPECT_EQ(tool().text(ProgramBox::Number), QString(30, u'7')) << "the box's most length";
    tool().editNominal(2, u"y"_s);
    tool().editNominal(1, u"x"_s);
    tool().editBox(ProgramBox::Timeout, u"soon"_s);
    tool().editBox(ProgramBox::PresentLow, u"low"_s);
    const std::size_t before = f.prompter.shown.size();
    EXPECT_FALSE(tool().CommandOK_Click());
    ASSERT_EQ(f.prompter.shown.size(), before + 1) << "one message";
    const QStringList told = f.prompter.shown.back().text.split(u'\r');
    ASSERT_EQ(told.size(), 4);
    EXPECT_TRUE(told[0].startsWith(u"The value \"low\" in Present low"_s));
    EXPECT_TRUE(told[1].startsWith(u"The value \"soon\" in Timeout"_s));
    EXPECT_TRUE(told[2].startsWith(u"The value \"x\" in Nominal of channel 1"_s));
    EXPECT_TRUE(told[3].startsWith(u"The value \"y\" in Nominal of channel 2"_s));
    ASSERT_EQ(view.shown.size(), 4u);
    EXPECT_EQ(view.shown[0].box, ProgramBox::PresentLow);
    EXPECT_EQ(view.shown[1].box, ProgramBox::Timeout);
    EXPECT_EQ(view.shown[2].place, Place::Nominal);
    EXPECT_EQ(view.shown[3].channel, 2);
    EXPECT_EQ(view.focused, std::vector<ProgramBox>{ProgramBox::PresentLow});

    // Mended, they go from beside their boxes.
    tool().editNominal(2, {});
    tool().editNominal(1, {});
    tool().editBox(ProgramBox::Timeout, u"5000"_s);
    tool().editBox(ProgramBox::PresentLow, u"-0.1"_s);
    ASSERT_TRUE(tool().CommandOK_Click());
    EXPECT_TRUE(view.shown.empty());
    EXPECT_EQ(program().number, QString(30, u'7'));
}

TEST_F(PartProgramToolTest, ARunoutNeedsADynamicTime) {
    f.setup().channel(2)->setFormula(u"TIR(C1)"_s);
    f.setup().channel(2)->Description = u"Runout"_s;
    tool().editBox(ProgramBox::DynamicTime, u"0"_s);
    EXPECT_FALSE(tool().CommandOK_Click());
    EXPECT_EQ(f.prompter.shown.back().text,
              u"Runout (C2) is measured while the part turns: give it a Dynamic time."_s);
    EXPECT_EQ(view.focused.back(), ProgramBox::DynamicTime);
    // Not judged, it needs none.
    tool().setCharacteristic(2, false);
    EXPECT_TRUE(tool().checkBoxes());
    tool().setCharacteristic(2, true);
    tool().editBox(ProgramBox::DynamicTime, u"1"_s);
    ASSERT_TRUE(tool().CommandOK_Click());
    EXPECT_EQ(program().dynamicTimeMs, 1);
}

TEST_F(PartProgramToolTest, OkSavesIntoThePartFileAndCloses) {
    tool().editBox(ProgramBox::Number, u" SH-9 "_s);
    tool().setCharacteristic(1, false);  // checked again after 2: judged after it
    tool().setCharacteristic(1, true);
    tool().editBox(ProgramBox::SettleBand, u"0.002"_s);
    tool().editBox(ProgramBox::PresentTime, u"350"_s);
    tool().setAskId(true);
    ASSERT_TRUE(tool().CommandOK_Click());
    EXPECT_FALSE(tool().isOpen());
    EXPECT_EQ(program().number, u"SH-9"_s);
    EXPECT_EQ(program().characteristics, (std::vector<int>{2, 1}));
    EXPECT_EQ(zeltest::readBytes(folder.filePath(u"shaft.zpart"_s)),
              QByteArray("[Part]\nNumber=SH-9\r\nCharacteristics=2,1\r\nStart=auto\r\n"
                         "PresentChannel=2\r\nPresentLow=-0.1\r\nPresentHigh=0.1\r\n"
                         "PresentTime=350\r\nSettleBand=0.002\r\nTimeout=5000\r\nAskId=true\r\n"));
}

TEST_F(PartProgramToolTest, TheDfqFolderAndEachChannelsNominalAndSidesAreSaved) {
    using zelapp::Distribution;
    using zelapp::ToleranceSides;
    // One row per channel of the setup, with its description; no rules chosen is rule 1.
    EXPECT_EQ(tool().exportRows(),
              (std::vector<zelapp::ExportRow>{
                  {1, u"Dia A"_s, {}, ToleranceSides::Both, u"1"_s, Distribution::Normal},
                  {2, u"Taper"_s, {}, ToleranceSides::Both, u"1"_s, Distribution::Normal}}));
    tool().editNominal(1, u" 12.5 "_s);
    tool().setSides(2, ToleranceSides::UpperOnly);
    EXPECT_TRUE(tool().edited());
    tool().editBox(ProgramBox::DfqFolder, u" //plant/qdas/line 4 "_s);

    // A nominal that is not a number is named, its cell focused, and nothing saved.
    tool().editNominal(2, u"1,5"_s);
    const std::size_t before = f.prompter.shown.size();
    EXPECT_FALSE(tool().CommandOK_Click());
    ASSERT_EQ(f.prompter.shown.size(), before + 1);
    EXPECT_EQ(f.prompter.shown.back().text,
              u"The value \"1,5\" in Nominal of channel 2 is not a number. Use \".\" as the "
              "decimal separator."_s);
    EXPECT_EQ(view.nominalsFocused, (std::vector<int>{2}));
    EXPECT_TRUE(tool().isOpen());

    tool().editNominal(2, {});
    // A folder not there is asked about: Cancel stays, No keeps it as given.
    f.prompter.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(tool().CommandOK_Click());
    EXPECT_EQ(f.prompter.shown.back().text,
              u"The DFQ folder //plant/qdas/line 4 does not exist.\rCreate it?"_s);
    EXPECT_EQ(view.focused.back(), ProgramBox::DfqFolder);
    f.prompter.answers = {PromptAnswer::No};
    ASSERT_TRUE(tool().CommandOK_Click());
    EXPECT_EQ(program().dfqFolder, u"//plant/qdas/line 4"_s);
    EXPECT_EQ(program().nominals, (std::map<int, QString>{{1, u"12.5"_s}}));
    EXPECT_EQ(program().sides, (std::map<int, ToleranceSides>{{2, ToleranceSides::UpperOnly}}));
    EXPECT_TRUE(zeltest::readBytes(folder.filePath(u"shaft.zpart"_s))
                    .endsWith("DfqFolder=//plant/qdas/line 4\r\nNominal1=12.5\r\n"
                              "OneSided2=upper\r\n"));

    // Opened again: as saved, and setting a key back to its default is an edit undone.
    tool().Form_Load();
    EXPECT_EQ(tool().exportRows()[0].nominal, u"12.5"_s);
    EXPECT_EQ(tool().exportRows()[1].sides, ToleranceSides::UpperOnly);
    tool().setSides(1, ToleranceSides::Both);
    EXPECT_FALSE(tool().edited());
    tool().setSides(2, ToleranceSides::Both);
    EXPECT_TRUE(tool().edited());
}

TEST_F(PartProgramToolTest, TheSubgroupAndEachChannelsRulesAreCheckedAndSaved) {
    EXPECT_EQ(tool().text(ProgramBox::Subgroup), u"1"_s);
    for (const QString &bad : {u"0"_s, u"26"_s, u"2.5"_s, u"k"_s}) {
        tool().editBox(ProgramBox::Subgroup, bad);
        EXPECT_FALSE(tool().CommandOK_Click()) << bad.toStdString();
        EXPECT_EQ(view.focused.back(), ProgramBox::Subgroup);
    }
    EXPECT_TRUE(f.prompter.shown.back().text.contains(u"Subgroup"_s));

    tool().editBox(ProgramBox::Subgroup, u" 5 "_s);
    for (const int rule : {4, 2, 3}) {
        tool().setRule(1, rule, true);
    }
    tool().setRule(2, 1, true);  // rule 1 alone: no key
    ASSERT_TRUE(tool().CommandOK_Click());
    EXPECT_EQ(program().subgroupSize, 5);
    EXPECT_EQ(program().rules, (std::map<int, std::vector<int>>{{1, {1, 2, 3, 4}}}));
    EXPECT_TRUE(zeltest::readBytes(folder.filePath(u"shaft.zpart"_s))
                    .endsWith("Subgroup=5\r\nRules1=1,2,3,4\r\n"));

    // Opened again: as saved; the keys of the statistics survive an OK that did not touch them.
    tool().Form_Load();
    EXPECT_EQ(tool().exportRows()[0].rules, u"1,2,3,4"_s);
    EXPECT_EQ(tool().text(ProgramBox::Subgroup), u"5"_s);
    tool().setRule(2, 1, false);
    EXPECT_FALSE(tool().edited()) << "rule 1 alone is no edit";
    ASSERT_TRUE(tool().CommandOK_Click());
    EXPECT_EQ(program().rules, (std::map<int, std::vector<int>>{{1, {1, 2, 3, 4}}}));
    EXPECT_EQ(program().subgroupSize, 5);
}

TEST_F(PartProgramToolTest, EachChannelsDistributionIsSavedAndNormalAgainIsNoEdit) {
    using zelapp::Distribution;
    tool().setDistribution(2, Distribution::Weibull);
    tool().setDistribution(1, Distribution::Normal);  // the default: nothing to write
    EXPECT_EQ(tool().exportRows()[1].distribution, Distribution::Weibull);
    EXPECT_TRUE(tool().edited());
    ASSERT_TRUE(tool().CommandOK_Click());
    EXPECT_EQ(program().distributions, (std::map<int, Distribution>{{2, Distribution::Weibull}}));
    EXPECT_TRUE(zeltest::readBytes(folder.filePath(u"shaft.zpart"_s))
                    .endsWith("Timeout=5000\r\nDistribution2=weibull\r\n"));

    tool().Form_Load();
    EXPECT_EQ(tool().exportRows()[1].distribution, Distribution::Weibull);
    tool().setDistribution(1, Distribution::Normal);
    EXPECT_FALSE(tool().edited());
    tool().setDistribution(2, Distribution::Normal);
    EXPECT_TRUE(tool().edited());
    ASSERT_TRUE(tool().CommandOK_Click());
    EXPECT_TRUE(program().distributions.empty());
}

TEST_F(PartProgramToolTest, EditsAreAskedAboutBeforeTheyAreThrownAway) {
    // Without edits it closes without a word.
    const std::size_t before = f.prompter.shown.size();
    EXPECT_TRUE(tool().Form_QueryUnload());
    EXPECT_EQ(f.prompter.shown.size(), before);

    // Cancel stays, No drops the edits, Yes saves them.
    tool().Form_Load();
    tool().editBox(ProgramBox::Description, u"Shaft"_s);
    f.prompter.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(tool().Form_QueryUnload());
    EXPECT_EQ(f.prompter.shown.back().text,
              u"The part program has been edited.\rSave the changes?"_s);
    EXPECT_EQ(f.prompter.shown.back().buttons, zelapp::PromptButtons::YesNoCancel);
    f.prompter.answers = {PromptAnswer::No};
    EXPECT_TRUE(tool().Form_QueryUnload());
    EXPECT_EQ(program().description, QString());

    // Before another setup: Cancel keeps the setup, Yes saves and the load goes on.
    tool().Form_Load();
    tool().editBox(ProgramBox::Description, u"Shaft"_s);
    f.state().SetupModified = false;
    f.prompter.answers = {PromptAnswer::Cancel};
    f.session->setupCommands().NewFile_Click();
    EXPECT_EQ(f.setup().channelCount(), 2);
    EXPECT_EQ(f.state().SetupFileName, folder.filePath(u"shaft.zel"_s));
    f.prompter.answers = {PromptAnswer::Yes};
    f.session->setupCommands().NewFile_Click();
    EXPECT_EQ(f.state().SetupFileName, u"new.zel"_s);
    EXPECT_TRUE(zeltest::readBytes(folder.filePath(u"shaft.zpart"_s)).contains("Shaft"));
    // The open dialog now shows the new setup's program.
    EXPECT_EQ(tool().text(ProgramBox::Timeout), u"10000"_s);
    EXPECT_FALSE(tool().edited());

    // Before the program closes.
    tool().editBox(ProgramBox::Description, u"Hub"_s);
    f.prompter.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(f.session->Form_QueryUnload());
}

TEST_F(PartProgramToolTest, TheOpenDialogFollowsTheSetup) {
    tool().editBox(ProgramBox::Number, u"typed"_s);
    const int before = view.refreshes;
    f.setup().channel(2)->setFormula(QString());
    f.setup().markModified({zelapp::SetupChange::Kind::Channel, 2});
    EXPECT_GT(view.refreshes, before);
    EXPECT_FALSE(tool().characteristicRows()[1].chosen) << "no formula, measures nothing";
    EXPECT_EQ(tool().text(ProgramBox::Number), u"typed"_s);  // the operator's edit stays

    // Closed, it follows nothing.
    f.prompter.answers = {PromptAnswer::No};
    ASSERT_TRUE(tool().Form_QueryUnload());
    const int closed = view.refreshes;
    f.setup().markModified({zelapp::SetupChange::Kind::Counts, 0});
    EXPECT_EQ(view.refreshes, closed);
}

}  // namespace
