// The open dialogs follow their setup: before New or Open each asks about its edits (a Cancel
// cancels the New or Open), afterwards each shows the new setup; a channel programmed in the
// channel dialog reaches the mastering window and the displays at once; the analog dialog never
// makes leaving the program impossible.
#include <gtest/gtest.h>

#include <QDir>
#include <vector>

#include "file_bytes.h"
#include "model/channel.h"
#include "session_fixture.h"
#include "setup/setup_writer.h"
#include "setup_fixture.h"

using namespace Qt::StringLiterals;
using zelapp::ChanBox;
using zelapp::InputBox;
using zelapp::PromptAnswer;

namespace {

const QString kSetupQuestion = u"Setup has been modified\rSave changes"_s;

struct FollowSetup : ::testing::Test {
    zeltest::SessionFixture f;
    zelapp::DialogTools *d = nullptr;
    QString path;  // a setup of 3 channels, 2 probes and 1 analog input

    void SetUp() override {
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        d = &f.session->dialogs();
        zeltest::SetupFixture source(3, 2, 1);
        source.setup.channel(2)->InUse = true;
        source.setup.channel(3)->InUse = true;
        source.setup.channel(3)->Description = u"Bore"_s;
        source.setup.channel(2)->setFormula(u"T1"_s);
        source.setup.channel(2)->UseTwoMasters = true;
        source.setup.channel(2)->Master1 = 4;
        source.setup.channel(2)->Master2 = 6;
        source.setup.lvdt(2)->Description = u"Probe B"_s;
        path = QDir(f.programFolder()).filePath(u"small.zel"_s);
        zeltest::writeBytes(path, zelapp::setupFileText(source.setup, u'.'));
        f.prompter.shown.clear();
    }

    // The channel, probe and analog dialogs open, each with an edit of its item.
    void editInEachDialog() {
        d->setupChan.Form_Load();
        d->setupChan.SetCurrentChannel(5);
        d->setupChan.editBox(ChanBox::Description, u"edited"_s);
        d->setupLvdt.Form_Load();
        d->setupLvdt.SetCurrentLvdt(4);
        d->setupLvdt.editBox(InputBox::Description, u"probe edit"_s);
        d->setupAnalog.Form_Load();
        d->setupAnalog.editBox(InputBox::FullScale, u"2"_s);
    }
    bool editsKept() const {
        return d->setupChan.modified() && d->setupChan.text(ChanBox::Description) == u"edited"_s &&
               d->setupLvdt.modified() && d->setupAnalog.modified();
    }
};

TEST_F(FollowSetup, OpenAsksEachOpenDialogFirstAndNothingChangesUntilTheNewSetupArrives) {
    editInEachDialog();
    // The channel dialog's Cancel cancels the Open before anything else is asked.
    f.prompter.answers = {PromptAnswer::Cancel};
    f.session->setupCommands().OpenFile_Click();
    EXPECT_EQ(f.prompter.texts(),
              std::vector<QString>{u"Channel 5 has been modified\rSave changes"_s});
    EXPECT_TRUE(f.chooser.openRequests.empty());
    EXPECT_TRUE(editsKept());

    // No and Discard go on; a cancelled file dialog then leaves the setup and the edits.
    f.prompter.shown.clear();
    f.prompter.answers = {PromptAnswer::No, PromptAnswer::No, PromptAnswer::No};
    f.session->setupCommands().OpenFile_Click();
    ASSERT_EQ(f.prompter.shown.size(), 3u);
    EXPECT_EQ(f.prompter.shown[1].text, u"Lvdt 4 has been modified\rSave changes"_s);
    EXPECT_EQ(f.prompter.shown[2].buttons, zelapp::PromptButtons::ProgramDiscardCancel);
    EXPECT_EQ(f.chooser.openRequests.size(), 1u);
    EXPECT_EQ(f.setup().channelCount(), 8);
    EXPECT_TRUE(editsKept());

    // With the file chosen the edits go, and each dialog shows the new setup at its item, or
    // at the last one where the new setup has fewer.
    f.prompter.answers = {PromptAnswer::No, PromptAnswer::No, PromptAnswer::No};
    f.chooser.answer = path;
    f.session->setupCommands().OpenFile_Click();
    EXPECT_EQ(f.setup().channelCount(), 3);
    EXPECT_EQ(d->setupChan.GetCurrentChannel(), 3);
    EXPECT_EQ(d->setupChan.text(ChanBox::Description), u"Bore"_s);
    EXPECT_FALSE(d->setupChan.modified());
    EXPECT_EQ(d->setupLvdt.GetCurrentLvdt(), 2);
    EXPECT_EQ(d->setupLvdt.text(InputBox::Description), u"Probe B"_s);
    EXPECT_FALSE(d->setupLvdt.modified());
    EXPECT_FALSE(d->setupAnalog.modified());
    EXPECT_TRUE(d->setupAnalog.Form_QueryUnload());
}

TEST_F(FollowSetup, ADialogsYesProgramsBeforeTheSetupIsOfferedForSaving) {
    editInEachDialog();
    f.state().SetupModified = false;
    // Channel: Yes; probe: Yes; analog: Program; then the setup (now modified): Cancel.
    f.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes, PromptAnswer::Yes,
                          PromptAnswer::Cancel};
    f.session->setupCommands().NewFile_Click();
    ASSERT_EQ(f.prompter.shown.size(), 4u);
    EXPECT_EQ(f.prompter.shown[3].text, kSetupQuestion);
    EXPECT_EQ(f.setup().channel(5)->Description, u"edited"_s);
    EXPECT_EQ(f.setup().lvdt(4)->Description, u"probe edit"_s);
    EXPECT_FLOAT_EQ(f.setup().analogInput(1)->FullScale(), 2.0f);
    EXPECT_NE(f.state().SetupFileName, u"new.zel"_s);  // the New was cancelled
}

TEST_F(FollowSetup, TheGroupSystemAndMasteringWindowsShowTheNewSetup) {
    auto g = std::make_unique<zelapp::group>();
    g->Description = u"Diameters"_s;
    g->AddChannel(1);
    f.setup().addGroup(std::move(g));
    d->setupGroup.Form_Load();
    d->setupSystem.Form_Load();
    d->setupSystem.editBox(zelapp::SystemBox::Channels, u"12"_s);
    // The mastering window has taken the first of two readings on channel 2.
    zelapp::Channel &two = *f.setup().channel(2);
    two.setFormula(u"T1"_s);
    two.UseTwoMasters = true;
    d->mastering.Form_Load();
    d->mastering.SpinButtonChannel_SpinUp();
    f.fakeUnit.channelValue[2] = 1.0f;
    f.session->scan().Timer1_Timer();
    d->mastering.CommandMaster_Click();
    ASSERT_EQ(d->mastering.step(), zelapp::MasteringStep::AwaitMaster2);

    f.prompter.answers = {PromptAnswer::No};
    f.chooser.answer = path;
    f.session->setupCommands().OpenFile_Click();
    EXPECT_EQ(d->setupGroup.ListGroups(), QStringList{});
    EXPECT_EQ(d->setupGroup.ListAvailableChannels().size(), 3);
    EXPECT_EQ(d->setupSystem.text(zelapp::SystemBox::Channels), u"3"_s);
    EXPECT_EQ(d->mastering.step(), zelapp::MasteringStep::AwaitMaster1);
    EXPECT_EQ(d->mastering.LblInstruction(),
              u"Setup changed, master 1 reading dropped. Insert Master 1:  4.00000"_s);
    EXPECT_EQ(d->mastering.TextMaster2Value(), u" 6.00000"_s);
}

// A press never computes with masters other than those shown, and the displays show what was
// programmed without waiting for a change of view.
TEST_F(FollowSetup, AChannelProgrammedInTheDialogReachesMasteringAndTheDisplaysAtOnce) {
    zelapp::Channel &two = *f.setup().channel(2);
    two.setFormula(u"T1"_s);
    two.UseTwoMasters = true;
    two.Master1 = 1;
    d->mastering.Form_Load();
    d->mastering.SpinButtonChannel_SpinUp();
    f.fakeUnit.channelValue[2] = 1.0f;
    f.session->scan().Timer1_Timer();
    d->mastering.CommandMaster_Click();
    f.session->commands().EnableGrid_Click();
    const int rebuilds = f.view.gridRebuilds;

    d->setupChan.Form_Load();
    d->setupChan.SetCurrentChannel(2);
    d->setupChan.editBox(ChanBox::Master1, u"2.5"_s);
    d->setupChan.CommandProgram_Click();
    EXPECT_EQ(d->mastering.step(), zelapp::MasteringStep::AwaitMaster1);
    EXPECT_EQ(d->mastering.TextMaster1Value(), u" 2.50000"_s);
    EXPECT_EQ(f.view.gridRebuilds, rebuilds + 1);

    // Another channel leaves the mastering window alone.
    d->setupChan.SetCurrentChannel(4);
    d->setupChan.editBox(ChanBox::Description, u"Taper"_s);
    f.fakeUnit.channelValue[2] = 1.0f;
    f.session->scan().Timer1_Timer();
    d->mastering.CommandMaster_Click();
    d->setupChan.CommandProgram_Click();
    EXPECT_EQ(d->mastering.step(), zelapp::MasteringStep::AwaitMaster2);

    // A probe's full scale rebuilds the bars' ranges in probe view only.
    d->setupLvdt.Form_Load();
    d->setupLvdt.editBox(InputBox::FullScale, u"0.2"_s);
    const int before = f.view.gridRebuilds;
    d->setupLvdt.CommandProgram_Click();
    EXPECT_EQ(f.view.gridRebuilds, before);
    f.session->commands().ViewLVDTs_Click();
    d->setupLvdt.editBox(InputBox::FullScale, u"0.3"_s);
    const int inProbeView = f.view.gridRebuilds;
    d->setupLvdt.CommandProgram_Click();
    EXPECT_EQ(f.view.gridRebuilds, inProbeView + 1);
}

TEST_F(FollowSetup, TheAnalogDialogOffersProgramDiscardOrCancelWhenTheProgramCloses) {
    d->setupAnalog.Form_Load();
    EXPECT_TRUE(d->setupChan.Form_QueryUnload());
    d->setupAnalog.editBox(InputBox::Description, u"Gap"_s);

    f.prompter.answers = {PromptAnswer::Cancel};
    EXPECT_FALSE(d->confirmProgramClose());
    f.prompter.answers = {PromptAnswer::Yes};
    EXPECT_TRUE(d->confirmProgramClose());
    EXPECT_EQ(f.setup().analogInput(1)->Description, u"Gap"_s);

    d->setupAnalog.editBox(InputBox::Description, u"dropped"_s);
    f.prompter.answers = {PromptAnswer::No};
    EXPECT_TRUE(d->confirmProgramClose());
    f.prompter.shown.clear();
    EXPECT_TRUE(d->setupAnalog.Form_QueryUnload());  // no "Analog has been changed" now
    EXPECT_TRUE(f.prompter.shown.empty());
    EXPECT_EQ(f.setup().analogInput(1)->Description, u"Gap"_s);
}

}  // namespace
