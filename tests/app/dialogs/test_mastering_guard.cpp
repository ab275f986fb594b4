// The mastering window's safeguards in the whole session: the question before a large change
// (No writes nothing and starts the channel over), Undo of the last press into the unit and the
// setup, when the channel was last mastered and when mastering is due, and the re-master mark
// after a change of a probe the channel reads. Built on the two-master case Master 1 = 10,
// Master 2 = 20, zero 0, scaling 1, readings 10.5 and 20.7: scaling 0.98039 (2 %, within),
// zero -0.29412 (beyond the tolerance band 0.02).
#include <gtest/gtest.h>

#include "dialogs/mastering.h"
#include "session_fixture.h"
#include "setup/mastered_times.h"

using namespace Qt::StringLiterals;
using zelapp::MasteringStep;
using zelapp::PromptAnswer;
using zelapp::SetupChange;

namespace {

class MasteringGuardTool : public ::testing::Test {
  protected:
    zeltest::SessionFixture f;
    zelapp::MasteringTool *tool = nullptr;
    zelapp::MasteredTimes *times = nullptr;
    std::vector<SetupChange> heard;

    void SetUp() override {
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        tool = &f.session->dialogs().mastering;
        times = &f.session->masteredTimes();
        for (int i = 1; i <= f.setup().channelCount(); ++i) {
            f.setup().channel(i)->setFormula(u"T1"_s);
        }
        zelapp::Channel &c = channel(2);
        c.UseTwoMasters = true;
        c.Master1 = 10;
        c.Master2 = 20;
        f.setup().markUnmodified();
        f.prompter.shown.clear();  // the start-up's message about zelapp.ini
        QObject::connect(&f.setup().notifier(), &zelapp::SetupNotifier::changed,
                         [this](const SetupChange &change) { heard.push_back(change); });
        f.state().MasteringMode = false;
        tool->Form_Load();
        tool->SpinButtonChannel_SpinUp();
    }
    zelapp::Channel &channel(int n) { return *f.setup().channel(n); }
    void press(float reading) {
        f.fakeUnit.channelValue[tool->currentChannel()] = reading;
        f.session->scan().Timer1_Timer();
        f.fakeUnit.clearCalls();
        tool->CommandMaster_Click();
    }
    void masterTwice(float reading1, float reading2) {
        press(reading1);
        press(reading2);
    }
};

TEST_F(MasteringGuardTool, ALargeChangeAsksFirstAndNoWritesNothing) {
    masterTwice(10.5f, 20.7f);  // the prompter answers No
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_EQ(f.prompter.shown[0].text,
              u"The new zero -0.29412 differs from the old 0.00000 by 0.29412, more than the "
              u"tolerance band 0.02000. A wrong master or a stuck probe? Write it anyway?"_s);
    EXPECT_EQ(f.prompter.shown[0].buttons, zelapp::PromptButtons::YesNo);
    EXPECT_EQ(f.fakeUnit.count("ZelSet"), 0);
    EXPECT_FALSE(f.state().SetupModified);
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(tool->step(), MasteringStep::AwaitMaster1);  // started over
    EXPECT_EQ(tool->LblInstruction(), u"Nothing written. Insert Master 1:  10.00000"_s);
    EXPECT_TRUE(tool->TxtM1().isEmpty());
    EXPECT_FALSE(tool->CommandUndoEnabled());
    EXPECT_EQ(tool->LblLastMastered(), u"Never mastered"_s);

    // Within both limits nothing is asked; here both are beyond, in one question, and Yes writes.
    f.prompter.answers.push_back(PromptAnswer::Yes);
    masterTwice(10.0f, 30.0f);  // scaling 0.5, zero 5
    ASSERT_EQ(f.prompter.shown.size(), 2u);
    EXPECT_TRUE(f.prompter.shown[1].text.startsWith(
        u"The new scaling 0.50000 differs from the old 1.00000 by 50 %. The new zero 5.00000"_s));
    EXPECT_EQ(f.fakeUnit.count("ZelSetCzero(2"), 1);
    EXPECT_EQ(f.fakeUnit.count("ZelSetCscale(2"), 1);
    EXPECT_EQ(tool->LblInstruction(), u"Mastering completed."_s);

    // Wider limits from the settings: the example writes without a question.
    tool->setGuardLimits({10, 20});
    tool->SpinButtonChannel_SpinUp();
    tool->SpinButtonChannel_SpinDown();
    channel(2).setScaling(1);
    channel(2).setZeroOffset(0);
    masterTwice(10.5f, 20.7f);
    EXPECT_EQ(f.prompter.shown.size(), 2u);
    EXPECT_EQ(f.fakeUnit.count("ZelSetCzero(2, -0.294"), 1);
}

TEST_F(MasteringGuardTool, UndoPutsBackTheBeforeColumnInTheUnitAndTheSetupOnce) {
    f.prompter.answers.push_back(PromptAnswer::Yes);
    EXPECT_FALSE(tool->CommandUndoEnabled());
    masterTwice(10.5f, 20.7f);
    ASSERT_EQ(tool->TxtInterceptBefore(), u" 0.00000"_s);
    ASSERT_EQ(tool->TxtSlopeBefore(), u" 1.00000"_s);
    EXPECT_TRUE(tool->CommandUndoEnabled());
    EXPECT_EQ(tool->LblLastMastered(), u"Last mastered: 2026-12-09 14:03"_s);
    f.setup().markUnmodified();
    heard.clear();
    f.fakeUnit.clearCalls();

    tool->CommandUndo_Click();
    const std::vector<std::string> writes = f.fakeUnit.calls;
    ASSERT_GE(writes.size(), 2u);
    EXPECT_EQ(f.fakeUnit.count("ZelSetCzero(2, 0"), 1);
    EXPECT_EQ(f.fakeUnit.count("ZelSetCscale(2, 1"), 1);
    EXPECT_EQ(f.fakeUnit.czero[2], 0.0f);
    EXPECT_EQ(f.fakeUnit.cscale[2], 1.0f);
    EXPECT_EQ(channel(2).ZeroOffset(), 0.0f);
    EXPECT_EQ(channel(2).Scaling(), 1.0f);
    EXPECT_TRUE(f.state().SetupModified);
    EXPECT_EQ(heard, (std::vector<SetupChange>{{SetupChange::Kind::ChannelScaling, 2}}));
    EXPECT_EQ(tool->TxtIntercept(), u" 0.00000"_s);
    EXPECT_TRUE(tool->TxtInterceptBefore().isEmpty());
    EXPECT_EQ(tool->step(), MasteringStep::AwaitMaster1);
    EXPECT_EQ(tool->LblLastMastered(), u"Never mastered"_s);  // the press is undone whole

    // Once per press.
    EXPECT_FALSE(tool->CommandUndoEnabled());
    f.fakeUnit.clearCalls();
    tool->CommandUndo_Click();
    EXPECT_EQ(f.fakeUnit.count("ZelSet"), 0);

    // A one-master press puts back only the zero; stepping away ends its undo.
    channel(2).UseTwoMasters = false;
    channel(2).setZeroOffset(0.25f);
    tool->SpinButtonChannel_SpinUp();
    tool->SpinButtonChannel_SpinDown();
    f.prompter.answers.push_back(PromptAnswer::Yes);
    press(10.3f);
    EXPECT_TRUE(tool->CommandUndoEnabled());
    f.fakeUnit.clearCalls();
    tool->CommandUndo_Click();
    EXPECT_EQ(f.fakeUnit.count("ZelSetCzero(2, 0.25"), 1);
    EXPECT_EQ(f.fakeUnit.count("ZelSetCscale("), 0);
    f.prompter.answers.push_back(PromptAnswer::Yes);
    press(10.3f);
    tool->SpinButtonChannel_SpinUp();
    EXPECT_FALSE(tool->CommandUndoEnabled());
}

TEST_F(MasteringGuardTool, MasterIsDueOnceTheIntervalHasPassed) {
    f.prompter.answers.push_back(PromptAnswer::Yes);
    masterTwice(10.5f, 20.7f);
    EXPECT_TRUE(tool->LblMasteringNote().isEmpty());  // no interval: never due
    f.wallClock.time = f.wallClock.time.addYears(1);
    EXPECT_FALSE(times->due(2));

    f.wallClock.time = QDateTime(QDate(2026, 12, 9), QTime(14, 3));
    zelapp::PartMastering part = times->part();
    part.intervalHours = 8;
    part.mastered[5] = f.wallClock.time.addSecs(-3600);
    times->replace(part);
    int told = 0;
    QObject::connect(times, &zelapp::MasteredTimes::changed, [&told] { ++told; });

    f.wallClock.time = f.wallClock.time.addSecs(8 * 3600 - 3601);
    times->checkDue();
    EXPECT_EQ(told, 0);
    EXPECT_TRUE(times->dueStatusText().isEmpty());
    f.wallClock.time = f.wallClock.time.addSecs(1);  // 8 h after channel 5's
    times->checkDue();
    EXPECT_EQ(told, 1);
    EXPECT_EQ(times->dueStatusText(), u"Master due: channel 5"_s);
    EXPECT_EQ(times->masteringNote(5), u"Master due"_s);
    EXPECT_TRUE(tool->LblMasteringNote().isEmpty());  // the window shows channel 2
    f.wallClock.time = f.wallClock.time.addSecs(3600);
    times->checkDue();
    times->checkDue();
    EXPECT_EQ(told, 2);
    EXPECT_EQ(times->dueStatusText(), u"Master due: channels 2, 5"_s);
    EXPECT_EQ(tool->LblMasteringNote(), u"Master due"_s);
    EXPECT_FALSE(times->due(3));  // never mastered: "Never mastered" says it

    // Mastering it again starts its interval anew.
    f.prompter.answers.push_back(PromptAnswer::Yes);
    tool->SpinButtonChannel_SpinUp();
    tool->SpinButtonChannel_SpinDown();
    channel(2).setScaling(1);
    channel(2).setZeroOffset(0);
    masterTwice(10.5f, 20.7f);
    EXPECT_FALSE(times->due(2));
    EXPECT_EQ(times->dueStatusText(), u"Master due: channel 5"_s);
}

TEST_F(MasteringGuardTool, AChangedProbeAsksToRemasterOnlyTheMasteredChannelsReadingIt) {
    channel(1).setFormula(u"T1"_s);
    channel(2).setFormula(u"(T2 + T3) / 2"_s);
    channel(3).setFormula(u"T3"_s);
    channel(4).setFormula(u"A1"_s);
    channel(5).setFormula(u"GOR(T1:T4)"_s);
    for (int n : {1, 2, 4, 5}) {
        times->markMastered(n);
    }
    f.setup().markModified({SetupChange::Kind::Amplifier, 3});
    EXPECT_FALSE(times->needsRemaster(1));
    EXPECT_EQ(times->masteringNote(2), u"re-master"_s);
    EXPECT_FALSE(times->needsRemaster(3));  // reads T3, but was never mastered
    EXPECT_FALSE(times->needsRemaster(4));
    EXPECT_TRUE(times->needsRemaster(5));
    EXPECT_EQ(tool->LblMasteringNote(), u"re-master"_s);  // the window is on channel 2

    // Other kinds of change leave the marks as they are.
    f.setup().markModified({SetupChange::Kind::Analog, 1});
    f.setup().markModified({SetupChange::Kind::Channel, 1});
    EXPECT_FALSE(times->needsRemaster(1));
    EXPECT_FALSE(times->needsRemaster(4));
    // A probe's own setup counts as well; a profile load (item 0) changes every probe.
    f.setup().markModified({SetupChange::Kind::Lvdt, 1});
    EXPECT_TRUE(times->needsRemaster(1));
    EXPECT_FALSE(times->needsRemaster(4));
    f.setup().markModified({SetupChange::Kind::Amplifier, 0});
    EXPECT_FALSE(times->needsRemaster(4));

    // Mastering it again clears its mark.
    f.prompter.answers.push_back(PromptAnswer::Yes);
    masterTwice(10.5f, 20.7f);
    EXPECT_FALSE(times->needsRemaster(2));
    EXPECT_TRUE(tool->LblMasteringNote().isEmpty());
    EXPECT_TRUE(times->needsRemaster(5));
}

}  // namespace
