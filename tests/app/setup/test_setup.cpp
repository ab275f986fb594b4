// Growing, shrinking, clearing and renewing a setup: collections, value holders, counts, the
// unit and the dialogs' current items stay in step.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "group_list.h"
#include "setup_fixture.h"

using zeltest::SetupFixture;

namespace {

zelapp::group &addGroup(zelapp::Setup &setup, std::initializer_list<int> channels) {
    auto g = std::make_unique<zelapp::group>();
    g->SetDefaults(setup.groupCount() + 1);
    for (int ch : channels) {
        g->AddChannel(ch);
    }
    return setup.addGroup(std::move(g));
}

void expectConsistent(const SetupFixture &f) {
    ASSERT_EQ(f.setup.channelCount(), f.setup.channelCount());
    ASSERT_EQ(f.setup.lvdtCount(), f.setup.lvdtCount());
    ASSERT_EQ(f.setup.analogCount(), f.setup.analogCount());
    ASSERT_EQ(f.labels.count(), f.setup.channelCount() + 1);
    for (int i = 1; i <= f.setup.channelCount(); ++i) {
        EXPECT_EQ(f.setup.channel(i)->Index, i);
    }
    for (int i = 1; i <= f.setup.lvdtCount(); ++i) {
        EXPECT_EQ(f.setup.lvdt(i)->Index, i);
    }
    for (int i = 1; i <= f.setup.analogCount(); ++i) {
        EXPECT_EQ(f.setup.analogInput(i)->Index, i);
    }
}

TEST(Setup, DefaultObjectsAreBuiltInOrderWithTheirUnitWrites) {
    SetupFixture f(0, 0, 0);
    f.state.MaxChannel = 2;
    f.state.MaxLvdt = 1;
    f.state.MaxAnalog = 1;
    f.setup.CreateDefaultObjects();
    EXPECT_EQ(f.unit.calls, (std::vector<std::string>{"ZelClearChannel(1)", "ZelSetCzero(1, 0)",
                                                      "ZelSetCscale(1, 1)", "ZelClearChannel(2)",
                                                      "ZelSetCzero(2, 0)", "ZelSetCscale(2, 1)",
                                                      "ZelSetTzero(1, 0)", "ZelSetTfsv(1, 0.0125)",
                                                      "ZelSetAzero(1, 0)", "ZelSetAfsv(1, 1)"}));
    expectConsistent(f);
    EXPECT_EQ(f.labels.text(0), QStringLiteral("DDE"));
    EXPECT_EQ(f.labels.text(2), QStringLiteral("DDE"));
    EXPECT_EQ(f.setup.groupCount(), 0);
}

TEST(Setup, CountsTheUnitCannotNumberAreHeldToItsRange) {
    // From empty collections, as start-up and ClearSetup build them.
    SetupFixture f(0, 0, 0);
    f.setup.CreateChannels(-3);
    f.setup.CreateLVDTs(-2);
    f.setup.CreateAnalogs(300);
    EXPECT_EQ(f.setup.channelCount(), 0);
    EXPECT_EQ(f.setup.lvdtCount(), 0);
    EXPECT_EQ(f.setup.analogCount(), 255);
    expectConsistent(f);
    f.setup.CreateChannels(2);
    f.setup.CreateAnalogs(-1);
    expectConsistent(f);
    EXPECT_EQ(f.labels.text(0), QStringLiteral("DDE"));
    EXPECT_EQ(f.setup.channel(2)->Index, 2);
}

TEST(Setup, SameChannelCountChangesNothingOnTheUnit) {
    SetupFixture f;
    f.setup.CreateChannels(8);
    EXPECT_TRUE(f.unit.calls.empty());
    expectConsistent(f);
}

TEST(Setup, GrowingAddsDefaultChannelsAndKeepsTheOthers) {
    SetupFixture f;
    f.setup.channel(1)->setFormula(QStringLiteral("T1"));
    f.unit.clearCalls();
    QSignalSpy added(&f.labels, &zelapp::ChannelLabels::labelAdded);

    f.setup.CreateChannels(10);
    EXPECT_EQ(f.unit.count("ZelClearChannel("), 2);
    EXPECT_EQ(f.unit.calls.front(), "ZelClearChannel(9)");
    EXPECT_EQ(f.unit.calls[3], "ZelClearChannel(10)");
    EXPECT_EQ(added.count(), 2);
    EXPECT_EQ(f.setup.channel(1)->Formula(), QStringLiteral("T1"));
    EXPECT_EQ(f.setup.channel(10)->Description, QStringLiteral("Channel 10"));
    expectConsistent(f);
}

TEST(Setup, ShrinkingMovesTheChannelDialogAndRemovesFromTheTop) {
    SetupFixture f(10);
    f.currentItems.SetCurrentChannel(8);
    QSignalSpy removed(&f.labels, &zelapp::ChannelLabels::labelRemoved);

    f.setup.CreateChannels(6);
    EXPECT_EQ(f.currentItems.GetCurrentChannel(), 6);
    ASSERT_EQ(removed.count(), 4);
    EXPECT_EQ(removed[0][0].toInt(), 10);
    EXPECT_EQ(removed[3][0].toInt(), 7);
    EXPECT_TRUE(f.unit.calls.empty());  // nothing goes to the unit for removed channels
    expectConsistent(f);
}

TEST(Setup, ShrinkingInputsMovesTheirDialogs) {
    SetupFixture f(8, 8, 4);
    f.currentItems.SetCurrentLvdt(8);
    f.currentItems.SetCurrentAnalog(2);
    f.setup.CreateLVDTs(3);
    f.setup.CreateAnalogs(2);
    EXPECT_EQ(f.currentItems.GetCurrentLvdt(), 3);
    EXPECT_EQ(f.currentItems.GetCurrentAnalog(), 2);
    expectConsistent(f);
    f.setup.CreateLVDTs(0);
    EXPECT_EQ(f.setup.lvdtCount(), 0);
}

TEST(Setup, DigitalAndStrainCountsAreCountsOnly) {
    SetupFixture f;
    f.setup.CreateDigitals(4);
    f.setup.CreateStrains(2);
    EXPECT_EQ(f.state.MaxDigital, 4);
    EXPECT_EQ(f.state.MaxStrain, 2);
    EXPECT_TRUE(f.unit.calls.empty());
}

TEST(Setup, CheckMaxChannelAnswersWithoutChangingOrRemovesAboveTheLimit) {
    SetupFixture f;
    auto &a = addGroup(f.setup, {2, 5, 3});
    auto &b = addGroup(f.setup, {5, 6});
    auto &c = addGroup(f.setup, {1, 9, 9, 2});

    EXPECT_FALSE(f.setup.CheckMaxChannel(4, false));
    EXPECT_EQ(zeltest::channelsOf(a), (std::vector<int>{2, 5, 3}));

    EXPECT_TRUE(f.setup.CheckMaxChannel(4, true));
    EXPECT_EQ(zeltest::channelsOf(a), (std::vector<int>{2, 3}));
    EXPECT_EQ(b.Count, 0);
    EXPECT_EQ(zeltest::channelsOf(c),
              (std::vector<int>{1, 2}));  // neighbours above the limit both go
    EXPECT_TRUE(f.setup.CheckMaxChannel(4, false));
}

TEST(Setup, ClearSetupRemovesGroupsAndRebuildsAtTheSameCounts) {
    SetupFixture f(4, 2, 1);
    for (int i = 0; i < 3; ++i) {
        addGroup(f.setup, {1});
    }
    f.setup.channel(2)->setFormula(QStringLiteral("T1-T2"));
    f.setup.channel(2)->InUse = true;
    f.labels.setText(2, QStringLiteral(" 0.5"));
    f.setup.CreateDigitals(3);
    windowRecord(f.setup.windows(), zelapp::SetupWindow::LvdtBar).Height = 900;
    f.unit.clearCalls();

    f.setup.ClearSetup();
    EXPECT_EQ(f.setup.groupCount(), 0);
    EXPECT_EQ(f.setup.channelCount(), 4);
    EXPECT_EQ(f.setup.lvdtCount(), 2);
    EXPECT_EQ(f.setup.analogCount(), 1);
    EXPECT_EQ(f.state.MaxDigital, 3);
    EXPECT_TRUE(f.setup.channel(2)->Formula().isEmpty());
    EXPECT_FALSE(f.setup.channel(2)->InUse);
    EXPECT_EQ(f.labels.text(2), QStringLiteral("DDE"));
    EXPECT_EQ(f.unit.count("ZelClearChannel("), 4);
    EXPECT_EQ(f.unit.count("ZelSetTfsv("), 2);
    EXPECT_EQ(f.unit.count("ZelSetAfsv("), 1);
    EXPECT_EQ(windowRecord(f.setup.windows(), zelapp::SetupWindow::LvdtBar).Height, 900);
    expectConsistent(f);
}

TEST(Setup, NewSetupNamesItNewZelAndSwitchesUpdatingBackOn) {
    SetupFixture f;
    addGroup(f.setup, {1, 2});
    f.state.UpdateEnabled = false;
    f.state.SetupModified = true;
    f.setup.NewSetup();
    EXPECT_EQ(f.state.SetupFileName, QStringLiteral("new.zel"));
    EXPECT_EQ(f.mainWindow.captionText, QStringLiteral("Zel-8 [new.zel]"));
    EXPECT_TRUE(f.state.UpdateEnabled);
    EXPECT_TRUE(f.state.SetupModified);  // New leaves it alone
    EXPECT_EQ(f.setup.groupCount(), 0);
    expectConsistent(f);
}

TEST(Setup, GroupsAreFetchedAndRemovedByPosition) {
    SetupFixture f;
    addGroup(f.setup, {1});
    addGroup(f.setup, {2});
    EXPECT_EQ(f.setup.groupAt(2)->GetChannel(1), 2);
    EXPECT_EQ(f.setup.groupAt(3), nullptr);
    EXPECT_EQ(f.setup.groupAt(0), nullptr);
    f.setup.removeGroup(1);
    f.setup.removeGroup(7);
    ASSERT_EQ(f.setup.groupCount(), 1);
    EXPECT_EQ(f.setup.groupAt(1)->GetChannel(1), 2);
    EXPECT_EQ(f.setup.channel(9), nullptr);
}

TEST(ChannelLabels, NotifiesOnlyRealChanges) {
    zelapp::ChannelLabels labels;
    labels.addLabel();
    QSignalSpy changed(&labels, &zelapp::ChannelLabels::textChanged);
    labels.setText(1, QStringLiteral(" 1.00000"));
    labels.setText(1, QStringLiteral(" 1.00000"));
    labels.setText(2, QStringLiteral("x"));  // no such element
    labels.setText(-1, QStringLiteral("x"));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toInt(), 1);
    EXPECT_EQ(labels.text(2), QString());
}

}  // namespace
