// A setup for more channels than the unit has: each thing the unit refuses of a setup sent to it
// whole is told once, in one message naming the items, at start, at New and when the unit is
// back; never a box of the library's per request.
#include <gtest/gtest.h>

#include <QDir>

#include "file_bytes.h"
#include "session_fixture.h"

using namespace Qt::StringLiterals;

namespace {

// Channels 9 and 10 of a setup of 10 on a unit with 8.
void refuseChannelsBeyondEight(zeltest::FakeUnit &unit) {
    for (int ch : {9, 10}) {
        for (const char *call : {"ZelClearChannel(%1)", "ZelSetCzero(%1, 0)", "ZelSetCscale(%1, 1)",
                                 "ZelReadChannel(%1)"}) {
            unit.refusals[QString::fromLatin1(call).arg(ch).toStdString()] = 10;
        }
    }
}

}  // namespace

TEST(UnitBatch, WhatTheUnitRefusesOfTheSetupIsToldOnceNamingTheItems) {
    zeltest::SessionFixture f;
    zeltest::writeBytes(QDir(f.programFolder()).filePath(u"zelapp.ini"_s),
                        "[ZELAPP Version 6.01]\r\n[General Setup]\r\nMaxChannel= 10 \r\n");
    refuseChannelsBeyondEight(f.fakeUnit);
    const QString told = u"Channels 9 to 10: Bad channel number"_s;

    ASSERT_EQ(f.start(), zelapp::StartupResult::Running);
    EXPECT_EQ(f.prompter.texts(), (std::vector<QString>{told}));
    EXPECT_TRUE(f.fakeUnit.errorBoxes.empty());
    EXPECT_TRUE(f.fakeUnit.errorBoxesOn);  // on again for what the operator does next

    // Channels without a formula are not read: no value, and nothing to tell at each tick.
    for (int t = 0; t < 3; ++t) {
        f.session->scan().Timer1_Timer();
    }
    EXPECT_EQ(f.session->labels().text(9), QString());
    EXPECT_TRUE(f.view.notices.empty());

    f.prompter.shown.clear();
    f.session->setupCommands().NewFile_Click();
    EXPECT_EQ(f.prompter.texts(), (std::vector<QString>{told}));

    // The unit back after a loss: the same, in the status line that says it is back.
    f.fakeUnit.reachable = false;
    f.session->scan().Timer1_Timer();
    f.fakeUnit.reachable = true;
    f.session->recovery().reconnect();
    ASSERT_TRUE(f.attempts.finish());
    ASSERT_EQ(f.view.statuses.size(), 1u);
    EXPECT_TRUE(f.view.statuses[0].endsWith(u"\r"_s + told));
    EXPECT_TRUE(f.fakeUnit.errorBoxes.empty());
    EXPECT_EQ(f.prompter.texts(), (std::vector<QString>{told}));
}
