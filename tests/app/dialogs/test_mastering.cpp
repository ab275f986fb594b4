// The mastering window without its window, in the whole session so that the scan tick feeds it:
// the one-master, zero and two-master computations and what they write, "Do Again", the
// stepping, a channel without a formula, the readings a press may take, a setup that shrinks
// under the window, and a lost unit.
#include <gtest/gtest.h>

#include <limits>

#include "dialogs/mastering.h"
#include "session_fixture.h"

using namespace Qt::StringLiterals;
using zelapp::MasteringStep;

namespace {

class Mastering : public ::testing::Test {
  protected:
    zeltest::SessionFixture f;
    zelapp::MasteringTool *tool = nullptr;

    void SetUp() override {
        ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
        tool = &f.session->dialogs().mastering;
        // These cases are about what a press computes and writes; the question before large
        // changes has its own cases (test_mastering_guard.cpp).
        tool->setGuardLimits({1e9, 1e9});
        for (int i = 1; i <= f.setup().channelCount(); ++i) {
            f.setup().channel(i)->setFormula(u"T1"_s);
        }
    }
    zelapp::Channel &channel(int n) { return *f.setup().channel(n); }
    // The unit reads `value` on the window's channel and the scan tick hands it over.
    void reads(float value) {
        f.fakeUnit.channelValue[tool->currentChannel()] = value;
        f.session->scan().Timer1_Timer();
    }
    void open(bool zero) {
        f.state().MasteringMode = zero;
        tool->Form_Load();
    }
    void press(float reading) {
        reads(reading);
        f.fakeUnit.clearCalls();
        tool->CommandMaster_Click();
    }
};

TEST_F(Mastering, OneMasterAndZeroModeShiftOnlyTheZeroOffset) {
    zelapp::Channel &c = channel(1);
    c.Master1 = 10;
    c.Decimals = 1;
    c.setZeroOffset(0.1f);
    open(false);
    EXPECT_EQ(tool->caption(), u"Master Channels"_s);
    EXPECT_EQ(tool->LblInstruction(), u"Insert Master 1:  10.0"_s);
    EXPECT_EQ(tool->CommandMasterCaption(), u"Start Master"_s);
    press(10.3f);
    EXPECT_NEAR(f.fakeUnit.czero[1], -0.2, 1e-6);  // 10 - (10.3 - 0.1)
    EXPECT_EQ(f.fakeUnit.count("ZelSetCscale("), 0);
    EXPECT_EQ(tool->TxtM1(), u" 10.3"_s);
    EXPECT_EQ(tool->TxtIntercept(), u"-0.2"_s);
    EXPECT_EQ(tool->TxtInterceptBefore(), u" 0.1"_s);
    EXPECT_EQ(tool->LblInstruction(), u"Master completed."_s);
    EXPECT_EQ(tool->CommandMasterCaption(), u"Next Channel"_s);
    EXPECT_TRUE(f.state().SetupModified);

    // Zero mode on a two-master channel: one press, the scaling stays.
    tool->Form_Unload();
    EXPECT_EQ(tool->MasteringChannel(), 0);
    channel(1).UseTwoMasters = true;
    open(true);
    EXPECT_EQ(tool->currentChannel(), 1);
    EXPECT_EQ(tool->caption(), u"Zero Channels"_s);
    press(12.0f);
    EXPECT_EQ(f.fakeUnit.count("ZelSetCzero(1"), 1);
    EXPECT_EQ(f.fakeUnit.count("ZelSetCscale("), 0);
    EXPECT_EQ(tool->LblInstruction(), u"Zero completed."_s);
}

TEST_F(Mastering, TwoMastersWriteZeroThenScalingAndReadingsTooCloseAskToReadAgain) {
    zelapp::Channel &c = channel(2);
    c.UseTwoMasters = true;
    c.Master1 = 10;
    c.Master2 = 20;
    c.Decimals = 5;
    tool->Form_Load();
    tool->SpinButtonChannel_SpinUp();
    press(10.5f);
    EXPECT_EQ(tool->step(), MasteringStep::AwaitMaster2);
    EXPECT_EQ(tool->CommandMasterCaption(), u"Read"_s);
    EXPECT_EQ(tool->LblInstruction(), u"Insert Master 2:  20.00000"_s);
    EXPECT_TRUE(f.fakeUnit.calls.empty());  // nothing written yet

    // 12.00001 against 12.00004 would be too close; here 10.5 again is.
    press(10.50001f);
    EXPECT_EQ(tool->LblInstruction(), u"Mastering unsuccessful."_s);
    EXPECT_TRUE(tool->instructionRed());
    EXPECT_EQ(tool->CommandMasterCaption(), u"Do Again"_s);
    EXPECT_EQ(f.fakeUnit.count("ZelSet"), 0);

    press(20.7f);  // against reading 1 still 10.5
    const std::vector<std::string> writes{f.fakeUnit.calls.end() - 2, f.fakeUnit.calls.end()};
    EXPECT_EQ(writes[0].rfind("ZelSetCzero(2, -0.294", 0), 0u) << writes[0];
    EXPECT_EQ(writes[1].rfind("ZelSetCscale(2, 0.98039", 0), 0u) << writes[1];
    EXPECT_EQ(tool->TxtSlope(), u" 0.98039"_s);
    EXPECT_EQ(tool->TxtIntercept(), u"-0.29412"_s);
    EXPECT_EQ(tool->TxtSlopeBefore(), u" 1.00000"_s);
    EXPECT_EQ(tool->LblInstruction(), u"Mastering completed."_s);
    EXPECT_TRUE(tool->instructionRed());  // left as the failure set it
    EXPECT_EQ(tool->step(), MasteringStep::ChannelDone);
}

TEST_F(Mastering, AZeroScalingOrAResultThatIsNoNumberWritesNothing) {
    zelapp::Channel &c = channel(1);
    c.UseTwoMasters = true;
    c.Master2 = 5;
    c.setScaling(0);
    tool->Form_Load();
    press(1);
    press(2);
    EXPECT_EQ(tool->LblInstruction(), u"Mastering unsuccessful."_s);
    EXPECT_EQ(tool->step(), MasteringStep::AwaitMaster2);
    EXPECT_EQ(f.fakeUnit.count("ZelSet"), 0);

    c.UseTwoMasters = false;
    c.setScaling(1);
    tool->SpinButtonChannel_SpinDown();
    tool->SpinButtonChannel_SpinUp();
    press(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(tool->LblInstruction(), u"Mastering unsuccessful."_s);
    EXPECT_EQ(tool->step(), MasteringStep::AwaitMaster1);
    EXPECT_EQ(f.fakeUnit.count("ZelSet"), 0);
}

TEST_F(Mastering, APressWaitsForAReadingOfTheChannelNowShown) {
    tool->Form_Load();
    reads(3.0f);
    tool->SpinButtonChannel_SpinUp();
    f.fakeUnit.clearCalls();
    // The last reading is still channel 1's: the button waits for the next tick.
    EXPECT_FALSE(tool->CommandMasterEnabled());
    tool->CommandMaster_Click();
    EXPECT_EQ(f.fakeUnit.count("ZelSetCzero("), 0);
    EXPECT_EQ(tool->CommandMasterCaption(), u"Start Master"_s);
    // Fed even while the displays do not update.
    f.state().UpdateEnabled = false;
    reads(7.0f);
    EXPECT_TRUE(tool->CommandMasterEnabled());
    EXPECT_DOUBLE_EQ(tool->MasteringReading(), 7.0);
}

TEST_F(Mastering, StepsWrapAndAChannelWithoutFormulaCannotBeStarted) {
    channel(1).setFormula({});
    tool->Form_Load();
    EXPECT_EQ(tool->MasteringChannel(), 0);
    EXPECT_EQ(tool->LblInstruction(), u"This Channel has no formula"_s);
    EXPECT_EQ(tool->CommandMasterCaption(), u"Cannot Master"_s);
    reads(1.0f);
    EXPECT_TRUE(tool->TextChannelValue().isEmpty());
    EXPECT_FALSE(tool->CommandMasterEnabled());

    tool->SpinButtonChannel_SpinDown();
    EXPECT_EQ(tool->currentChannel(), 8);
    EXPECT_EQ(tool->MasteringChannel(), 8);
    press(1.0f);
    press(1.0f);  // "Next Channel"
    EXPECT_EQ(tool->currentChannel(), 1);
    EXPECT_EQ(tool->step(), MasteringStep::AwaitMaster1);
    EXPECT_TRUE(tool->TxtM1().isEmpty());
}

TEST_F(Mastering, ZeroAskedOfTheOpenMasterWindowStartsOverInZeroMode) {
    channel(3).UseTwoMasters = true;
    f.view.openDialogs.push_back(zelapp::CommandDialog::Mastering);
    f.state().MasteringMode = false;
    tool->Form_Load();
    tool->SpinButtonChannel_SpinUp();
    tool->SpinButtonChannel_SpinUp();
    press(1.0f);
    ASSERT_EQ(tool->step(), MasteringStep::AwaitMaster2);
    f.session->commands().ZeroChannel_Click();
    EXPECT_EQ(f.view.dialogs.back(), std::make_pair(zelapp::CommandDialog::Mastering, false));
    EXPECT_EQ(tool->caption(), u"Zero Channels"_s);
    EXPECT_EQ(tool->currentChannel(), 3);
    EXPECT_EQ(tool->step(), MasteringStep::AwaitMaster1);
    EXPECT_EQ(tool->CommandMasterCaption(), u"Start Zero"_s);
}

TEST_F(Mastering, ASmallerSetupMovesTheWindowAndItsLiveChannel) {
    tool->Form_Load();
    tool->SpinButtonChannel_SpinDown();
    ASSERT_EQ(tool->MasteringChannel(), 8);
    f.setup().CreateChannels(5);
    EXPECT_EQ(tool->currentChannel(), 5);
    EXPECT_EQ(tool->MasteringChannel(), 5);
    EXPECT_EQ(f.session->dialogs().setupChan.GetCurrentChannel(), 0);  // never opened: left alone
    tool->Form_Unload();
    tool->Form_Load();
    EXPECT_EQ(tool->currentChannel(), 5);
}

TEST_F(Mastering, NothingIsMasteredWhileTheUnitIsLost) {
    tool->Form_Load();
    reads(1.0f);
    ASSERT_TRUE(tool->CommandMasterEnabled());
    f.fakeUnit.reachable = false;
    reads(2.0f);
    EXPECT_FALSE(tool->CommandMasterEnabled());
    EXPECT_EQ(tool->TextChannelValue(), u"NO UNIT"_s);
    EXPECT_FALSE(tool->unitLostText().isEmpty());
    f.fakeUnit.clearCalls();
    tool->CommandMaster_Click();
    EXPECT_EQ(f.fakeUnit.count("ZelSet"), 0);
    EXPECT_EQ(channel(1).ZeroOffset(), 0.0f);  // not in the link's copy either

    f.fakeUnit.reachable = true;
    f.session->recovery().reconnect();
    ASSERT_TRUE(f.attempts.finish());
    EXPECT_TRUE(tool->unitLostText().isEmpty());
    EXPECT_FALSE(tool->CommandMasterEnabled());  // until a reading from the unit back
    reads(4.0f);
    EXPECT_TRUE(tool->CommandMasterEnabled());
}

}  // namespace
